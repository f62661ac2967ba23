#pragma once
// Parameters dialog: diagram colours and pen widths, what the diagram shows,
// the rms source voltage and the notation of the result texts. It keeps no
// data: every handler writes the program-wide records at once, then redraws
// the diagram or reruns the solver. The controls start in the states that
// the start-up gives the settings; only the colour labels are painted from
// the settings.
#include "model/state.h"

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <array>

class QCheckBox;
class QColorDialog;
class QPushButton;
class QRadioButton;
class QTabWidget;

// A label that reports a click (press and release inside it).
class TClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit TClickLabel(const QString& text, QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// A read-only field that reports a click.
class TClickEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TClickEdit(const QString& text, QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TPagesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPagesDlg(QWidget* parent = nullptr);

    // Paints each colour label in the colour it edits.
    void refreshColorLabels();

private:
    using ColorField = kelvoran::TColor kelvoran::DisplaySettings::*;
    using FlagField = bool kelvoran::DisplaySettings::*;
    using WidthField = std::int32_t kelvoran::DisplaySettings::*;

    struct ColorLabel {
        TClickLabel* label;
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
    TClickEdit* Edit1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPushButton* Button1;
    QPushButton* BitBtn1;
    QColorDialog* ColorDialog1;
    // What the picker opens on: the colour last confirmed in it.
    QColor confirmedColor_ = Qt::black;
};

extern TPagesDlg* PagesDlg;
