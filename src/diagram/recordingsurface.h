// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A surface that keeps every operation in order, for tests that check what
// was drawn without rendering it. It can also pass each operation on to
// another surface, so the operations a real surface received can be read.
#include "diagram/surface.h"

#include <ostream>
#include <string>
#include <vector>

namespace kelvoran {

struct SurfaceOp {
    enum class Kind { PenColor, PenWidth, MoveTo, LineTo, FontUnderline, FontColor, TextOut };

    Kind kind = Kind::PenColor;
    TColor color = 0;       // PenColor, FontColor
    int width = 0;          // PenWidth
    int x = 0;              // MoveTo, LineTo, TextOut
    int y = 0;
    bool underline = false; // FontUnderline
    std::string text;       // TextOut, UTF-8

    static SurfaceOp penColor(TColor color);
    static SurfaceOp penWidth(int width);
    static SurfaceOp moveTo(int x, int y);
    static SurfaceOp lineTo(int x, int y);
    static SurfaceOp fontUnderline(bool underline);
    static SurfaceOp fontColor(TColor color);
    static SurfaceOp textOut(int x, int y, std::string text);

    friend bool operator==(const SurfaceOp&, const SurfaceOp&) = default;
};

// One operation as a line of text: "lineTo(427, 237)",
// "setPenColor(255, 0, 0)" (red, green, blue), "textOut(104, 5, \"100 V\")".
std::string describeOp(const SurfaceOp& op);
// Lets test frameworks print operations readably.
std::ostream& operator<<(std::ostream& out, const SurfaceOp& op);

class RecordingSurface : public DrawingSurface {
public:
    RecordingSurface() = default;
    // Every operation is recorded, then passed on to target (not owned).
    explicit RecordingSurface(DrawingSurface* target) : target_(target) {}

    const std::vector<SurfaceOp>& ops() const { return ops_; }
    void clear() { ops_.clear(); }
    // Every operation, one describeOp line each.
    std::string listing() const;

    void setPenColor(TColor color) override;
    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFontUnderline(bool underline) override;
    void setFontColor(TColor color) override;
    void textOut(int x, int y, const std::string& text) override;

private:
    std::vector<SurfaceOp> ops_;
    DrawingSurface* target_ = nullptr;
};

} // namespace kelvoran
