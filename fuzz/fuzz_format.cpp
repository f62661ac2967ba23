// SPDX-License-Identifier: GPL-3.0-or-later
// formatNumber on arbitrary doubles: a short text that reads back to the
// value within the rounding the format promises, or the error for a
// non-finite value.
#include "model/floaterror.h"
#include "numtext/numtext.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < sizeof(double))
        return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    if (!std::isfinite(x)) {
        // No text for an infinity or a NaN: the error it stands for.
        const auto expected = std::isnan(x) ? kelvoran::FloatError::Kind::InvalidOperation
                                            : kelvoran::FloatError::Kind::Overflow;
        try {
            kelvoran::formatNumber(x);
        } catch (const kelvoran::FloatError& e) {
            if (e.kind() == expected)
                return 0;
        }
        std::abort();
    }
    const std::string text = kelvoran::formatNumber(x);
    if (text.empty() || text.size() > 11)
        std::abort();
    double back;
    try {
        back = kelvoran::parseNumber(text);
    } catch (const kelvoran::FloatError&) {
        // Three digits round the largest doubles past the range: " 1.8E308".
        if (std::fabs(x) < 1.79e308)
            std::abort();
        return 0;
    }
    const bool exponent = text.find('E') != std::string::npos || text == "0" || std::fabs(x) >= 1000;
    const double tolerance = exponent ? std::fabs(x) * 0.0051 + 1e-300 : 0.00005001;
    if (text != "0" && std::fabs(back - x) > tolerance)
        std::abort();
    if (text == "0" && std::fabs(x) >= 0.00005)
        std::abort();
    return 0;
}
