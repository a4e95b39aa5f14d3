// Registration of the library's symbologies.
#pragma once

namespace zan {

// Registers every symbology class of the library, in the registry order Codabar,
// Code 128, Code 2 of 5, Interleaved 2 of 5, Code 39, EAN 8, EAN 13, UPC A, UPC E,
// POSTNET. Calling it again changes nothing: a registered class is not added twice.
void RegisterBarcodeSymbologies();

}  // namespace zan
