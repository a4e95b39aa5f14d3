// Registration of the barcode control with a form designer.
#pragma once

namespace zan {

// Puts TZanBarcode on the palette page "Orvane", registers the ten symbology classes by
// name and binds the control's property editors. Calling it again changes nothing.
void Register();

}  // namespace zan
