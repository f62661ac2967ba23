#include "model/fperror.h"
#include "model/solver.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace kelvoran;

namespace {

// Records every write and every short-circuit report in one ordered list.
class RecordingView : public SolverView {
public:
    std::array<std::string, 6> fields{"10", "0", "10", "-5", "5", "10"};
    std::vector<std::string> events;
    std::map<std::string, std::string> texts;

    std::string fieldText(int index) const override { return fields.at(index); }
    void setResultText(ResultLabel label, const std::string& text) override
    {
        events.push_back(std::string(resultLabelName(label)) + "=" + text);
        texts[resultLabelName(label)] = text;
    }
    void reportShortCircuit() override { events.push_back("Attention:court-circuit"); }
};

struct Fixture {
    InstallationState s;
    DisplaySettings d;
    RecordingView view;
    Fixture() { initializeDefaults(s, d); }
    void solve() { solveInstallation(s, d, view); }
};

using C = std::complex<long double>;
C toC(TComplexe z) { return {z.re, z.im}; }

} // namespace

TEST(Solver, DefaultInstallationTexts)
{
    Fixture f;
    f.solve();
    const std::map<std::string, std::string> algebraic = {
        {"Label25", "0 j. 0"},
        {"Label2", "17.6 + j.8.8"},
        {"Label3", "-38.1051 + j.22"},
        {"Label4", "4.0263 + j.15.0263"},
        {"Label32", "16.4788 + j.-45.8263"},
        {"Label6", "220 + j.0"},
        {"Label7", "-110 + j.-190.5256"},
        {"Label8", "-110 + j.190.5256"},
        {"Label38", "9.5333 + j.-15.4"},
        {"Label39", "13.5596 + j.8.9246"},
        {"Label40", "-5.4929 + j.15.2754"},
    };
    for (const auto& [label, text] : algebraic)
        EXPECT_EQ(f.view.texts[label], text) << label;
    ASSERT_EQ(f.view.events.size(), 14u);
    const char* order[] = {"Label25", "Label2", "Label3", "Label4", "Label32", "Label6", "Label7",
                           "Label8", "Label12", "Label38", "Label39", "Label40", "Label10", "Label11"};
    for (int k = 0; k < 14; ++k)
        EXPECT_EQ(f.view.events[k].substr(0, f.view.events[k].find('=')), order[k]);
    EXPECT_NEAR(f.s.ud.re, 220, 1e-12);
    EXPECT_LT(cmodule(f.s.ui), 1e-12);
    EXPECT_LT(cmodule(f.s.u0), 1e-12);

    f.d.algebraic = false;
    f.view.texts.clear();
    f.solve();
    const std::map<std::string, std::string> polar = {
        {"Label2", "19.6774 ; .4636"},
        {"Label3", "44 ; 2.618"},
        {"Label4", "15.5563 ;1.309"},
        {"Label7", "220 ; 4.1888"},
        {"Label25", "0 ; 0"},
    };
    for (const auto& [label, text] : polar)
        EXPECT_EQ(f.view.texts[label], text) << label;
    // The zero-sequence voltage has its blank after the semicolon only.
    EXPECT_NE(f.view.texts["Label12"].find("; "), std::string::npos);
    EXPECT_EQ(f.view.texts["Label12"].find(" ;"), std::string::npos);
}

TEST(Solver, NeutralOpenTexts)
{
    Fixture f;
    f.s.neutralClosed = false;
    f.solve();
    EXPECT_EQ(f.view.texts["Label25"], "-192.8814 j. 40.9321");
    EXPECT_EQ(f.view.texts["Label32"], "0 + j.0");
    EXPECT_EQ(f.view.texts["Label6"], " 4.13E2 + j.-40.9321");
    EXPECT_NEAR(f.s.ud.re, 220, 1e-9);
    EXPECT_NEAR(f.s.u0.re, -f.s.vn.re, 1e-9);
    EXPECT_NEAR(f.s.u0.im, -f.s.vn.im, 1e-9);
    EXPECT_LT(cmodule(f.s.i0), 1e-12);
}

