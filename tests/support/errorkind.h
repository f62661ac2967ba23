// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "model/floaterror.h"

#include <functional>

namespace kelvoran::test {

// The kind of FloatError an action raises, or -1.
inline int errorKind(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FloatError& e) {
        return static_cast<int>(e.kind());
    }
    return -1;
}

} // namespace kelvoran::test
