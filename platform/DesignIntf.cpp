#include <zanbarcode/platform/DesignIntf.h>

#include <algorithm>
#include <cctype>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

std::vector<TPaletteEntry>& Palette() {
    static std::vector<TPaletteEntry> palette;
    return palette;
}

struct TEditorBinding {
    TTypeKind Kind;
    TOwnerClass OwnerClass;
    std::string PropertyName;
    TPropertyEditorClass Editor;

    bool operator==(const TEditorBinding&) const = default;
    bool Fits(const TPersistent& object, const TPropInfo& propInfo) const {
        return propInfo.Kind == Kind && (OwnerClass == nullptr || OwnerClass->IsInstance(object)) &&
               (PropertyName.empty() || SameNameIgnoringCase(PropertyName, propInfo.Name));
    }
    int Specificity() const { return (PropertyName.empty() ? 0 : 2) + (OwnerClass == nullptr ? 0 : 1); }
};

std::vector<TEditorBinding>& EditorBindings() {
    static std::vector<TEditorBinding> bindings;
    return bindings;
}

std::unique_ptr<TPropertyEditor> DefaultEditor(const TPropInfo& propInfo) {
    switch (propInfo.Kind) {
        case TTypeKind::tkEnumeration:
        case TTypeKind::tkBoolean: return std::make_unique<TEnumProperty>();
        case TTypeKind::tkClass:
            if (propInfo.IsReference()) return std::make_unique<TComponentProperty>();
            return std::make_unique<TClassProperty>();
        case TTypeKind::tkString: return std::make_unique<TStringProperty>();
        default: return std::make_unique<TPropertyEditor>();
    }
}

}  // namespace

void RegisterComponents(const std::string& page, const std::vector<TComponentClass>& classes) {
    for (TComponentClass componentClass : classes) {
        RegisterClass(componentClass);  // what the palette places, form files must read back
        const bool known = std::ranges::any_of(
            Palette(), [componentClass](const TPaletteEntry& e) { return e.ComponentClass == componentClass; });
        if (!known) Palette().push_back({page, componentClass});
    }
}

const std::vector<TPaletteEntry>& PaletteEntries() { return Palette(); }

TPersistent* TDesignerSelectionList::GetItem(int index) const {
    if (index < 0 || index >= GetCount()) throw EListError("List index out of bounds (%d)", {index});
    return FItems[static_cast<std::size_t>(index)];
}

void TFormDesigner::SelectComponent(TPersistent* item) {
    FSelection = TDesignerSelectionList();
    if (item != nullptr) FSelection.Add(item);
    if (FOnSelectionChanged) FOnSelectionChanged();
}

void TPropertyEditor::Initialize(std::shared_ptr<TFormDesigner> designer, std::vector<TPersistent*> components,
                                 const TPropInfo& propInfo) {
    FDesigner = std::move(designer);
    FComponents = std::move(components);
    FPropInfo = &propInfo;
}

TPropertyAttributes TPropertyEditor::GetAttributes() { return GetPropInfo().SetText ? 0 : paReadOnly; }

std::string TPropertyEditor::GetValue() { return GetPropInfo().GetValue(*GetComponent(0)); }

void TPropertyEditor::SetValue(const std::string& value) {
    for (TPersistent* component : FComponents) GetPropInfo().SetValue(*component, value);
}

void TPropertyEditor::GetValues(const TGetStrProc& /*proc*/) {}

void TPropertyEditor::GetProperties(const TGetPropEditProc& /*proc*/) {}

TPersistent* TPropertyEditor::GetComponent(int index) const {
    if (index < 0 || index >= GetComponentCount()) throw EListError("List index out of bounds (%d)", {index});
    return FComponents[static_cast<std::size_t>(index)];
}

TPropertyAttributes TEnumProperty::GetAttributes() { return paValueList | paMultiSelect; }

void TEnumProperty::GetValues(const TGetStrProc& proc) {
    if (GetPropInfo().Kind == TTypeKind::tkBoolean) {
        proc(BooleanToText(false));
        proc(BooleanToText(true));
        return;
    }
    for (const std::string& name : GetPropInfo().EnumNames) proc(name);
}

TPropertyAttributes TClassProperty::GetAttributes() { return paSubProperties | paReadOnly; }

void TClassProperty::GetProperties(const TGetPropEditProc& proc) {
    TDesignerSelectionList objects;
    for (int i = 0; i < GetComponentCount(); ++i)
        if (TPersistent* object = GetPropInfo().GetObject(*GetComponent(i))) objects.Add(object);
    if (objects.GetCount() == GetComponentCount()) GetComponentProperties(objects, tkProperties, GetDesigner(), proc);
}

TPropertyAttributes TComponentProperty::GetAttributes() { return paValueList | paSortList | paMultiSelect; }

void TComponentProperty::GetValues(const TGetStrProc& proc) {
    if (!GetDesigner()) return;
    const TComponent& root = GetDesigner()->GetRoot();
    TPersistent* owner = GetComponent(0);
    for (int i = 0; i < root.GetComponentCount(); ++i) {
        TComponent* candidate = root.GetComponent(i);
        if (candidate == owner || candidate->GetName().empty()) continue;
        // The setter refuses a component of the wrong class when one is chosen.
        proc(candidate->GetName());
    }
}

void TComponentProperty::SetValue(const std::string& value) {
    TComponent* target = nullptr;
    if (!value.empty()) {
        if (GetDesigner()) target = GetDesigner()->GetRoot().FindComponent(value);
        if (target == nullptr) throw EConvertError("Invalid property value: %s", {value});
    }
    for (int i = 0; i < GetComponentCount(); ++i) GetPropInfo().SetObject(*GetComponent(i), target);
}

void RegisterPropertyEditor(TTypeKind kind, TOwnerClass ownerClass, const std::string& propertyName,
                            TPropertyEditorClass editor) {
    TEditorBinding binding{kind, ownerClass, propertyName, editor};
    if (std::ranges::find(EditorBindings(), binding) == EditorBindings().end())
        EditorBindings().push_back(std::move(binding));
}

std::unique_ptr<TPropertyEditor> CreatePropertyEditor(const TPersistent& object, const TPropInfo& propInfo) {
    const TEditorBinding* best = nullptr;
    for (const TEditorBinding& binding : EditorBindings())
        if (binding.Fits(object, propInfo) && (best == nullptr || binding.Specificity() >= best->Specificity()))
            best = &binding;
    return best ? best->Editor() : DefaultEditor(propInfo);
}

void GetComponentProperties(const TDesignerSelectionList& selection, TTypeKinds kinds,
                            const std::shared_ptr<TFormDesigner>& designer, const TGetPropEditProc& proc) {
    if (selection.GetCount() == 0 || selection.GetItem(0) == nullptr) return;
    TPersistent& first = *selection.GetItem(0);
    // A property's accessors work on its own class, so a mixed selection shows nothing.
    std::vector<TPersistent*> objects;
    for (int i = 0; i < selection.GetCount(); ++i) {
        TPersistent* object = selection.GetItem(i);
        if (object == nullptr || object->ClassName() != first.ClassName()) return;
        objects.push_back(object);
    }
    for (const TPropInfo& propInfo : first.PublishedProperties()) {
        if ((kinds & KindBit(propInfo.Kind)) == 0) continue;
        std::unique_ptr<TPropertyEditor> editor = CreatePropertyEditor(first, propInfo);
        editor->Initialize(designer, objects, propInfo);
        proc(std::move(editor));
    }
}

}  // namespace zan::platform
