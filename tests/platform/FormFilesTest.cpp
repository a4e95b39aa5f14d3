#include <zanbarcode/platform/FormFiles.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <zanbarcode/platform/Controls.h>
#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/Menus.h>

namespace zan::platform {
namespace {

// What the sample classes' setters and Loaded saw, in order.
std::vector<std::string> Log;

enum TShape : std::uint8_t { shSquare, shCircle, shTriangle };

// A nested object with a property that refuses some values.
class TSampleInner : public TPersistent {
public:
    std::string ClassName() const override { return "TSampleInner"; }
    int Width = 0;
    std::string Label;
    const TPropList& PublishedProperties() const override {
        static const TPropList properties = {
            WithDefault(IntegerProperty<TSampleInner>(
                            "Width", [](const TSampleInner& i) { return i.Width; },
                            [](TSampleInner& i, std::int64_t v) {
                                if (v < 0) throw EConvertError("A width cannot be negative");
                                Log.push_back("Inner.Width=" + std::to_string(v));
                                i.Width = static_cast<int>(v);
                            }),
                        "0"),
            StringProperty<TSampleInner>(
                "Label", [](const TSampleInner& i) { return i.Label; },
                [](TSampleInner& i, const std::string& v) { i.Label = v; }),
        };
        return properties;
    }
};

// A component with a published property of every kind. It counts its living instances
// and logs every setter call with the loading state it found.
class TSampleComponent : public TComponent {
public:
    explicit TSampleComponent(TComponent* owner) : TComponent(owner) { ++Living; }
    ~TSampleComponent() override { --Living; }
    static std::string StaticClassName() { return "TSampleComponent"; }
    std::string ClassName() const override { return StaticClassName(); }
    static inline int Living = 0;

    int Count = 0;
    double Ratio = 0;
    std::string Title;
    bool Enabled = true;
    TShape Shape = shSquare;
    std::uint32_t Sides = 0;
    TCursor Cursor = crDefault;
    TSampleInner Inner;
    TSampleComponent* Partner = nullptr;
    TNotifyEvent OnPing;

    void Loaded() override {
        TComponent::Loaded();
        Log.push_back("Loaded " + GetName() + (Partner ? " with partner " + Partner->GetName() : ""));
    }

    const TPropList& PublishedProperties() const override {
        using S = TSampleComponent;
        static const TPropList properties = [this] {
            TPropList list = TComponent::PublishedProperties();
            const auto logged = [](S& s, const std::string& what) {
                Log.push_back(s.GetName() + "." + what + (s.IsLoading() ? " (loading)" : ""));
            };
            list.push_back(WithDefault(IntegerProperty<S>(
                                           "Count", [](const S& s) { return s.Count; },
                                           [logged](S& s, std::int64_t v) {
                                               logged(s, "Count=" + std::to_string(v));
                                               s.Count = static_cast<int>(v);
                                           }),
                                       "0"));
            list.push_back(FloatProperty<S>(
                "Ratio", [](const S& s) { return s.Ratio; }, [](S& s, double v) { s.Ratio = v; }));
            list.push_back(StringProperty<S>(
                "Title", [](const S& s) { return s.Title; },
                [logged](S& s, const std::string& v) {
                    logged(s, "Title=" + v);
                    s.Title = v;
                }));
            list.push_back(
                WithDefault(BooleanProperty<S>(
                                "Enabled", [](const S& s) { return s.Enabled; }, [](S& s, bool v) { s.Enabled = v; }),
                            "True"));
            list.push_back(WithDefault(EnumerationProperty<S>(
                                           "Shape", {"shSquare", "shCircle", "shTriangle"},
                                           [](const S& s) { return static_cast<int>(s.Shape); },
                                           [](S& s, int v) { s.Shape = static_cast<TShape>(v); }),
                                       "shSquare"));
            list.push_back(
                WithDefault(SetTypeProperty<S>(
                                "Sides", {"sdLeft", "sdTop", "sdRight", "sdBottom"}, [](const S& s) { return s.Sides; },
                                [](S& s, std::uint32_t v) { s.Sides = v; }),
                            "[]"));
            list.push_back(WithDefault(IdentIntegerProperty<S>(
                                           "Cursor", CursorIdents(), [](const S& s) { return s.Cursor; },
                                           [](S& s, std::int64_t v) { s.Cursor = static_cast<TCursor>(v); }),
                                       "crDefault"));
            list.push_back(ObjectProperty<S>("Inner", [](S& s) -> TPersistent* { return &s.Inner; }));
            list.push_back(ComponentProperty<S, S>(
                "Partner", [](const S& s) { return s.Partner; },
                [logged](S& s, S* v) {
                    logged(s, "Partner=" + (v ? v->GetName() : std::string("none")));
                    s.Partner = v;
                }));
            list.push_back(EventProperty("OnPing", &S::OnPing));
            return list;
        }();
        return properties;
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == Partner) Partner = nullptr;
    }
};

// A form class that publishes handlers.
class TSampleForm : public TForm {
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {}
    static std::string StaticClassName() { return "TSampleForm"; }
    std::string ClassName() const override { return StaticClassName(); }

