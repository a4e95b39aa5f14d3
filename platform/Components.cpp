#include <zanbarcode/platform/Components.h>
#include <zanbarcode/platform/Types.h>

#include <algorithm>

namespace zan::platform {

namespace {

bool IsIdentifier(const std::string& name) {
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.empty() || !isLetter(name.front())) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) { return isLetter(c) || isDigit(c); });
}

void Erase(std::vector<TComponent*>& list, TComponent* component) {
    list.erase(std::remove(list.begin(), list.end(), component), list.end());
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Whoever refers to this component lets go of it first, then the owned components
    // go, the newest first, and last this one leaves its owner.
    while (!FFreeNotifies.empty()) {
        TComponent* listener = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(listener->FFreeNotifies, this);
        listener->Notification(this, opRemove);
    }
    while (!FComponents.empty()) delete FComponents.back();
    if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

const TPropList& TComponent::PublishedProperties() const {
    static const TPropList properties = [] {
        TPropInfo name = StringProperty<TComponent>(
            "Name", [](const TComponent& c) { return c.GetName(); },
            [](TComponent& c, const std::string& v) { c.SetName(v); });
        name.IsStored = [](const TPersistent&) { return false; };
        return TPropList{
            name,
            WithDefault(IntegerProperty<TComponent>(
                            "Tag", [](const TComponent& c) { return c.GetTag(); },
                            [](TComponent& c, std::int64_t v) { c.SetTag(v); }),
                        "0"),
        };
    }();
    return properties;
}

TComponent* TComponent::GetComponent(int index) const {
    if (index < 0 || index >= GetComponentCount())
        throw EListError("List index out of bounds (%d)", {std::int64_t{index}});
    return FComponents[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* component : FComponents)
        if (SameText(component->FName, name)) return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component == nullptr || component->FOwner == this) return;
    if (FindComponent(component->FName) != nullptr)
        throw EComponentError("A component named %s already exists", {component->FName});
    if (component->FOwner != nullptr) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    if (IsDesigning()) component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (component == nullptr || component->FOwner != this) return;
    Notification(component, opRemove);
    Erase(FComponents, component);
    component->FOwner = nullptr;
}

void TComponent::SetName(const std::string& value) {
    if (value == FName) return;
    if (!value.empty() && !IsIdentifier(value)) throw EComponentError("'%s' is not a valid component name", {value});
    if (FOwner != nullptr) {
        const TComponent* existing = FOwner->FindComponent(value);
        if (existing != nullptr && existing != this)
            throw EComponentError("A component named %s already exists", {value});
    }
    FName = value;
}

void TComponent::SetDesigning(bool value) {
    if (value)
        FComponentState |= csDesigning;
    else
        FComponentState &= static_cast<TComponentState>(~csDesigning);
    for (TComponent* component : FComponents) component->SetDesigning(value);
}

void TComponent::Loading() { FComponentState |= csLoading; }

void TComponent::Loaded() { FComponentState &= static_cast<TComponentState>(~csLoading); }

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* component : FComponents)
        if (component->GetParentComponent() == nullptr) proc(component);
}

const TMethodList& TComponent::PublishedMethods() const {
    static const TMethodList none;
    return none;
}

const TMethodInfo* TComponent::FindMethod(const std::string& name) const {
    for (const TMethodInfo& method : PublishedMethods())
        if (SameText(method.Name, name)) return &method;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == nullptr || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) != FFreeNotifies.end()) return;
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    Erase(FFreeNotifies, component);
    Erase(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
    // A copy: a component may leave the list while it hears of another's removal.
    const std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned)
        if (c != component && std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
            c->Notification(component, operation);
}

}  // namespace zan::platform
