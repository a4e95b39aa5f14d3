// Components: named objects owned by other components, with loading and designing states.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Persistent.h>

namespace zan::platform {

class TComponent;

// A component name that is not an identifier, or that another component of the same
// owner already bears.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// Component state flags, a set of them in one byte.
enum TComponentStateFlag : std::uint8_t {
    csLoading = 1,    // properties are being read from a form file; cleared by Loaded
    csDesigning = 2,  // the component sits in a form designer, not in a running program
};
using TComponentState = std::uint8_t;

enum TOperation : std::uint8_t { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* child)>;

// A handler that a root component publishes by name, so that form files can attach it
// to events: Bind returns the handler bound to a root instance, as a std::any holding
// the event's std::function type (which calls a TMethod of that name).
struct TMethodInfo {
    std::string Name;
    std::function<std::any(TComponent& root)> Bind;
};
using TMethodList = std::vector<TMethodInfo>;

// Publishes T's member function Method under Name, for T's PublishedMethods.
template <class T, class R, class... Args>
TMethodInfo PublishedMethod(std::string name, R (T::*method)(Args...)) {
    return {name, [name, method](TComponent& root) {
                T& self = static_cast<T&>(root);
                const auto call = [&self, method](Args... args) -> R {
                    return (self.*method)(std::forward<Args>(args)...);
                };
                return std::any(std::function<R(Args...)>(TMethod<R(Args...)>{name, call}));
            }};
}

// A named object in an ownership tree. The owner destroys the components it owns (the
// newest first); destroying a component takes it out of its owner. Components made with
// an owner are created with new and belong to it; those without belong to their creator.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    static std::string StaticClassName() { return "TComponent"; }
    std::string ClassName() const override { return StaticClassName(); }
    // Name (written in the object's header line of a form file, so not stored) and Tag.
    const TPropList& PublishedProperties() const override;

    TComponent* GetOwner() const { return FOwner; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError for an index outside 0..count-1.
    TComponent* GetComponent(int index) const;
    // The owned component called Name, letter case ignored; null when there is none.
    TComponent* FindComponent(const std::string& name) const;
    // Takes Component over from its previous owner; raises EComponentError when this
    // owner already has a component of the same name.
    void InsertComponent(TComponent* component);
    // Lets go of Component without destroying it; it then has no owner.
    void RemoveComponent(TComponent* component);

    const std::string& GetName() const { return FName; }
    // An identifier (letters, digits and underscores, not starting with a digit) or empty,
    // unique among the owner's components; raises EComponentError otherwise.
    virtual void SetName(const std::string& value);
    std::int64_t GetTag() const { return FTag; }
    void SetTag(std::int64_t value) { FTag = value; }

    TComponentState GetComponentState() const { return FComponentState; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
    // Puts this component and everything it owns into or out of the designing state;
    // components inserted later into a designing owner follow it.
    void SetDesigning(bool value);
    // A form file reader calls Loading before it applies a component's properties and
    // Loaded once every component of the file is read; Loaded clears the loading state
    // and lets the component act on its complete set of properties.
    virtual void Loading();
    virtual void Loaded();

    // The components that a form file writes inside this one, for the file's root Root:
    // by default none, and for the root itself the owned components without a parent
    // component (those with one are written inside their parent).
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
    // The component that a form file writes this one inside of (a control's parent).
    virtual TComponent* GetParentComponent() const { return nullptr; }
    // Called by a form file reader with the component this one is written inside of.
    virtual void SetParentComponent(TComponent* /*parent*/) {}

    // The handlers that this component publishes, for event properties in form files
    // whose root it is (empty by default).
    virtual const TMethodList& PublishedMethods() const;
    // The published handler called Name, letter case ignored; null when there is none.
    const TMethodInfo* FindMethod(const std::string& name) const;

    // Asks that Component hear through Notification when this component is destroyed
    // (and this one when Component is). For references to components of other owners;
    // components of the same owner hear of each other anyway.
    void FreeNotification(TComponent* component);

protected:
    // Component was inserted into or removed from this owner, or is being destroyed
    // while this one holds a reference to it. By default passed on to every owned
    // component, so that references between siblings are dropped in time.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void RemoveFreeNotification(TComponent* component);

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    std::string FName;
    std::int64_t FTag = 0;
    TComponentState FComponentState = 0;
};

// A property of T that refers to a component of class C by name in form files. Get
// returns and Set takes a C* (null for none); a component of another class raises
// EConvertError. Stored only while set.
template <class T, class C, class Get, class Set>
TPropInfo ComponentProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkClass};
    p.GetObject = [get](TPersistent& o) -> TPersistent* { return get(static_cast<T&>(o)); };
    p.SetObject = [set, propertyName = p.Name](TPersistent& o, TPersistent* value) {
        C* component = dynamic_cast<C*>(value);
        if (value != nullptr && component == nullptr)
            throw EConvertError("%s cannot refer to a %s", {propertyName, value->ClassName()});
        set(static_cast<T&>(o), component);
    };
    p.GetText = [get](const TPersistent& o) {
        const C* component = get(static_cast<const T&>(o));
        return component ? component->GetName() : std::string();
    };
    p.IsStored = [get](const TPersistent& o) { return get(static_cast<const T&>(o)) != nullptr; };
    return p;
}

}  // namespace zan::platform
