// SPDX-License-Identifier: GPL-3.0-or-later
#include "numtext/numtext.h"

#include "errorkind.h"
#include "model/complexe.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <locale>
#include <random>
#include <sstream>
#include <string>

using namespace kelvoran;
using test::errorKind;
using K = FloatError::Kind;

namespace {

const struct {
    double x;
    const char* text;
} kFormatRows[] = {
    // Fixed form, 0.01 <= |x| <= 400 after rounding to four decimals.
    {0.0, "0"}, {-0.0, "0"}, {1.0, "1"}, {220.0, "220"}, {0.5, ".5"}, {-0.25, "-0.25"}, {-5.0, "-5"},
    {0.01, ".01"}, {0.009999, ".01"}, {0.1234, ".1234"}, {12.3456, "12.3456"}, {220.0004, "220.0004"},
    {3.14159265, "3.1416"}, {-1.5707963, "-1.5708"}, {400.0, "400"}, {400.00004, "400"}, {-400.0, "-400"},
    // Exponent form: three significant digits, trimmed.
    {401.0, " 4.01E2"}, {-400.00006, "-4E2"}, {1234.5, " 1.23E3"}, {1000.0, " 1E3"}, {1500.0, " 1.5E3"},
    {999.5, " 1E3"}, {-2500.0, "-2.5E3"}, {12345678.0, " 1.23E7"}, {0.001, " 1E-3"}, {0.005, " 5E-3"},
    {0.009949, " 9.95E-3"}, {-0.00001, "-1E-5"}, {0.00005, " 5E-5"}, {1e-12, " 1E-12"}, {1e100, " 1E100"},
    {999.95, " 1E3"}, {999.4999, " 9.99E2"}, {9.995e21, " 9.99E21"},
    // Exact binary ties round away from zero, in both forms.
    {0.03125, ".0313"}, {-0.03125, "-0.0313"}, {0.09375, ".0938"}, {100.03125, "100.0313"}, {1235.0, " 1.24E3"},
    {1245.0, " 1.25E3"}, {412.5, " 4.13E2"}, {-412.5, "-4.13E2"}, {1.005e20, " 1.01E20"}, {1.005e21, " 1.01E21"},
    // The ends of the double range.
    {4.9406564584124654e-324, " 4.94E-324"}, {DBL_MIN, " 2.23E-308"}, {DBL_MAX, " 1.8E308"}, {-DBL_MAX, "-1.8E308"},
};

const struct {
    std::string text;
    double value;
} kParseRows[] = {
    // Well formed.
    {"", 0}, {".", 0}, {"-.", 0}, {"  -2.5E+2", -250}, {" 10", 10}, {"+5", 5}, {"5.", 5}, {".5", 0.5},
    {"1e3", 1000}, {"1E-2", 0.01}, {"-1.5e+1", -15}, {"0.1", 0.1}, {"9007199254740993", 9007199254740992.0},
    {"123456789012345678901234567890", 1.2345678901234568e29}, {"1.7976931348623157e308", DBL_MAX},
    {"2.2250738585072014e-308", DBL_MIN}, {"4.9e-324", 4.9406564584124654e-324},
    {"2.4703282292062328e-324", 4.9406564584124654e-324}, {"2.4703282292062327e-324", 0}, {"1e-400", 0},
    {"1e-99999999999999999999999", 0}, {"0e99999", 0},
    // Not well formed: the mantissa digits read so far, as an integer.
    {"abc", 0}, {"-", 0}, {"+", 0}, {"12abc", 12}, {"12 ", 12}, {"10 ", 10}, {"-3x", 3}, {"1.5x", 15}, {"2,5", 2},
    {"0,5", 0}, {"1e", 1}, {"1.5e+", 15}, {"1e5x", 1}, {"\t5", 0}, {" - 5", 0}, {"+-5", 0},
    {std::string("7\0" "8", 3), 7}, {"3\xC3\xA9", 3}, {"12345678901234567890123x", 1.2345678901234568e22},
    {"1" + std::string(99, '0') + ".x", 1e99},
};

void checkTables()
{
    for (const auto& row : kFormatRows)
        EXPECT_EQ(formatNumber(row.x), row.text) << row.x;
    for (const auto& row : kParseRows)
        EXPECT_EQ(parseNumber(row.text), row.value) << '"' << row.text << '"';
}

struct CommaNumpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

TEST(NumberText, Tables) { checkTables(); }

// Inputs formatNumber never hands over (a zero exponent, four exponent digits) included.
TEST(NumberText, ExponentTextIsTrimmed)
{
    const std::pair<const char*, const char*> rows[] = {
        {" 0.00E+0000", "0"},     {"-0.00E+0000", "0"},      {" 1.05E+0003", " 1.05E3"}, {"-2.50E-0003", "-2.5E-3"},
        {" 1.00E+0103", " 1E103"}, {" 1.00E+1000", " 1E1000"}, {" 1.20E+0000", " 1.2"},    {"-1.23E-0000", "-1.23"},
    };
    for (const auto& [raw, text] : rows)
        EXPECT_EQ(formatExponent(raw), text) << raw;
}

TEST(NumberText, ParseOverflowAndSignOfZero)
{
    for (const std::string& text : {std::string("1E999"), std::string("-1E999"), std::string("1.8e308"),
                                    std::string("0.0000001e320"), std::string("1e99999999999999999999999"),
                                    std::string(400, '9'), std::string(400, '9') + "x", std::string(309, '9') + ".5x"})
        EXPECT_EQ(errorKind([&] { parseNumber(text); }), int(K::Overflow)) << text.substr(0, 20);
    EXPECT_FALSE(std::signbit(parseNumber("1e-400")));
    EXPECT_TRUE(std::signbit(parseNumber("-1e-400")));
    EXPECT_TRUE(std::signbit(parseNumber("-0")));
    EXPECT_FALSE(std::signbit(parseNumber("-.")));
}

// An infinity or a NaN never becomes a text: the error it stands for is raised.
TEST(NumberText, NonFiniteValuesRaiseInsteadOfFormatting)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, K> rows[] = {
        {inf, K::Overflow}, {-inf, K::Overflow}, {std::numeric_limits<double>::quiet_NaN(), K::InvalidOperation}};
    for (const auto& [value, kind] : rows)
        EXPECT_EQ(errorKind([value] { formatNumber(value); }), int(kind)) << value;
    EXPECT_THROW(formatAlgebraic({1, inf}, " + j."), FloatError);
}

