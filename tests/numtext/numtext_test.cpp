#include "numtext/numtext.h"

#include "model/complexe.h"
#include "model/fperror.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <locale>
#include <random>
#include <sstream>
#include <string>

using namespace kelvoran;

namespace {

struct FormatRow {
    const char* name;
    double x;
    const char* text;
};

const FormatRow kFormatRows[] = {
    {"Zero", 0.0, "0"},
    {"NegativeZero", -0.0, "0"},
    {"One", 1.0, "1"},
    {"Integer", 220.0, "220"},
    {"BelowOneLosesLeadingZero", 0.5, ".5"},
    {"NegativeBelowOneKeepsLeadingZero", -0.25, "-0.25"},
    {"NegativeInteger", -5.0, "-5"},
    {"LowerBound", 0.01, ".01"},
    {"RoundsUpToLowerBound", 0.009999, ".01"},
    {"FourDecimals", 0.1234, ".1234"},
    {"TwoDigitsFourDecimals", 12.3456, "12.3456"},
    {"FullWidthFixed", 220.0004, "220.0004"},
    {"RoundsToFourDecimals", 3.14159265, "3.1416"},
    {"NegativeRoundsToFourDecimals", -1.5707963, "-1.5708"},
    {"UpperBound", 400.0, "400"},
    {"RoundsDownToUpperBound", 400.00004, "400"},
    {"NegativeUpperBound", -400.0, "-400"},
    {"AboveUpperBound", 401.0, " 4.01E2"},
    {"JustAboveUpperBound", -400.00006, "-4E2"},
    {"ThreeSignificantDigits", 1234.5, " 1.23E3"},
    {"PowerOfTen", 1000.0, " 1E3"},
    {"TrailingZeroTrimmed", 1500.0, " 1.5E3"},
    {"CarryMovesExponent", 999.5, " 1E3"},
    {"NegativeExponentForm", -2500.0, "-2.5E3"},
    {"LargeInteger", 12345678.0, " 1.23E7"},
    {"Thousandth", 0.001, " 1E-3"},
    {"BelowLowerBound", 0.005, " 5E-3"},
    {"JustBelowLowerBound", 0.009949, " 9.95E-3"},
    {"NegativeTinyRoundsToZeroText", -0.00001, "-1E-5"},
    {"HalfOfLastDecimalRoundsUp", 0.00005, " 5E-5"},
    {"TwoDigitExponent", 1e-12, " 1E-12"},
    {"ThreeDigitExponent", 1e100, " 1E100"},
    // Exact binary ties round away from zero.
    {"FixedTieAwayFromZero", 0.03125, ".0313"},
    {"NegativeFixedTieAwayFromZero", -0.03125, "-0.0313"},
    {"FixedTieOddDecimal", 0.09375, ".0938"},
    {"FixedTieWithIntegerPart", 100.03125, "100.0313"},
    {"ExponentTieAwayFromZero", 1235.0, " 1.24E3"},
    {"ExponentTieEvenDigit", 1245.0, " 1.25E3"},
    {"ExponentTieBelowThousand", 412.5, " 4.13E2"},
    {"NegativeExponentTie", -412.5, "-4.13E2"},
    {"ExponentTieLargePower", 1.005e20, " 1.01E20"},
    {"ExponentTieLargestPower", 1.005e21, " 1.01E21"},
    {"NotATieJustBelow", 9.995e21, " 9.99E21"},
    {"CarryFromNonTie", 999.95, " 1E3"},
    {"StaysBelowCarry", 999.4999, " 9.99E2"},
    {"SmallestDenormal", 4.9406564584124654e-324, " 4.94E-324"},
    {"SmallestNormal", DBL_MIN, " 2.23E-308"},
    {"LargestDouble", DBL_MAX, " 1.8E308"},
    {"NegativeLargestDouble", -DBL_MAX, "-1.8E308"},
};

struct ExponentRow {
    const char* name;
    const char* raw;
    const char* text;
};

const ExponentRow kExponentRows[] = {
    {"Zero", " 0.00E+0000", "0"},
    {"NegativeZero", "-0.00E+0000", "0"},
    {"KeepsAllDigits", " 1.23E+0003", " 1.23E3"},
    {"DropsOneTrailingZero", " 1.50E+0003", " 1.5E3"},
    {"DropsPointWithTwoZeros", " 1.00E+0003", " 1E3"},
    {"InnerZeroStays", " 1.05E+0003", " 1.05E3"},
    {"NegativeMantissa", "-2.50E+0003", "-2.5E3"},
    {"NegativeExponent", " 1.00E-0003", " 1E-3"},
    {"TwoDigitExponent", " 1.00E-0012", " 1E-12"},
    {"ThreeDigitExponent", " 4.94E-0324", " 4.94E-324"},
    {"InnerExponentZeroStays", " 1.00E+0103", " 1E103"},
    {"FourDigitExponent", " 1.00E+1000", " 1E1000"},
    {"ZeroExponentDropped", " 1.20E+0000", " 1.2"},
    {"NegativeZeroExponentDropped", "-1.23E-0000", "-1.23"},
};

struct ParseRow {
    const char* name;
    std::string text;
    double value;
};

const ParseRow kParseRows[] = {
    {"Empty", "", 0.0},
    {"Letters", "abc", 0.0},
    {"SignAlone", "-", 0.0},
    {"PlusAlone", "+", 0.0},
    {"PointAlone", ".", 0.0},
    {"SignAndPoint", "-.", 0.0},
    {"LeadingBlanksSignExponent", "  -2.5E+2", -250.0},
    {"LeadingBlank", " 10", 10.0},
    {"PlusSign", "+5", 5.0},
    {"TrailingPoint", "5.", 5.0},
    {"NoIntegerDigits", ".5", 0.5},
    {"LowerCaseExponent", "1e3", 1000.0},
    {"NegativeExponent", "1E-2", 0.01},
    {"SignedMantissaAndExponent", "-1.5e+1", -15.0},
    {"NearestDouble", "0.1", 0.1},
    {"HalfwayRoundsToEven", "9007199254740993", 9007199254740992.0},
    {"ManyDigits", "123456789012345678901234567890", 1.2345678901234568e29},
    {"LargestDouble", "1.7976931348623157e308", DBL_MAX},
    {"SmallestNormal", "2.2250738585072014e-308", DBL_MIN},
    {"Denormal", "4.9e-324", 4.9406564584124654e-324},
    {"JustAboveHalfDenormalRoundsUp", "2.4703282292062328e-324", 4.9406564584124654e-324},
    {"JustBelowHalfDenormalRoundsToZero", "2.4703282292062327e-324", 0.0},
    {"UnderflowIsZero", "1e-400", 0.0},
    {"HugeNegativeExponentIsZero", "1e-99999999999999999999999", 0.0},
    {"ZeroWithHugeExponent", "0e99999", 0.0},
    // Not well formed: the mantissa digits read so far, as an integer.
    {"TrailingLetters", "12abc", 12.0},
    {"TrailingBlank", "12 ", 12.0},
    {"TrailingBlankAfterNumber", "10 ", 10.0},
    {"SignIgnored", "-3x", 3.0},
    {"PointIgnored", "1.5x", 15.0},
    {"CommaSeparator", "2,5", 2.0},
    {"CommaAfterZero", "0,5", 0.0},
    {"ExponentWithoutDigits", "1e", 1.0},
    {"ExponentSignWithoutDigits", "1.5e+", 15.0},
    {"ExponentDigitsNotUsed", "1e5x", 1.0},
    {"TabIsNotBlank", "\t5", 0.0},
    {"BlankAfterSign", " - 5", 0.0},
    {"TwoSigns", "+-5", 0.0},
    {"EmbeddedNul", std::string("7\0" "8", 3), 7.0},
    {"NonAscii", "3\xC3\xA9", 3.0},
    {"LongFallback", "12345678901234567890123x", 1.2345678901234568e22},
    {"HundredDigitFallback", "1" + std::string(99, '0') + ".x", 1e99},
};

const char* const kOverflowTexts[] = {
    "1E999", "-1E999", "1.8e308", "0.0000001e320", "1e99999999999999999999999",
};

void checkFormatTable()
{
    for (const FormatRow& row : kFormatRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatNumber(row.x), row.text);
    }
}