// Every switch combination against Millman, Kirchhoff and Fortescue worked out here.
TEST(Solver, SixteenSwitchCombinationsMatchThePhysics)
{
    const C z[3] = {{10, -5}, {0, 5}, {10, 10}};
    const long double r3 = std::sqrt(3.0L);
    const C vs[3] = {{220, 0}, {-110, -110 * r3}, {-110, 110 * r3}};
    const C a{-0.5L, r3 / 2};
    for (int mask = 0; mask < 16; ++mask) {
        Fixture f;
        f.s.line1Closed = mask & 1;
        f.s.line2Closed = mask & 2;
        f.s.line3Closed = mask & 4;
        f.s.neutralClosed = mask & 8;
        SCOPED_TRACE(testing::Message() << "switch mask " << mask);
        f.solve();
        ASSERT_EQ(f.view.events.size(), 14u) << "every label is written";

        bool closed[3] = {f.s.line1Closed, f.s.line2Closed, f.s.line3Closed};
        C vn = 0;
        if (!f.s.neutralClosed) {
            C num = 0, den = 0;
            for (int k = 0; k < 3; ++k)
                if (closed[k]) {
                    num += vs[k] / z[k];
                    den += 1.0L / z[k];
                }
            if (std::abs(den) > 0)
                vn = num / den;
        }
        C i[3], vz[3];
        for (int k = 0; k < 3; ++k) {
            i[k] = closed[k] ? (vs[k] - vn) / z[k] : C(0);
            vz[k] = i[k] * z[k];
        }
        const C in = f.s.neutralClosed ? -(i[0] + i[1] + i[2]) : C(0);
        auto near = [](TComplexe got, C want, const char* what) {
            EXPECT_NEAR(got.re, (double)want.real(), 1e-9) << what;
            EXPECT_NEAR(got.im, (double)want.imag(), 1e-9) << what;
        };
        near(f.s.vn, vn, "vn");
        near(f.s.i1, i[0], "i1");
        near(f.s.i2, i[1], "i2");
        near(f.s.i3, i[2], "i3");
        near(f.s.in, in, "in");
        near(f.s.vz1, vz[0], "vz1");
        near(f.s.vz2, vz[1], "vz2");
        near(f.s.vz3, vz[2], "vz3");
        near(f.s.ud, (vz[0] + a * vz[1] + a * a * vz[2]) / 3.0L, "ud");
        near(f.s.ui, (vz[0] + a * a * vz[1] + a * vz[2]) / 3.0L, "ui");
        near(f.s.u0, (vz[0] + vz[1] + vz[2]) / 3.0L, "u0");
        near(f.s.id, (i[0] + a * i[1] + a * a * i[2]) / 3.0L, "id");
        near(f.s.ii, (i[0] + a * a * i[1] + a * i[2]) / 3.0L, "ii");
        near(f.s.i0, (i[0] + i[1] + i[2]) / 3.0L, "i0");
        // Kirchhoff: the four currents always add up to zero.
        const C sum = toC(f.s.i1) + toC(f.s.i2) + toC(f.s.i3) + toC(f.s.in);
        EXPECT_LT(std::abs(sum), 1e-9L);
    }
}

