// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit1.h"

#include "Unit2.h"
#include "accessibility.h"
#include "apropo.h"
#include "calcmodeleserie.h"
#include "clickfilter.h"
#include "desktop.h"
#include "graphfresnel.h"
#include "handlers.h"
#include "pictures.h"
#include "records.h"
#include "schematic.h"
#include "textentry.h"
#include "windowfont.h"

#include "numtext/numtext.h"
#include "report/report.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalBlocker>

TForm1* Form1 = nullptr;

namespace {

QLabel* label(QWidget* parent, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

// A two-line caption wrapped in a fixed box.
QLabel* wrappedLabel(QWidget* parent, const QString& text, const QRect& box)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(box);
    return l;
}

void setBackground(QWidget* w, const QColor& color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Installation triphasée"));
    setFont(windowFont());

    centre_ = new QWidget(this);
    setCentralWidget(centre_);
    buildSchematic();
    buildSideColumn();
    buildResults();
    buildMenu();

    chainTabOrder();

    desktop::placeOuter(this, QPoint(250, 117), QSize(555, 583));
    FormCreate();
}

void TForm1::buildSchematic()
{
    Panel1 = new SchematicPanel(centre_);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 0, 441, 329);

    label(Panel1, QStringLiteral("Résistance(ohm)"), 208, 8);
    label(Panel1, QStringLiteral("Réactance(ohm)"), 312, 8);
    Label26 = label(Panel1, QString(), 8, 32);
    Label26->setObjectName(QStringLiteral("Label26"));

    // Switch pictures: open and closed stacked at the same place.
    const struct {
        int x, y;
        const char* open;
        const char* closed;
    } switchPlaces[4] = {
        {152, 64, "Image1", "Image2"},
        {152, 136, "Image4", "Image5"},
        {152, 208, "Image7", "Image8"},
        {336, 272, "Image10", "Image11"},
    };
    for (int k = 0; k < 4; ++k) {
        const auto& place = switchPlaces[k];
        auto* open = new PictureBox(pictures::switchOpen, Panel1);
        auto* closed = new PictureBox(pictures::switchClosed, Panel1);
        open->setObjectName(QString::fromLatin1(place.open));
        closed->setObjectName(QString::fromLatin1(place.closed));
        open->setGeometry(place.x, place.y, 32, 32);
        closed->setGeometry(place.x, place.y, 32, 32);
        switches_[k] = {open, closed, nullptr};
    }
    const struct {
        PictureBox* picture;
        void (TForm1::*handler)();
    } switchClicks[8] = {
        {switches_[0].open, &TForm1::Image1Click},  {switches_[0].closed, &TForm1::Image2Click},
        {switches_[1].open, &TForm1::Image4Click},  {switches_[1].closed, &TForm1::Image5Click},
        {switches_[2].open, &TForm1::Image7Click},  {switches_[2].closed, &TForm1::Image8Click},
        {switches_[3].open, &TForm1::Image10Click}, {switches_[3].closed, &TForm1::Image11Click},
    };
    for (const auto& c : switchClicks)
        connectHandler(clicks(c.picture), &ClickFilter::clicked, this, c.handler);
    // Space, or assistive technology, toggles a switch through the handler
    // of its visible picture, exactly as a click.
    const QString switchNames[4] = {QStringLiteral("Interrupteur ligne 1"), QStringLiteral("Interrupteur ligne 2"),
                                    QStringLiteral("Interrupteur ligne 3"), QStringLiteral("Interrupteur du neutre")};
    for (int k = 0; k < 4; ++k) {
        auto* keys = new OverlayToggle(Panel1);
        keys->setObjectName(QStringLiteral("Switch%1").arg(k + 1));
        keys->setGeometry(switches_[k].closed->geometry());
        a11y::name(keys, switchNames[k], QStringLiteral("Coché : fermé. Espace l'ouvre ou le ferme."));
        switches_[k].keys = keys;
        const auto openClick = switchClicks[2 * k].handler;
        const auto closedClick = switchClicks[2 * k + 1].handler;
        connectHandler(keys, &QAbstractButton::toggled, this, [this, k, openClick, closedClick] {
            (this->*(switchState(static_cast<Switch>(k)) ? closedClick : openClick))();
        });
    }

