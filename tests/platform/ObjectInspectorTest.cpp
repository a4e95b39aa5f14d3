#include <zanbarcode/platform/ObjectInspector.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DesignerTestClasses.h"

namespace zan::platform {
namespace {

using zantest::TGadget;
using zantest::TSpecialGadget;

// Like an editor that replaces an object: it selects nothing and then the component
// again, so that the inspector shows the rows afresh.
class TReselectingEditor : public TStringProperty {
public:
    void SetValue(const std::string& value) override {
        const std::shared_ptr<TFormDesigner> designer = GetDesigner();
        TPersistent* component = GetComponent(0);
        TStringProperty::SetValue(value);
        designer->SelectComponent(nullptr);
        designer->SelectComponent(component);
    }
};

class ObjectInspectorTest : public ::testing::Test {
protected:
    ObjectInspectorTest() {
        gadget->SetName("Gadget1");
        other->SetName("Gadget2");
    }

    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const TInspectorRow& row : inspector.GetRows()) paths.push_back(row.Path);
        return paths;
    }

    TComponent root{nullptr};
    TGadget* gadget = new TGadget(&root);
    TGadget* other = new TGadget(&root);
    std::shared_ptr<TFormDesigner> designer = std::make_shared<TFormDesigner>(root);
    TObjectInspector inspector{designer};
};

TEST_F(ObjectInspectorTest, NothingSelectedShowsNoRows) { EXPECT_TRUE(inspector.GetRows().empty()); }

TEST_F(ObjectInspectorTest, SelectingAComponentShowsItsPropertiesWithoutEvents) {
    gadget->Label = "left door";
    designer->SelectComponent(gadget);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"Name", "Tag", "Label", "Count", "Shape", "Enabled", "Frame", "Buddy",
                                                 "Serial"}));
    EXPECT_EQ(inspector.GetRow("Name").Value, "Gadget1");
    EXPECT_EQ(inspector.GetRow("Label").Value, "left door");
    EXPECT_EQ(inspector.GetRow("Shape").Value, "gsSquare");
    EXPECT_EQ(inspector.GetRow("Frame").Value, "(TFrame)");
    EXPECT_EQ(inspector.GetRow("Frame").Attributes & paSubProperties, paSubProperties);
    EXPECT_THROW(inspector.GetRow("OnPing"), EListError);
}

TEST_F(ObjectInspectorTest, PickingFromTheListAndTypingChangeTheComponent) {
    designer->SelectComponent(gadget);
    EXPECT_EQ(inspector.GetValueList("Shape"), (std::vector<std::string>{"gsSquare", "gsCircle", "gsArrow"}));
    inspector.SetValue("Shape", "gsArrow");
    EXPECT_EQ(gadget->Shape, 2);
    inspector.SetValue("Count", "12");
    EXPECT_EQ(gadget->Count, 12);
    EXPECT_EQ(inspector.GetRow("Count").Value, "12");
    EXPECT_TRUE(inspector.GetValueList("Label").empty());
}

TEST_F(ObjectInspectorTest, AValueListIsSortedWhenTheEditorAsks) {
    auto* zulu = new TGadget(&root);
    zulu->SetName("Zulu");
    auto* alpha = new TGadget(&root);
    alpha->SetName("Alpha");
    designer->SelectComponent(gadget);
    // The root holds Gadget2, Zulu, Alpha besides the gadget itself, in that order.
    EXPECT_EQ(inspector.GetValueList("Buddy"), (std::vector<std::string>{"Alpha", "Gadget2", "Zulu"}));
}

TEST_F(ObjectInspectorTest, ARejectedValueReachesTheCallerAndTheOldValueStays) {
    designer->SelectComponent(gadget);
    inspector.SetValue("Count", "3");
    EXPECT_THROW(inspector.SetValue("Count", "-1"), EConvertError);
    EXPECT_THROW(inspector.SetValue("Count", "many"), EConvertError);
    EXPECT_EQ(gadget->Count, 3);
    EXPECT_EQ(inspector.GetRow("Count").Value, "3");
}

TEST_F(ObjectInspectorTest, AReadOnlyRowCannotBeTypedInto) {
    designer->SelectComponent(gadget);
    EXPECT_THROW(inspector.SetValue("Serial", "G-2"), EConvertError);
    EXPECT_EQ(gadget->Serial, "G-1");
    EXPECT_THROW(inspector.SetValue("Frame", "(TOther)"), EConvertError);
}

TEST_F(ObjectInspectorTest, ExpandingShowsAndEditsTheSubProperties) {
    designer->SelectComponent(gadget);
    EXPECT_THROW(inspector.Expand("Label"), EConvertError);
    inspector.Expand("Frame");
    EXPECT_EQ(Paths(), (std::vector<std::string>{"Name", "Tag", "Label", "Count", "Shape", "Enabled", "Frame",
                                                 "Frame.Width", "Frame.Style", "Buddy", "Serial"}));
    const TInspectorRow width = inspector.GetRow("Frame.Width");
    EXPECT_EQ(width.Name, "Width");
    EXPECT_EQ(width.Level, 1);
    EXPECT_TRUE(inspector.GetRow("Frame").Expanded);
    inspector.SetValue("Frame.Width", "7");
    EXPECT_EQ(gadget->Frame.Width, 7);
    inspector.SetValue("Frame.Style", "fsDashed");
    EXPECT_EQ(gadget->Frame.Style, 1);

    inspector.Collapse("Frame");
    EXPECT_EQ(Paths().size(), 9u);
    EXPECT_FALSE(inspector.GetRow("Frame").Expanded);
}

TEST_F(ObjectInspectorTest, RowsFollowTheSelectionAndKeepWhatWasOpen) {
    other->Frame.Width = 5;
    designer->SelectComponent(gadget);
    inspector.Expand("Frame");
    designer->SelectComponent(other);
    EXPECT_EQ(inspector.GetRow("Name").Value, "Gadget2");
    EXPECT_EQ(inspector.GetRow("Frame.Width").Value, "5");
}

TEST_F(ObjectInspectorTest, AnEditorThatReselectsGetsFreshRowsAfterItsEdit) {
    RegisterPropertyEditor(TTypeKind::tkString, OwnerClass<TSpecialGadget>(), "Label",
                           PropertyEditorClass<TReselectingEditor>());
    auto* special = new TSpecialGadget(&root);
    special->SetName("Special");
    designer->SelectComponent(special);
    inspector.Expand("Frame");
    inspector.SetValue("Label", "renamed");
    EXPECT_EQ(special->Label, "renamed");
    EXPECT_EQ(inspector.GetRow("Label").Value, "renamed");
    EXPECT_TRUE(inspector.GetRow("Frame").Expanded);
    EXPECT_EQ(inspector.GetRow("Frame.Width").Value, "1");
}

}  // namespace
}  // namespace zan::platform
