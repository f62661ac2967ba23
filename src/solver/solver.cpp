// SPDX-License-Identifier: GPL-3.0-or-later
// solveInstallation: inputs are the six field texts (through SolverView), the
// switches, the source voltages and rotA; outputs are every result field of
// InstallationState and the fourteen result texts, written in a fixed order
// so that a run that stops early leaves exactly the earlier writes behind.
#include "solver.h"

#include "numtext/numtext.h"
#include "numtext/separators.h"

namespace kelvoran {

namespace {

struct Row {
    ResultLabel label;
    std::string_view algebraicSeparator;
    std::string_view polarSeparator;
};

constexpr Row kVn{ResultLabel::Label25, separator::kSpacedJ, separator::kPolar};
constexpr Row kI1{ResultLabel::Label2, separator::kPlusJ, separator::kPolar};
constexpr Row kI2{ResultLabel::Label3, separator::kPlusJ, separator::kPolar};
constexpr Row kI3{ResultLabel::Label4, separator::kPlusJ, separator::kPolarI3};
constexpr Row kIn{ResultLabel::Label32, separator::kPlusJ, separator::kPolar};
constexpr Row kVz1{ResultLabel::Label6, separator::kPlusJ, separator::kPolar};
constexpr Row kVz2{ResultLabel::Label7, separator::kPlusJ, separator::kPolar};
constexpr Row kVz3{ResultLabel::Label8, separator::kPlusJ, separator::kPolar};
constexpr Row kU0{ResultLabel::Label12, separator::kPlusJ, separator::kPolarU0};
constexpr Row kId{ResultLabel::Label38, separator::kPlusJ, separator::kPolar};
constexpr Row kIi{ResultLabel::Label39, separator::kPlusJ, separator::kPolar};
constexpr Row kI0{ResultLabel::Label40, separator::kPlusJ, separator::kPolar};
constexpr Row kUd{ResultLabel::Label10, separator::kPlusJ, separator::kPolar};
constexpr Row kUi{ResultLabel::Label11, separator::kPlusJ, separator::kPolar};

void write(SolverView& view, const DisplaySettings& settings, const Row& row, TComplexe value)
{
    view.setResultText(row.label, settings.algebraic ? formatAlgebraic(value, row.algebraicSeparator)
                                                     : formatPolar(value, row.polarSeparator));
}

TComplexe third(TComplexe z) { return {z.re / 3, z.im / 3}; }

TComplexe negate(TComplexe z) { return {-z.re, -z.im}; }

// Fortescue components of (x1, x2, x3) for the direct sequence 1, 2, 3.
struct SequenceComponents {
    TComplexe direct, inverse, zero;
};

SequenceComponents fortescue(TComplexe a, TComplexe x1, TComplexe x2, TComplexe x3)
{
    SequenceComponents c;
    c.direct = third(cadd(cadd(cmul(cmul(a, a), x3), cmul(x2, a)), x1));
    c.inverse = third(cadd(cadd(cmul(cmul(a, a), x2), cmul(x3, a)), x1));
    c.zero = third(cadd(cadd(x1, x2), x3));
    return c;
}

} // namespace

const char* resultLabelName(ResultLabel label)
{
    static const char* const names[kResultLabelCount] = {
        "Label25", "Label2", "Label3", "Label4", "Label32", "Label6", "Label7",
        "Label8", "Label12", "Label38", "Label39", "Label40", "Label10", "Label11"};
    return names[static_cast<int>(label)];
}

void solveInstallation(InstallationState& s, const DisplaySettings& settings, SolverView& view)
{
    // Step 1: impedances, read R1, X1, R2, X2, R3, X3; each is stored as soon as read.
    TComplexe* const z[3] = {&s.z1, &s.z2, &s.z3};
    for (int k = 0; k < 3; ++k) {
        const double r = parseNumber(view.fieldText(k));
        const double x = parseNumber(view.fieldText(k + 3));
        *z[k] = cmake(r, x);
    }

    const TComplexe* const vs[3] = {&s.vs1, &s.vs2, &s.vs3};
    TComplexe* const current[3] = {&s.i1, &s.i2, &s.i3};
    bool shorted[3];
    int shortedCount = 0;
    for (int k = 0; k < 3; ++k) {
        shorted[k] = s.lineClosed(k + 1) && cmodule(*z[k]) == 0;
        shortedCount += shorted[k] ? 1 : 0;
    }

    if (shortedCount >= 2) {
        view.reportShortCircuit();
        return;
    }

    // With the neutral open and one closed line shorted, the star point sits
    // on that line; its current is whatever the other lines bring back.
    int starOnLine = -1;
    if (s.neutralClosed) {
        s.vn = cmake(0, 0);
    } else {
        TComplexe t[3] = {};
        bool anyClosed = false;
        for (int k = 0; k < 3; ++k) {
            if (!s.lineClosed(k + 1)) {
                *current[k] = cmake(0, 0);
            } else if (shorted[k]) {
                starOnLine = k;
            } else {
                t[k] = cdiv(*vs[k], *z[k]);
            }
            anyClosed = anyClosed || s.lineClosed(k + 1);
        }
        if (starOnLine >= 0) {
            s.vn = *vs[starOnLine];
        } else if (!anyClosed) {
            // Nothing is connected: every result is zero and is shown as such.
            s.vn = cmake(0, 0);
        } else {
            // Millman: the numerator stays in vn if the admittances cancel out.
            s.vn = cadd(cadd(t[0], t[1]), t[2]);
            for (int k = 0; k < 3; ++k) {
                if (s.lineClosed(k + 1))
                    t[k] = cdiv(cmake(1, 0), *z[k]);
            }
            s.vn = cdiv(s.vn, cadd(cadd(t[0], t[1]), t[2]));
        }
    }
    write(view, settings, kVn, s.vn);

    for (int k = 0; k < 3; ++k) {
        if (!s.lineClosed(k + 1)) {
            *current[k] = cmake(0, 0);
        } else if (k == starOnLine) {
            continue; // set below, once the other currents are known
        } else if (shorted[k]) {
            // Neutral closed: a phase shorted to the neutral.
            view.reportShortCircuit();
            return;
        } else {
            *current[k] = cdiv(csub(*vs[k], s.vn), *z[k]);
        }
    }
    if (starOnLine >= 0) {
        const TComplexe& other1 = *current[(starOnLine + 1) % 3];
        const TComplexe& other2 = *current[(starOnLine + 2) % 3];
        *current[starOnLine] = negate(cadd(other1, other2));
    }

    s.in = s.neutralClosed ? negate(cadd(cadd(s.i1, s.i2), s.i3)) : cmake(0, 0);
    s.vz1 = cmul(s.i1, s.z1);
    s.vz2 = cmul(s.i2, s.z2);
    s.vz3 = cmul(s.i3, s.z3);

    write(view, settings, kI1, s.i1);
    write(view, settings, kI2, s.i2);
    write(view, settings, kI3, s.i3);
    write(view, settings, kIn, s.in);
    write(view, settings, kVz1, s.vz1);
    write(view, settings, kVz2, s.vz2);
    write(view, settings, kVz3, s.vz3);

    const SequenceComponents u = fortescue(s.rotA, s.vz1, s.vz2, s.vz3);
    const SequenceComponents i = fortescue(s.rotA, s.i1, s.i2, s.i3);
    s.ud = u.direct;
    s.ui = u.inverse;
    s.u0 = u.zero;
    s.id = i.direct;
    s.ii = i.inverse;
    s.i0 = i.zero;

    write(view, settings, kU0, s.u0);
    write(view, settings, kId, s.id);
    write(view, settings, kIi, s.ii);
    write(view, settings, kI0, s.i0);
    write(view, settings, kUd, s.ud);
    write(view, settings, kUi, s.ui);
}

} // namespace kelvoran