    const char* coilNames[3] = {"Image3", "Image6", "Image9"};
    for (int k = 0; k < 3; ++k) {
        auto* c = new PictureBox(pictures::coil, Panel1);
        c->setObjectName(QString::fromLatin1(coilNames[k]));
        c->setGeometry(312, 64 + 72 * k, 50, 30);
    }

    // Resistance fields down the left column, reactance fields down the right.
    for (int k = 0; k < 6; ++k) {
        const std::string_view start = kelvoran::kDefaultFieldTexts[static_cast<std::size_t>(k)];
        auto* e = new QLineEdit(QString::fromLatin1(start.data(), static_cast<qsizetype>(start.size())), Panel1);
        limitLength(e);
        e->setObjectName(QStringLiteral("Edit%1").arg(k + 1));
        const bool resistance = k < 3;
        e->setGeometry(resistance ? 216 : 312, 40 + 72 * (k % 3), resistance ? 73 : 65, 21);
        e->installEventFilter(this);
        // Edit1Change..Edit6Change: any change, even back to the same text.
        connectHandler(e, &QLineEdit::textChanged, this, &TForm1::markParametersChanged);
        a11y::name(e, QStringLiteral("%1 phase %2 (ohm)")
                          .arg(resistance ? QStringLiteral("Résistance") : QStringLiteral("Réactance"))
                          .arg(k % 3 + 1));
        edits_[k] = e;
    }
}