    std::vector<std::string> Knocks;
    void SampleKnocked(TPersistent* sender) { Knocks.push_back(static_cast<TComponent*>(sender)->GetName()); }
    void FormResized(TPersistent*) {}
    void Counted(int) {}
    const TMethodList& PublishedMethods() const override {
        static const TMethodList methods = {
            PublishedMethod("SampleKnocked", &TSampleForm::SampleKnocked),
            PublishedMethod("FormResized", &TSampleForm::FormResized),
            PublishedMethod("Counted", &TSampleForm::Counted),
        };
        return methods;
    }
    void Loaded() override {
        TForm::Loaded();
        Log.push_back("Loaded " + GetName());
    }
};

// A windowed container.
class TSamplePanel : public TCustomControl {
public:
    explicit TSamplePanel(TComponent* owner) : TCustomControl(owner) {}
    static std::string StaticClassName() { return "TSamplePanel"; }
    std::string ClassName() const override { return StaticClassName(); }
    const TPropList& PublishedProperties() const override {
        static const TPropList properties = [this] {
            TPropList list = TCustomControl::PublishedProperties();
            for (const char* name : {"Align", "PopupMenu", "Visible"}) list.push_back(PlatformProperty(name));
            return list;
        }();
        return properties;
    }
};

class FormFilesTest : public ::testing::Test {
protected:
    FormFilesTest() {
        RegisterClass(ComponentClass<TSampleComponent>());
        RegisterClass(ComponentClass<TSampleForm>());
        RegisterClass(ComponentClass<TSamplePanel>());
        Log.clear();
    }
};

TEST_F(FormFilesTest, ClassRegistry) {
    EXPECT_EQ(GetClass("tsamplecomponent"), ComponentClass<TSampleComponent>()) << "found ignoring letter case";
    EXPECT_EQ(GetClass("TForm"), ComponentClass<TForm>()) << "the platform's classes are there from the start";
    EXPECT_EQ(FindClass("TPopupMenu"), ComponentClass<TPopupMenu>());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    try {
        FindClass("TNoSuchClass");
        ADD_FAILURE() << "FindClass found TNoSuchClass";
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchClass not found");
    }
    RegisterClass(ComponentClass<TSampleComponent>());  // again: nothing changes

    // Another class under a registered name.
    class TImpostor : public TComponent {
    public:
        using TComponent::TComponent;
        static std::string StaticClassName() { return "TSampleForm"; }
    };
    try {
        RegisterClass(ComponentClass<TImpostor>());
        ADD_FAILURE() << "a second TSampleForm was registered";
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message(), "A class named TSampleForm already exists");
    }
    EXPECT_EQ(GetClass("TSampleForm"), ComponentClass<TSampleForm>());
}

// The text of the form that MakeSampleForm builds, written out by hand from the rules:
// published order, values equal to a stored default left out, nested objects dotted,
// strings quoted with every byte outside printable ASCII as #nnn.
const char* const SampleFormText =
    "object SampleForm1: TSampleForm\n"
    "  Left = 10\n"
    "  Top = 20\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  Caption = 'It''s'\n"
    "  Font.Color = 2147483656\n"  // clWindowText, 0x80000008
    "  Font.Height = -11\n"
    "  Font.Name = 'MS Sans Serif'\n"
    "  Font.Style = 0\n"
    "  OnResize = FormResized\n"
    "  object Alpha: TSampleComponent\n"
    "    Tag = 7\n"
    "    Count = -5\n"
    "    Ratio = 0.25\n"
    "    Title = 'Line 1'#13#10'Line 2 '#128#255\n"
    "    Enabled = False\n"
    "    Shape = shCircle\n"
    "    Sides = [sdLeft, sdBottom]\n"
    "    Cursor = crHandPoint\n"
    "    Inner.Width = 12\n"
    "    Inner.Label = ''\n"
    "    Partner = Beta\n"
    "    OnPing = SampleKnocked\n"
    "  end\n"
    "  object Beta: TSampleComponent\n"
    "    Ratio = 0\n"
    "    Title = #0\n"
    "    Cursor = -100\n"
    "    Inner.Label = 'B'\n"
    "  end\n"
    "end\n";

