// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A drawing surface that records an enhanced metafile (EMF) byte by byte.
// Desktop applications paste EMF as editable vector art, which SVG does not
// always get. Plain C++: the writer needs no toolkit; the caller may pass
// the advance widths of its own font so text lays out as on the raster.
//
// No font is ever underlined: some readers (LibreOffice) paint an opaque
// box behind underlined text whatever the background mode. An underline is
// a line of its own, in the text's colour, where the raster draws it.
//
// Logical units are pixels (MM_TEXT). The header's bounds and frame both
// cover exactly width x height pixels; no background is recorded.
#include "diagram/surface.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvoran {

// Advance of each UTF-16 unit of `text`, in pixels, for the plain or
// underlined font. An empty result lets the reader lay the text out itself.
using EmfAdvanceFunction = std::function<std::vector<std::int32_t>(const std::u16string& text, bool underline)>;

// The underline the raster draws under `text` written at (0, 0): its first
// pixel row, the number of rows, and its length from the text's left edge.
struct EmfUnderline {
    int top = 0;
    int rows = 1;
    int length = 0;
};
using EmfUnderlineFunction = std::function<EmfUnderline(const std::u16string& text)>;

struct EmfOptions {
    double dpiX = 96;  // reference device resolution, pixels per inch
    double dpiY = 96;
    std::u16string fontFace;  // empty: the reader's default face
    int fontPixelHeight = 0;  // em height in pixels; 0: the reader's default
    EmfAdvanceFunction advances;
    // Without it an underline sits one em below the text's top, one pixel
    // high, as long as the advances (or a guess from the em).
    EmfUnderlineFunction underline;
    std::u16string description = u"kelvoran";
};

class EmfSurface final : public DrawingSurface {
public:
    EmfSurface(int width, int height, EmfOptions options = EmfOptions());

    void setPenColor(TColor color) override;
    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFontUnderline(bool underline) override;
    void setFontColor(TColor color) override;
    void textOut(int x, int y, const std::string& text) override;

    // Closes the recording (EOF record, header totals) and returns the file.
    // Drawing after this is ignored; a second call returns the same bytes.
    const std::vector<std::uint8_t>& finish();

private:
    class Record;
    void append(const Record& record);
    void flushPen();
    void flushFont();
    void drawUnderline(int x, int y, const std::u16string& text, const std::vector<std::int32_t>& dx);
    void writeHeader();

    int width_;
    int height_;
    EmfOptions options_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t records_ = 0;
    bool finished_ = false;

    TColor penColor_ = 0;
    int penWidth_ = 1;
    bool penDirty_ = true;
    std::uint32_t penHandle_ = 0;  // 0: none of ours selected yet

    bool underline_ = false;
    bool fontDirty_ = true;
    int x_ = 0;  // current position
    int y_ = 0;
    bool positionMoved_ = false;  // an underline moved it: restore before the next line
    std::uint32_t fontHandle_ = 0;

    TColor textColor_ = 0;
    bool textColorDirty_ = true;
};

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// Record types and constants, shared with readers in the tests.
namespace emf {
constexpr std::uint32_t EMR_HEADER = 1;
constexpr std::uint32_t EMR_EOF = 14;
constexpr std::uint32_t EMR_SETBKMODE = 18;
constexpr std::uint32_t EMR_SETTEXTALIGN = 22;
constexpr std::uint32_t EMR_SETTEXTCOLOR = 24;
constexpr std::uint32_t EMR_MOVETOEX = 27;
constexpr std::uint32_t EMR_SELECTOBJECT = 37;
constexpr std::uint32_t EMR_CREATEPEN = 38;
constexpr std::uint32_t EMR_DELETEOBJECT = 40;
constexpr std::uint32_t EMR_LINETO = 54;
constexpr std::uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
constexpr std::uint32_t EMR_EXTCREATEPEN = 95;

constexpr std::uint32_t SIGNATURE = 0x464D4520; // " EMF"
constexpr std::uint32_t TRANSPARENT = 1;
constexpr std::uint32_t TA_TOP_LEFT = 0;        // TA_TOP | TA_LEFT | TA_NOUPDATECP
constexpr std::uint32_t PS_SOLID = 0;
constexpr std::uint32_t PS_ENDCAP_FLAT = 0x200;
constexpr std::uint32_t PS_GEOMETRIC = 0x10000;
constexpr std::uint32_t BS_SOLID = 0;
constexpr std::uint32_t GM_COMPATIBLE = 1;
constexpr std::uint32_t HEADER_SIZE = 108;      // with both header extensions
constexpr std::uint32_t LOGFONT_PANOSE_SIZE = 320;
} // namespace emf

} // namespace kelvoran