TEST(Solver, EarlyStopsWriteExactlyWhatTheyReach)
{
    struct Case {
        const char* what;
        std::array<std::string, 6> fields;
        bool line2Closed;
        bool neutralClosed;
        std::vector<std::string> events;
    } cases[] = {
        {"two shorted closed lines, neutral closed", {"0", "0", "10", "0", "0", "10"}, true, true,
         {"Attention:court-circuit"}},
        {"two shorted closed lines, neutral open", {"0", "0", "10", "0", "0", "10"}, true, false,
         {"Attention:court-circuit"}},
        {"phase shorted to the closed neutral", {"10", "0", "10", "-5", "0", "10"}, true, true,
         {"Label25=0 j. 0", "Attention:court-circuit"}},
        {"second short on an open line counts once", {"0", "0", "10", "0", "0", "10"}, false, true,
         {"Label25=0 j. 0", "Attention:court-circuit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        f.s.i3 = {7, 7}; // from an earlier run
        f.view.fields = c.fields;
        f.s.line2Closed = c.line2Closed;
        f.s.neutralClosed = c.neutralClosed;
        f.solve();
        EXPECT_EQ(f.view.events, c.events);
        EXPECT_EQ(f.s.z2.re, std::stod(c.fields[1]));
        EXPECT_EQ(f.s.i3.re, 7) << "currents after the stop keep their value";
    }
}

TEST(Solver, NeutralOpenWithOneShortedLineCarriesTheOthersCurrents)
{
    for (int shorted = 0; shorted < 3; ++shorted) {
        for (int open = -1; open < 3; ++open) {
            if (open == shorted)
                continue;
            SCOPED_TRACE(testing::Message() << "shorted line " << shorted + 1 << ", open line " << open + 1);
            Fixture f;
            f.view.fields[shorted] = "0";
            f.view.fields[shorted + 3] = "0";
            f.s.neutralClosed = false;
            f.s.line1Closed = open != 0;
            f.s.line2Closed = open != 1;
            f.s.line3Closed = open != 2;
            f.solve();
            EXPECT_EQ(f.view.events.size(), 14u);
            for (const auto& e : f.view.events)
                EXPECT_NE(e, "Attention:court-circuit");
            const TComplexe vs[3] = {f.s.vs1, f.s.vs2, f.s.vs3};
            EXPECT_EQ(f.s.vn.re, vs[shorted].re);
            EXPECT_EQ(f.s.vn.im, vs[shorted].im);
            const C sum = toC(f.s.i1) + toC(f.s.i2) + toC(f.s.i3);
            EXPECT_LT(std::abs(sum), 1e-12L);
            const TComplexe vz[3] = {f.s.vz1, f.s.vz2, f.s.vz3};
            EXPECT_EQ(cmodule(vz[shorted]), 0);
            EXPECT_EQ(cmodule(f.s.in), 0);
        }
    }
    Fixture f;
    f.view.fields[1] = f.view.fields[4] = "0";
    f.s.neutralClosed = false;
    f.solve();
    EXPECT_EQ(f.view.texts["Label25"], "-110 j. -190.5256");
}

TEST(Solver, AllLinesOpenShowsZeroEverywhere)
{
    for (bool neutral : {true, false}) {
        Fixture f;
        f.solve();
        f.view = RecordingView{};
        f.s.line1Closed = f.s.line2Closed = f.s.line3Closed = false;
        f.s.neutralClosed = neutral;
        f.solve();
        ASSERT_EQ(f.view.events.size(), 14u) << "neutral " << neutral;
        EXPECT_EQ(f.view.events[0], "Label25=0 j. 0");
        for (size_t k = 1; k < 14; ++k)
            EXPECT_EQ(f.view.events[k].substr(f.view.events[k].find('=')), "=0 + j.0");
        EXPECT_EQ(cmodule(f.s.i1) + cmodule(f.s.id) + cmodule(f.s.ud), 0);
    }
}

TEST(Solver, ArithmeticErrorsStopWithoutWriting)
{
    Fixture f;
    f.view.fields = {"0", "0", "10", "10", "-10", "10"};
    f.s.neutralClosed = false;
    f.s.line3Closed = false;
    try {
        f.solve();
        FAIL() << "admittances adding up to zero must fail";
    } catch (const FloatError& e) {
        EXPECT_EQ(e.kind(), FloatError::Kind::InvalidOperation);
    }
    EXPECT_TRUE(f.view.events.empty());
    // vn keeps the Millman numerator: 220/j10 + vs2/(-j10) = 19.05 - j33.
    EXPECT_NEAR(f.s.vn.im, -22 - 11, 1e-9);
    EXPECT_NEAR(f.s.vn.re, 19.05255888325765, 1e-9);

    Fixture g;
    g.view.fields = {"10", "1E999", "10", "-5", "5", "10"};
    g.s.z1 = g.s.z2 = {};
    EXPECT_THROW(g.solve(), FloatError);
    EXPECT_EQ(g.s.z1.re, 10) << "phase 1 was read before the overflow";
    EXPECT_EQ(g.s.z2.re, 0);
    EXPECT_TRUE(g.view.events.empty());
}

// Whatever the user types, the solver yields finite numbers or a FloatError.
TEST(Solver, RandomFieldTextsNeverGiveNanOrInfinity)
{
    std::mt19937 rng(20261207);
    const std::string alphabet = "0123456789+-.eE ,jx";
    auto randomText = [&] {
        std::string t;
        const int n = rng() % 12;
        for (int k = 0; k < n; ++k)
            t += (rng() % 8 == 0) ? char(rng() % 256) : alphabet[rng() % alphabet.size()];
        return t;
    };
    int errors = 0;
    for (int run = 0; run < 3000; ++run) {
        Fixture f;
        for (auto& field : f.view.fields)
            field = randomText();
        const unsigned mask = rng();
        f.s.line1Closed = mask & 1;
        f.s.line2Closed = mask & 2;
        f.s.line3Closed = mask & 4;
        f.s.neutralClosed = mask & 8;
        f.d.algebraic = mask & 16;
        try {
            f.solve();
        } catch (const FloatError&) {
            ++errors;
        }
        const TComplexe all[] = {f.s.vn, f.s.i1, f.s.i2, f.s.i3, f.s.in, f.s.vz1, f.s.vz2, f.s.vz3,
                                 f.s.ud, f.s.ui, f.s.u0, f.s.id, f.s.ii, f.s.i0, f.s.z1, f.s.z2, f.s.z3};
        for (const TComplexe& z : all)
            ASSERT_TRUE(std::isfinite(z.re) && std::isfinite(z.im));
        for (const auto& e : f.view.events) {
            ASSERT_EQ(e.find("nan"), std::string::npos) << e;
            ASSERT_EQ(e.find("inf"), std::string::npos) << e;
        }
    }
    RecordProperty("arithmetic_errors", errors);
}