std::unique_ptr<TSampleForm> MakeSampleForm() {
    auto form = std::make_unique<TSampleForm>(nullptr);
    form->SetName("SampleForm1");
    form->SetCaption("It's");
    form->SetBounds(10, 20, 300, 200);
    form->OnResize = std::any_cast<TNotifyEvent>(form->FindMethod("FormResized")->Bind(*form));
    auto* alpha = new TSampleComponent(form.get());
    alpha->SetName("Alpha");
    auto* beta = new TSampleComponent(form.get());
    beta->SetName("Beta");
    alpha->SetTag(7);
    alpha->Count = -5;
    alpha->Ratio = 0.25;
    alpha->Title = "Line 1\r\nLine 2 \x80\xFF";
    alpha->Enabled = false;
    alpha->Shape = shCircle;
    alpha->Sides = 0b1001;
    alpha->Cursor = crHandPoint;
    alpha->Inner.Width = 12;
    alpha->Partner = beta;
    alpha->OnPing = std::any_cast<TNotifyEvent>(form->FindMethod("SampleKnocked")->Bind(*form));
    beta->Title = std::string(1, '\0');
    beta->Cursor = -100;
    beta->Inner.Label = "B";
    return form;
}

TEST_F(FormFilesTest, WritesPublishedOrderWithoutDefaults) {
    const std::unique_ptr<TSampleForm> form = MakeSampleForm();
    EXPECT_EQ(SaveComponentToText(*form), SampleFormText);
}

TEST_F(FormFilesTest, ReadsBackWhatItWrote) {
    const std::unique_ptr<TComponent> read = CreateComponentFromText(SampleFormText);
    auto* form = dynamic_cast<TSampleForm*>(read.get());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetName(), "SampleForm1");
    EXPECT_EQ(form->GetBoundsRect(), (TRect{10, 20, 310, 220}));
    EXPECT_EQ(form->GetCaption(), "It's");
    EXPECT_FALSE(form->IsLoading());
    auto* alpha = dynamic_cast<TSampleComponent*>(form->FindComponent("Alpha"));
    auto* beta = dynamic_cast<TSampleComponent*>(form->FindComponent("Beta"));
    ASSERT_NE(alpha, nullptr);
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(alpha->GetOwner(), form);
    EXPECT_EQ(alpha->GetTag(), 7);
    EXPECT_EQ(alpha->Count, -5);
    EXPECT_EQ(alpha->Ratio, 0.25);
    EXPECT_EQ(alpha->Title, "Line 1\r\nLine 2 \x80\xFF");
    EXPECT_FALSE(alpha->Enabled);
    EXPECT_EQ(alpha->Shape, shCircle);
    EXPECT_EQ(alpha->Sides, 0b1001u);
    EXPECT_EQ(alpha->Cursor, crHandPoint);
    EXPECT_EQ(alpha->Inner.Width, 12);
    EXPECT_EQ(alpha->Partner, beta);
    EXPECT_EQ(beta->Title, std::string(1, '\0'));
    EXPECT_EQ(beta->Cursor, -100);
    EXPECT_EQ(beta->Inner.Label, "B");

    // The events call the handlers of the form that was read.
    ASSERT_TRUE(alpha->OnPing);
    alpha->OnPing(alpha);
    EXPECT_EQ(form->Knocks, std::vector<std::string>{"Alpha"});
    EXPECT_EQ(MethodName(form->OnResize), "FormResized");

    EXPECT_EQ(SaveComponentToText(*form), SampleFormText);
}

