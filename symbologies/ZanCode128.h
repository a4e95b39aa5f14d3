// Code 128: three character sets with start, shift and set-change symbols, modulo-103 check.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

class TZanCode128;

// A: upper case and control characters; B: upper and lower case; C: digit pairs.
enum TZanCode128CharSet : std::uint8_t { CodeA, CodeB, CodeC };

// The symbol that introduces a segment: a start symbol (first segment only), a shift
// (the segment holds the one shifted character), none (the set in force before a
// shift resumes), or a set change.
enum TZanCode128ShiftType : std::uint8_t { stStart, stShift, stUnshift, stCode };

// Control characters of a caption. 128 to 132 shift and change sets and are not data;
// 133 to 136 are the function characters FNC1 to FNC4, data in the sets that have them.
inline constexpr char Code128ShiftToA = '\x80';
inline constexpr char Code128ShiftToB = '\x81';
inline constexpr char Code128ChangeToA = '\x82';
inline constexpr char Code128ChangeToB = '\x83';
inline constexpr char Code128ChangeToC = '\x84';
inline constexpr char Code128FNC1 = '\x85';
inline constexpr char Code128FNC2 = '\x86';
inline constexpr char Code128FNC3 = '\x87';
inline constexpr char Code128FNC4 = '\x88';

// A stretch of caption encoded in one character set. A segment only ever holds text
// that its set encodes (its parse refuses anything else), so its symbol values are
// valid pattern indices whatever the caption was.
class TZanCode128Segment {
public:
    TZanCode128CharSet GetCharSet() const { return FCharSet; }
    TZanCode128ShiftType GetShiftType() const { return FShiftType; }
    // The data characters as they stood in the caption (FNC characters included), with
    // a "0" in front of an odd final run of Code C digits.
    const std::string& GetText() const { return FText; }
    // Symbol values of the data characters, each 0 to 102.
    const std::vector<int>& GetSymbols() const { return FSymbols; }

    // Weight of the introducing symbol in the check sum.
    int GetPosition() const { return FPosition; }
    // Symbol value of the introducing symbol; 0 for stUnshift, which has none.
    int GetStartCodeValue() const { return FStartCodeValue; }
    // The segment's contribution to the weighted check sum.
    std::int64_t GetCheckSum() const;
    // The text without the characters with codes 128 and above.
    std::string GetCaption() const;
    // Width pattern of the introducing symbol; empty for stUnshift.
    std::string_view GetStartCode() const;

private:
    // Segments are made and filled by the list's parse only.
    friend class TZanCode128SegmentList;
    TZanCode128Segment(TZanCode128CharSet charSet, TZanCode128ShiftType shiftType, int startCodeValue, int position);
    // Adds one data character; raises EInvalidText when the set cannot encode it. In
    // Code C digits wait for their partner; FNC1 must follow an even run of digits.
    void Append(char c);
    // Pads an odd final run of Code C digits with a leading "0" and encodes its pairs.
    void Finish();
    void EncodeDigitRun();
    // Weight of the first data symbol: after the introducing symbol, if any.
    int GetFirstDataPosition() const;
    // Position of the segment that follows this one.
    int GetNextPosition() const;

    TZanCode128CharSet FCharSet;
    TZanCode128ShiftType FShiftType;
    int FStartCodeValue;
    int FPosition;
    std::string FText;
    std::vector<int> FSymbols;
    std::size_t FDigitRunStart = 0;  // Code C: where the digits not yet paired begin in FText
};

// The parsed caption: the segments in caption order. A caption that cannot be parsed
// leaves the list as it was.
class TZanCode128SegmentList {
public:
    // Code128 supplies the start set.
    explicit TZanCode128SegmentList(const TZanCode128& code128) : FCode128(code128) {}

    int GetCount() const { return static_cast<int>(FItems.size()); }
    // Raises platform::EListError for an index outside 0..count-1.
    const TZanCode128Segment& GetItem(int index) const;
    // Parses Value into segments starting in the owner's set; raises EInvalidText.
    void SetCaption(const std::string& value);
    // Drops every segment.
    void Clear() { FItems.clear(); }
    // Diagnostic form: each segment's introducing pattern followed by its caption.
    std::string GetCaption() const;
    // Check symbol value: the weighted sum of all symbols modulo 103.
    int GetCheckCharacter() const;
    // Symbols drawn, start, shift and set-change symbols included; check and stop not.
    std::int64_t GetSymbolCount() const;

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    const TZanCode128& FCode128;
    std::vector<std::unique_ptr<TZanCode128Segment>> FItems;
};

// The Code 128 symbology. The caption starts in CharacterSet and switches sets only
// where it says so with the control characters 128 to 132.
class TZanCode128 : public TZanLinearSymbology {
public:
    TZanCode128() = default;
    static std::string SymbologyName() { return "Code 128"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanCode128>(); }
    std::string ClassName() const override { return "TZanCode128"; }
    const platform::TPropList& PublishedProperties() const override;

    std::string GetDefaultCaption() override { return "0123456789"; }
    // Parses Text in the current start set and leaves it unchanged; raises EInvalidText.
    // Without a renderer the symbology draws the text it last accepted.
    void ValidateText(std::string& text) override;
    // The segments' texts: FNC characters and Code C padding shown, shifts and set changes not.
    std::string GetCaption() override;
    int GetCodeWidth() override;
    void Paint() override;

    int GetCheckCharacter() const { return GetSegments().GetCheckCharacter(); }
    // The parse of the caption drawn (the renderer's as it stands, validated or not, or
    // without a renderer the text last accepted) in the current start set. A caption
    // that the set cannot encode has no segments, and Paint refuses it.
    const TZanCode128SegmentList& GetSegments() const;

    TZanCode128CharSet GetCharacterSet() const { return FCharacterSet; }
    // Lets the renderer validate its caption again in the new start set; when it cannot
    // be encoded there, the caption falls back to the default caption. Raises
    // EZanBarcodeError for a value that is no character set.
    void SetCharacterSet(TZanCode128CharSet value);
    bool GetDisplayCaption() const { return FDisplayCaption; }
    void SetDisplayCaption(bool value);

protected:
    // Draws one symbol: bar, space, bar, ... of the given module widths.
    virtual void DrawChar(TModuleWidths widths);

private:
    std::string GetDrawnCaption() const;

    TZanCode128CharSet FCharacterSet = CodeB;
    bool FDisplayCaption = true;
    std::string FAcceptedText;  // the text last accepted, drawn without a renderer
    // The parse of the drawn caption, made by the first reader after the caption or the
    // start set changed. It is a cache of what the caption and the set determine, so the
    // readers that fill it stay free of visible side effects.
    mutable TZanCode128SegmentList FSegments{*this};
    mutable std::string FParsedCaption;
    mutable TZanCode128CharSet FParsedSet = CodeB;
    mutable std::string FParseFault;  // why FParsedCaption cannot be encoded; empty when it can
};

}  // namespace zan