// By line: its resistance, its reactance, then its switch; the neutral's
// switch; the buttons from the top; the results row by row.
void TForm1::chainTabOrder()
{
    using kelvoran::ResultLabel;
    QList<QWidget*> chain;
    for (int k = 0; k < 3; ++k)
        chain << edits_[k] << edits_[k + 3] << switches_[k].keys;
    chain << switches_[3].keys << BitBtn3 << BitBtn1 << BitBtn2;
    for (ResultLabel r : {ResultLabel::Label2, ResultLabel::Label3, ResultLabel::Label4, ResultLabel::Label32,
                          ResultLabel::Label6, ResultLabel::Label7, ResultLabel::Label8, ResultLabel::Label25,
                          ResultLabel::Label38, ResultLabel::Label39, ResultLabel::Label40, ResultLabel::Label10,
                          ResultLabel::Label11, ResultLabel::Label12})
        chain << results_[static_cast<std::size_t>(r)];
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TForm1::buildSideColumn()
{
    BitBtn3 = new GlyphButton(pictures::glyphCalculs, centre_);
    BitBtn1 = new GlyphButton(pictures::glyphFresnel, centre_);
    BitBtn2 = new GlyphButton(pictures::glyphSeriesModel, centre_);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3->setGeometry(472, 72, 49, 49);
    BitBtn1->setGeometry(472, 128, 49, 49);
    BitBtn2->setGeometry(472, 184, 49, 49);
    BitBtn3->setToolTip(QStringLiteral("Calculs"));
    BitBtn1->setToolTip(QStringLiteral("Calculs et diagramme de Fresnel"));
    BitBtn2->setToolTip(QStringLiteral("Calcul du modèle série"));
    connectHandler(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connectHandler(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connectHandler(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    a11y::name(BitBtn3, QStringLiteral("Calculer"));
    a11y::name(BitBtn1, QStringLiteral("Calculer et afficher le diagramme de Fresnel"));
    a11y::name(BitBtn2, QStringLiteral("Calcul du modèle série"),
               QStringLiteral("Ouvre la fenêtre de conversion d'un modèle parallèle en modèle série"));

    Image22 = new PictureBox(pictures::warningSign, centre_);
    Image22->setObjectName(QStringLiteral("Image22"));
    Image22->setGeometry(480, 248, 32, 32);
    Image22->hide();
    a11y::name(Image22, QStringLiteral("Avertissement"));
    Label30 = wrappedLabel(centre_, QStringLiteral("Attention, les parametres ont changé"), QRect(464, 288, 73, 39));
    Label30->setObjectName(QStringLiteral("Label30"));
    setBackground(Label30, QColor(255, 255, 0));
    Label30->hide();

    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), centre_);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(472, 40, 41, 17);
    Memo1->hide();
    a11y::name(Memo1, QStringLiteral("Rapport"));
}

void TForm1::buildResults()
{
    label(centre_, QStringLiteral("Phase1"), 96, 336);
    label(centre_, QStringLiteral("Phase2"), 216, 336);
    label(centre_, QStringLiteral("Phase3"), 328, 336);
    label(centre_, QStringLiteral("Neutre"), 432, 336);
    label(centre_, QStringLiteral("Directe"), 96, 416);
    label(centre_, QStringLiteral("Inverse"), 216, 416);
    label(centre_, QStringLiteral("Constante"), 328, 416);

    label(centre_, QStringLiteral("Courants en ligne: "), 8, 360);
    label(centre_, QStringLiteral("Tensions(charge):"), 8, 392);
    label(centre_, QStringLiteral("Composantes "), 8, 440);
    wrappedLabel(centre_, QStringLiteral("symétriques des courants:"), QRect(8, 456, 64, 26));
    label(centre_, QStringLiteral("Composantes "), 8, 488);
    wrappedLabel(centre_, QStringLiteral("symétriques des tensions:"), QRect(8, 504, 62, 26));

    using kelvoran::ResultLabel;
    // Assistive technology reads the quantity as the name, the text as the value.
    const QString amperes = QStringLiteral("En ampères");
    const QString volts = QStringLiteral("En volts");
    const struct {
        ResultLabel label;
        int x, y;
        const char* quantity;
        const QString& unit;
    } places[kelvoran::kResultLabelCount] = {
        {ResultLabel::Label25, 432, 392, "Tension VN", volts},
        {ResultLabel::Label2, 96, 360, "Courant I1", amperes},
        {ResultLabel::Label3, 216, 360, "Courant I2", amperes},
        {ResultLabel::Label4, 328, 360, "Courant I3", amperes},
        {ResultLabel::Label32, 432, 360, "Courant IN", amperes},
        {ResultLabel::Label6, 96, 392, "Tension VZ1", volts},
        {ResultLabel::Label7, 216, 392, "Tension VZ2", volts},
        {ResultLabel::Label8, 328, 392, "Tension VZ3", volts},
        {ResultLabel::Label12, 328, 496, "Composante homopolaire des tensions", volts},
        {ResultLabel::Label38, 96, 448, "Composante directe des courants", amperes},
        {ResultLabel::Label39, 216, 448, "Composante inverse des courants", amperes},
        {ResultLabel::Label40, 328, 448, "Composante homopolaire des courants", amperes},
        {ResultLabel::Label10, 96, 496, "Composante directe des tensions", volts},
        {ResultLabel::Label11, 216, 496, "Composante inverse des tensions", volts},
    };
    for (const auto& place : places) {
        auto* l = new MarkedLabel(centre_);
        l->setObjectName(QString::fromLatin1(kelvoran::resultLabelName(place.label)));
        a11y::expose(l, QAccessible::StaticText, {}, [l] { return l->text(); });
        a11y::name(l, QString::fromUtf8(place.quantity), place.unit);
        l->setTextFormat(Qt::PlainText);
        // A selected result copies itself with Ctrl+C; with nothing selected
        // the shortcut still copies the whole report.
        l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        // Tab reaches the results too, for whom cannot read or point at them.
        l->setFocusPolicy(Qt::StrongFocus);
        l->installEventFilter(this);
        setBackground(l, QColor(192, 192, 192));
        l->move(place.x, place.y);
        l->adjustSize();
        results_[static_cast<std::size_t>(place.label)] = l;
    }
}

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [&](const char* name, const QString& caption, void (TForm1::*handler)()) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connectHandler(a, &QAction::triggered, this, handler);
        return a;
    };
    // The "&" marks each access key; the captions read as before.
    add("Quitter1", QStringLiteral("&Quitter"), &TForm1::Quitter1Click);
    QAction* copy = add("Copier1", QStringLiteral("&Copier données"), &TForm1::Copier1Click);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    add("Paramtres1", QStringLiteral("&Paramètres"), &TForm1::Paramtres1Click);
    add("Apropos1", QStringLiteral("&A propos"), &TForm1::Apropos1Click);
    a11y::enableAccessKeys(bar);
}

void TForm1::FormCreate()
{
    kelvoran::initializeDefaults(installation, settings);
    for (Switch s : {Switch::Line1, Switch::Line2, Switch::Line3, Switch::Neutral})
        showSwitchPictures(s);
    showVeffCaption();
    solve();
}

void TForm1::solve()
{
    kelvoran::solveInstallation(installation, settings, *this);
}

