// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/frame.h"

#include "model/floaterror.h"
#include "numtext/numtext.h"

#include <climits>
#include <cmath>

namespace kelvoran {

namespace {

constexpr double kLn10 = 2.302585092994046;

// Products are formed wide and rounded on store, like the rest of the model,
// so an overflowing product raises instead of giving an infinity.
double product(double a, double b)
{
    return toDouble(static_cast<long double>(a) * b);
}

TComplexe scaled(TComplexe z, double k)
{
    return {product(z.re, k), product(z.im, k)};
}

int roundToPixel(long double v)
{
    long double r = std::nearbyint(v);
    if (!(r >= INT_MIN))
        r = INT_MIN;
    else if (r > INT_MAX)
        r = INT_MAX;
    return static_cast<int>(r);
}

// ln x / ln 10 in double: 1000 gives 2.9999999999999996, a decade lower
// than the exact logarithm. The logarithm of 0 stops like a trapping FPU.
double decimalLog(double x)
{
    if (x == 0)
        raiseFloatError(FloatError::Kind::DivisionByZero);
    if (!(x > 0))
        raiseFloatError(FloatError::Kind::InvalidOperation);
    return std::log(x) / std::log(10.0);
}

// The bar length for a window bound or a current: one of 1, 10, 100...
// taken from the absolute value of the truncated exponent.
double barDecade(double x)
{
    return powerOfTen(std::fabs(std::trunc(decimalLog(x))));
}

class Window {
public:
    explicit Window(DiagramFrame& f) : f_(f) {}

    void include(TComplexe p)
    {
        if (p.re > f_.xMax)
            f_.xMax = p.re;
        if (p.re < f_.xMin)
            f_.xMin = p.re;
        if (p.im > f_.yMax)
            f_.yMax = p.im;
        if (p.im < f_.yMin)
            f_.yMin = p.im;
    }

private:
    DiagramFrame& f_;
};

void keepLarger(double& current, double candidate)
{
    if (candidate > current)
        current = candidate;
}

} // namespace

double powerOfTen(double x)
{
    return checkFinite(std::exp(x * kLn10));
}

int worldToPixelX(int p0, int p1, double v, double lo, double hi)
{
    const long double span = static_cast<long double>(p1) - p0;
    const long double num = (static_cast<long double>(v) - lo) * span;
    return roundToPixel(checkedDivL(num, static_cast<long double>(hi) - lo) + p0);
}

int worldToPixelY(int p0, int p1, double v, double lo, double hi)
{
    const long double span = static_cast<long double>(p1) - p0;
    const long double num = (static_cast<long double>(hi) - v) * span;
    return roundToPixel(checkedDivL(num, static_cast<long double>(hi) - lo) + p0);
}

int offsetPixel(int p, int d)
{
    const long long r = static_cast<long long>(p) + d;
    if (r > INT_MAX)
        return INT_MAX;
    if (r < INT_MIN)
        return INT_MIN;
    return static_cast<int>(r);
}

DiagramFrame computeDiagramFrame(const InstallationState& s, const DisplaySettings& d, int width, int height)
{
    DiagramFrame f;
    f.width = width;
    f.height = height;
    Window window(f);

    f.vMax = cmodule(s.vs1);
    window.include(s.vs1);
    for (const TComplexe& v : {s.vs2, s.vs3}) {
        keepLarger(f.vMax, cmodule(v));
        window.include(v);
    }
    // The load voltages count while the voltage construction is on, even
    // when they are hidden: the chains end on them.
    if (d.showLoadVoltages || d.constructVoltageComponents) {
        for (const TComplexe& v : {s.vz1, s.vz2, s.vz3}) {
            keepLarger(f.vMax, cmodule(v));
            window.include(v);
        }
    }
    if (d.constructVoltageComponents) {
        for (const TComplexe& v : {s.ud, s.ui, s.u0}) {
            keepLarger(f.vMax, cmodule(v));
            window.include(v);
        }
    }

    // Unscaled currents count as points as if they were volts.
    f.iMax = cmodule(s.i1);
    if (d.showLineCurrents) {
        window.include(s.i1);
        window.include(s.i2);
        keepLarger(f.iMax, cmodule(s.i2));
        window.include(s.i3);
        keepLarger(f.iMax, cmodule(s.i3));
    }
    if (d.constructCurrentComponents) {
        for (const TComplexe& c : {s.id, s.ii, s.i0}) {
            window.include(c);
            keepLarger(f.iMax, cmodule(c));
        }
    }

    f.currentScale = checkedDiv(f.vMax, f.iMax);
    f.scaledI1 = scaled(s.i1, f.currentScale);
    f.scaledI2 = scaled(s.i2, f.currentScale);
    f.scaledI3 = scaled(s.i3, f.currentScale);
    f.scaledId = scaled(s.id, f.currentScale);
    f.scaledIi = scaled(s.ii, f.currentScale);
    f.scaledI0 = scaled(s.i0, f.currentScale);
    f.scaledIN = scaled(s.in, f.currentScale);

    if (d.showLineCurrents || d.constructCurrentComponents) {
        window.include(f.scaledI1);
        window.include(f.scaledI2);
        window.include(f.scaledI3);
    }
    if (d.showNeutralVoltage)
        window.include(s.vn);
    if (d.showNeutralCurrent)
        window.include(f.scaledIN);

    f.xMin = product(f.xMin, 1.07);
    f.xMax = product(f.xMax, 1.07);
    f.yMin = product(f.yMin, 1.07);
    f.yMax = product(f.yMax, 1.07);

    const double m = f.xMin < f.yMin ? f.xMin : f.yMin;
    const double big = f.xMax > f.yMax ? f.xMax : f.yMax;
    f.xMin = f.yMin = m;
    f.xMax = f.yMax = big;
    return f;
}

void drawScaleBars(DrawingSurface& canvas, const DiagramFrame& f, const DisplaySettings& d)
{
    const double m = f.xMin;

    const double sV = barDecade(f.xMax);
    const double voltEnd = checkFinite(m + sV);
    canvas.setPenColor(d.colorV1);
    canvas.moveTo(offsetPixel(f.pixelX(m), 1), 5);
    canvas.lineTo(offsetPixel(f.pixelX(voltEnd), 1), 5);
    canvas.setFontUnderline(false);
    canvas.setFontColor(d.colorV1);
    canvas.textOut(offsetPixel(f.pixelX(voltEnd), 3), 5, formatNumber(sV) + " V");

    // A tiny iMax gives a long bar far beyond the picture; the surface clips it.
    const double sI = barDecade(f.iMax);
    const double ampEnd = checkFinite(m + product(sI, f.currentScale));
    canvas.setPenColor(d.colorI1);
    canvas.moveTo(offsetPixel(f.pixelX(m), 1), 20);
    canvas.lineTo(offsetPixel(f.pixelX(ampEnd), 1), 20);
    canvas.setFontColor(d.colorI1);
    canvas.textOut(offsetPixel(f.pixelX(ampEnd), 3), 20, formatNumber(sI) + " A");
}

} // namespace kelvoran
