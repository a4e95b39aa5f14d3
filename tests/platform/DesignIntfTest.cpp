#include <zanbarcode/platform/DesignIntf.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Forms.h>

#include "DesignerTestClasses.h"

namespace zan::platform {
namespace {

using zantest::TGadget;
using zantest::TSpecialGadget;

// Editors that tell which binding chose them.
class TKindEditor : public TPropertyEditor {
public:
    std::string GetValue() override { return "kind"; }
};
class TOwnerEditor : public TPropertyEditor {
public:
    std::string GetValue() override { return "owner"; }
};
class TNameEditor : public TPropertyEditor {
public:
    std::string GetValue() override { return "name"; }
};

// Every editor that GetComponentProperties hands out for Object, by property name.
std::vector<std::unique_ptr<TPropertyEditor>> EditorsOf(TPersistent& object, TTypeKinds kinds,
                                                        const std::shared_ptr<TFormDesigner>& designer = nullptr) {
    TDesignerSelectionList selection;
    selection.Add(&object);
    std::vector<std::unique_ptr<TPropertyEditor>> editors;
    GetComponentProperties(selection, kinds, designer,
                           [&editors](std::unique_ptr<TPropertyEditor> e) { editors.push_back(std::move(e)); });
    return editors;
}

std::vector<std::string> NamesOf(const std::vector<std::unique_ptr<TPropertyEditor>>& editors) {
    std::vector<std::string> names;
    for (const auto& e : editors) names.push_back(e->GetName());
    return names;
}

TPropertyEditor& EditorNamed(std::vector<std::unique_ptr<TPropertyEditor>>& editors, const std::string& name) {
    for (auto& e : editors)
        if (e->GetName() == name) return *e;
    throw Exception("no editor " + name);
}

TEST(DesignIntfTest, PaletteKeepsPagesAndOrderAndTakesAClassOnce) {
    RegisterComponents("Gadgets", {ComponentClass<TGadget>()});
    RegisterComponents("Standard", {ComponentClass<TForm>(), ComponentClass<TGadget>()});
    const std::vector<TPaletteEntry>& palette = PaletteEntries();
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette[0].Page, "Gadgets");
    EXPECT_EQ(palette[0].ComponentClass, ComponentClass<TGadget>());
    EXPECT_EQ(palette[1].Page, "Standard");
    EXPECT_EQ(palette[1].ComponentClass->ClassName(), "TForm");
}

TEST(DesignIntfTest, PropertyKindsAreFilteredInPublishedOrder) {
    TGadget gadget(nullptr);
    EXPECT_EQ(
        NamesOf(EditorsOf(gadget, tkProperties)),
        (std::vector<std::string>{"Name", "Tag", "Label", "Count", "Shape", "Enabled", "Frame", "Buddy", "Serial"}));
    EXPECT_EQ(NamesOf(EditorsOf(gadget, KindBit(TTypeKind::tkMethod))), (std::vector<std::string>{"OnPing"}));
    EXPECT_EQ(NamesOf(EditorsOf(gadget, KindBit(TTypeKind::tkEnumeration) | KindBit(TTypeKind::tkBoolean))),
              (std::vector<std::string>{"Shape", "Enabled"}));
}

TEST(DesignIntfTest, DefaultEditorsFollowThePropertyKind) {
    TComponent root(nullptr);
    auto* gadget = new TGadget(&root);
    gadget->SetName("Gadget1");
    auto designer = std::make_shared<TFormDesigner>(root);
    auto editors = EditorsOf(*gadget, tkProperties, designer);

    EXPECT_NE(dynamic_cast<TStringProperty*>(&EditorNamed(editors, "Label")), nullptr);
    EXPECT_EQ(EditorNamed(editors, "Label").GetAttributes(), 0);
    EXPECT_EQ(EditorNamed(editors, "Serial").GetAttributes(), paReadOnly);
    EXPECT_EQ(EditorNamed(editors, "Shape").GetAttributes() & paValueList, paValueList);
    EXPECT_EQ(EditorNamed(editors, "Frame").GetAttributes(), paSubProperties | paReadOnly);
    EXPECT_EQ(EditorNamed(editors, "Frame").GetValue(), "(TFrame)");

    std::vector<std::string> booleans;
    EditorNamed(editors, "Enabled").GetValues([&booleans](const std::string& v) { booleans.push_back(v); });
    EXPECT_EQ(booleans, (std::vector<std::string>{"False", "True"}));

    // The frame's own properties, edited on the frame object.
    std::vector<std::unique_ptr<TPropertyEditor>> frame;
    EditorNamed(editors, "Frame").GetProperties([&frame](std::unique_ptr<TPropertyEditor> e) {
        frame.push_back(std::move(e));
    });
    ASSERT_EQ(NamesOf(frame), (std::vector<std::string>{"Width", "Style"}));
    EXPECT_EQ(frame[0]->GetComponent(0), &gadget->Frame);
    frame[0]->SetValue("4");
    EXPECT_EQ(gadget->Frame.Width, 4);
    EXPECT_EQ(frame[0]->GetDesigner(), designer);
}

TEST(DesignIntfTest, AComponentReferenceOffersAndTakesTheRootsComponentsByName) {
    TComponent root(nullptr);
    auto* first = new TGadget(&root);
    first->SetName("First");
    auto* second = new TGadget(&root);
    second->SetName("Second");
    auto editors = EditorsOf(*first, tkProperties, std::make_shared<TFormDesigner>(root));
    TPropertyEditor& buddy = EditorNamed(editors, "Buddy");

    std::vector<std::string> names;
    buddy.GetValues([&names](const std::string& v) { names.push_back(v); });
    EXPECT_EQ(names, (std::vector<std::string>{"Second"}));
    buddy.SetValue("Second");
    EXPECT_EQ(first->Buddy, second);
    EXPECT_EQ(buddy.GetValue(), "Second");
    EXPECT_THROW(buddy.SetValue("Third"), EConvertError);
    EXPECT_EQ(first->Buddy, second);
    buddy.SetValue("");
    EXPECT_EQ(first->Buddy, nullptr);
}

// Float properties belong to these classes alone, so that their bindings touch no other test.
template <const char* ClassNameText>
class TFloats : public TPersistent {
public:
    std::string ClassName() const override { return ClassNameText; }
    const TPropList& PublishedProperties() const override {
        using M = TFloats;
        static const TPropList list = {
            FloatProperty<M>(
                "Scale", [](const M& m) { return m.Scale; }, [](M& m, double v) { m.Scale = v; }),
            FloatProperty<M>(
                "Offset", [](const M& m) { return m.Offset; }, [](M& m, double v) { m.Offset = v; }),
        };
        return list;
    }
    double Scale = 1;
    double Offset = 0;
};
constexpr char meterName[] = "TMeter";
constexpr char dialName[] = "TDial";
using TMeter = TFloats<meterName>;
using TDial = TFloats<dialName>;
class TPreciseMeter : public TMeter {
public:
    std::string ClassName() const override { return "TPreciseMeter"; }
};

TEST(DesignIntfTest, TheMostSpecificBindingWinsAndCoversDescendants) {
    // Registered from the most specific to the least, so that order cannot decide.
    RegisterPropertyEditor(TTypeKind::tkFloat, OwnerClass<TMeter>(), "scale", PropertyEditorClass<TNameEditor>());
    RegisterPropertyEditor(TTypeKind::tkFloat, OwnerClass<TMeter>(), "", PropertyEditorClass<TOwnerEditor>());
    RegisterPropertyEditor(TTypeKind::tkFloat, nullptr, "", PropertyEditorClass<TKindEditor>());

    TPreciseMeter precise;
    auto editors = EditorsOf(precise, tkProperties);
    EXPECT_EQ(EditorNamed(editors, "Scale").GetValue(), "name");
    EXPECT_EQ(EditorNamed(editors, "Offset").GetValue(), "owner");
    TDial dial;
    auto dialEditors = EditorsOf(dial, tkProperties);
    EXPECT_EQ(EditorNamed(dialEditors, "Scale").GetValue(), "kind");
    EXPECT_EQ(EditorNamed(dialEditors, "Offset").GetValue(), "kind");
}

TEST(DesignIntfTest, BindingTheSameEditorAgainChangesNothing) {
    RegisterPropertyEditor(TTypeKind::tkFloat, OwnerClass<TDial>(), "Offset", PropertyEditorClass<TNameEditor>());
    RegisterPropertyEditor(TTypeKind::tkFloat, OwnerClass<TDial>(), "Offset", PropertyEditorClass<TOwnerEditor>());
    // A second, different binding of equal rank: the later wins.
    TDial dial;
    auto editors = EditorsOf(dial, tkProperties);
    EXPECT_EQ(EditorNamed(editors, "Offset").GetValue(), "owner");
    // Binding the first again does not move it behind the second.
    RegisterPropertyEditor(TTypeKind::tkFloat, OwnerClass<TDial>(), "Offset", PropertyEditorClass<TNameEditor>());
    editors = EditorsOf(dial, tkProperties);
    EXPECT_EQ(EditorNamed(editors, "Offset").GetValue(), "owner");
}

TEST(DesignIntfTest, TheSelectionListCountsAndRefusesBadIndices) {
    TGadget a(nullptr), b(nullptr);
    TDesignerSelectionList list;
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetItem(1), &b);
    EXPECT_THROW(list.GetItem(2), EListError);
    EXPECT_THROW(list.GetItem(-1), EListError);
}

