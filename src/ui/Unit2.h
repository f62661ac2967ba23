// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Parameters dialog: diagram colours and pen widths, what the diagram shows,
// the rms source voltage and the notation of the result texts. It keeps no
// data: every handler writes the program-wide records at once, then
// announces the change; the application connects each announcement to its
// follow-up (caption, solve, redraw). The follow-ups run synchronously, so an
// arithmetic error in one ends the handler that announced it. The controls
// start in the states that the start-up gives the settings; only the colour
// labels are painted from the settings.
#include "model/state.h"

#include <QColor>
#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QColorDialog;
class QPushButton;
class QRadioButton;
class QTabWidget;

class TPagesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPagesDlg(QWidget* parent = nullptr);

    // Paints each colour label in the colour it edits.
    void refreshColorLabels();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // veff and the source voltages changed: caption, solve and redraw follow.
    void sourceVoltageChanged();
    // The notation changed: the solve rewrites the result texts.
    void notationChanged();
    // A colour, a width or a display option changed: the diagram is redrawn.
    void diagramSettingsChanged();

private:
    using ColorField = kelvoran::ColorField;
    using FlagField = bool kelvoran::DisplaySettings::*;
    using WidthField = std::int32_t kelvoran::DisplaySettings::*;

    struct ColorLabel {
        QLabel* label;
        ColorField field;
    };

    void buildGraphicsPage(QWidget* page);
    void buildFresnelPage(QWidget* page);
    void buildCalculationPage(QWidget* page);
    QCheckBox* addOption(QWidget* page, const char* name, const QString& text, bool ticked, FlagField field);

    void colorChoice(const ColorLabel& entry);
    void widthQuery(const QString& prompt, WidthField field, QLabel* valueLabel);
    void Label26Click();
    void Label28Click();
    void Entrveff();
    void notationChange();
    void Button1Click();
    void BitBtn1Click();

    QTabWidget* PageControl1;
    std::array<ColorLabel, 17> colorLabels_{};
    QLabel* Label27;
    QLabel* Label29;
    QLineEdit* Edit1; // read-only: a click asks for the rms voltage
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPushButton* Button1;
    QPushButton* BitBtn1;
    QColorDialog* ColorDialog1;
    // What the picker opens on: the colour last confirmed in it.
    QColor confirmedColor_ = Qt::black;
};

extern TPagesDlg* PagesDlg;
