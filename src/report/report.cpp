// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include "numtext/numtext.h"
#include "numtext/separators.h"

#include <string_view>

namespace kelvoran {

namespace {

class ReportWriter {
public:
    void line(std::string_view text = {})
    {
        out_ += text;
        out_ += "\r\n";
    }

    void algebraic(std::string_view label, TComplexe z, std::string_view sep)
    {
        out_ += label;
        line(formatAlgebraic(z, sep));
    }

    void polar(std::string_view label, TComplexe z, std::string_view sep)
    {
        out_ += label;
        line(formatPolar(z, sep));
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

using separator::kPlusJ;
using separator::kPolar;
using separator::kSpacedJ;

} // namespace

std::string buildReport(const InstallationState& s)
{
    ReportWriter r;
    r.line("Données");
    r.line();
    r.line("veff = " + formatNumber(s.veff) + " V");
    r.line();

    r.line("tensions simples : ");
    r.line("forme algébrique");
    r.algebraic("v1complexe = ", s.vs1, kPlusJ);
    r.algebraic("v2complexe = ", s.vs2, kPlusJ);
    r.algebraic("v3complexe = ", s.vs3, kPlusJ);
    r.line("forme polaire");
    r.polar("v1complexe = ", s.vs1, kPolar);
    r.polar("v2complexe = ", s.vs2, kPolar);
    r.polar("v3complexe = ", s.vs3, kPolar);
    r.line();

    r.line("Impédances :");
    r.algebraic("Z1complexe = ", s.z1, kSpacedJ);
    r.algebraic("Z2complexe = ", s.z2, kSpacedJ);
    r.algebraic("Z3complexe = ", s.z3, kSpacedJ);
    r.line();

    r.algebraic("Vncomplexe = ", s.vn, kSpacedJ);
    r.polar("Vncomplexe = ", s.vn, kPolar);
    r.line();
    r.algebraic("Incomplexe = ", s.in, kSpacedJ);
    r.polar("Incomplexe = ", s.in, kPolar);
    r.line();

    r.line("Courants en ligne: ");
    r.line("forme algébrique");
    r.algebraic("I1complexe = ", s.i1, kPlusJ);
    r.algebraic("I2complexe = ", s.i2, kPlusJ);
    r.algebraic("I3complexe = ", s.i3, kPlusJ);
    r.line("forme polaire");
    r.polar("I1complexe = ", s.i1, kPolar);
    r.polar("I2complexe = ", s.i2, kPolar);
    r.polar("I3complexe = ", s.i3, separator::kPolarI3);
    r.line();

    r.line("tensions aux bornes de la charge : ");
    r.line("forme algébrique");
    r.algebraic("vz1complexe = ", s.vz1, kPlusJ);
    r.algebraic("vz2complexe = ", s.vz2, kPlusJ);
    r.algebraic("vz3complexe = ", s.vz3, kPlusJ);
    r.line("forme polaire");
    r.polar("vz1complexe = ", s.vz1, kPolar);
    r.polar("vz2complexe = ", s.vz2, kPolar);
    r.polar("vz3complexe = ", s.vz3, kPolar);
    r.line();

    // One heading covers both the current and the voltage components.
    r.line("composantes symétriques des courants de ligne");
    r.line("forme algébrique");
    r.algebraic("idcomplexe = ", s.id, kPlusJ);
    r.algebraic("iicomplexe  = ", s.ii, kPlusJ);
    r.algebraic("i0complexe  = ", s.i0, kPlusJ);
    r.line();
    r.algebraic("udcomplexe  = ", s.ud, kPlusJ);
    r.algebraic("uicomplexe  = ", s.ui, kPlusJ);
    r.algebraic("u0complexe = ", s.u0, kPlusJ);
    r.line("forme polaire");
    r.polar("idcomplexe  = ", s.id, kPolar);
    r.polar("iicomplexe  = ", s.ii, kPolar);
    r.polar("i0complexe  = ", s.i0, kPolar);
    r.line();
    r.polar("udcomplexe  = ", s.ud, kPolar);
    r.polar("uicomplexe  = ", s.ui, kPolar);
    r.polar("u0complexe = ", s.u0, separator::kPolarU0);
    return r.take();
}

} // namespace kelvoran
