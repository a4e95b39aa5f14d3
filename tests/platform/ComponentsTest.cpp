#include <zanbarcode/platform/Components.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zan::platform {
namespace {

// A component that logs its destruction and the notifications it hears.
class TLogged : public TComponent {
public:
    TLogged(TComponent* owner, std::vector<std::string>& log) : TComponent(owner), FLog(log) {}
    ~TLogged() override { FLog.push_back("destroyed " + GetName()); }
    std::string ClassName() const override { return "TLogged"; }

    // A reference to another component that must not outlive it.
    TComponent* Partner = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == Partner) {
            Partner = nullptr;
            FLog.push_back(GetName() + " lost its partner");
        }
    }

private:
    std::vector<std::string>& FLog;
};

TEST(ComponentsTest, OwnerDestroysWhatItOwnsNewestFirst) {
    std::vector<std::string> log;
    auto owner = std::make_unique<TComponent>(nullptr);
    for (const char* name : {"First", "Second", "Third"}) (new TLogged(owner.get(), log))->SetName(name);
    ASSERT_EQ(owner->GetComponentCount(), 3);
    EXPECT_EQ(owner->GetComponent(0)->GetName(), "First");
    EXPECT_THROW(owner->GetComponent(3), EListError);
    owner.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"destroyed Third", "destroyed Second", "destroyed First"}));
}

TEST(ComponentsTest, ADestroyedComponentLeavesItsOwner) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* a = new TLogged(&owner, log);
    a->SetName("A");
    auto* b = new TLogged(&owner, log);
    b->SetName("B");
    delete a;
    ASSERT_EQ(owner.GetComponentCount(), 1);
    EXPECT_EQ(owner.GetComponent(0), b);
    EXPECT_EQ(owner.FindComponent("A"), nullptr);
}

TEST(ComponentsTest, InsertingMovesAComponentBetweenOwners) {
    TComponent first(nullptr);
    TComponent second(nullptr);
    auto* moved = new TComponent(&first);
    moved->SetName("Moved");
    second.InsertComponent(moved);
    EXPECT_EQ(moved->GetOwner(), &second);
    EXPECT_EQ(first.GetComponentCount(), 0);
    EXPECT_EQ(second.FindComponent("MOVED"), moved) << "found ignoring letter case";

    // The new owner has a component of that name already: nothing moves.
    auto* clash = new TComponent(&first);
    clash->SetName("moved");
    try {
        second.InsertComponent(clash);
        ADD_FAILURE() << "a second component named moved was inserted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named moved already exists");
    }
    EXPECT_EQ(clash->GetOwner(), &first);
    EXPECT_EQ(second.GetComponentCount(), 1);

    first.RemoveComponent(clash);
    EXPECT_EQ(clash->GetOwner(), nullptr);
    delete clash;  // its creator's again
}

TEST(ComponentsTest, NamesAreIdentifiersUniqueAmongTheOwnersComponents) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Barcode_1");
    struct TCase {
        std::string name;
        std::string message;  // empty: accepted
    };
    const TCase cases[] = {
        {.name = "_x9", .message = ""},
        {.name = "", .message = ""},
        {.name = "9lives", .message = "'9lives' is not a valid component name"},
        {.name = "two words", .message = "'two words' is not a valid component name"},
        {.name = "Form1.Button1", .message = "'Form1.Button1' is not a valid component name"},
        {.name = "Caf\xE9", .message = "'Caf\xE9' is not a valid component name"},
        {.name = "BARCODE_1", .message = "A component named BARCODE_1 already exists"},
    };
    for (const TCase& c : cases) {
        b->SetName("Before");
        try {
            b->SetName(c.name);
            EXPECT_EQ(c.message, "") << c.name << " was accepted";
            EXPECT_EQ(b->GetName(), c.name);
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.name;
            EXPECT_EQ(b->GetName(), "Before") << "a refused name changes nothing";
        }
    }
    a->SetName("BARCODE_1");  // its own name in other letters
    EXPECT_EQ(a->GetName(), "BARCODE_1");
}

TEST(ComponentsTest, DesigningReachesOwnedComponentsAndLaterOnes) {
    TComponent form(nullptr);
    auto* early = new TComponent(&form);
    form.SetDesigning(true);
    auto* late = new TComponent(&form);
    EXPECT_TRUE(early->IsDesigning());
    EXPECT_TRUE(late->IsDesigning());
    EXPECT_EQ(late->GetComponentState(), csDesigning);
    form.SetDesigning(false);
    EXPECT_FALSE(late->IsDesigning());
}

TEST(ComponentsTest, LoadedClearsTheLoadingState) {
    TComponent component(nullptr);
    component.SetDesigning(true);
    component.Loading();
    EXPECT_TRUE(component.IsLoading());
    EXPECT_EQ(component.GetComponentState(), csLoading | csDesigning);
    component.Loaded();
    EXPECT_FALSE(component.IsLoading());
    EXPECT_TRUE(component.IsDesigning());
}