TEST(NumberText, AlgebraicAndPolar)
{
    EXPECT_EQ(formatAlgebraic({17.6, 8.8}, " + j."), "17.6 + j.8.8");
    EXPECT_EQ(formatAlgebraic({220, 4.7e-15}, " + j."), "220 + j. 4.7E-15");
    EXPECT_EQ(formatAlgebraic({3, -4}, " + j."), "3 + j.-4");
    EXPECT_EQ(formatAlgebraic(cconj({3, 0}), " + j."), "3 + j.0");
    EXPECT_EQ(formatPolar({17.6, 8.8}, " ; "), "19.6774 ; .4636");
    EXPECT_EQ(formatPolar({-110, -190.5255888325765}, " ; "), "220 ; 4.1888");
    EXPECT_EQ(formatPolar({0, 0}, " ; "), "0 ; 0");
}

TEST(NumberText, RandomTextsParseToFiniteOrOverflow)
{
    std::mt19937_64 rng(20240611);
    const char alphabet[] = "0123456789.eE+- ";
    for (int i = 0; i < 5000; ++i) {
        std::string text(i % 500 == 0 ? 10000 : rng() % 24, '\0');
        for (char& c : text)
            c = i % 2 ? char(rng() & 0xFF) : alphabet[rng() % (sizeof alphabet - 1)];
        double value = 0;
        const int kind = errorKind([&] { value = parseNumber(text); });
        ASSERT_TRUE(kind < 0 ? std::isfinite(value) : kind == int(K::Overflow)) << "text #" << i;
    }
}

// Any double, and many near the fixed range: the text has the shape of its
// form and reads back within its rounding.
TEST(NumberText, RandomDoublesReadBackWithinRounding)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> decade(-5.0, 5.0);
    for (int i = 0; i < 5000; ++i) {
        double x;
        do {
            const std::uint64_t bits = rng();
            std::memcpy(&x, &bits, sizeof x);
        } while (!std::isfinite(x));
        for (const double v : {x, std::copysign(std::pow(10.0, decade(rng)), x)}) {
            const std::string text = formatNumber(v);
            SCOPED_TRACE(testing::Message() << v << " -> \"" << text << '"');
            ASSERT_TRUE(!text.empty() && text.size() <= 11);
            const double a = std::fabs(v);
            if (text == "0") {
                EXPECT_LT(a, 0.00005 * (1 + 1e-12));
            } else if (text.find('E') == std::string::npos) {
                const double back = parseNumber(text);
                EXPECT_LE(std::fabs(back - v), 0.00005 + 1e-12);
                EXPECT_TRUE(std::fabs(back) >= 0.01 && std::fabs(back) <= 400);
                EXPECT_TRUE(text.find('.') == std::string::npos || text.back() != '0');
                EXPECT_EQ(text[0] == '-', v < 0);
            } else {
                EXPECT_EQ(text[0], std::signbit(v) ? '-' : ' ');
                EXPECT_TRUE(text[1] >= '1' && text[1] <= '9');
                EXPECT_TRUE(text[text.find('E') - 1] != '0' && text[text.find('E') - 1] != '.');
                EXPECT_FALSE(a >= 0.01 * (1 + 1e-12) && a <= 400.0 - 0.0001) << "the fixed range would take it";
                if (a < 1.79e308) { // only the top of the range rounds beyond it
                    EXPECT_LE(std::fabs(parseNumber(text) - v), 0.005 * a * (1 + 1e-12));
                }
            }
        }
    }
}

// The same tables again under a C++ and a C library locale whose decimal point is a comma.
TEST(NumberText, CommaLocalesDoNotChangeTexts)
{
    const std::locale savedCpp = std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
    std::ostringstream probe;
    probe << 1.5;
    EXPECT_EQ(probe.str(), "1,5");
    checkTables();
    std::locale::global(savedCpp);

    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "fr_FR.UTF-8") && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no C library locale with a comma decimal point is installed";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    checkTables();
    std::setlocale(LC_ALL, saved.c_str());
}
