// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Main window. The user edits the six impedance texts (Edit1..Edit6) and
// clicks the switch pictures, which flip the switch fields of `installation`
// at once. Nothing is computed until a calculate button or "Paramètres"
// runs kelvoran::solveInstallation with this window as its SolverView: the
// solver reads the six texts, writes every result into `installation` and
// the fourteen silver result labels. The diagram window and the text report
// only read `installation`; the parameters dialog writes veff and `settings`
// (records.h holds both).
#include "solver/solver.h"

#include <QMainWindow>

#include <array>
#include <string>

class GlyphButton;
class OverlayToggle;
class PictureBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class TForm1 : public QMainWindow, private kelvoran::SolverView {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Runs the solver on the current fields and switches. A short circuit is
    // reported in a box and ends the solve; a FloatError goes to the caller.
    void solve();
    // Label26 := "Veff = " + veff + " V".
    void showVeffCaption();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Switch { Line1, Line2, Line3, Neutral };
    struct SwitchPictures {
        PictureBox* open;
        PictureBox* closed;
        OverlayToggle* keys; // the keyboard's and assistive technology's way in
    };

    std::string fieldText(int index) const override;
    void setResultText(kelvoran::ResultLabel label, const std::string& text) override;
    void reportShortCircuit() override;

    void buildSchematic();
    void buildSideColumn();
    void buildResults();
    void buildMenu();
    void chainTabOrder();

    void FormCreate();
    void markParametersChanged();
    void hideWarning();
    void toggleSwitch(Switch which);
    bool& switchState(Switch which);
    void showSwitchPictures(Switch which);

    void Image1Click();
    void Image2Click();
    void Image4Click();
    void Image5Click();
    void Image7Click();
    void Image8Click();
    void Image10Click();
    void Image11Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void Quitter1Click();
    void Copier1Click();
    void Paramtres1Click();
    void Apropos1Click();

    QWidget* centre_ = nullptr;
    QWidget* Panel1 = nullptr;
    std::array<QLineEdit*, 6> edits_{}; // Edit1..Edit6
    std::array<SwitchPictures, 4> switches_{};
    QLabel* Label26 = nullptr;
    GlyphButton* BitBtn1 = nullptr;
    GlyphButton* BitBtn2 = nullptr;
    GlyphButton* BitBtn3 = nullptr;
    PictureBox* Image22 = nullptr;
    QLabel* Label30 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::array<QLabel*, kelvoran::kResultLabelCount> results_{}; // in ResultLabel order
};

extern TForm1* Form1;
