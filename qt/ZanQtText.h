// The library's 8-bit Windows-1252 strings as Qt's Unicode strings and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace zan::qt {

QString ToQString(std::string_view text);
// The Windows-1252 bytes of Text, or nothing when it holds a character that the code
// page lacks (which no barcode caption can then carry).
std::optional<std::string> FromQString(const QString& text);

}  // namespace zan::qt
