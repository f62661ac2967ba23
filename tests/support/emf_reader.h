// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays an enhanced metafile back as GDI would (handle table, selected pen
// and font, current position, text colour), so a test can compare its lines
// and texts with what a recording surface received.
#include "diagram/emf/emfsurface.h"
#include "diagram/recordingsurface.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
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
    bool underline; // the font's underline flag when played, the surface's when replayed
    friend bool operator==(const EmfText&, const EmfText&) = default;
};

struct EmfPlayback {
    const char* problem = "no EOF record"; // nullptr once the file played to its EOF record and end
    std::int32_t bounds[4]{};              // header, pixels, inclusive
    std::int32_t frame[4]{};               // header, 0.01 mm, inclusive
    std::uint32_t signature = 0, bytes = 0, records = 0;
    std::vector<std::uint32_t> types; // every record type, in order
    std::vector<EmfLine> lines;      // drawn with plain pens (EMR_CREATEPEN)
    std::vector<EmfLine> underlines; // drawn with flat-ended pens (EMR_EXTCREATEPEN)
    std::vector<EmfText> texts;
    std::uint32_t bkMode = 2; // OPAQUE until set
    std::uint32_t textAlign = ~0u;
};

inline EmfPlayback playEmf(const QByteArray& emf)
{
    namespace r = kelvoran::emf;
    struct Object {
        int kind = 0; // 0 none, 1 pen, 2 font
        kelvoran::TColor color = 0;
        int width = 1;
        bool underline = false; // font: lfUnderline; pen: flat ends
    };
    EmfPlayback out;
    std::vector<Object> handles(64);
    Object pen, font;
    kelvoran::TColor textColor = 0;
    int cx = 0, cy = 0;
    qsizetype at = 0;
    const auto byte = [&](qsizetype off) { return std::uint32_t(static_cast<unsigned char>(emf[at + off])); };
    const auto u32 = [&](qsizetype off) { return byte(off) | byte(off + 1) << 8 | byte(off + 2) << 16 | byte(off + 3) << 24; };
    const auto i32 = [&](qsizetype off) { return static_cast<std::int32_t>(u32(off)); };
    const auto handle = [&]() -> Object& { return handles[u32(8) % 64]; };
    while (at + 8 <= emf.size()) {
        const std::uint32_t type = u32(0), size = u32(4);
        if (size < 8 || size % 4 || at + size > emf.size()) {
            out.problem = "bad record size";
            return out;
        }
        out.types.push_back(type);
        switch (type) {
        case r::EMR_HEADER:
            for (int k = 0; k < 4; ++k) {
                out.bounds[k] = i32(8 + 4 * k);
                out.frame[k] = i32(24 + 4 * k);
            }
            out.signature = u32(40);
            out.bytes = u32(48);
            out.records = u32(52);
            break;
        case r::EMR_SETBKMODE: out.bkMode = u32(8); break;
        case r::EMR_SETTEXTALIGN: out.textAlign = u32(8); break;
        case r::EMR_SETTEXTCOLOR: textColor = u32(8); break;
        case r::EMR_LINETO:
            (pen.underline ? out.underlines : out.lines).push_back({cx, cy, i32(8), i32(12), pen.color, pen.width});
            [[fallthrough]];
        case r::EMR_MOVETOEX:
            cx = i32(8);
            cy = i32(12);
            break;
        case r::EMR_CREATEPEN: handle() = {1, u32(24), i32(16), false}; break;
        case r::EMR_EXTCREATEPEN:
            if (u32(28) != (r::PS_GEOMETRIC | r::PS_ENDCAP_FLAT | r::PS_SOLID) || u32(36) != r::BS_SOLID) {
                out.problem = "unexpected extended pen";
                return out;
            }
            handle() = {1, u32(40), i32(32), true};
            break;
        case r::EMR_EXTCREATEFONTINDIRECTW: handle() = {2, 0, 0, byte(12 + 21) != 0}; break; // lfUnderline
        case r::EMR_SELECTOBJECT:
            if (handle().kind == 0) {
                out.problem = "select of an unknown handle";
                return out;
            }
            (handle().kind == 1 ? pen : font) = handle();
            break;
        case r::EMR_DELETEOBJECT: handle().kind = 0; break;
        case r::EMR_EXTTEXTOUTW: {
            std::u16string s;
            for (std::uint32_t k = 0, off = u32(48); k < u32(44); ++k)
                s.push_back(static_cast<char16_t>(byte(off + 2 * k) | byte(off + 2 * k + 1) << 8));
            out.texts.push_back({i32(36), i32(40), s, textColor, font.underline});
            break;
        }
        }
        at += size;
        if (type == r::EMR_EOF) {
            out.problem = at == emf.size() ? nullptr : "bytes after EOF";
            return out;
        }
    }
    return out;
}

// The lines and texts a recording surface received, as a player would see them.
inline EmfPlayback replayOps(const std::vector<kelvoran::SurfaceOp>& ops)
{
    using Kind = kelvoran::SurfaceOp::Kind;
    EmfPlayback out;
    kelvoran::TColor penColor = 0, fontColor = 0;
    int penWidth = 1, cx = 0, cy = 0;
    bool underline = false;
    for (const kelvoran::SurfaceOp& op : ops) {
        switch (op.kind) {
        case Kind::PenColor: penColor = op.color; break;
        case Kind::PenWidth: penWidth = op.width < 0 ? 0 : op.width; break;
        case Kind::LineTo: out.lines.push_back({cx, cy, op.x, op.y, penColor, penWidth}); [[fallthrough]];
        case Kind::MoveTo:
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

// Where a played metafile first departs from the recording it was drawn
// from, or "": the same lines and texts (no font of the metafile is
// underlined), one flat line more per underlined text.
inline std::string departureFromRecording(const EmfPlayback& play, const std::vector<kelvoran::SurfaceOp>& ops)
{
    EmfPlayback drawn = replayOps(ops);
    std::size_t underlined = 0;
    for (EmfText& t : drawn.texts)
        underlined += std::exchange(t.underline, false);
    if (play.problem)
        return play.problem;
    const auto mismatch = std::mismatch(play.lines.begin(), play.lines.end(), drawn.lines.begin(), drawn.lines.end());
    if (drawn.lines.empty() || mismatch.first != play.lines.end() || mismatch.second != drawn.lines.end())
        return "line " + std::to_string(mismatch.first - play.lines.begin()) + " of " + std::to_string(drawn.lines.size());
    const auto text = std::mismatch(play.texts.begin(), play.texts.end(), drawn.texts.begin(), drawn.texts.end());
    if (text.first != play.texts.end() || text.second != drawn.texts.end())
        return "text " + std::to_string(text.first - play.texts.begin()) + " of " + std::to_string(drawn.texts.size());
    if (play.underlines.size() != underlined)
        return std::to_string(play.underlines.size()) + " underlines for " + std::to_string(underlined) + " names";
    return {};
}

} // namespace testsupport
