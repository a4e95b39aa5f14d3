#include <zanbarcode/design/ZanBarcodeReg.h>

#include <string>

#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/design/ZanBarcodeProps.h>
#include <zanbarcode/platform/DesignIntf.h>
#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/symbologies/ZanCodabar.h>
#include <zanbarcode/symbologies/ZanCode128.h>
#include <zanbarcode/symbologies/ZanCode2of5.h>
#include <zanbarcode/symbologies/ZanCode39.h>
#include <zanbarcode/symbologies/ZanEAN.h>
#include <zanbarcode/symbologies/ZanPostnet.h>

namespace zan {

namespace {

template <class... Symbologies>
void RegisterSymbologyClasses() {
    (platform::RegisterPersistentClass(Symbologies().ClassName()), ...);
}

}  // namespace

void Register() {
    using platform::TTypeKind;
    platform::RegisterComponents("Orvane", {platform::ComponentClass<TZanBarcode>()});
    RegisterSymbologyClasses<TZanCode128, TZanCode39, TZanCode2of5, TZanInterleaved2of5, TZanCodabar, TZanPostnet,
                             TZanEan8, TZanEan13, TZanUpcA, TZanUpcE>();
    const platform::TOwnerClass barcodes = platform::OwnerClass<TZanCustomBarcode>();
    platform::RegisterPropertyEditor(TTypeKind::tkString, barcodes, "SymbologyName",
                                     platform::PropertyEditorClass<TZanSymbologyNameEdit>());
    platform::RegisterPropertyEditor(TTypeKind::tkString, barcodes, "Caption",
                                     platform::PropertyEditorClass<platform::TStringProperty>());
    platform::RegisterPropertyEditor(TTypeKind::tkClass, barcodes, "Symbology",
                                     platform::PropertyEditorClass<TZanSymbologyPropEdit>());
}

}  // namespace zan
