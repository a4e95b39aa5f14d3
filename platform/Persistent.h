// Assignable objects with published-property metadata, for form files and property lists.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

class TPersistent;

enum class TTypeKind { tkInteger, tkFloat, tkString, tkBoolean, tkEnumeration, tkClass, tkMethod, tkSet };

// One published property. Values travel as text, the way form files store them:
// integers in decimal, floats in shortest round-trip form, booleans "True"/"False",
// enumerations by value name, sets as "[name, name]". Class-typed properties expose
// their object instead: an object of their own (Font, Margins), edited through its
// properties, or a reference to another component (SetObject). Events (tkMethod)
// take their handler as a std::any holding the event's std::function type; their
// text is the name of the published handler they call.
struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::tkInteger;
    std::vector<std::string> EnumNames{};  // value names in ordinal order (tkEnumeration), element names (tkSet)
    std::function<std::string(const TPersistent&)> GetText{};
    std::function<void(TPersistent&, const std::string&)> SetText{};  // empty when not set from text
    std::function<TPersistent*(TPersistent&)> GetObject{};            // tkClass only
    std::function<void(TPersistent&, TPersistent*)> SetObject{};      // tkClass references only
    std::function<std::any(const TPersistent&)> GetHandler{};         // tkMethod only
    std::function<void(TPersistent&, const std::any&)> SetHandler{};  // tkMethod; an empty any clears
    std::function<bool(const TPersistent&)> IsStored{};               // empty: always stored
    std::string Default{};                                            // the stored default, as text, when HasDefault
    bool HasDefault = false;  // a value equal to Default is not written to a form file

    bool IsReadOnly() const { return !SetText && !SetObject && !SetHandler; }
    // A class-typed property that refers to another component rather than holding an object of its own.
    bool IsReference() const { return Kind == TTypeKind::tkClass && SetObject; }
    // Parses Text for this property's type and writes it; raises EConvertError on bad text.
    void SetValue(TPersistent& object, const std::string& text) const;
    std::string GetValue(const TPersistent& object) const { return GetText(object); }
    // Whether a form file writes the value of this property for Object.
    bool ShouldStore(const TPersistent& object) const;
};

using TPropList = std::vector<TPropInfo>;

// An event handler that receives the object that raised the event.
using TNotifyEvent = std::function<void(TPersistent* sender)>;

// A handler that a component publishes under a name (see TComponent::PublishedMethods).
// Kept inside an event's std::function, it tells form files and property lists which
// published handler the event calls.
template <class Signature>
struct TMethod;

template <class R, class... Args>
struct TMethod<R(Args...)> {
    std::string Name;
    std::function<R(Args...)> Code;
    R operator()(Args... args) const { return Code(std::forward<Args>(args)...); }
};

// The name of the published handler that Event calls; empty for an unassigned event and
// for a callable that was not published under a name.
template <class Signature>
std::string MethodName(const std::function<Signature>& event) {
    const auto* method = event.template target<TMethod<Signature>>();
    return method ? method->Name : std::string();
}

class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    virtual std::string ClassName() const = 0;

    // Copies Source into this object; by default asks Source to assign itself here.
    virtual void Assign(TPersistent& source);
    // Copies this object into Dest; by default an EConvertError
    // "Cannot assign a <this class> to a <dest class>.".
    virtual void AssignTo(TPersistent& dest);

    // The published properties in declaration order (empty by default).
    virtual const TPropList& PublishedProperties() const;
    // The published property called Name, letter case ignored; null when there is none.
    const TPropInfo* FindProperty(const std::string& name) const;
};

// Text forms of the published value types.
std::string IntegerToText(std::int64_t value);
std::int64_t TextToInteger(const std::string& text);  // raises EConvertError
std::string FloatToText(double value);
double TextToFloat(const std::string& text);  // raises EConvertError
std::string BooleanToText(bool value);
bool TextToBoolean(const std::string& text);  // "True"/"False", "1"/"0", case ignored

// Raises EConvertError "Value <value> must be between <min> and <max>".
[[noreturn]] void RaiseOutOfRange(std::int64_t value, std::int64_t min, std::int64_t max);

// Value as the integer type I that a setter takes; a value beyond I's range raises
// EConvertError rather than wrapping round.
template <class I>
I IntegerValue(std::int64_t value) {
    static_assert(std::is_integral_v<I> && sizeof(I) <= sizeof(std::int32_t));
    if (!std::in_range<I>(value)) RaiseOutOfRange(value, std::numeric_limits<I>::min(), std::numeric_limits<I>::max());
    return static_cast<I>(value);
}

// The position of Text among Names, letter case ignored; raises EConvertError when absent.
int EnumerationOrdinal(const std::vector<std::string>& names, const std::string& text);

// Sets: bit n stands for element Names[n]. The text form lists the elements present in
// element order, "[akLeft, akTop]"; reading ignores letter case and spaces and raises
// EConvertError for an unknown element or a text without brackets.
std::string SetToText(std::uint32_t bits, const std::vector<std::string>& names);
std::uint32_t TextToSet(const std::string& text, const std::vector<std::string>& names);

// Integers whose well-known values have names (cursor shapes, colours): the text form is
// the name where there is one, else the decimal value; reading takes either.
using TIdentMap = std::vector<std::pair<std::int64_t, std::string>>;
std::string IdentOrIntegerToText(std::int64_t value, const TIdentMap& idents);
std::int64_t TextToIdentOrInteger(const std::string& text, const TIdentMap& idents);  // raises EConvertError

