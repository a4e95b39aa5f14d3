#include <zanbarcode/platform/Persistent.h>

#include <cctype>
#include <charconv>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

void TPropInfo::SetValue(TPersistent& object, const std::string& text) const {
    if (IsReadOnly()) throw EConvertError("Property %s is read-only", {Name});
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
        if (SameTextIgnoringCase(p.Name, name)) return &p;
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
    if (SameTextIgnoringCase(text, "true") || text == "1") return true;
    if (SameTextIgnoringCase(text, "false") || text == "0") return false;
    throw EConvertError("'%s' is not a valid boolean value", {text});
}

void RaiseOutOfRange(std::int64_t value, std::int64_t min, std::int64_t max) {
    throw EConvertError("Value %d must be between %d and %d", {value, min, max});
}

int EnumerationOrdinal(const std::vector<std::string>& names, const std::string& text) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameTextIgnoringCase(names[i], text)) return static_cast<int>(i);
    throw EConvertError("'%s' is not a valid value", {text});
}

TPropInfo WithDefault(TPropInfo p, std::string defaultText) {
    p.Default = std::move(defaultText);
    p.HasDefault = true;
    return p;
}

}  // namespace zan::platform
