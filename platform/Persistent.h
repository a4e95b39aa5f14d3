// Assignable objects with published-property metadata, for form files and property lists.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace zan::platform {

class TPersistent;

enum class TTypeKind { tkInteger, tkFloat, tkString, tkBoolean, tkEnumeration, tkClass, tkMethod };

// One published property. Values travel as text, the way form files store them:
// integers in decimal, floats in shortest round-trip form, booleans "True"/"False",
// enumerations by value name. Class-typed properties expose their object instead.
struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::tkInteger;
    std::vector<std::string> EnumNames{};  // value names in ordinal order (tkEnumeration)
    std::function<std::string(const TPersistent&)> GetText{};
    std::function<void(TPersistent&, const std::string&)> SetText{};  // empty when read-only
    std::function<TPersistent*(TPersistent&)> GetObject{};            // tkClass only
    std::function<bool(const TPersistent&)> IsStored{};               // empty: always stored
    std::string Default{};                                            // the stored default, as text, when HasDefault
    bool HasDefault = false;  // a value equal to Default is not written to a form file

    bool IsReadOnly() const { return !SetText; }
    // Parses Text for this property's type and writes it; raises EConvertError on bad text.
    void SetValue(TPersistent& object, const std::string& text) const;
    std::string GetValue(const TPersistent& object) const { return GetText(object); }
    // Whether a form file writes the value of this property for Object.
    bool ShouldStore(const TPersistent& object) const;
};

using TPropList = std::vector<TPropInfo>;

// An event handler that receives the object that raised the event.
using TNotifyEvent = std::function<void(TPersistent* sender)>;

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
