// SPDX-License-Identifier: GPL-3.0-or-later
// parseNumber on arbitrary bytes: a finite number or the overflow error.
#include "model/floaterror.h"
#include "numtext/numtext.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    try {
        const double v = kelvoran::parseNumber(std::string_view(reinterpret_cast<const char*>(data), size));
        if (!std::isfinite(v))
            std::abort();
    } catch (const kelvoran::FloatError& e) {
        if (e.kind() != kelvoran::FloatError::Kind::Overflow)
            std::abort();
    }
    return 0;
}
