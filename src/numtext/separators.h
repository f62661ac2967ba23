// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The separators between the two numbers of a complex text. They are not all
// alike, and users compare result labels and report lines character for
// character, so every text that joins two numbers takes its separator here.
#include <string_view>

namespace kelvoran::separator {

// "17.6 + j.8.8": most algebraic texts.
inline constexpr std::string_view kPlusJ = " + j.";
// "0 j. 0": the neutral displacement voltage's label, and the impedances,
// vn and in of the report.
inline constexpr std::string_view kSpacedJ = " j. ";
// "19.6774 ; .4636": most polar texts.
inline constexpr std::string_view kPolar = " ; ";
// The polar texts of I3 (" ;") and of U0 ("; ") lack one space each.
inline constexpr std::string_view kPolarI3 = " ;";
inline constexpr std::string_view kPolarU0 = "; ";

} // namespace kelvoran::separator
