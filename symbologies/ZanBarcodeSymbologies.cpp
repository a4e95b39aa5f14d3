#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>

#include <zanbarcode/symbologies/ZanCodabar.h>
#include <zanbarcode/symbologies/ZanCode128.h>
#include <zanbarcode/symbologies/ZanCode2of5.h>
#include <zanbarcode/symbologies/ZanCode39.h>
#include <zanbarcode/symbologies/ZanEAN.h>
#include <zanbarcode/symbologies/ZanPostnet.h>

namespace zan {

void RegisterBarcodeSymbologies() {
    // One line per class, in registry order: positions are part of the interface.
    RegisterSymbology(SymbologyClass<TZanCodabar>());
    RegisterSymbology(SymbologyClass<TZanCode128>());
    RegisterSymbology(SymbologyClass<TZanCode2of5>());
    RegisterSymbology(SymbologyClass<TZanInterleaved2of5>());
    RegisterSymbology(SymbologyClass<TZanCode39>());
    RegisterSymbology(SymbologyClass<TZanEan8>());
    RegisterSymbology(SymbologyClass<TZanEan13>());
    RegisterSymbology(SymbologyClass<TZanUpcA>());
    RegisterSymbology(SymbologyClass<TZanUpcE>());
    RegisterSymbology(SymbologyClass<TZanPostnet>());
}

}  // namespace zan
