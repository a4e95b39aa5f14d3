#include <gtest/gtest.h>

#include <any>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Persistent.h>

namespace zan::platform {
namespace {

class TA : public TPersistent {
public:
    std::string ClassName() const override { return "TA"; }
};

class TB : public TPersistent {
public:
    std::string ClassName() const override { return "TB"; }
};

enum TShape : std::uint8_t { shSquare, shCircle, shTriangle };

// One published property of each kind, with an indexed pair behind two of them.
class TSample : public TPersistent {
public:
    std::string ClassName() const override { return "TSample"; }

    int Count = 1;
    double Ratio = 0.5;
    std::string Title = "Sample";
    bool Visible = true;
    TShape Shape = shSquare;
    std::array<int, 2> Margins = {5, 7};
    TA Child;

    int GetMargin(int index) const { return Margins[static_cast<std::size_t>(index)]; }
    void SetMargin(int index, int value) { Margins[static_cast<std::size_t>(index)] = value; }

    const TPropList& PublishedProperties() const override {
        static const TPropList properties = {
            WithDefault(IntegerProperty<TSample>(
                            "Count", [](const TSample& s) { return s.Count; },
                            [](TSample& s, std::int64_t v) { s.Count = static_cast<int>(v); }),
                        "1"),
            FloatProperty<TSample>(
                "Ratio", [](const TSample& s) { return s.Ratio; }, [](TSample& s, double v) { s.Ratio = v; }),
            StringProperty<TSample>(
                "Title", [](const TSample& s) { return s.Title; },
                [](TSample& s, const std::string& v) { s.Title = v; }),
            BooleanProperty<TSample>(
                "Visible", [](const TSample& s) { return s.Visible; }, [](TSample& s, bool v) { s.Visible = v; }),
            EnumerationProperty<TSample>(
                "Shape", {"shSquare", "shCircle", "shTriangle"}, [](const TSample& s) { return s.Shape; },
                [](TSample& s, int v) { s.Shape = static_cast<TShape>(v); }),
            IntegerProperty<TSample>(
                "LeftMargin", [](const TSample& s) { return s.GetMargin(0); },
                [](TSample& s, std::int64_t v) { s.SetMargin(0, static_cast<int>(v)); }),
            IntegerProperty<TSample>(
                "RightMargin", [](const TSample& s) { return s.GetMargin(1); },
                [](TSample& s, std::int64_t v) { s.SetMargin(1, static_cast<int>(v)); }),
            ObjectProperty<TSample>("Child", [](TSample& s) -> TPersistent* { return &s.Child; }),
        };
        return properties;
    }
};

TEST(PersistentTest, PropertiesReadAndWriteTheirTextForms) {
    // Text forms as form files store them: decimal integers, shortest floats,
    // "True"/"False", enumeration value names.
    struct TCase {
        std::string name;
        std::string text;
        std::string readBack;
    };
    const TCase cases[] = {
        {.name = "Count", .text = "42", .readBack = "42"},
        {.name = "Count", .text = "+3", .readBack = "3"},
        {.name = "Count", .text = "-8", .readBack = "-8"},
        {.name = "Ratio", .text = "0.25", .readBack = "0.25"},
        {.name = "Ratio", .text = "1e3", .readBack = "1000"},
        {.name = "Title", .text = "Caf\xE9", .readBack = "Caf\xE9"},
        {.name = "Visible", .text = "false", .readBack = "False"},
        {.name = "Visible", .text = "1", .readBack = "True"},
        {.name = "Shape", .text = "SHCIRCLE", .readBack = "shCircle"},
        {.name = "LeftMargin", .text = "11", .readBack = "11"},
        {.name = "RightMargin", .text = "13", .readBack = "13"},
    };
    for (const TCase& c : cases) {
        TSample sample;
        const TPropInfo* property = sample.FindProperty(c.name);
        ASSERT_NE(property, nullptr) << c.name;
        property->SetValue(sample, c.text);
        EXPECT_EQ(property->GetValue(sample), c.readBack) << c.name << " = " << c.text;
    }
}

TEST(PersistentTest, IndexedPairWritesItsOwnSlot) {
    TSample sample;
    sample.FindProperty("RightMargin")->SetValue(sample, "20");
    EXPECT_EQ(sample.Margins[0], 5);
    EXPECT_EQ(sample.Margins[1], 20);
    EXPECT_EQ(sample.FindProperty("LeftMargin")->GetValue(sample), "5");
}

TEST(PersistentTest, EnumerationListsItsNamesInOrdinalOrder) {
    TSample sample;
    const TPropInfo* shape = sample.FindProperty("Shape");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Kind, TTypeKind::tkEnumeration);
    EXPECT_EQ(shape->EnumNames, (std::vector<std::string>{"shSquare", "shCircle", "shTriangle"}));
    sample.Shape = shTriangle;
    EXPECT_EQ(shape->GetValue(sample), "shTriangle");
}

TEST(PersistentTest, FindPropertyIgnoresLetterCase) {
    TSample sample;
    const TPropInfo* property = sample.FindProperty("tItLe");
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->Name, "Title");
    EXPECT_EQ(sample.FindProperty("Titles"), nullptr);
    EXPECT_EQ(sample.FindProperty(""), nullptr);
    EXPECT_EQ(TA().FindProperty("Title"), nullptr);
}

