#include <zanbarcode/platform/Persistent.h>
#include <zanbarcode/platform/Types.h>

#include <cctype>
#include <charconv>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

void TPropInfo::SetValue(TPersistent& object, const std::string& text) const {
    if (IsReadOnly()) throw EConvertError("Property %s is read-only", {Name});
    if (!SetText) throw EConvertError("Property %s takes a component or a handler, not a text", {Name});
    SetText(object, text);
}

bool TPropInfo::ShouldStore(const TPersistent& object) const {
    if (IsStored && !IsStored(object)) return false;
    return !(HasDefault && GetText && GetText(object) == Default);
}

void TPersistent::Assign(TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) {
    throw EConvertError("Cannot assign a %s to a %s.", {ClassName(), dest.ClassName()});
}

const TPropList& TPersistent::PublishedProperties() const {
    static const TPropList none;
    return none;
}

const TPropInfo* TPersistent::FindProperty(const std::string& name) const {
    for (const TPropInfo& p : PublishedProperties())
        if (SameText(p.Name, name)) return &p;
    return nullptr;
}

std::string IntegerToText(std::int64_t value) { return std::to_string(value); }

std::int64_t TextToInteger(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const char* begin = text.data();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw EConvertError("'%s' is not a valid integer value", {text});
    return value;
}

std::string FloatToText(double value) {
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("NAN");
}

double TextToFloat(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const char* begin = text.data();
    if (begin != end && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw EConvertError("'%s' is not a valid floating point value", {text});
    return value;
}

std::string BooleanToText(bool value) { return value ? "True" : "False"; }

bool TextToBoolean(const std::string& text) {
    if (SameText(text, "true") || text == "1") return true;
    if (SameText(text, "false") || text == "0") return false;
    throw EConvertError("'%s' is not a valid boolean value", {text});
}

void RaiseOutOfRange(std::int64_t value, std::int64_t min, std::int64_t max) {
    throw EConvertError("Value %d must be between %d and %d", {value, min, max});
}

int EnumerationOrdinal(const std::vector<std::string>& names, const std::string& text) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], text)) return static_cast<int>(i);
    throw EConvertError("'%s' is not a valid value", {text});
}

std::string SetToText(std::uint32_t bits, const std::vector<std::string>& names) {
    std::string text = "[";
    for (std::size_t i = 0; i < names.size() && i < 32; ++i) {
        if ((bits & (1u << i)) == 0) continue;
        if (text.size() > 1) text += ", ";
        text += names[i];
    }
    return text + "]";
}

std::uint32_t TextToSet(const std::string& text, const std::vector<std::string>& names) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isSpace(text[first])) ++first;
    while (last > first && isSpace(text[last - 1])) --last;
    if (last - first < 2 || text[first] != '[' || text[last - 1] != ']')
        throw EConvertError("'%s' is not a valid set value", {text});
    std::uint32_t bits = 0;
    std::size_t start = first + 1;
    const std::size_t end = last - 1;
    while (start <= end) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos || comma > end) comma = end;
        std::size_t a = start;
        std::size_t b = comma;
        while (a < b && isSpace(text[a])) ++a;
        while (b > a && isSpace(text[b - 1])) --b;
        const std::string element = text.substr(a, b - a);
        if (element.empty()) {
            // "[]" is the empty set; an empty element between commas is a mistake.
            if (comma != end || start != first + 1) throw EConvertError("'%s' is not a valid set value", {text});
        } else {
            bits |= 1u << EnumerationOrdinal(names, element);
        }
        start = comma + 1;
    }
    return bits;
}

std::string IdentOrIntegerToText(std::int64_t value, const TIdentMap& idents) {
    for (const auto& [identValue, name] : idents)
        if (identValue == value) return name;
    return IntegerToText(value);
}

std::int64_t TextToIdentOrInteger(const std::string& text, const TIdentMap& idents) {
    for (const auto& [value, name] : idents)
        if (SameText(name, text)) return value;
    return TextToInteger(text);
}

TPropInfo WithDefault(TPropInfo p, std::string defaultText) {
    p.Default = std::move(defaultText);
    p.HasDefault = true;
    return p;
}

}  // namespace zan::platform
