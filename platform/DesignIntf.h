// Designer services: the component palette, property editors and their bindings, the
// selection list and the form designer that a property inspector works through.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Components.h>
#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Persistent.h>

namespace zan::platform {

class TFormDesigner;
class TPropertyEditor;

// ---------------------------------------------------------------------------------------
// Component palette

struct TPaletteEntry {
    std::string Page;
    TComponentClass ComponentClass;
};

// Puts Classes on the palette page Page, after those already there, and registers them
// for form files (RegisterClass). A class already on the palette stays where it is.
void RegisterComponents(const std::string& page, const std::vector<TComponentClass>& classes);
// Every palette entry in registration order.
const std::vector<TPaletteEntry>& PaletteEntries();

// ---------------------------------------------------------------------------------------
// The objects a designer works on

// The components (or sub-objects such as a control's font) that a designer selects.
class TDesignerSelectionList {
public:
    void Add(TPersistent* item) { FItems.push_back(item); }
    int GetCount() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index outside 0..count-1.
    TPersistent* GetItem(int index) const;

private:
    std::vector<TPersistent*> FItems;
};

// The designer of one form. It is shared (std::shared_ptr): property editors hold it for
// the time they work, and the inspector hears through OnSelectionChanged when the
// selection changes, which is when it rebuilds its rows.
class TFormDesigner : public std::enable_shared_from_this<TFormDesigner> {
public:
    explicit TFormDesigner(TComponent& root) : FRoot(&root) {}

    TComponent& GetRoot() const { return *FRoot; }
    // Selects Item alone, or nothing for null.
    void SelectComponent(TPersistent* item);
    const TDesignerSelectionList& GetSelection() const { return FSelection; }
    // Called after the selection changed.
    void SetOnSelectionChanged(std::function<void()> handler) { FOnSelectionChanged = std::move(handler); }

private:
    TComponent* FRoot;
    TDesignerSelectionList FSelection;
    std::function<void()> FOnSelectionChanged;
};

// ---------------------------------------------------------------------------------------
// Property editors

enum TPropertyAttribute : std::uint8_t {
    paValueList = 1,      // offers a list of values (GetValues)
    paSubProperties = 2,  // expands into the properties of its value (GetProperties)
    paDialog = 4,         // edits through a dialog of its own
    paMultiSelect = 8,    // edits a multiple selection
    paSortList = 16,      // the inspector sorts the value list
    paReadOnly = 32,      // cannot be typed into
};
using TPropertyAttributes = std::uint8_t;

using TGetStrProc = std::function<void(const std::string& value)>;
using TGetPropEditProc = std::function<void(std::unique_ptr<TPropertyEditor> editor)>;

// Edits one published property of the selected objects. The designer services create
// an editor for a property and give it the objects and the form designer; GetComponent(0)
// is the first selected object, the one whose value the editor shows.
class TPropertyEditor {
public:
    TPropertyEditor() = default;
    TPropertyEditor(const TPropertyEditor&) = delete;
    TPropertyEditor& operator=(const TPropertyEditor&) = delete;
    virtual ~TPropertyEditor() = default;

    void Initialize(std::shared_ptr<TFormDesigner> designer, std::vector<TPersistent*> components,
                    const TPropInfo& propInfo);

    // paReadOnly for a property without a setter; nothing else.
    virtual TPropertyAttributes GetAttributes();
    // The property's text for the first selected object.
    virtual std::string GetValue();
    // Sets the property of every selected object from Text; raises what its setter raises.
    virtual void SetValue(const std::string& value);
    // Nothing by default.
    virtual void GetValues(const TGetStrProc& proc);
    // Nothing by default.
    virtual void GetProperties(const TGetPropEditProc& proc);

    const std::string& GetName() const { return FPropInfo->Name; }
    const TPropInfo& GetPropInfo() const { return *FPropInfo; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError for an index outside 0..count-1.
    TPersistent* GetComponent(int index) const;
    const std::shared_ptr<TFormDesigner>& GetDesigner() const { return FDesigner; }

private:
    std::shared_ptr<TFormDesigner> FDesigner;
    std::vector<TPersistent*> FComponents;
    const TPropInfo* FPropInfo = nullptr;
};

// Strings, typed in as they stand.
class TStringProperty : public TPropertyEditor {};

// Enumerations and booleans: their value names, in ordinal order.
class TEnumProperty : public TPropertyEditor {
public:
    TPropertyAttributes GetAttributes() override;
    void GetValues(const TGetStrProc& proc) override;
};

// Objects of their own (a font, margins): shown as "(<class>)" and expanded into their
// own properties.
class TClassProperty : public TPropertyEditor {
public:
    TPropertyAttributes GetAttributes() override;
    void GetProperties(const TGetPropEditProc& proc) override;
};

// References to other components: the names of the root's components of a fitting class.
class TComponentProperty : public TPropertyEditor {
public:
    TPropertyAttributes GetAttributes() override;
    void GetValues(const TGetStrProc& proc) override;
    // An empty text clears the reference; a name that no component of the root bears
    // raises EConvertError.
    void SetValue(const std::string& value) override;
};

// A factory of property editors of one class; two bindings of the same factory are one.
using TPropertyEditorClass = std::unique_ptr<TPropertyEditor> (*)();

template <class E>
TPropertyEditorClass PropertyEditorClass() {
    return []() -> std::unique_ptr<TPropertyEditor> { return std::make_unique<E>(); };
}

// A class that a binding applies to, descendants included.
struct TOwnerClassInfo {
    bool (*IsInstance)(const TPersistent& object);
};
using TOwnerClass = const TOwnerClassInfo*;

template <class T>
TOwnerClass OwnerClass() {
    static const TOwnerClassInfo info{[](const TPersistent& o) { return dynamic_cast<const T*>(&o) != nullptr; }};
    return &info;
}

// Binds Editor to properties of kind Kind; with OwnerClass only to the properties of
// objects of that class (descendants included), with a non-empty PropertyName only to
// properties of that name (letter case ignored). The most specific binding wins: a name
// counts more than an owner class, and among equals the later binding. Binding the same
// editor the same way again changes nothing.
void RegisterPropertyEditor(TTypeKind kind, TOwnerClass ownerClass, const std::string& propertyName,
                            TPropertyEditorClass editor);

// The editor for property PropInfo of Object: the binding that fits best, else the
// default editor for the property's kind.
std::unique_ptr<TPropertyEditor> CreatePropertyEditor(const TPersistent& object, const TPropInfo& propInfo);

// A set of property kinds, bit n for TTypeKind n.
using TTypeKinds = std::uint32_t;
constexpr TTypeKinds KindBit(TTypeKind kind) { return TTypeKinds{1} << static_cast<unsigned>(kind); }
inline constexpr TTypeKinds tkProperties = KindBit(TTypeKind::tkInteger) | KindBit(TTypeKind::tkFloat) |
                                           KindBit(TTypeKind::tkString) | KindBit(TTypeKind::tkBoolean) |
                                           KindBit(TTypeKind::tkEnumeration) | KindBit(TTypeKind::tkClass) |
                                           KindBit(TTypeKind::tkSet);
inline constexpr TTypeKinds tkAny = tkProperties | KindBit(TTypeKind::tkMethod);

// Calls Proc with an editor for every published property of a kind in Kinds, in published
// order. The selected objects must all be of one class; a mixed selection gives none.
void GetComponentProperties(const TDesignerSelectionList& selection, TTypeKinds kinds,
                            const std::shared_ptr<TFormDesigner>& designer, const TGetPropEditProc& proc);

}  // namespace zan::platform