TEST_F(FormFilesTest, EveryByteSurvives) {
    TSampleForm form(nullptr);
    auto* sample = new TSampleComponent(&form);
    sample->SetName("Bytes");
    for (int b = 255; b >= 0; --b) sample->Title += static_cast<char>(b);
    sample->Inner.Label = "''''";
    const std::string text = SaveComponentToText(form);
    for (const char c : text)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << "byte " << int(static_cast<unsigned char>(c));
    const std::unique_ptr<TComponent> read = CreateComponentFromText(text);
    const auto* copy = dynamic_cast<TSampleComponent*>(read->FindComponent("Bytes"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Title, sample->Title);
    EXPECT_EQ(copy->Inner.Label, "''''");
}

TEST_F(FormFilesTest, ReaderTakesTheSpellingsUsersWrite) {
    // Letter case of keywords, names and values; hexadecimal numbers and character
    // codes; strings continued with '+'; CR LF line ends; an unnamed component.
    const std::string text =
        "OBJECT SampleForm1: TSAMPLEFORM\r\n"
        "  object TSampleComponent\r\n"
        "    count = $1F\r\n"
        "    title = 'abc' +\r\n"
        "      #$41'''' + #66\r\n"
        "    shape = SHTRIANGLE\r\n"
        "    sides = [ ]\r\n"
        "    ratio = -1.5e3\r\n"
        "  End\r\n"
        "end";
    const std::unique_ptr<TComponent> read = CreateComponentFromText(text);
    ASSERT_EQ(read->GetComponentCount(), 1);
    const auto* sample = dynamic_cast<TSampleComponent*>(read->GetComponent(0));
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->GetName(), "");
    EXPECT_EQ(sample->Count, 31);
    EXPECT_EQ(sample->Title, "abcA'B");
    EXPECT_EQ(sample->Shape, shTriangle);
    EXPECT_EQ(sample->Ratio, -1500.0);
    EXPECT_NE(SaveComponentToText(*read).find("\n  object TSampleComponent\n"), std::string::npos)
        << "an unnamed component is written without a name";
}

TEST_F(FormFilesTest, PropertiesApplyInFileOrderWhileLoadingThenReferencesThenLoaded) {
    const std::string text =
        "object SampleForm1: TSampleForm\n"
        "  object Sample1: TSampleComponent\n"
        "    Title = 'first'\n"
        "    Count = 2\n"
        "    Partner = Sample2\n"
        "    Inner.Width = 4\n"
        "    Count = 3\n"
        "  end\n"
        "  object Sample2: TSampleComponent\n"
        "    Count = 1\n"
        "  end\n"
        "end\n";
    const std::unique_ptr<TComponent> read = CreateComponentFromText(text);
    EXPECT_EQ(Log, (std::vector<std::string>{
                       "Sample1.Title=first (loading)",
                       "Sample1.Count=2 (loading)",
                       "Inner.Width=4",
                       "Sample1.Count=3 (loading)",
                       "Sample2.Count=1 (loading)",
                       "Sample1.Partner=Sample2 (loading)",  // once every component exists
                       "Loaded SampleForm1",
                       "Loaded Sample1 with partner Sample2",
                       "Loaded Sample2",
                   }));
    EXPECT_FALSE(read->FindComponent("Sample1")->IsLoading());
}

TEST_F(FormFilesTest, ControlsAreWrittenInsideTheirParents) {
    TForm form(nullptr);
    form.SetName("Form1");
    auto* outer = new TSamplePanel(&form);
    outer->SetName("Outer");
    outer->SetParent(&form);
    auto* inner = new TSamplePanel(&form);
    inner->SetName("Inner");
    inner->SetParent(outer);
    inner->SetAlign(alClient);
    auto* menu = new TPopupMenu(&form);
    menu->SetName("Menu1");
    inner->SetPopupMenu(menu);
    const std::string text = SaveComponentToText(form);
    // The menu, which has no parent, comes after the controls, so the reference to it
    // is resolved after the whole file is read.
    EXPECT_EQ(text,
              "object Form1: TForm\n"
              "  Left = 0\n  Top = 0\n  Width = 0\n  Height = 0\n"
              "  Caption = 'Form1'\n"  // the caption follows the name of a new form
              "  Font.Color = 2147483656\n  Font.Height = -11\n  Font.Name = 'MS Sans Serif'\n  Font.Style = 0\n"
              "  object Outer: TSamplePanel\n"
              "    Left = 0\n    Top = 0\n    Width = 0\n    Height = 0\n"
              "    object Inner: TSamplePanel\n"
              "      Left = 0\n      Top = 0\n      Width = 0\n      Height = 0\n"
              "      Align = alClient\n"
              "      PopupMenu = Menu1\n"
              "    end\n"
              "  end\n"
              "  object Menu1: TPopupMenu\n"
              "  end\n"
              "end\n");

    TForm copy(nullptr);
    LoadComponentFromText(copy, text);
    ASSERT_EQ(copy.GetComponentCount(), 3);
    auto* outerCopy = dynamic_cast<TSamplePanel*>(copy.FindComponent("Outer"));
    auto* innerCopy = dynamic_cast<TSamplePanel*>(copy.FindComponent("Inner"));
    ASSERT_NE(innerCopy, nullptr);
    EXPECT_EQ(outerCopy->GetParent(), &copy);
    EXPECT_EQ(innerCopy->GetParent(), outerCopy);
    EXPECT_EQ(innerCopy->GetPopupMenu(), copy.FindComponent("Menu1"));
    EXPECT_EQ(SaveComponentToText(copy), text);
}

