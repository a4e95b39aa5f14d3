// The process's clipboard: formats placed while it is held open stay together, and each
// completed set goes on to a back-end such as a desktop's system clipboard.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <zanbarcode/platform/Persistent.h>

namespace zan::platform {

using TClipboardFormat = std::uint16_t;
inline constexpr TClipboardFormat cfText = 1;          // data: 8-bit Windows-1252 text
inline constexpr TClipboardFormat cfBitmap = 2;        // data: a BMP file
inline constexpr TClipboardFormat cfEnhMetafile = 14;  // data: the metafile as SVG text

// The data of one clipboard format: immutable bytes shared by whoever holds them.
using TClipboardData = std::shared_ptr<const std::vector<std::uint8_t>>;
using TClipboardFormats = std::map<TClipboardFormat, TClipboardData>;

// Carries the clipboard's contents beyond the process.
class IClipboardBackend {
public:
    virtual ~IClipboardBackend() = default;
    // Formats, all of them together, each time a set is complete: at the outermost Close
    // after placements or a Clear, and at every placement or Clear outside a bracket.
    virtual void Publish(const TClipboardFormats& formats) = 0;
};

class TClipboard : public TPersistent {
public:
    std::string ClassName() const override { return "TClipboard"; }

    // Opens the clipboard; calls nest. The first placement inside the outermost
    // Open empties the clipboard, later ones add to it.
    void Open();
    void Close();
    bool IsOpen() const { return FOpenCount > 0; }

    // Places a bitmap or a metafile in its clipboard format; any other object is
    // asked to assign itself to the clipboard.
    void Assign(TPersistent& source) override;
    // Places Data under Format. Outside an Open/Close bracket this replaces
    // everything on the clipboard.
    void SetAsHandle(TClipboardFormat format, TClipboardData data);

    bool HasFormat(TClipboardFormat format) const { return FFormats.count(format) != 0; }
    // The data under Format, or null.
    TClipboardData GetAsHandle(TClipboardFormat format) const;
    std::size_t FormatCount() const { return FFormats.size(); }
    void Clear();

    // Installs Backend (null: none) and returns the previous one. Reading always answers
    // from what this process placed last, whatever the back-end holds since.
    std::shared_ptr<IClipboardBackend> SetBackend(std::shared_ptr<IClipboardBackend> backend);

private:
    // Publishes now outside a bracket, else at the outermost Close.
    void Changed();

    int FOpenCount = 0;
    bool FEmptied = false;
    bool FChanged = false;
    TClipboardFormats FFormats;
    std::shared_ptr<IClipboardBackend> FBackend;
};

// The process's clipboard.
TClipboard& Clipboard();

}  // namespace zan::platform