TEST(ComponentsTest, SiblingsHearOfARemovalAndDropTheirReference) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* holder = new TLogged(&owner, log);
    holder->SetName("Holder");
    auto* partner = new TLogged(&owner, log);
    partner->SetName("Partner");
    holder->Partner = partner;
    delete partner;
    EXPECT_EQ(holder->Partner, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"destroyed Partner", "Holder lost its partner"}));
}

TEST(ComponentsTest, FreeNotificationReachesAcrossOwners) {
    std::vector<std::string> log;
    TComponent formA(nullptr);
    TComponent formB(nullptr);
    auto* holder = new TLogged(&formA, log);
    holder->SetName("Holder");
    auto* partner = new TLogged(&formB, log);
    partner->SetName("Partner");
    holder->Partner = partner;
    partner->FreeNotification(holder);
    partner->FreeNotification(holder);  // asking twice is one request
    delete partner;
    EXPECT_EQ(holder->Partner, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"destroyed Partner", "Holder lost its partner"}));

    // The link goes both ways: destroying the listener first leaves nothing dangling.
    auto* other = new TLogged(&formB, log);
    other->FreeNotification(holder);
    delete holder;
    delete other;
}

TEST(ComponentsTest, ARootStreamsItsOwnedComponentsWithoutParent) {
    TComponent root(nullptr);
    auto* a = new TComponent(&root);
    auto* b = new TComponent(&root);
    std::vector<TComponent*> children;
    root.GetChildren([&](TComponent* c) { children.push_back(c); }, &root);
    EXPECT_EQ(children, (std::vector<TComponent*>{a, b}));
    children.clear();
    a->GetChildren([&](TComponent* c) { children.push_back(c); }, &root);
    EXPECT_TRUE(children.empty()) << "a component that is not the root streams nothing of its own";
}

TEST(ComponentsTest, PublishedPropertiesAreNameAndTag) {
    TComponent component(nullptr);
    const TPropList& properties = component.PublishedProperties();
    ASSERT_EQ(properties.size(), 2u);
    EXPECT_EQ(properties[0].Name, "Name");
    EXPECT_FALSE(properties[0].ShouldStore(component)) << "the name is in the object's header line";
    EXPECT_EQ(properties[1].Name, "Tag");
    EXPECT_FALSE(properties[1].ShouldStore(component)) << "0 is the stored default";
    properties[1].SetValue(component, "-3");
    EXPECT_EQ(component.GetTag(), -3);
    EXPECT_TRUE(properties[1].ShouldStore(component));
}

// A root that publishes two handlers.
class TWindowLike : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TWindowLike"; }
    std::vector<std::string> Calls;
    void OkPressed(TPersistent* sender) { Calls.push_back("ok from " + static_cast<TComponent*>(sender)->GetName()); }
    int Doubled(int value) { return 2 * value; }
    const TMethodList& PublishedMethods() const override {
        static const TMethodList methods = {PublishedMethod("OkPressed", &TWindowLike::OkPressed),
                                            PublishedMethod("Doubled", &TWindowLike::Doubled)};
        return methods;
    }
};

TEST(ComponentsTest, PublishedHandlersBindToTheRootInstance) {
    TWindowLike first(nullptr);
    TWindowLike second(nullptr);
    first.SetName("First");
    const TMethodInfo* ok = second.FindMethod("okpressed");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Name, "OkPressed");
    EXPECT_EQ(second.FindMethod("Cancel"), nullptr);

    const std::any bound = ok->Bind(second);
    const auto* event = std::any_cast<TNotifyEvent>(&bound);
    ASSERT_NE(event, nullptr) << "bound as the event type of its signature";
    (*event)(&first);
    EXPECT_TRUE(first.Calls.empty());
    EXPECT_EQ(second.Calls, std::vector<std::string>{"ok from First"});
    EXPECT_EQ(MethodName(*event), "OkPressed");

    const std::any doubled = second.FindMethod("Doubled")->Bind(second);
    EXPECT_EQ(std::any_cast<std::function<int(int)>>(doubled)(21), 42);
}

TEST(ComponentsTest, AComponentPropertyTakesOnlyItsClass) {
    class THolder : public TComponent {
    public:
        using TComponent::TComponent;
        std::string ClassName() const override { return "THolder"; }
        TWindowLike* Window = nullptr;
    };
    THolder holder(nullptr);
    const TPropInfo window = ComponentProperty<THolder, TWindowLike>(
        "Window", [](const THolder& h) { return h.Window; }, [](THolder& h, TWindowLike* w) { h.Window = w; });
    EXPECT_TRUE(window.IsReference());
    EXPECT_FALSE(window.ShouldStore(holder)) << "nothing referred to";

    TWindowLike target(nullptr);
    target.SetName("Main");
    window.SetObject(holder, &target);
    EXPECT_EQ(holder.Window, &target);
    EXPECT_EQ(window.GetValue(holder), "Main");
    EXPECT_TRUE(window.ShouldStore(holder));

    TComponent plain(nullptr);
    try {
        window.SetObject(holder, &plain);
        ADD_FAILURE() << "a TComponent was taken for a TWindowLike";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Window cannot refer to a TComponent");
    }
    EXPECT_EQ(holder.Window, &target);
}

}  // namespace
}  // namespace zan::platform