TEST_F(FormFilesTest, AReferenceToAComponentWithoutANameCannotBeWritten) {
    TSampleForm form(nullptr);
    auto* a = new TSampleComponent(&form);
    a->SetName("A");
    a->Partner = new TSampleComponent(&form);
    try {
        SaveComponentToText(form);
        ADD_FAILURE() << "a reference without a name was written";
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message(), "A.Partner refers to a component without a name");
    }
}

// Bad form files. Each is read into an existing form, which must come out as it was,
// and on its own, which must leave nothing behind.
struct TBadFile {
    std::string body;     // the text between the form's own properties and its final end
    std::string message;  // the error; the form's own properties take lines 2 to 4
};

const std::string BadFileHead =
    "object SampleForm1: TSampleForm\n"
    "  Caption = 'Loaded'\n"
    "  Width = 300\n"
    "  OnResize = FormResized\n";

const TBadFile BadFiles[] = {
    // Unknown class and unknown property.
    {.body = "  object Sample1: TNoSuchComponent\n  end\n",
     .message = "Line 5: class TNoSuchComponent is not registered"},
    {.body = "  object Sample1: TSampleComponent\n    Colour = 3\n  end\n",
     .message = "Line 6: Sample1.Colour: no such property"},
    {.body = "  object Sample1: TSampleComponent\n    Inner.Height = 3\n  end\n",
     .message = "Line 6: Sample1.Inner.Height: no such property"},
    {.body = "  object Sample1: TSampleComponent\n    Count.Low = 3\n  end\n",
     .message = "Line 6: Sample1.Count.Low: Count has no properties of its own"},
    // Bad values.
    {.body = "  object Sample1: TSampleComponent\n    Count = three\n  end\n",
     .message = "Line 6: Sample1.Count: 'three' is not a valid integer value"},
    {.body = "  object Sample1: TSampleComponent\n    Count = '3'\n  end\n",
     .message = "Line 6: Sample1.Count: an integer is expected"},
    {.body = "  object Sample1: TSampleComponent\n    Count = 3x\n  end\n", .message = "Line 6: bad number 3x"},
    {.body = "  object Sample1: TSampleComponent\n    Count = 99999999999999999999\n  end\n",
     .message = "Line 6: Sample1.Count: '99999999999999999999' is not a valid integer value"},
    {.body = "  object Sample1: TSampleComponent\n    Shape = shHexagon\n  end\n",
     .message = "Line 6: Sample1.Shape: 'shHexagon' is not a valid value"},
    {.body = "  object Sample1: TSampleComponent\n    Sides = [sdLeft, sdMiddle]\n  end\n",
     .message = "Line 6: Sample1.Sides: 'sdMiddle' is not a valid value"},
    {.body = "  object Sample1: TSampleComponent\n    Sides = sdLeft\n  end\n",
     .message = "Line 6: Sample1.Sides: a set is expected"},
    {.body = "  object Sample1: TSampleComponent\n    Enabled = 'yes'\n  end\n",
     .message = "Line 6: Sample1.Enabled: an identifier is expected"},
    {.body = "  object Sample1: TSampleComponent\n    Title = 12\n  end\n",
     .message = "Line 6: Sample1.Title: a string is expected"},
    {.body = "  object Sample1: TSampleComponent\n    Inner.Width = -1\n  end\n",
     .message = "Line 6: Sample1.Inner.Width: A width cannot be negative"},
    {.body = "  object Sample1: TSampleComponent\n    Inner = 3\n  end\n",
     .message = "Line 6: Sample1.Inner: an object: give its properties, as in Inner.<property> = <value>"},
    {.body = "  object Sample1: TSampleComponent\n    Title = 'abc\n  end\n", .message = "Line 6: unterminated string"},
    {.body = "  object Sample1: TSampleComponent\n    Title = 'a'#256\n  end\n",
     .message = "Line 6: character code #256 is not a byte"},
    {.body = "  object Sample1: TSampleComponent\n    Title = 'a' +\n  end\n",
     .message = "Line 7: a string expected after '+', found 'end'"},
    {.body = "  object Sample1: TSampleComponent\n    Count = @\n  end\n", .message = "Line 6: unexpected character @"},
    {.body = "  object Sample1: TSampleComponent\n    Count 3\n  end\n",
     .message = "Line 6: '=' expected after Count, found '3'"},
    {.body = "  object Sample1: TSampleComponent\n    Count = ]\n  end\n",
     .message = "Line 6: a value expected, found ']'"},
    // Unbalanced object and end.
    {.body = "  object Sample1: TSampleComponent\n    Count = 1\n",
     .message = "Line 8: 'end' expected: the object SampleForm1 of line 1 is not closed"},
    {.body = "  object Sample1: TSampleComponent\n  end\nend\nend\n",
     .message = "Line 8: text after the final 'end': 'end'"},
    {.body =
         "  object Sample1: TSampleComponent\n    object Sample2: TSampleComponent\n    end\n    Count = 1\n  end\n",
     .message = "Line 8: 'end' of the object Sample1 expected, found 'Count' (properties come before nested objects)"},
    {.body = "  object : TSampleComponent\n  end\n", .message = "Line 5: a class name expected, found ':'"},
    // Handlers and references.
    {.body = "  object Sample1: TSampleComponent\n    OnPing = NoSuchHandler\n  end\n",
     .message = "Line 6: Sample1.OnPing: SampleForm1 has no handler NoSuchHandler"},
    {.body = "  object Sample1: TSampleComponent\n    OnPing = Counted\n  end\n",
     .message = "Line 6: Sample1.OnPing: The handler does not fit the event OnPing"},
    {.body = "  object Sample1: TSampleComponent\n    Partner = Nobody\n  end\n",
     .message = "Line 6: Sample1.Partner: no component is named Nobody"},
    {.body = "  object Sample1: TSampleComponent\n    Partner = 'Sample1'\n  end\n",
     .message = "Line 6: Sample1.Partner: a component name is expected"},
    // Names.
    {.body = "  object Sample1: TSampleComponent\n  end\n  object sample1: TSampleComponent\n  end\n",
     .message = "Line 7: A component named sample1 already exists"},
    {.body = "  object Sample.One: TSampleComponent\n  end\n",
     .message = "Line 5: 'Sample.One' is not a valid component name"},
    // Nesting that the object cannot take: written back, it would stand elsewhere.
    {.body = "  object Sample1: TSampleComponent\n    object Panel1: TSamplePanel\n    end\n  end\n",
     .message = "Line 6: Panel1, a TSamplePanel, cannot be placed inside Sample1, a TSampleComponent"},
    {.body = "  object Panel1: TSamplePanel\n    object Sample1: TSampleComponent\n    end\n  end\n",
     .message = "Line 6: Sample1, a TSampleComponent, cannot be placed inside Panel1, a TSamplePanel"},
};