void checkParseTable()
{
    for (const ParseRow& row : kParseRows) {
        SCOPED_TRACE(row.name);
        const double v = parseNumber(row.text);
        EXPECT_EQ(v, row.value);
    }
}

bool isOverflow(const FloatError& e) { return e.kind() == FloatError::Kind::Overflow; }

} // namespace

TEST(FormatNumber, Table) { checkFormatTable(); }

TEST(FormatExponent, TrimsRawText)
{
    for (const ExponentRow& row : kExponentRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatExponent(row.raw), row.text);
    }
}

TEST(ParseNumber, Table) { checkParseTable(); }

TEST(ParseNumber, SignOfZeroResults)
{
    EXPECT_FALSE(std::signbit(parseNumber("1e-400")));
    EXPECT_TRUE(std::signbit(parseNumber("-1e-400")));
    EXPECT_TRUE(std::signbit(parseNumber("-0")));
    EXPECT_FALSE(std::signbit(parseNumber("-.")));
}

TEST(ParseNumber, OutOfRangeRaisesOverflow)
{
    std::vector<std::string> texts(std::begin(kOverflowTexts), std::end(kOverflowTexts));
    texts.push_back(std::string(400, '9'));       // well formed, 400 digits
    texts.push_back(std::string(400, '9') + "x"); // fallback integer of 400 digits
    texts.push_back(std::string(309, '9') + ".5x");
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 20));
        try {
            const double v = parseNumber(text);
            ADD_FAILURE() << "no error, got " << v;
        } catch (const FloatError& e) {
            EXPECT_TRUE(isOverflow(e));
        }
    }
}

