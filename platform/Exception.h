// The root exception class and message formatting with "%s" and "%d" placeholders.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

namespace zan::platform {

// One argument of Format: a string for "%s", an integer for "%d".
using TFormatArg = std::variant<std::string, std::int64_t>;

// Replaces each "%s" and "%d" by the next argument and "%%" by "%". A placeholder
// without an argument, or of the other kind, is an error in the calling code and
// raises EConvertError rather than reading past the arguments.
std::string Format(const std::string& format, std::initializer_list<TFormatArg> args);

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    Exception(const std::string& format, std::initializer_list<TFormatArg> args) : FMessage(Format(format, args)) {}

    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A value that cannot be converted, or an assignment between incompatible objects.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A file or stream that cannot be read or written.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// Returns FileName, or raises EInOutError "Cannot <Verb> the file '<name>': a file name
// cannot hold a NUL byte". The system reads a name up to its first NUL: such a name
// would read or write another file than the one named.
const std::string& CheckFileName(const std::string& fileName, const char* verb);

}  // namespace zan::platform