TEST(DesignIntfTest, AMixedSelectionShowsNoProperties) {
    TGadget gadget(nullptr);
    TComponent plain(nullptr);
    TDesignerSelectionList selection;
    selection.Add(&gadget);
    selection.Add(&plain);
    int count = 0;
    GetComponentProperties(selection, tkAny, nullptr, [&count](std::unique_ptr<TPropertyEditor>) { ++count; });
    EXPECT_EQ(count, 0);
}

TEST(DesignIntfTest, AMultipleSelectionIsEditedTogether) {
    TGadget a(nullptr), b(nullptr);
    TDesignerSelectionList selection;
    selection.Add(&a);
    selection.Add(&b);
    std::vector<std::unique_ptr<TPropertyEditor>> editors;
    GetComponentProperties(selection, tkProperties, nullptr,
                           [&editors](std::unique_ptr<TPropertyEditor> e) { editors.push_back(std::move(e)); });
    TPropertyEditor& label = EditorNamed(editors, "Label");
    EXPECT_EQ(label.GetComponentCount(), 2);
    label.SetValue("both");
    EXPECT_EQ(a.Label, "both");
    EXPECT_EQ(b.Label, "both");
    EXPECT_THROW(label.GetComponent(2), EListError);
}

TEST(DesignIntfTest, TheDesignerSelectsNoneAndOneAgainAndSaysSo) {
    TComponent root(nullptr);
    auto* gadget = new TGadget(&root);
    auto designer = std::make_shared<TFormDesigner>(root);
    int changes = 0;
    designer->SetOnSelectionChanged([&changes] { ++changes; });
    designer->SelectComponent(gadget);
    EXPECT_EQ(designer->GetSelection().GetCount(), 1);
    designer->SelectComponent(nullptr);
    EXPECT_EQ(designer->GetSelection().GetCount(), 0);
    designer->SelectComponent(gadget);
    ASSERT_EQ(designer->GetSelection().GetCount(), 1);
    EXPECT_EQ(designer->GetSelection().GetItem(0), gadget);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(&designer->GetRoot(), &root);
}

}  // namespace
}  // namespace zan::platform
