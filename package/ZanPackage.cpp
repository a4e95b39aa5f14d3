// The package module: its units, started in this package's order, and its resources.
// One source for the six deliverables; the build chooses the name, the host framework
// generation (ZAN_CONTROL_HOST_VERSION) and the start order:
//   ZAN_PACKAGE_START_ORDER 1  the Delphi 5 and Delphi 4 packages
//   ZAN_PACKAGE_START_ORDER 2  the Delphi 3 package
//   ZAN_PACKAGE_START_ORDER 3  the C++Builder 3, 4 and 5 packages
// The order cannot be left to C++ static initialisation, whose order across files is
// unspecified; it is this explicit list.
#include <array>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/design/ZanBarcodeReg.h>
#include <zanbarcode/platform/Packages.h>
#include <zanbarcode/symbologies/ZanCodabar.h>
#include <zanbarcode/symbologies/ZanCode128.h>
#include <zanbarcode/symbologies/ZanCode2of5.h>
#include <zanbarcode/symbologies/ZanCode39.h>
#include <zanbarcode/symbologies/ZanEAN.h>
#include <zanbarcode/symbologies/ZanPostnet.h>

#include "ZanPaletteBitmaps.h"

#if !defined(ZAN_PACKAGE_NAME) || !defined(ZAN_PACKAGE_START_ORDER)
#error "The build defines ZAN_PACKAGE_NAME and ZAN_PACKAGE_START_ORDER"
#endif

namespace zan::package {

namespace {

// A unit's start-up work runs for its first user in the process, its shutdown for the
// last. Units without work of their own still take their place in the order.
struct TUnit {
    void (*Startup)() = nullptr;
    void (*Shutdown)() = nullptr;
    int Users = 0;
};

template <class... Symbologies>
void RegisterSymbologies() {
    (RegisterSymbology(SymbologyClass<Symbologies>()), ...);
}

TUnit SavedCanvasUnit, LinearSymbologyUnit;
// The base unit's registry is empty when it starts and freed when it stops.
TUnit BarcodeBaseUnit{nullptr, &FreeSymbologyRegistry};
TUnit CodabarUnit{&RegisterSymbologies<TZanCodabar>};
TUnit Code128Unit{&RegisterSymbologies<TZanCode128>};
TUnit Code2of5Unit{&RegisterSymbologies<TZanCode2of5, TZanInterleaved2of5>};
TUnit Code39Unit{&RegisterSymbologies<TZanCode39>};
TUnit EanUnit{&RegisterSymbologies<TZanEan8, TZanEan13, TZanUpcA, TZanUpcE>};
TUnit PostnetUnit{&RegisterSymbologies<TZanPostnet>};
TUnit SymbologiesUnit, BarcodeCtrlsUnit, BarcodePropsUnit, BarcodeRegUnit;

#if ZAN_PACKAGE_START_ORDER == 1
constexpr std::array StartOrder = {&SavedCanvasUnit, &BarcodeBaseUnit, &LinearSymbologyUnit, &CodabarUnit,
                                   &Code128Unit,     &Code2of5Unit,    &Code39Unit,          &EanUnit,
                                   &PostnetUnit,     &SymbologiesUnit, &BarcodeCtrlsUnit,    &BarcodePropsUnit,
                                   &BarcodeRegUnit};
#elif ZAN_PACKAGE_START_ORDER == 2
constexpr std::array StartOrder = {
    &SavedCanvasUnit,  &BarcodeBaseUnit,  &LinearSymbologyUnit, &CodabarUnit, &Code2of5Unit,
    &Code39Unit,       &EanUnit,          &PostnetUnit,         &Code128Unit, &SymbologiesUnit,
    &BarcodeCtrlsUnit, &BarcodePropsUnit, &BarcodeRegUnit};
#elif ZAN_PACKAGE_START_ORDER == 3
// POSTNET starts right after the base unit, before the linear base.
constexpr std::array StartOrder = {&SavedCanvasUnit, &BarcodeBaseUnit, &PostnetUnit,      &LinearSymbologyUnit,
                                   &EanUnit,         &Code39Unit,      &Code2of5Unit,     &Code128Unit,
                                   &CodabarUnit,     &SymbologiesUnit, &BarcodeCtrlsUnit, &BarcodePropsUnit,
                                   &BarcodeRegUnit};
#else
#error "ZAN_PACKAGE_START_ORDER is 1, 2 or 3"
#endif

void Startup() {
    for (TUnit* unit : StartOrder)
        if (unit->Users++ == 0 && unit->Startup) unit->Startup();
}

void Shutdown() {
    for (auto unit = StartOrder.rbegin(); unit != StartOrder.rend(); ++unit)
        if (--(*unit)->Users == 0 && (*unit)->Shutdown) (*unit)->Shutdown();
}

const std::array<platform::TPackageResource, 2> Resources = {{
    {"TZANBARCODE", BarcodeBitmap.data(), BarcodeBitmap.size()},
    {"TZANDBBARCODE", DBBarcodeBitmap.data(), DBBarcodeBitmap.size()},
}};

const platform::TPackageInfo Info{ZAN_PACKAGE_NAME, &Startup, &Shutdown, &Register, Resources.data(), Resources.size()};

}  // namespace

}  // namespace zan::package

extern "C" __attribute__((visibility("default"))) const zan::platform::TPackageInfo* ZanPackageInfo() {
    return &zan::package::Info;
}
