// SPDX-License-Identifier: GPL-3.0-or-later
// The report is compared line by line with texts worked out independently
// (complex arithmetic and four-decimal rounding done by hand/calculator).
#include "report/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kelvoran::buildReport;
using kelvoran::InstallationState;

namespace {

// Source phasors for 220 V, inputs of the default installation.
InstallationState sourceAndLoad()
{
    InstallationState s;
    s.veff = 220;
    s.vs1 = {220, 0};
    s.vs2 = {-110, -190.5255888325765};
    s.vs3 = {-110, 190.5255888325765};
    s.z1 = {10, -5};
    s.z2 = {0, 5};
    s.z3 = {10, 10};
    return s;
}

// The report's first lines for sourceAndLoad().
const std::vector<std::string> kSourceAndLoadLines{
    "Données", "", "veff = 220 V", "",
    "tensions simples : ",
    "forme algébrique",
    "v1complexe = 220 + j.0",
    "v2complexe = -110 + j.-190.5256",
    "v3complexe = -110 + j.190.5256",
    "forme polaire",
    "v1complexe = 220 ; 0",
    "v2complexe = 220 ; 4.1888",
    "v3complexe = 220 ; 2.0944",
    "",
    "Impédances :",
    "Z1complexe = 10 j. -5",
    "Z2complexe = 0 j. 5",
    "Z3complexe = 10 j. 10",
    "",
};

// The whole report of a sourceAndLoad() state, given from its neutral voltage on.
void expectReport(const InstallationState& s, std::vector<std::string> rest)
{
    std::vector<std::string> expected = kSourceAndLoadLines;
    expected.insert(expected.end(), rest.begin(), rest.end());
    const std::string text = buildReport(s);
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "text after the last CR LF";
    ASSERT_EQ(lines.size(), 62u);
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(lines[k], expected.at(k)) << "line " << k + 1;
}

} // namespace

TEST(Report, DefaultInstallationAllSwitchesClosed)
{
    InstallationState s = sourceAndLoad();
    s.vn = {0, 0};
    s.in = {16.478838324886475, -45.82627944162883};
    s.i1 = {17.6, 8.8};
    s.i2 = {-38.1051177665153, 22};
    s.i3 = {4.026279441628825, 15.026279441628825};
    s.vz1 = {220, 0};
    s.vz2 = s.vs2;
    s.vz3 = s.vs3;
    s.id = {9.533333333333333, -15.4};
    s.ii = {13.559612774962156, 8.924573519457057};
    s.i0 = {-5.492946108295492, 15.275426480542942};
    // Rounding residue as a real solve leaves it.
    s.ud = {220, 4.736951571734001e-15};
    s.ui = {1.4210854715202004e-14, 0};
    s.u0 = {0, 0};

    expectReport(s, {
        "Vncomplexe = 0 j. 0",
        "Vncomplexe = 0 ; 0",
        "",
        "Incomplexe = 16.4788 j. -45.8263",
        "Incomplexe = 48.6991 ; -1.2256",
        "",
        "Courants en ligne: ",
        "forme algébrique",
        "I1complexe = 17.6 + j.8.8",
        "I2complexe = -38.1051 + j.22",
        "I3complexe = 4.0263 + j.15.0263",
        "forme polaire",
        "I1complexe = 19.6774 ; .4636",
        "I2complexe = 44 ; 2.618",
        "I3complexe = 15.5563 ;1.309",
        "",
        "tensions aux bornes de la charge : ",
        "forme algébrique",
        "vz1complexe = 220 + j.0",
        "vz2complexe = -110 + j.-190.5256",
        "vz3complexe = -110 + j.190.5256",
        "forme polaire",
        "vz1complexe = 220 ; 0",
        "vz2complexe = 220 ; 4.1888",
        "vz3complexe = 220 ; 2.0944",
        "",
        "composantes symétriques des courants de ligne",
        "forme algébrique",
        "idcomplexe = 9.5333 + j.-15.4",
        "iicomplexe  = 13.5596 + j.8.9246",
        "i0complexe  = -5.4929 + j.15.2754",
        "",
        "udcomplexe  = 220 + j. 4.74E-15",
        "uicomplexe  =  1.42E-14 + j.0",
        "u0complexe = 0 + j.0",
        "forme polaire",
        "idcomplexe  = 18.112 ; -1.0165",
        "iicomplexe  = 16.233 ; .5821",
        "i0complexe  = 16.233 ; 1.916",
        "",
        "udcomplexe  = 220 ;  2.15E-17",
        "uicomplexe  =  1.42E-14 ; 0",
        "u0complexe = 0; 0",
    });
}

