#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

std::string Format(const std::string& format, std::initializer_list<TFormatArg> args) {
    std::string result;
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            result += c;
            continue;
        }
        const char conversion = format[++i];
        if (conversion == '%') {
            result += '%';
            continue;
        }
        if ((conversion != 's' && conversion != 'd') || next == args.end())
            throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
        if (conversion == 's' && std::holds_alternative<std::string>(*next))
            result += std::get<std::string>(*next);
        else if (conversion == 'd' && std::holds_alternative<std::int64_t>(*next))
            result += std::to_string(std::get<std::int64_t>(*next));
        else
            throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
        ++next;
    }
    return result;
}

const std::string& CheckFileName(const std::string& fileName, const char* verb) {
    if (fileName.find('\0') != std::string::npos)
        throw EInOutError("Cannot %s the file '%s': a file name cannot hold a NUL byte", {std::string(verb), fileName});
    return fileName;
}

}  // namespace zan::platform
