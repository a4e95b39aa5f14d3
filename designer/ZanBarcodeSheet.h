// What Qt Designer's property editor shows of a barcode widget, and how a form stores it.
#pragma once

class QDesignerFormEditorInterface;

// The barcode's own property sheet: symbologyName as a drop-down of the registered
// names, the current symbology's settings in a group "Symbology" that follows the
// symbology, and Caption as a plain string, each row driven by the library's designer
// editors. A saved form holds the symbology name, the caption and the string settings
// as untranslatable strings.
void RegisterBarcodeSheet(QDesignerFormEditorInterface* core);
