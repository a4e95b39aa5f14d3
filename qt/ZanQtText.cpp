#include <zanbarcode/qt/ZanQtText.h>

#include <map>

#include <QList>

#include <zanbarcode/platform/Graphics.h>

namespace zan::qt {

QString ToQString(std::string_view text) { return QString::fromStdString(platform::Cp1252ToUtf8(text)); }

std::optional<std::string> FromQString(const QString& text) {
    // Every byte's code point, looked up the other way round.
    static const std::map<char32_t, char> bytes = [] {
        std::map<char32_t, char> map;
        for (int byte = 0; byte < 256; ++byte)
            map.emplace(platform::Cp1252ToCodePoint(static_cast<unsigned char>(byte)), static_cast<char>(byte));
        return map;
    }();
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t codePoint : text.toUcs4()) {
        const auto found = bytes.find(codePoint);
        if (found == bytes.end()) return std::nullopt;
        result += found->second;
    }
    return result;
}

}  // namespace zan::qt
