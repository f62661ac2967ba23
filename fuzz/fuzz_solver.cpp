// SPDX-License-Identifier: GPL-3.0-or-later
// The solver and the report on arbitrary field texts, switches, voltage and
// notation: finite results or an arithmetic error, and a 62-line report
// whenever the report can be formed.
#include "model/floaterror.h"
#include "solver/solver.h"
#include "numtext/numtext.h"
#include "report/report.h"
#include "solverdouble.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < 2)
        return 0;
    kelvoran::InstallationState s;
    kelvoran::DisplaySettings d;
    kelvoran::initializeDefaults(s, d);
    const unsigned flags = data[0];
    s.line1Closed = flags & 1;
    s.line2Closed = flags & 2;
    s.line3Closed = flags & 4;
    s.neutralClosed = flags & 8;
    d.algebraic = flags & 16;
    kelvoran::test::SolverDouble view;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    // Seven texts separated by '|': six fields and the rms voltage.
    std::vector<std::string> parts(7);
    size_t k = 0;
    for (char c : rest) {
        if (c == '|' && k < 6)
            ++k;
        else
            parts[k] += c;
    }
    std::copy(parts.begin(), parts.begin() + 6, view.fields.begin());
    try {
        if (!parts[6].empty())
            kelvoran::setVeff(s, std::fabs(kelvoran::parseNumber(parts[6])));
        kelvoran::solveInstallation(s, d, view);
    } catch (const kelvoran::FloatError&) {
    }
    for (const std::string& e : view.events)
        if (e.find("nan") != std::string::npos || e.find("inf") != std::string::npos)
            std::abort();
    std::string report;
    try {
        report = kelvoran::buildReport(s);
    } catch (const kelvoran::FloatError&) {
        return 0; // a modulus beyond the double range: the copy shows the error box
    }
    size_t lines = 0;
    for (size_t p = 0; (p = report.find("\r\n", p)) != std::string::npos; p += 2)
        ++lines;
    if (lines != 62 || report.size() < 2 || report.compare(report.size() - 2, 2, "\r\n") != 0)
        std::abort();
    return 0;
}
