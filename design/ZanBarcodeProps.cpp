#include <zanbarcode/design/ZanBarcodeProps.h>

#include <memory>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/controls/ZanBarcodeCtrls.h>

namespace zan {

namespace {

// The first selected control. The editors are bound to barcode controls only, so any
// other object is a binding fault.
TZanCustomBarcode& FirstControl(const platform::TPropertyEditor& editor) {
    auto* control = dynamic_cast<TZanCustomBarcode*>(editor.GetComponent(0));
    if (control == nullptr) throw platform::Exception("%s edits barcode controls only", {editor.GetName()});
    return *control;
}

}  // namespace

platform::TPropertyAttributes TZanSymbologyNameEdit::GetAttributes() {
    return platform::paValueList | platform::paSortList;
}

std::string TZanSymbologyNameEdit::GetValue() { return FirstControl(*this).GetSymbologyName(); }

void TZanSymbologyNameEdit::GetValues(const platform::TGetStrProc& proc) {
    for (int i = 0; i < SymbologyCount(); ++i) proc(GetSymbologyClassByIndex(i)->GetSymbologyName());
}

void TZanSymbologyNameEdit::SetValue(const std::string& value) {
    // Reselecting destroys this editor's row; the designer must outlive the call.
    const std::shared_ptr<platform::TFormDesigner> designer = GetDesigner();
    TZanCustomBarcode& control = FirstControl(*this);
    control.SetSymbologyName(value);
    if (designer) {
        designer->SelectComponent(nullptr);
        designer->SelectComponent(&control);
    }
}

platform::TPropertyAttributes TZanSymbologyPropEdit::GetAttributes() { return platform::paSubProperties; }

void TZanSymbologyPropEdit::GetProperties(const platform::TGetPropEditProc& proc) {
    TZanBarcodeSymbology* symbology = FirstControl(*this).GetSymbology();
    if (symbology == nullptr) return;
    platform::TDesignerSelectionList list;
    list.Add(symbology);
    platform::GetComponentProperties(list, platform::tkProperties, GetDesigner(), proc);
}

std::string TZanSymbologyPropEdit::GetValue() {
    const TZanBarcodeSymbology* symbology = FirstControl(*this).GetSymbology();
    std::string value = "(";
    if (symbology != nullptr) value.append(symbology->ClassName());
    return value.append(")");
}

void TZanSymbologyPropEdit::SetValue(const std::string& /*value*/) {}

}  // namespace zan