TEST_F(FormFilesTest, BadFilesLeaveAnExistingFormAsItWas) {
    for (const TBadFile& bad : BadFiles) {
        SCOPED_TRACE(bad.message);
        TSampleForm form(nullptr);
        form.SetName("SampleForm1");
        form.SetCaption("Before");
        form.SetBounds(0, 0, 120, 80);
        auto* existing = new TSampleComponent(&form);
        existing->SetName("Existing");
        existing->Count = 7;
        const int living = TSampleComponent::Living;
        const std::string before = SaveComponentToText(form);

        try {
            LoadComponentFromText(form, BadFileHead + bad.body + "end\n");
            ADD_FAILURE() << "the file was accepted";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), bad.message);
        }
        EXPECT_EQ(SaveComponentToText(form), before);
        EXPECT_FALSE(form.OnResize) << "the handler the file attached is gone again";
        EXPECT_FALSE(form.IsLoading());
        EXPECT_EQ(form.GetComponentCount(), 1);
        EXPECT_EQ(TSampleComponent::Living, living) << "every component read was destroyed";
    }
}

TEST_F(FormFilesTest, BadFilesLeaveNothingBehindWhenCreatingTheForm) {
    for (const TBadFile& bad : BadFiles) {
        SCOPED_TRACE(bad.message);
        const int living = TSampleComponent::Living;
        try {
            const std::unique_ptr<TComponent> read = CreateComponentFromText(BadFileHead + bad.body + "end\n");
            ADD_FAILURE() << "the file was accepted";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), bad.message);
        }
        EXPECT_EQ(TSampleComponent::Living, living);
    }
}