TEST(PersistentTest, PropertiesKeepDeclarationOrderAndKinds) {
    const TSample sample;
    const TPropList& properties = sample.PublishedProperties();
    const std::pair<std::string, TTypeKind> expected[] = {
        {"Count", TTypeKind::tkInteger},       {"Ratio", TTypeKind::tkFloat},
        {"Title", TTypeKind::tkString},        {"Visible", TTypeKind::tkBoolean},
        {"Shape", TTypeKind::tkEnumeration},   {"LeftMargin", TTypeKind::tkInteger},
        {"RightMargin", TTypeKind::tkInteger}, {"Child", TTypeKind::tkClass},
    };
    ASSERT_EQ(properties.size(), std::size(expected));
    for (std::size_t i = 0; i < properties.size(); ++i) {
        EXPECT_EQ(properties[i].Name, expected[i].first);
        EXPECT_EQ(properties[i].Kind, expected[i].second) << expected[i].first;
    }
}

TEST(PersistentTest, BadTextRaisesConvertErrorAndKeepsTheValue) {
    struct TCase {
        std::string name;
        std::string text;
        std::string before;
    };
    const TCase cases[] = {
        {.name = "Count", .text = "", .before = "1"},
        {.name = "Count", .text = "12a", .before = "1"},
        {.name = "Count", .text = " 12", .before = "1"},
        {.name = "Count", .text = "99999999999999999999", .before = "1"},
        {.name = "Ratio", .text = "half", .before = "0.5"},
        {.name = "Visible", .text = "yes", .before = "True"},
        {.name = "Shape", .text = "shHexagon", .before = "shSquare"},
        {.name = "LeftMargin", .text = "1.5", .before = "5"},
    };
    for (const TCase& c : cases) {
        TSample sample;
        const TPropInfo* property = sample.FindProperty(c.name);
        ASSERT_NE(property, nullptr) << c.name;
        EXPECT_THROW(property->SetValue(sample, c.text), EConvertError) << c.name << " = " << c.text;
        EXPECT_EQ(property->GetValue(sample), c.before) << c.name;
    }
}

TEST(PersistentTest, ReadOnlyPropertyRefusesValues) {
    TSample sample;
    const TPropInfo* child = sample.FindProperty("Child");
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsReadOnly());
    EXPECT_THROW(child->SetValue(sample, "x"), EConvertError);
}

