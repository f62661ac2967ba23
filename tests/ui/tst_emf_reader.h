#pragma once
// Reads an enhanced metafile back the way a player would: the handle table,
// the selected pen and font, the current position and the text colour, so a
// test can compare the lines and texts with what the recording surface got.
#include "diagram/emf/emfsurface.h"
#include "diagram/recordingsurface.h"
#include "model/state.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct EmfLine {
    int x0, y0, x1, y1;
    kelvoran::TColor color;
    int width;
    friend bool operator==(const EmfLine&, const EmfLine&) = default;
};

struct EmfText {
    int x, y;
    std::u16string text;
    kelvoran::TColor color;
    bool underline;
    friend bool operator==(const EmfText&, const EmfText&) = default;
};

struct EmfHeader {
    std::int32_t bounds[4]{};
    std::int32_t frame[4]{};
    std::uint32_t signature = 0;
    std::uint32_t bytes = 0;
    std::uint32_t records = 0;
    std::int32_t device[2]{};
    std::int32_t millimeters[2]{};
};

struct EmfPlayback {
    bool valid = false;
    QString problem;
    EmfHeader header;
    std::vector<std::uint32_t> types; // every record type, in order
    std::vector<EmfLine> lines;
    std::vector<EmfText> texts;
    std::uint32_t bkMode = 2;     // OPAQUE until set
    std::uint32_t textAlign = ~0u;
};

inline std::uint32_t le32(const QByteArray& b, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Plays the records back as GDI would: objects in a handle table, the
// selected pen and font, the current position and the text colour.
inline EmfPlayback playEmf(const QByteArray& emf)
{
    EmfPlayback out;
    struct Pen {
        kelvoran::TColor color = 0;
        int width = 1;
    };
    struct Font {
        bool underline = false;
    };
    std::vector<int> kind(64, 0); // 0 none, 1 pen, 2 font
    std::vector<Pen> pens(64);
    std::vector<Font> fonts(64);
    Pen pen;
    Font font;
    kelvoran::TColor textColor = 0;
    int cx = 0, cy = 0;
    const auto fail = [&](const QString& why) {
        out.problem = why;
        return out;
    };
    qsizetype at = 0;
    bool sawEof = false;
    while (at + 8 <= emf.size()) {
        const std::uint32_t type = le32(emf, at);
        const std::uint32_t size = le32(emf, at + 4);
        if (size < 8 || size % 4 || at + size > emf.size())
            return fail(QStringLiteral("bad record size %1 at %2").arg(size).arg(at));
        out.types.push_back(type);
        const auto i32 = [&](qsizetype off) { return static_cast<std::int32_t>(le32(emf, at + off)); };
        const auto handle = [&](qsizetype off) { return static_cast<std::size_t>(le32(emf, at + off)) % 64; };
        switch (type) {
        case 1: // header
            for (int k = 0; k < 4; ++k) {
                out.header.bounds[k] = i32(8 + 4 * k);
                out.header.frame[k] = i32(24 + 4 * k);
            }
            out.header.signature = le32(emf, at + 40);
            out.header.bytes = le32(emf, at + 48);
            out.header.records = le32(emf, at + 52);
            out.header.device[0] = i32(72);
            out.header.device[1] = i32(76);
            out.header.millimeters[0] = i32(80);
            out.header.millimeters[1] = i32(84);
            break;
        case 18: out.bkMode = le32(emf, at + 8); break;
        case 22: out.textAlign = le32(emf, at + 8); break;
        case 24: textColor = le32(emf, at + 8); break;
        case 27:
            cx = i32(8);
            cy = i32(12);
            break;
        case 54:
            out.lines.push_back({cx, cy, i32(8), i32(12), pen.color, pen.width});
            cx = i32(8);
            cy = i32(12);
            break;
        case 38: { // create pen
            const std::size_t h = handle(8);
            kind[h] = 1;
            pens[h] = {le32(emf, at + 24), i32(16)};
            break;
        }
        case 82: { // create font
            const std::size_t h = handle(8);
            kind[h] = 2;
            fonts[h] = {emf[at + 12 + 21] != 0};
            break;
        }
        case 37: { // select
            const std::size_t h = handle(8);
            if (kind[h] == 1)
                pen = pens[h];
            else if (kind[h] == 2)
                font = fonts[h];
            else
                return fail(QStringLiteral("select of an unknown handle %1").arg(h));
            break;
        }
        case 40: kind[handle(8)] = 0; break;
        case 84: { // ExtTextOutW
            const std::int32_t x = i32(36), y = i32(40);
            const std::uint32_t n = le32(emf, at + 44);
            const std::uint32_t off = le32(emf, at + 48);
            std::u16string s;
            for (std::uint32_t k = 0; k < n; ++k)
                s.push_back(static_cast<char16_t>(static_cast<unsigned char>(emf[at + off + 2 * k])
                                                  | static_cast<unsigned char>(emf[at + off + 2 * k + 1]) << 8));
            out.texts.push_back({x, y, s, textColor, font.underline});
            break;
        }
        case 14: sawEof = true; break;
        default: break;
        }
        at += size;
        if (sawEof)
            break;
    }
    if (!sawEof)
        return fail(QStringLiteral("no EOF record"));
    if (at != emf.size())
        return fail(QStringLiteral("bytes after EOF"));
    out.valid = true;
    return out;
}


// The same lines and texts, from the operations a recording surface kept.
struct Drawn {
    std::vector<EmfLine> lines;
    std::vector<EmfText> texts;
};

inline Drawn replayOps(const std::vector<kelvoran::SurfaceOp>& ops)
{
    using Kind = kelvoran::SurfaceOp::Kind;
    Drawn out;
    kelvoran::TColor penColor = 0, fontColor = 0;
    int penWidth = 1, cx = 0, cy = 0;
    bool underline = false;
    for (const kelvoran::SurfaceOp& op : ops) {
        switch (op.kind) {
        case Kind::PenColor: penColor = op.color; break;
        case Kind::PenWidth: penWidth = op.width; break;
        case Kind::MoveTo:
            cx = op.x;
            cy = op.y;
            break;
        case Kind::LineTo:
            out.lines.push_back({cx, cy, op.x, op.y, penColor, penWidth < 0 ? 0 : penWidth});
            cx = op.x;
            cy = op.y;
            break;
        case Kind::FontUnderline: underline = op.underline; break;
        case Kind::FontColor: fontColor = op.color; break;
        case Kind::TextOut:
            if (!op.text.empty())
                out.texts.push_back({op.x, op.y, kelvoran::utf8ToUtf16(op.text), fontColor, underline});
            break;
        }
    }
    return out;
}

} // namespace testsupport
