// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The solver's view for tests, benchmarks and fuzz targets: six field texts
// as typed in Edit1..Edit6, and what the solver writes back.
#include "solver/solver.h"

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kelvoran::test {

// R1, R2, R3, X1, X2, X3.
using FieldTexts = std::array<std::string, 6>;
inline const FieldTexts kDefaultFields{std::string(kDefaultFieldTexts[0]), std::string(kDefaultFieldTexts[1]),
                                       std::string(kDefaultFieldTexts[2]), std::string(kDefaultFieldTexts[3]),
                                       std::string(kDefaultFieldTexts[4]), std::string(kDefaultFieldTexts[5])};

struct SolverDouble : SolverView {
    FieldTexts fields = kDefaultFields;
    // "Label25=text" and "Attention:court-circuit", in order, and the last
    // text of each label; a benchmark turns recording off and counts only.
    std::vector<std::string> events;
    std::map<std::string, std::string> texts;
    bool record = true;
    std::size_t written = 0;

    std::string fieldText(int index) const override { return fields.at(static_cast<std::size_t>(index)); }
    void setResultText(ResultLabel label, const std::string& text) override
    {
        written += text.size();
        if (!record)
            return;
        events.push_back(std::string(resultLabelName(label)) + "=" + text);
        texts[resultLabelName(label)] = text;
    }
    void reportShortCircuit() override
    {
        if (record)
            events.push_back("Attention:court-circuit");
    }
};

} // namespace kelvoran::test