TEST(PersistentTest, ObjectPropertyExposesItsObject) {
    TSample sample;
    const TPropInfo* child = sample.FindProperty("Child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetObject(sample), &sample.Child);
    EXPECT_EQ(child->GetValue(sample), "(TA)");
}

TEST(PersistentTest, DefaultValueIsNotStored) {
    TSample sample;
    const TPropInfo* count = sample.FindProperty("Count");
    ASSERT_NE(count, nullptr);
    EXPECT_TRUE(count->HasDefault);
    EXPECT_EQ(count->Default, "1");
    EXPECT_FALSE(count->ShouldStore(sample));
    sample.Count = 2;
    EXPECT_TRUE(count->ShouldStore(sample));

    // Without a default every value is stored.
    const TPropInfo* title = sample.FindProperty("Title");
    ASSERT_NE(title, nullptr);
    EXPECT_FALSE(title->HasDefault);
    EXPECT_TRUE(title->ShouldStore(sample));
}

TEST(PersistentTest, IsStoredOverridesTheDefault) {
    TSample sample;
    TPropInfo ratio = *sample.FindProperty("Ratio");
    ratio.IsStored = [](const TPersistent& o) { return static_cast<const TSample&>(o).Visible; };
    EXPECT_TRUE(ratio.ShouldStore(sample));
    sample.Visible = false;
    EXPECT_FALSE(ratio.ShouldStore(sample));
}

TEST(PersistentTest, AssignWithoutSupportNamesBothClasses) {
    TA a;
    TB b;
    try {
        b.Assign(a);
        FAIL() << "Assign of a TA to a TB succeeded";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TA to a TB.");
    }
}

// A class that knows how to copy itself into a TB.
class TExporter : public TPersistent {
public:
    std::string ClassName() const override { return "TExporter"; }
    TPersistent* AssignedTo = nullptr;
    void AssignTo(TPersistent& dest) override {
        if (dynamic_cast<TB*>(&dest)) {
            AssignedTo = &dest;
            return;
        }
        TPersistent::AssignTo(dest);
    }
};

TEST(PersistentTest, AssignAsksTheSourceToAssignItself) {
    TExporter exporter;
    TB b;
    b.Assign(exporter);
    EXPECT_EQ(exporter.AssignedTo, &b);

    TA a;
    try {
        a.Assign(exporter);
        FAIL() << "Assign of a TExporter to a TA succeeded";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TExporter to a TA.");
    }
}

TEST(PersistentTest, IntegerValueRefusesWhatItsTypeCannotHold) {
    EXPECT_EQ(IntegerValue<std::int32_t>(-2147483648), INT32_MIN);
    EXPECT_EQ(IntegerValue<std::uint32_t>(4294967295), UINT32_MAX);
    EXPECT_EQ(IntegerValue<std::uint8_t>(255), 255);
    struct Case {
        std::int64_t value;
        std::string message;
    };
    const Case int32Cases[] = {
        {.value = 2147483648, .message = "Value 2147483648 must be between -2147483648 and 2147483647"},
        {.value = INT64_MIN, .message = "Value -9223372036854775808 must be between -2147483648 and 2147483647"},
    };
    for (const Case& c : int32Cases) {
        try {
            IntegerValue<std::int32_t>(c.value);
            ADD_FAILURE() << "accepted " << c.value;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_THROW(IntegerValue<std::uint32_t>(-1), EConvertError);
    EXPECT_THROW(IntegerValue<std::uint8_t>(256), EConvertError);
}

TEST(PersistentTest, TextConversionsRoundTrip) {
    EXPECT_EQ(FloatToText(0.1), "0.1");  // shortest form that reads back as the same double
    EXPECT_EQ(TextToFloat(FloatToText(1.0 / 3.0)), 1.0 / 3.0);
    EXPECT_EQ(IntegerToText(-9223372036854775807 - 1), "-9223372036854775808");
    EXPECT_EQ(TextToInteger("-9223372036854775808"), -9223372036854775807 - 1);
    EXPECT_EQ(BooleanToText(false), "False");
    EXPECT_TRUE(TextToBoolean("TRUE"));
    EXPECT_FALSE(TextToBoolean("0"));
    EXPECT_EQ(EnumerationOrdinal({"a", "b"}, "B"), 1);
    EXPECT_THROW(EnumerationOrdinal({"a", "b"}, "c"), EConvertError);
}

TEST(PersistentTest, SetsReadAndWriteTheirElementNames) {
    const std::vector<std::string> sides = {"sdLeft", "sdTop", "sdRight", "sdBottom"};
    struct TCase {
        std::string text;
        std::uint32_t bits;
        std::string written;  // the text form of Bits
    };
    // Elements in element order whatever the order read, letter case and spaces ignored.
    const TCase cases[] = {
        {.text = "[]", .bits = 0, .written = "[]"},
        {.text = "[sdLeft, sdTop]", .bits = 0b0011, .written = "[sdLeft, sdTop]"},
        {.text = " [ SDBOTTOM ,sdleft ] ", .bits = 0b1001, .written = "[sdLeft, sdBottom]"},
        {.text = "[sdRight,sdRight]", .bits = 0b0100, .written = "[sdRight]"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TextToSet(c.text, sides), c.bits) << c.text;
        EXPECT_EQ(SetToText(c.bits, sides), c.written) << c.text;
    }
    for (const char* bad : {"", "sdLeft", "[sdLeft", "[sdMiddle]", "[sdLeft,]", "[,sdLeft]", "[sdLeft,,sdTop]"})
        EXPECT_THROW(TextToSet(bad, sides), EConvertError) << bad;
}

TEST(PersistentTest, NamedIntegersWriteTheirNames) {
    const TIdentMap idents = {{-1, "vaNone"}, {0, "vaZero"}};
    EXPECT_EQ(IdentOrIntegerToText(-1, idents), "vaNone");
    EXPECT_EQ(IdentOrIntegerToText(7, idents), "7");
    EXPECT_EQ(TextToIdentOrInteger("VAZERO", idents), 0);
    EXPECT_EQ(TextToIdentOrInteger("-12", idents), -12);
    EXPECT_THROW(TextToIdentOrInteger("vaSome", idents), EConvertError);
}

// Events: a handler published under a name tells its name; others do not.
class TButtonLike : public TPersistent {
public:
    std::string ClassName() const override { return "TButtonLike"; }
    TNotifyEvent OnPress;
    const TPropList& PublishedProperties() const override {
        static const TPropList properties = {EventProperty("OnPress", &TButtonLike::OnPress)};
        return properties;
    }
};

TEST(PersistentTest, EventsCarryTheNameOfTheirPublishedHandler) {
    TButtonLike button;
    const TPropInfo* press = button.FindProperty("OnPress");
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->Kind, TTypeKind::tkMethod);
    EXPECT_FALSE(press->IsReadOnly());
    EXPECT_FALSE(press->ShouldStore(button)) << "nothing attached";

    int presses = 0;
    button.OnPress = [&](TPersistent*) { ++presses; };
    EXPECT_EQ(press->GetValue(button), "") << "a callable without a published name";
    EXPECT_FALSE(press->ShouldStore(button));

    press->SetHandler(
        button,
        std::any(TNotifyEvent(TMethod<void(TPersistent*)>{"ButtonPressed", [&](TPersistent*) { presses += 10; }})));
    button.OnPress(&button);
    EXPECT_EQ(presses, 10);
    EXPECT_EQ(press->GetValue(button), "ButtonPressed");
    EXPECT_TRUE(press->ShouldStore(button));
    EXPECT_EQ(MethodName(std::any_cast<TNotifyEvent>(press->GetHandler(button))), "ButtonPressed");

    // A handler of another signature does not fit, and the event keeps its handler.
    const std::function<void(int)> other = [](int) {};
    EXPECT_THROW(press->SetHandler(button, std::any(other)), EConvertError);
    EXPECT_EQ(press->GetValue(button), "ButtonPressed");
    EXPECT_THROW(press->SetValue(button, "ButtonPressed"), EConvertError) << "a handler is not set from text";

    press->SetHandler(button, std::any());
    EXPECT_FALSE(button.OnPress);
}

}  // namespace
}  // namespace zan::platform