// Neutral open and line 2 open: an open line gives exact zeros, and the
// neutral displacement voltage lands in the upper half plane.
TEST(Report, NeutralAndLineTwoOpen)
{
    InstallationState s = sourceAndLoad();
    s.line2Closed = false;
    s.neutralClosed = false;
    s.vn = {151.36197252914462, 194.9223012840021};
    s.in = {0, 0};
    s.i1 = {13.287934249028513, -12.848263003885952};
    s.i2 = {0, 0};
    s.i3 = {-13.287934249028513, 12.84826300388595};
    s.vz1 = {68.63802747085536, -194.9223012840021};
    s.vz2 = {0, 0};
    s.vz3 = {-261.3619725291446, -4.396712451425628};
    s.id = {10.352941176470589, -2.5882352941176454};
    s.ii = {2.934993072557925, -10.260027709768307};
    s.i0 = {0, -5.921189464667501e-16};
    s.ud = {65.17044968645257, 11.207387578386848};
    s.ui = {67.70889280383254, -139.69001761724635};
    s.u0 = {-64.24131501942975, -66.43967124514258};

    expectReport(s, {
        "Vncomplexe = 151.362 j. 194.9223",
        "Vncomplexe = 246.7897 ; .9105",
        "",
        "Incomplexe = 0 j. 0",
        "Incomplexe = 0 ; 0",
        "",
        "Courants en ligne: ",
        "forme algébrique",
        "I1complexe = 13.2879 + j.-12.8483",
        "I2complexe = 0 + j.0",
        "I3complexe = -13.2879 + j.12.8483",
        "forme polaire",
        "I1complexe = 18.4837 ; -0.7686",
        "I2complexe = 0 ; 0",
        "I3complexe = 18.4837 ;2.373",
        "",
        "tensions aux bornes de la charge : ",
        "forme algébrique",
        "vz1complexe = 68.638 + j.-194.9223",
        "vz2complexe = 0 + j.0",
        "vz3complexe = -261.362 + j.-4.3967",
        "forme polaire",
        "vz1complexe = 206.654 ; -1.2322",
        "vz2complexe = 0 ; 0",
        "vz3complexe = 261.399 ; 3.1584",
        "",
        "composantes symétriques des courants de ligne",
        "forme algébrique",
        "idcomplexe = 10.3529 + j.-2.5882",
        "iicomplexe  = 2.935 + j.-10.26",
        "i0complexe  = 0 + j.-5.92E-16",
        "",
        "udcomplexe  = 65.1704 + j.11.2074",
        "uicomplexe  = 67.7089 + j.-139.69",
        "u0complexe = -64.2413 + j.-66.4397",
        "forme polaire",
        "idcomplexe  = 10.6716 ; -0.245",
        "iicomplexe  = 10.6716 ; -1.2922",
        "i0complexe  =  5.92E-16 ; -1.5708",
        "",
        "udcomplexe  = 66.1271 ; .1703",
        "uicomplexe  = 155.2346 ; -1.1195",
        "u0complexe = 92.4185; 3.9438",
    });
}

// A source voltage near the top of the double range gives finite source
// phasors (their products are formed wide) and their texts; it used to give
// infinite imaginary parts, which the report then failed to format.
TEST(Report, SourceVoltagesNearTheDoubleLimit)
{
    const struct {
        double veff;
        const char* v2Algebraic;
        const char* v2Polar;
    } rows[] = {
        {1.1e308, "v2complexe = -5.5E307 + j.-9.53E307", "v2complexe =  1.1E308 ; 4.1888"},
        {1.5e308, "v2complexe = -7.5E307 + j.-1.3E308", "v2complexe =  1.5E308 ; 4.1888"},
        {1.7976931348623157e308, "v2complexe = -8.99E307 + j.-1.56E308", "v2complexe =  1.8E308 ; 4.1888"},
    };
    for (const auto& r : rows) {
        InstallationState s;
        kelvoran::setVeff(s, r.veff);
        const std::string text = buildReport(s);
        EXPECT_NE(text.find(std::string(r.v2Algebraic) + "\r\n"), std::string::npos) << r.veff;
        EXPECT_NE(text.find(std::string(r.v2Polar) + "\r\n"), std::string::npos) << r.veff;
    }
}
