// SPDX-License-Identifier: GPL-3.0-or-later
#include "emfsurface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

namespace kelvoran {

// One record under construction: little-endian fields, size patched at the end.
class EmfSurface::Record {
public:
    explicit Record(std::uint32_t type)
    {
        u32(type);
        u32(0);
    }
    Record& u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Record& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Record& u16(std::uint16_t v)
    {
        data_.push_back(static_cast<std::uint8_t>(v));
        data_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Record& u8(std::uint8_t v)
    {
        data_.push_back(v);
        return *this;
    }
    Record& f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    }
    Record& rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
    {
        return i32(l).i32(t).i32(r).i32(b);
    }
    // UTF-16 text in a field of `units` code units (zero-filled), or as long
    // as the text itself when units is 0.
    Record& utf16(const std::u16string& s, std::size_t units = 0)
    {
        const std::size_t n = units ? units : s.size();
        for (std::size_t i = 0; i < n; ++i)
            u16(i < s.size() ? static_cast<std::uint16_t>(s[i]) : 0);
        return *this;
    }
    Record& align4()
    {
        while (data_.size() % 4)
            data_.push_back(0);
        return *this;
    }
    std::uint32_t size() const { return static_cast<std::uint32_t>(data_.size()); }
    void patch(std::size_t offset, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    const std::vector<std::uint8_t>& bytes() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

namespace {

constexpr std::uint32_t kPenHandles[2] = {1, 2};
constexpr std::uint32_t kFontHandles[2] = {3, 4};
constexpr std::uint32_t kHandleCount = 5; // index 0 is reserved

std::uint32_t nextHandle(std::uint32_t current, const std::uint32_t (&pair)[2])
{
    return current == pair[0] ? pair[1] : pair[0];
}

std::int32_t hundredthsOfMm(int pixels, double dpi)
{
    return static_cast<std::int32_t>(std::lround(pixels * 2540.0 / dpi));
}

} // namespace

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char c = byte(i);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
        static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

EmfSurface::EmfSurface(int width, int height, EmfOptions options)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), options_(std::move(options))
{
    if (!(options_.dpiX > 0))
        options_.dpiX = 96;
    if (!(options_.dpiY > 0))
        options_.dpiY = 96;
    writeHeader();
    append(Record(emf::EMR_SETBKMODE).u32(emf::TRANSPARENT));
    append(Record(emf::EMR_SETTEXTALIGN).u32(emf::TA_TOP_LEFT));
}

void EmfSurface::writeHeader()
{
    // The description is "application\0picture\0\0" in UTF-16.
    std::u16string description = options_.description;
    description.push_back(u'\0');
    description += u"Fresnel";
    description.push_back(u'\0');
    description.push_back(u'\0');

    // A reference device of ten inches by 254 mm keeps the pixel-to-mm ratio exact.
    const std::int32_t devX = static_cast<std::int32_t>(std::lround(options_.dpiX * 10));
    const std::int32_t devY = static_cast<std::int32_t>(std::lround(options_.dpiY * 10));

    Record r(emf::EMR_HEADER);
    // Bounds (pixels) and frame (0.01 mm), both inclusive-inclusive.
    r.rect(0, 0, width_ - 1, height_ - 1);
    r.rect(0, 0, hundredthsOfMm(width_, options_.dpiX) - 1, hundredthsOfMm(height_, options_.dpiY) - 1);
    r.u32(emf::SIGNATURE);
    r.u32(0x00010000);         // version
    r.u32(0);                  // total bytes, patched by finish()
    r.u32(0);                  // record count, patched by finish()
    r.u16(kHandleCount);
    r.u16(0);                  // reserved
    r.u32(static_cast<std::uint32_t>(description.size()));
    r.u32(emf::HEADER_SIZE);   // description follows the fixed part
    r.u32(0);                  // palette entries
    r.i32(devX).i32(devY);     // reference device, pixels
    r.i32(254).i32(254);       // reference device, millimetres
    r.u32(0).u32(0).u32(0);    // no pixel format, no OpenGL
    r.i32(254000).i32(254000); // reference device, micrometres
    r.utf16(description).align4();
    append(r);
}

void EmfSurface::append(const Record& record)
{
    Record copy = record;
    copy.align4();
    copy.patch(4, copy.size());
    bytes_.insert(bytes_.end(), copy.bytes().begin(), copy.bytes().end());
    ++records_;
}

void EmfSurface::setPenColor(TColor color)
{
    if (color != penColor_) {
        penColor_ = color;
        penDirty_ = true;
    }
}

void EmfSurface::setPenWidth(int width)
{
    if (width != penWidth_) {
        penWidth_ = width;
        penDirty_ = true;
    }
}

void EmfSurface::setFontUnderline(bool underline)
{
    underline_ = underline;
}

void EmfSurface::setFontColor(TColor color)
{
    if (color != textColor_) {
        textColor_ = color;
        textColorDirty_ = true;
    }
}

// A GDI object cannot be deleted while selected: create the new one in the
// other slot, select it, then delete the old one.
void EmfSurface::flushPen()
{
    if (!penDirty_)
        return;
    const std::uint32_t handle = nextHandle(penHandle_, kPenHandles);
    append(Record(emf::EMR_CREATEPEN)
               .u32(handle)
               .u32(emf::PS_SOLID)
               .i32(std::max(penWidth_, 0))
               .i32(0)
               .u32(penColor_ & 0x00FFFFFF));
    append(Record(emf::EMR_SELECTOBJECT).u32(handle));
    if (penHandle_)
        append(Record(emf::EMR_DELETEOBJECT).u32(penHandle_));
    penHandle_ = handle;
    penDirty_ = false;
}

void EmfSurface::flushFont()
{
    if (textColorDirty_) {
        append(Record(emf::EMR_SETTEXTCOLOR).u32(textColor_ & 0x00FFFFFF));
        textColorDirty_ = false;
    }
    if (!fontDirty_)
        return;
    const std::uint32_t handle = nextHandle(fontHandle_, kFontHandles);
    Record r(emf::EMR_EXTCREATEFONTINDIRECTW);
    r.u32(handle);
    // LogFont
    r.i32(-options_.fontPixelHeight); // negative: em height
    r.i32(0).i32(0).i32(0);            // width, escapement, orientation
    r.i32(400);                        // FW_NORMAL
    r.u8(0);                           // italic
    r.u8(0);                           // never underlined: see drawUnderline
    r.u8(0);                           // strike-out
    r.u8(1);                           // DEFAULT_CHARSET
    r.u8(0).u8(0).u8(0).u8(0);         // precisions, quality, pitch and family
    r.utf16(options_.fontFace.substr(0, 31), 32);
    // The rest of LogFontPanose: full name, style, version, style size,
    // match, reserved, vendor, culture, panose, padding.
    r.utf16(u"", 64).utf16(u"", 32);
    r.u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (int i = 0; i < 12; ++i)
        r.u8(0);
    append(r);
    append(Record(emf::EMR_SELECTOBJECT).u32(handle));
    if (fontHandle_)
        append(Record(emf::EMR_DELETEOBJECT).u32(fontHandle_));
    fontHandle_ = handle;
    fontDirty_ = false;
}

void EmfSurface::moveTo(int x, int y)
{
    if (finished_)
        return;
    append(Record(emf::EMR_MOVETOEX).i32(x).i32(y));
    x_ = x;
    y_ = y;
    positionMoved_ = false;
}

void EmfSurface::lineTo(int x, int y)
{
    if (finished_)
        return;
    if (positionMoved_)
        moveTo(x_, y_);
    flushPen();
    append(Record(emf::EMR_LINETO).i32(x).i32(y));
    x_ = x;
    y_ = y;
}

// The underline in its own flat-ended pen of the text's colour, one row
// band wide; the diagram's pen is selected again before its next line.
void EmfSurface::drawUnderline(int x, int y, const std::u16string& text, const std::vector<std::int32_t>& dx)
{
    EmfUnderline u;
    if (options_.underline) {
        u = options_.underline(text);
    } else {
        // A fair guess: one em down, and the advances or 0.6 em a unit long.
        const int em = options_.fontPixelHeight > 0 ? options_.fontPixelHeight : 12;
        const std::int64_t length = dx.empty() ? std::int64_t{em} * 6 / 10 * static_cast<std::int64_t>(text.size())
                                               : std::accumulate(dx.begin(), dx.end(), std::int64_t{0});
        u.top = em;
        u.length = static_cast<int>(std::clamp<std::int64_t>(length, 0, INT32_MAX));
    }
    if (u.length <= 0 || u.rows <= 0)
        return;
    const auto saturated = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    // A pen n pixels wide on row r covers rows r - n/2 to r + (n-1)/2.
    const std::int32_t row = saturated(std::int64_t{y} + u.top + u.rows / 2);
    const std::uint32_t handle = nextHandle(penHandle_, kPenHandles);
    append(Record(emf::EMR_EXTCREATEPEN)
               .u32(handle)
               .u32(0).u32(0).u32(0).u32(0) // no brush bitmap
               .u32(emf::PS_GEOMETRIC | emf::PS_ENDCAP_FLAT | emf::PS_SOLID)
               .u32(static_cast<std::uint32_t>(u.rows))
               .u32(emf::BS_SOLID)
               .u32(textColor_ & 0x00FFFFFF)
               .u32(0)   // hatch
               .u32(0)); // no dash entries
    append(Record(emf::EMR_SELECTOBJECT).u32(handle));
    if (penHandle_)
        append(Record(emf::EMR_DELETEOBJECT).u32(penHandle_));
    penHandle_ = handle;
    penDirty_ = true;
    append(Record(emf::EMR_MOVETOEX).i32(x).i32(row));
    append(Record(emf::EMR_LINETO).i32(saturated(std::int64_t{x} + u.length)).i32(row));
    positionMoved_ = true;
}

void EmfSurface::textOut(int x, int y, const std::string& text)
{
    if (finished_ || text.empty())
        return;
    flushFont();
    const std::u16string units = utf8ToUtf16(text);
    std::vector<std::int32_t> dx;
    if (options_.advances) {
        dx = options_.advances(units, underline_);
        if (dx.size() != units.size())
            dx.clear();
    }

    // Output bounds are ignored by readers; give a fair estimate anyway.
    // Worked out wide and saturated: a text far off the picture sits at the
    // 32-bit limit, where x + w would overflow.
    std::int32_t bounds[4] = {0, 0, -1, -1};
    if (!dx.empty()) {
        const auto saturated = [](std::int64_t v) {
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
        };
        const std::int64_t w = std::accumulate(dx.begin(), dx.end(), std::int64_t{0});
        const std::int64_t h = options_.fontPixelHeight > 0 ? std::int64_t{options_.fontPixelHeight} * 5 / 4 : 16;
        bounds[0] = x;
        bounds[1] = y;
        bounds[2] = saturated(x + w - 1);
        bounds[3] = saturated(y + h - 1);
    }

    constexpr std::uint32_t kStringOffset = 76;
    const std::uint32_t stringBytes = static_cast<std::uint32_t>(units.size() * 2);
    const std::uint32_t dxOffset = dx.empty() ? 0 : (kStringOffset + stringBytes + 3) / 4 * 4;

    Record r(emf::EMR_EXTTEXTOUTW);
    r.rect(bounds[0], bounds[1], bounds[2], bounds[3]);
    r.u32(emf::GM_COMPATIBLE);
    r.f32(static_cast<float>(2540.0 / options_.dpiX));
    r.f32(static_cast<float>(2540.0 / options_.dpiY));
    r.i32(x).i32(y);                                 // reference point
    r.u32(static_cast<std::uint32_t>(units.size()));
    r.u32(kStringOffset);
    r.u32(0);                                        // options: no clip, no opaque box
    r.rect(0, 0, -1, -1);                            // (unused) clipping rectangle
    r.u32(dxOffset);
    r.utf16(units).align4();
    for (std::int32_t d : dx)
        r.i32(d);
    append(r);
    if (underline_)
        drawUnderline(x, y, units, dx);
}

const std::vector<std::uint8_t>& EmfSurface::finish()
{
    if (finished_)
        return bytes_;
    Record eof(emf::EMR_EOF);
    eof.u32(0);  // palette entries
    eof.u32(16); // palette offset
    eof.u32(20); // size of this record, repeated last
    append(eof);
    finished_ = true;

    const auto put = [&](std::size_t offset, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(48, static_cast<std::uint32_t>(bytes_.size()));
    put(52, records_);
    return bytes_;
}

} // namespace kelvoran