TEST_F(FormFilesTest, TheRootMustBeOfTheFilesClassAndRegistered) {
    TSampleForm form(nullptr);
    try {
        LoadComponentFromText(form, "object Form1: TForm\nend\n");
        ADD_FAILURE() << "a TForm was read into a TSampleForm";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Line 1: the file holds a TForm, not a TSampleForm");
    }
    EXPECT_EQ(form.GetName(), "");
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"object Form1: TNoSuchForm\nend\n", "Line 1: class TNoSuchForm is not registered"},
             {"", "Line 1: 'object' expected, found the end of the file"},
             {"\n\n  form Form1: TForm\nend\n", "Line 3: 'object' expected, found 'form'"},
         }) {
        try {
            CreateComponentFromText(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
}

TEST_F(FormFilesTest, SavingReplacesTheFileAloneAndTakesAnyValidName) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zan-formfiles-replace-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::unique_ptr<TSampleForm> form = MakeSampleForm();
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };

    // A user's files beside the form, named as a writer's scratch file might be.
    const std::filesystem::path file = dir / "Sample.zfm";
    for (const char* neighbour : {"Sample.zfm.tmp", "Sample.zfm~", ".Sample.zfm"})
        std::ofstream(dir / neighbour) << "keep me";
    std::ofstream(file) << "an older form";
    SaveComponentToFile(*form, file.string());
    EXPECT_EQ(read(file), SampleFormText);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        ++files;
        if (entry.path() != file) {
            EXPECT_EQ(read(entry.path()), "keep me") << entry.path();
        }
    }
    EXPECT_EQ(files, 4U);

    // The longest name the system takes is a name the form can be saved under.
    const std::filesystem::path longest = dir / std::string(NAME_MAX, 'f');
    SaveComponentToFile(*form, longest.string());
    EXPECT_EQ(read(longest), SampleFormText);

    try {
        SaveComponentToFile(*form, (dir / "missing" / "Sample.zfm").string());
        ADD_FAILURE() << "a form was saved into a missing folder";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(),
                  "Cannot write the file '" + (dir / "missing" / "Sample.zfm").string() + "': No such file or directory");
    }
    std::filesystem::remove_all(dir);
}

TEST_F(FormFilesTest, FilesRoundTripAndFailuresAreReported) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zan-formfiles-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "Sample.zfm").string();

    const std::unique_ptr<TSampleForm> form = MakeSampleForm();
    SaveComponentToFile(*form, file);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), SampleFormText);
    TSampleForm copy(nullptr);
    LoadComponentFromFile(copy, file);
    EXPECT_EQ(SaveComponentToText(copy), SampleFormText);

    EXPECT_THROW(LoadComponentFromFile(copy, (dir / "missing.zfm").string()), EInOutError);
    const std::string unreachable = (dir / "no-such-dir" / "Sample.zfm").string();
    EXPECT_THROW(SaveComponentToFile(*form, unreachable), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(unreachable + ".tmp"));

    // The system would stop at the NUL and write or read "Sample" instead.
    const std::string withNul = file.substr(0, file.size() - 4) + std::string(1, '\0') + ".zfm";
    const std::string decoy = "object Other: TSampleForm\nend\n";
    std::ofstream((dir / "Sample").string()) << decoy;
    for (const bool save : {true, false}) {
        try {
            if (save)
                SaveComponentToFile(*form, withNul);
            else
                LoadComponentFromFile(copy, withNul);
            ADD_FAILURE() << "a name holding a NUL byte was taken";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), std::string("Cannot ") + (save ? "write" : "read") + " the file '" + withNul +
                                       "': a file name cannot hold a NUL byte");
        }
    }
    EXPECT_EQ(copy.GetName(), "SampleForm1");
    std::ifstream decoyFile((dir / "Sample").string());
    std::ostringstream decoyText;
    decoyText << decoyFile.rdbuf();
    EXPECT_EQ(decoyText.str(), decoy);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zan::platform
