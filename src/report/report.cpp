#include "report.h"

#include "numtext/numtext.h"

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

    // label, re, separator, im
    void algebraic(std::string_view label, TComplexe z, std::string_view separator)
    {
        line(std::string(label) + formatNumber(z.re) + std::string(separator) + formatNumber(z.im));
    }

    // label, modulus, separator, argument
    void polar(std::string_view label, TComplexe z, std::string_view separator)
    {
        line(std::string(label) + formatNumber(cmodule(z)) + std::string(separator) + formatNumber(cargument(z)));
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

constexpr std::string_view kPlus = " + j.";
constexpr std::string_view kSpaced = " j. ";
constexpr std::string_view kPolar = " ; ";

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
    r.algebraic("v1complexe = ", s.vs1, kPlus);
    r.algebraic("v2complexe = ", s.vs2, kPlus);
    r.algebraic("v3complexe = ", s.vs3, kPlus);
    r.line("forme polaire");
    r.polar("v1complexe = ", s.vs1, kPolar);
    r.polar("v2complexe = ", s.vs2, kPolar);
    r.polar("v3complexe = ", s.vs3, kPolar);
    r.line();

    r.line("Impédances :");
    r.algebraic("Z1complexe = ", s.z1, kSpaced);
    r.algebraic("Z2complexe = ", s.z2, kSpaced);
    r.algebraic("Z3complexe = ", s.z3, kSpaced);
    r.line();

    r.algebraic("Vncomplexe = ", s.vn, kSpaced);
    r.polar("Vncomplexe = ", s.vn, kPolar);
    r.line();
    r.algebraic("Incomplexe = ", s.in, kSpaced);
    r.polar("Incomplexe = ", s.in, kPolar);
    r.line();

    r.line("Courants en ligne: ");
    r.line("forme algébrique");
    r.algebraic("I1complexe = ", s.i1, kPlus);
    r.algebraic("I2complexe = ", s.i2, kPlus);
    r.algebraic("I3complexe = ", s.i3, kPlus);
    r.line("forme polaire");
    r.polar("I1complexe = ", s.i1, kPolar);
    r.polar("I2complexe = ", s.i2, kPolar);
    r.polar("I3complexe = ", s.i3, " ;"); // as the result label of I3 writes it
    r.line();

    r.line("tensions aux bornes de la charge : ");
    r.line("forme algébrique");
    r.algebraic("vz1complexe = ", s.vz1, kPlus);
    r.algebraic("vz2complexe = ", s.vz2, kPlus);
    r.algebraic("vz3complexe = ", s.vz3, kPlus);
    r.line("forme polaire");
    r.polar("vz1complexe = ", s.vz1, kPolar);
    r.polar("vz2complexe = ", s.vz2, kPolar);
    r.polar("vz3complexe = ", s.vz3, kPolar);
    r.line();

    // One heading covers both the current and the voltage components.
    r.line("composantes symétriques des courants de ligne");
    r.line("forme algébrique");
    r.algebraic("idcomplexe = ", s.id, kPlus);
    r.algebraic("iicomplexe  = ", s.ii, kPlus);
    r.algebraic("i0complexe  = ", s.i0, kPlus);
    r.line();
    r.algebraic("udcomplexe  = ", s.ud, kPlus);
    r.algebraic("uicomplexe  = ", s.ui, kPlus);
    r.algebraic("u0complexe = ", s.u0, kPlus);
    r.line("forme polaire");
    r.polar("idcomplexe  = ", s.id, kPolar);
    r.polar("iicomplexe  = ", s.ii, kPolar);
    r.polar("i0complexe  = ", s.i0, kPolar);
    r.line();
    r.polar("udcomplexe  = ", s.ud, kPolar);
    r.polar("uicomplexe  = ", s.ui, kPolar);
    r.polar("u0complexe = ", s.u0, "; "); // as the result label of U0 writes it
    return r.take();
}

} // namespace kelvoran