TEST(ComplexText, AlgebraicAndPolar)
{
    EXPECT_EQ(formatAlgebraic({17.6, 8.8}, " + j."), "17.6 + j.8.8");
    EXPECT_EQ(formatAlgebraic({220, 4.7e-15}, " + j."), "220 + j. 4.7E-15");
    EXPECT_EQ(formatAlgebraic({3, -4}, " + j."), "3 + j.-4");
    EXPECT_EQ(formatAlgebraic(cconj({3, 0}), " + j."), "3 + j.0");
    EXPECT_EQ(formatPolar({17.6, 8.8}, " ; "), "19.6774 ; .4636");
    EXPECT_EQ(formatPolar({-110, -190.5255888325765}, " ; "), "220 ; 4.1888");
    EXPECT_EQ(formatPolar({0, 0}, " ; "), "0 ; 0");
}

TEST(ParseNumber, RandomBytesGiveFiniteOrOverflow)
{
    std::mt19937_64 rng(20240611);
    const char alphabet[] = "0123456789.eE+- ";
    for (int i = 0; i < 20000; ++i) {
        std::size_t len = rng() % 24;
        if (i % 1000 == 0)
            len = 10000;
        std::string text(len, '\0');
        const bool printable = i % 2 == 0;
        for (char& c : text) {
            if (printable)
                c = alphabet[rng() % (sizeof alphabet - 1)];
            else
                c = static_cast<char>(rng() & 0xFF);
        }
        try {
            const double v = parseNumber(text);
            ASSERT_TRUE(std::isfinite(v)) << "text #" << i;
        } catch (const FloatError& e) {
            ASSERT_TRUE(isOverflow(e)) << "text #" << i;
        }
    }
}

