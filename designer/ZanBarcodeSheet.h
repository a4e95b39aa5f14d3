// What Qt Designer's property editor shows of a barcode widget.
#pragma once

class QExtensionManager;

// With Designer's property-sheet classes (ZAN_DESIGNER_PRIVATE), the barcode's own
// property sheet: symbologyName, the current symbology's settings in a group
// "Symbology" that follows the symbology, and Caption as a plain string, each row driven
// by the library's designer editors. Without them, Designer's default sheet and a
// task-menu action "Choose symbology..." on the widget.
void RegisterBarcodeSheet(QExtensionManager* manager);