void TForm1::showVeffCaption()
{
    Label26->setText(QStringLiteral("Veff = ") + QString::fromStdString(kelvoran::formatNumber(installation.veff))
                     + QStringLiteral(" V"));
    Label26->adjustSize();
}

std::string TForm1::fieldText(int index) const
{
    return edits_.at(static_cast<std::size_t>(index))->text().toStdString();
}

void TForm1::setResultText(kelvoran::ResultLabel label, const std::string& text)
{
    QLabel* l = results_[static_cast<std::size_t>(label)];
    const QString before = l->text();
    l->setText(QString::fromStdString(text));
    l->adjustSize();
    a11y::announceText(l, before, l->text());
}

void TForm1::reportShortCircuit()
{
    showConfirmation(this, QStringLiteral("Attention:court-circuit"));
}

void TForm1::markParametersChanged()
{
    Image22->show();
    Label30->show();
}

void TForm1::hideWarning()
{
    Image22->hide();
    Label30->hide();
}

bool& TForm1::switchState(Switch which)
{
    switch (which) {
    case Switch::Line1: return installation.line1Closed;
    case Switch::Line2: return installation.line2Closed;
    case Switch::Line3: return installation.line3Closed;
    case Switch::Neutral: break;
    }
    return installation.neutralClosed;
}

void TForm1::showSwitchPictures(Switch which)
{
    const bool closed = switchState(which);
    const SwitchPictures& pics = switches_[static_cast<std::size_t>(which)];
    pics.closed->setVisible(closed);
    pics.open->setVisible(!closed);
    const QSignalBlocker quiet(pics.keys);
    pics.keys->setChecked(closed);
}

void TForm1::toggleSwitch(Switch which)
{
    bool& closed = switchState(which);
    closed = !closed;
    showSwitchPictures(which);
}

void TForm1::Image1Click()
{
    toggleSwitch(Switch::Line1);
    markParametersChanged();
}

void TForm1::Image2Click()
{
    toggleSwitch(Switch::Line1);
    markParametersChanged();
}

void TForm1::Image4Click()
{
    toggleSwitch(Switch::Line2);
    markParametersChanged();
}

void TForm1::Image5Click()
{
    toggleSwitch(Switch::Line2);
    markParametersChanged();
}

void TForm1::Image7Click()
{
    toggleSwitch(Switch::Line3);
    markParametersChanged();
}

void TForm1::Image8Click()
{
    toggleSwitch(Switch::Line3);
    markParametersChanged();
}

// The neutral's pictures mark the change before they toggle.
void TForm1::Image10Click()
{
    markParametersChanged();
    toggleSwitch(Switch::Neutral);
}

void TForm1::Image11Click()
{
    markParametersChanged();
    toggleSwitch(Switch::Neutral);
}

void TForm1::BitBtn3Click()
{
    hideWarning();
    solve();
}

// After a short circuit the diagram still shows what the installation holds;
// a FloatError from the solver leaves the diagram window untouched.
void TForm1::BitBtn1Click()
{
    hideWarning();
    solve();
    desktop::showRaised(Form4);
    showVeffCaption();
    Form4->redraw();
}

void TForm1::BitBtn2Click()
{
    desktop::showRaised(Form3);
}

void TForm1::Quitter1Click()
{
    close();
}

void TForm1::Copier1Click()
{
    const QString report = QString::fromStdString(kelvoran::buildReport(installation));
    Memo1->setPlainText(report);
    Memo1->selectAll();
    // The text control turns CR LF into bare line feeds when it copies, so
    // the exact report goes to the clipboard itself.
    QGuiApplication::clipboard()->setText(report);
}

void TForm1::Paramtres1Click()
{
    solve();
    desktop::showRaised(PagesDlg);
}

void TForm1::Apropos1Click()
{
    desktop::showRaised(AboutBox);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever else is open.
    if (event->isAccepted())
        QCoreApplication::quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // A line edit claims Ctrl+C even with nothing to copy, which would keep
    // the menu's "Copier données" from ever firing while a field has focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (edit && !edit->hasSelectedText() && key->matches(QKeySequence::Copy)) {
            event->ignore();
            return true;
        }
        // A result label is read-only: it only claims Ctrl+C for its own selection.
        auto* label = qobject_cast<QLabel*>(watched);
        if (label && label->hasSelectedText() && key->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