namespace {

// Checks one formatted text against x, without reusing the formatter's
// rules: shape by hand, value by parsing it back.
void checkFormatted(double x, const std::string& text)
{
    ASSERT_GE(text.size(), 1u);
    ASSERT_LE(text.size(), 11u);
    const std::size_t ePos = text.find('E');
    const double ax = std::fabs(x);
    if (text == "0") {
        EXPECT_LT(ax, 0.00005 * (1 + 1e-12)) << x;
        return;
    }
    if (ePos == std::string::npos) {
        // Fixed: optional '-', digits, optional point and up to four
        // decimals without a trailing zero.
        const std::size_t point = text.find('.');
        EXPECT_NE(text.front(), ' ');
        if (point != std::string::npos) {
            EXPECT_LE(text.size() - point - 1, 4u);
            EXPECT_NE(text.back(), '0') << text;
        }
        const double v = parseNumber(text);
        EXPECT_LE(std::fabs(v - x), 0.00005 + 1e-12) << x << " -> " << text;
        EXPECT_GE(std::fabs(v), 0.01) << text;
        EXPECT_LE(std::fabs(v), 400.0) << text;
        EXPECT_EQ(std::signbit(v) && v != 0, text.front() == '-');
        return;
    }
    // Exponent: sign or blank, nonzero digit, optional point and decimals,
    // E, exponent without '+' or leading zero.
    EXPECT_TRUE(text[0] == ' ' || text[0] == '-') << text;
    EXPECT_EQ(text[0] == '-', std::signbit(x)) << text;
    EXPECT_TRUE(text[1] >= '1' && text[1] <= '9') << text;
    EXPECT_NE(text[ePos - 1], '0') << text;
    EXPECT_NE(text[ePos - 1], '.') << text;
    const std::size_t expDigits = ePos + 1 + (text[ePos + 1] == '-' ? 1 : 0);
    EXPECT_NE(text[expDigits], '0') << text;
    // The fixed range would have taken it.
    EXPECT_FALSE(ax >= 0.01 * (1 + 1e-12) && ax <= 400.0 - 0.0001) << x;
    try {
        const double v = parseNumber(text);
        EXPECT_LE(std::fabs(v - x), 0.005 * ax * (1 + 1e-12)) << x << " -> " << text;
    } catch (const FloatError&) {
        // Only the top of the range rounds to a text beyond it.
        EXPECT_GT(ax, 1.79e308) << text;
    }
}

} // namespace

TEST(FormatNumber, RandomDoublesReparseWithinRounding)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> decade(-5.0, 5.0);
    for (int i = 0; i < 20000; ++i) {
        double x;
        do {
            std::uint64_t bits = rng();
            std::memcpy(&x, &bits, sizeof x);
        } while (!std::isfinite(x));
        SCOPED_TRACE(i);
        ASSERT_NO_FATAL_FAILURE(checkFormatted(x, formatNumber(x)));
        // Also near the fixed range, where the bit patterns rarely land.
        const double y = std::copysign(std::pow(10.0, decade(rng)), x);
        ASSERT_NO_FATAL_FAILURE(checkFormatted(y, formatNumber(y)));
    }
}

namespace {

struct CommaNumpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

// The same tables under a global C++ locale whose decimal point is a comma.
TEST(CommaLocale, NumpunctDoesNotChangeTexts)
{
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
    std::ostringstream probe;
    probe << 1.5;
    EXPECT_EQ(probe.str(), "1,5");
    checkFormatTable();
    checkParseTable();
    std::locale::global(saved);
}

// The same tables under a C library locale whose decimal point is a comma.
TEST(CommaLocale, CLibraryLocaleDoesNotChangeTexts)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* const candidates[] = {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8", "de_DE.utf8",
                                      "fr_FR",       "de_DE",      "nl_NL.UTF-8", "ru_RU.UTF-8"};
    const char* found = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            found = name;
            break;
        }
    }
    if (!found) {
        std::setlocale(LC_ALL, saved.c_str());
        GTEST_SKIP() << "no locale with a comma decimal point is installed";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << found;
    checkFormatTable();
    checkParseTable();
    std::setlocale(LC_ALL, saved.c_str());
}