// Builders for property tables. Getters and setters are callables on the concrete class,
// so indexed pairs such as GetColor(2)/SetColor(2, v) are written as small lambdas.
template <class T, class Get, class Set>
TPropInfo IntegerProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkInteger};
    p.GetText = [get](const TPersistent& o) {
        return IntegerToText(static_cast<std::int64_t>(get(static_cast<const T&>(o))));
    };
    p.SetText = [set](TPersistent& o, const std::string& text) { set(static_cast<T&>(o), TextToInteger(text)); };
    return p;
}

template <class T, class Get, class Set>
TPropInfo FloatProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkFloat};
    p.GetText = [get](const TPersistent& o) { return FloatToText(get(static_cast<const T&>(o))); };
    p.SetText = [set](TPersistent& o, const std::string& text) { set(static_cast<T&>(o), TextToFloat(text)); };
    return p;
}

template <class T, class Get, class Set>
TPropInfo StringProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkString};
    p.GetText = [get](const TPersistent& o) { return std::string(get(static_cast<const T&>(o))); };
    p.SetText = [set](TPersistent& o, const std::string& text) { set(static_cast<T&>(o), text); };
    return p;
}

template <class T, class Get, class Set>
TPropInfo BooleanProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkBoolean};
    p.GetText = [get](const TPersistent& o) { return BooleanToText(get(static_cast<const T&>(o))); };
    p.SetText = [set](TPersistent& o, const std::string& text) { set(static_cast<T&>(o), TextToBoolean(text)); };
    return p;
}

// Get returns and Set takes the enumeration's ordinal; Names lists the value names.
template <class T, class Get, class Set>
TPropInfo EnumerationProperty(std::string name, std::vector<std::string> names, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkEnumeration, .EnumNames = std::move(names)};
    p.GetText = [get, names = p.EnumNames](const TPersistent& o) {
        const auto ordinal = static_cast<std::size_t>(get(static_cast<const T&>(o)));
        return ordinal < names.size() ? names[ordinal] : IntegerToText(static_cast<std::int64_t>(ordinal));
    };
    p.SetText = [set, names = p.EnumNames](TPersistent& o, const std::string& text) {
        set(static_cast<T&>(o), EnumerationOrdinal(names, text));
    };
    return p;
}

// Get returns and Set takes the set's bits; Names lists the elements, bit n for Names[n].
template <class T, class Get, class Set>
TPropInfo SetTypeProperty(std::string name, std::vector<std::string> names, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkSet, .EnumNames = std::move(names)};
    p.GetText = [get, names = p.EnumNames](const TPersistent& o) {
        return SetToText(static_cast<std::uint32_t>(get(static_cast<const T&>(o))), names);
    };
    p.SetText = [set, names = p.EnumNames](TPersistent& o, const std::string& text) {
        set(static_cast<T&>(o), TextToSet(text, names));
    };
    return p;
}

template <class T, class Get, class Set>
TPropInfo IdentIntegerProperty(std::string name, TIdentMap idents, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkInteger};
    p.GetText = [get, idents](const TPersistent& o) {
        return IdentOrIntegerToText(static_cast<std::int64_t>(get(static_cast<const T&>(o))), idents);
    };
    p.SetText = [set, idents](TPersistent& o, const std::string& text) {
        set(static_cast<T&>(o), TextToIdentOrInteger(text, idents));
    };
    return p;
}

// An event of type Event (a std::function). Get returns and Set takes the event's value.
// Only a handler published under a name is stored: code-assigned callables have no name
// that a form file could hold.
template <class T, class Event, class Get, class Set>
TPropInfo EventProperty(std::string name, Get get, Set set) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkMethod};
    p.GetText = [get](const TPersistent& o) { return MethodName(Event(get(static_cast<const T&>(o)))); };
    p.GetHandler = [get](const TPersistent& o) { return std::any(Event(get(static_cast<const T&>(o)))); };
    p.SetHandler = [set, eventName = p.Name](TPersistent& o, const std::any& handler) {
        if (!handler.has_value()) {
            set(static_cast<T&>(o), Event());
            return;
        }
        const Event* event = std::any_cast<Event>(&handler);
        if (event == nullptr) throw EConvertError("The handler does not fit the event %s", {eventName});
        set(static_cast<T&>(o), *event);
    };
    p.IsStored = [get](const TPersistent& o) { return !MethodName(Event(get(static_cast<const T&>(o)))).empty(); };
    return p;
}

// An event held in a public field of T, such as OnClick.
template <class T, class Event>
TPropInfo EventProperty(std::string name, Event T::*field) {
    return EventProperty<T, Event>(
        std::move(name), [field](const T& o) -> const Event& { return o.*field; },
        [field](T& o, Event value) { o.*field = std::move(value); });
}

template <class T, class Get>
TPropInfo ObjectProperty(std::string name, Get get) {
    TPropInfo p{.Name = std::move(name), .Kind = TTypeKind::tkClass};
    p.GetObject = [get](TPersistent& o) -> TPersistent* { return get(static_cast<T&>(o)); };
    p.GetText = [get](const TPersistent& o) {
        TPersistent* object = get(const_cast<T&>(static_cast<const T&>(o)));
        std::string text;
        if (object) text.append("(").append(object->ClassName()).append(")");
        return text;
    };
    return p;
}

// Marks P with a stored default: form files leave the value out when it equals Default.
TPropInfo WithDefault(TPropInfo p, std::string defaultText);

}  // namespace zan::platform
