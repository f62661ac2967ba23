// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/recordingsurface.h"

#include <utility>

namespace kelvoran {

namespace {

SurfaceOp makeOp(SurfaceOp::Kind kind)
{
    SurfaceOp op;
    op.kind = kind;
    return op;
}

std::string rgb(TColor c)
{
    return std::to_string(colorRed(c)) + ", " + std::to_string(colorGreen(c)) + ", " +
           std::to_string(colorBlue(c));
}

std::string point(const SurfaceOp& op)
{
    return std::to_string(op.x) + ", " + std::to_string(op.y);
}

} // namespace

SurfaceOp SurfaceOp::penColor(TColor color)
{
    SurfaceOp op = makeOp(Kind::PenColor);
    op.color = color;
    return op;
}

SurfaceOp SurfaceOp::penWidth(int width)
{
    SurfaceOp op = makeOp(Kind::PenWidth);
    op.width = width;
    return op;
}

SurfaceOp SurfaceOp::moveTo(int x, int y)
{
    SurfaceOp op = makeOp(Kind::MoveTo);
    op.x = x;
    op.y = y;
    return op;
}

SurfaceOp SurfaceOp::lineTo(int x, int y)
{
    SurfaceOp op = makeOp(Kind::LineTo);
    op.x = x;
    op.y = y;
    return op;
}

SurfaceOp SurfaceOp::fontUnderline(bool underline)
{
    SurfaceOp op = makeOp(Kind::FontUnderline);
    op.underline = underline;
    return op;
}

SurfaceOp SurfaceOp::fontColor(TColor color)
{
    SurfaceOp op = makeOp(Kind::FontColor);
    op.color = color;
    return op;
}

SurfaceOp SurfaceOp::textOut(int x, int y, std::string text)
{
    SurfaceOp op = makeOp(Kind::TextOut);
    op.x = x;
    op.y = y;
    op.text = std::move(text);
    return op;
}

std::string describeOp(const SurfaceOp& op)
{
    switch (op.kind) {
    case SurfaceOp::Kind::PenColor: return "setPenColor(" + rgb(op.color) + ")";
    case SurfaceOp::Kind::PenWidth: return "setPenWidth(" + std::to_string(op.width) + ")";
    case SurfaceOp::Kind::MoveTo: return "moveTo(" + point(op) + ")";
    case SurfaceOp::Kind::LineTo: return "lineTo(" + point(op) + ")";
    case SurfaceOp::Kind::FontUnderline: return op.underline ? "setFontUnderline(true)" : "setFontUnderline(false)";
    case SurfaceOp::Kind::FontColor: return "setFontColor(" + rgb(op.color) + ")";
    case SurfaceOp::Kind::TextOut: return "textOut(" + point(op) + ", \"" + op.text + "\")";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const SurfaceOp& op)
{
    return out << describeOp(op);
}

std::string RecordingSurface::listing() const
{
    std::string all;
    for (const SurfaceOp& op : ops_)
        all += describeOp(op) + "\n";
    return all;
}

void RecordingSurface::setPenColor(TColor color)
{
    ops_.push_back(SurfaceOp::penColor(color));
    if (target_)
        target_->setPenColor(color);
}

void RecordingSurface::setPenWidth(int width)
{
    ops_.push_back(SurfaceOp::penWidth(width));
    if (target_)
        target_->setPenWidth(width);
}

void RecordingSurface::moveTo(int x, int y)
{
    ops_.push_back(SurfaceOp::moveTo(x, y));
    if (target_)
        target_->moveTo(x, y);
}

void RecordingSurface::lineTo(int x, int y)
{
    ops_.push_back(SurfaceOp::lineTo(x, y));
    if (target_)
        target_->lineTo(x, y);
}

void RecordingSurface::setFontUnderline(bool underline)
{
    ops_.push_back(SurfaceOp::fontUnderline(underline));
    if (target_)
        target_->setFontUnderline(underline);
}

void RecordingSurface::setFontColor(TColor color)
{
    ops_.push_back(SurfaceOp::fontColor(color));
    if (target_)
        target_->setFontColor(color);
}

void RecordingSurface::textOut(int x, int y, const std::string& text)
{
    ops_.push_back(SurfaceOp::textOut(x, y, text));
    if (target_)
        target_->textOut(x, y, text);
}

} // namespace kelvoran
