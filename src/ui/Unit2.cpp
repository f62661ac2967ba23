// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit2.h"

#include "accessibility.h"
#include "clickfilter.h"
#include "desktop.h"
#include "handlers.h"
#include "pictures.h"
#include "records.h"
#include "textentry.h"

#include "diagram/qtsurfaces.h"
#include "numtext/numtext.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cmath>

using kelvoran::DisplaySettings;

TPagesDlg* PagesDlg = nullptr;

namespace {

constexpr int kClientWidth = 435;
constexpr int kClientHeight = 380;
constexpr int kStripHeight = 52;
constexpr int kMargin = 5;
// Inside the tab control's frame.
constexpr int kPageWidth = kClientWidth - 2 * kMargin - 6;

kelvoran::TColor toTColor(const QColor& c)
{
    return kelvoran::makeColor(c.red(), c.green(), c.blue());
}

void paintText(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// The check mark of the OK button, sharp at any pixel ratio.
QIcon okGlyph()
{
    return pictures::iconFrom(
        [](QPainter& p, QSize) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(3, 9.5), QPointF(7.5, 14), QPointF(15, 4)}));
        },
        QSize(18, 18));
}

// The longest captions may not fit the page in every desktop font: shrink
// the font a little rather than cut the text.
void fitWidth(QWidget* w, int width)
{
    QFont f = w->font();
    while (w->sizeHint().width() > width && f.pointSizeF() > 6.5) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        w->setFont(f);
    }
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

TPagesDlg::TPagesDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(QStringLiteral("Parametres"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(kClientWidth, kClientHeight);
    desktop::centreOuter(this);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    a11y::name(PageControl1, QStringLiteral("Pages des paramètres"));
    PageControl1->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin, kClientHeight - kStripHeight - kMargin);
    auto* graphics = new QWidget;
    auto* fresnel = new QWidget;
    auto* calculation = new QWidget;
    graphics->setObjectName(QStringLiteral("TabSheet1"));
    fresnel->setObjectName(QStringLiteral("TabSheet2"));
    calculation->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(graphics, QStringLiteral("Parametres graphiques"));
    PageControl1->addTab(fresnel, QStringLiteral("Paramètres Fresnel"));
    PageControl1->addTab(calculation, QStringLiteral("Parametres calculs"));
    buildGraphicsPage(graphics);
    buildFresnelPage(fresnel);
    buildCalculationPage(calculation);
    PageControl1->setCurrentIndex(1);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("Panel2"));
    strip->setGeometry(0, kClientHeight - kStripHeight, kClientWidth, kStripHeight);
    BitBtn1 = new QPushButton(okGlyph(), QStringLiteral("OK"), strip);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(168, 8, 105, 33);
    BitBtn1->setDefault(true);
    connectHandler(BitBtn1, &QPushButton::clicked, this, &TPagesDlg::BitBtn1Click);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);

    // FormCreate
    refreshColorLabels();
}

void TPagesDlg::buildGraphicsPage(QWidget* page)
{
    const char* headings[] = {
        "Couleurs des tensions simples: ",
        "Couleurs des tensions aux bornes de la charge:",
        "Couleurs de courants de ligne:",
        "Couleurs des composantes symétriques des tensions aux bornes de la charge",
        "Couleurs des composantes symétriques des courants:",
    };
    const struct {
        const char* name;
        const char* caption;
        ColorField field;
    } colors[17] = {
        {"Label5", "v1", &DisplaySettings::colorV1},
        {"Label6", "v2", &DisplaySettings::colorV2},
        {"Label7", "v3", &DisplaySettings::colorV3},
        {"Label9", "vZ1", &DisplaySettings::colorVZ1},
        {"Label10", "vZ2", &DisplaySettings::colorVZ2},
        {"Label11", "vZ3", &DisplaySettings::colorVZ3},
        {"Label13", "i1", &DisplaySettings::colorI1},
        {"Label14", "i2", &DisplaySettings::colorI2},
        {"Label15", "i3", &DisplaySettings::colorI3},
        {"Label17", "udirect", &DisplaySettings::colorUDirect},
        {"Label18", "uinv", &DisplaySettings::colorUInv},
        {"Label19", "u0", &DisplaySettings::colorU0},
        {"Label21", "idirect", &DisplaySettings::colorIDirect},
        {"Label22", "iinv", &DisplaySettings::colorIInv},
        {"Label23", "i0", &DisplaySettings::colorI0},
        {"Label24", "Couleur de vN", &DisplaySettings::colorVN},
        {"Label25", "Couleur de iN", &DisplaySettings::colorIN},
    };
    const char* headingNames[] = {"Label4", "Label8", "Label12", "Label16", "Label20"};

    const auto makeColorLabel = [&](int index, int x, int y, const char* heading) {
        const QString caption = QString::fromUtf8(colors[index].caption);
        auto* label = new ActionLabel(caption, page);
        label->setObjectName(QString::fromLatin1(colors[index].name));
        label->setCursor(Qt::PointingHandCursor);
        label->move(x, y);
        label->adjustSize();
        a11y::name(label, caption.startsWith(QStringLiteral("Couleur")) ? caption : QStringLiteral("Couleur de ") + caption,
                   heading ? QString::fromUtf8(heading).trimmed() : QStringLiteral("Ouvre le choix de la couleur"));
        colorLabels_[static_cast<std::size_t>(index)] = {label, colors[index].field};
        const ColorLabel entry = colorLabels_[static_cast<std::size_t>(index)];
        connectHandler(clicks(label), &ClickFilter::clicked, this, [this, entry] { colorChoice(entry); });
        connectHandler(label, &ActionLabel::activated, this, [this, entry] { colorChoice(entry); });
    };

    constexpr int kLeft = 8;
    constexpr int kHeadingWidth = 262;
    int y = 6;
    for (int g = 0; g < 5; ++g) {
        auto* heading = new QLabel(QString::fromUtf8(headings[g]), page);
        heading->setObjectName(QString::fromLatin1(headingNames[g]));
        heading->setWordWrap(true);
        const int headingHeight = heading->heightForWidth(kHeadingWidth);
        heading->setGeometry(kLeft, y, kHeadingWidth, headingHeight);
        y += headingHeight + 2;
        for (int k = 0; k < 3; ++k)
            makeColorLabel(3 * g + k, kLeft + 16 + 64 * k, y, headings[g]);
        y += 22;
    }
    makeColorLabel(15, kLeft + 16, y + 4, nullptr);
    makeColorLabel(16, kLeft + 128, y + 4, nullptr);

    constexpr int kRight = 282;
    const QString widthHint = QStringLiteral("Ouvre la saisie de l'épaisseur, moins de 10");
    auto* label26 = new ActionLabel(QStringLiteral("Epaisseur vecteurs tensions"), page);
    a11y::name(label26, label26->text(), widthHint);
    label26->setObjectName(QStringLiteral("Label26"));
    label26->setCursor(Qt::PointingHandCursor);
    label26->setWordWrap(true);
    label26->setGeometry(kRight, 24, 110, label26->heightForWidth(110));
    connectHandler(clicks(label26), &ClickFilter::clicked, this, &TPagesDlg::Label26Click);
    connectHandler(label26, &ActionLabel::activated, this, &TPagesDlg::Label26Click);
    Label27 = new QLabel(QStringLiteral("1"), page);
    Label27->setObjectName(QStringLiteral("Label27"));
    Label27->setGeometry(kRight + 116, 24, 20, 15);

    auto* label28 = new ActionLabel(QStringLiteral("Epaisseur vecteurs courants"), page);
    a11y::name(label28, label28->text(), widthHint);
    label28->setObjectName(QStringLiteral("Label28"));
    label28->setCursor(Qt::PointingHandCursor);
    label28->setWordWrap(true);
    label28->setGeometry(kRight, 72, 110, label28->heightForWidth(110));
    connectHandler(clicks(label28), &ClickFilter::clicked, this, &TPagesDlg::Label28Click);
    connectHandler(label28, &ActionLabel::activated, this, &TPagesDlg::Label28Click);
    Label29 = new QLabel(QStringLiteral("1"), page);
    Label29->setObjectName(QStringLiteral("Label29"));
    Label29->setGeometry(kRight + 116, 72, 20, 15);

    Button1 = new QPushButton(QStringLiteral("Réinitialiser couleurs"), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kRight - 12, 240, 140, 27);
    connectHandler(Button1, &QPushButton::clicked, this, &TPagesDlg::Button1Click);
}

QCheckBox* TPagesDlg::addOption(QWidget* page, const char* name, const QString& caption, bool ticked,
                                FlagField field)
{
    auto* box = new QCheckBox(caption, page);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(ticked);
    // Display option: the setting follows the tick, then the diagram is redrawn.
    connectHandler(box, &QCheckBox::toggled, this, [this, field](bool ticked) {
        settings.*field = ticked;
        emit diagramSettingsChanged();
    });
    return box;
}

void TPagesDlg::buildFresnelPage(QWidget* page)
{
    auto* label1 = new QLabel(QStringLiteral("Représentation vectorielle:"), page);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(8, 8, 400, 16);

    auto* checkBox1 = addOption(page, "CheckBox1",
                                QStringLiteral("Construction des tensions (charge) avec composantes symétriques"),
                                false, &DisplaySettings::constructVoltageComponents);
    checkBox1->setGeometry(6, 30, kPageWidth - 8, 20);
    fitWidth(checkBox1, checkBox1->width());
    auto* checkBox2 = addOption(page, "CheckBox2",
                                QStringLiteral("Construction des courants des courants avec composantes symétriques"),
                                false, &DisplaySettings::constructCurrentComponents);
    checkBox2->setGeometry(6, 54, kPageWidth - 8, 20);
    fitWidth(checkBox2, checkBox2->width());

    auto* label2 = new QLabel(QStringLiteral("Valeurs des tensions simples (V):"), page);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setCursor(Qt::PointingHandCursor);
    label2->setGeometry(8, 96, 190, 16);
    connectHandler(clicks(label2), &ClickFilter::clicked, this, &TPagesDlg::Entrveff);
    auto* label3 = new QLabel(QStringLiteral("V1"), page);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(204, 96, 20, 16);
    Edit1 = new QLineEdit(QStringLiteral("220"), page);
    Edit1->setReadOnly(true);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setCursor(Qt::PointingHandCursor);
    Edit1->setGeometry(228, 92, 81, 23);
    connectHandler(clicks(Edit1), &ClickFilter::clicked, this, &TPagesDlg::Entrveff);
    // From the keyboard: Space or Return asks for the voltage (see eventFilter).
    Edit1->installEventFilter(this);
    a11y::expose(Edit1, QAccessible::EditableText, [this] { runHandler([this] { Entrveff(); }); },
                 [this] { return Edit1->text(); });
    a11y::name(Edit1, QStringLiteral("Tension simple efficace V1 (V)"),
               QStringLiteral("Espace ou Entrée ouvre la saisie de la valeur efficace"));

    auto* checkBox3 = addOption(page, "CheckBox3", QStringLiteral("Affichage des courants de ligne"),
                                true, &DisplaySettings::showLineCurrents);
    checkBox3->setGeometry(16, 136, 200, 20);
    auto* checkBox8 = addOption(page, "CheckBox8", QStringLiteral("Affichage tensions (charge)"),
                                true, &DisplaySettings::showLoadVoltages);
    checkBox8->setGeometry(220, 136, 190, 20);
    auto* checkBox4 = addOption(page, "CheckBox4", QStringLiteral("Affichage de IN"),
                                true, &DisplaySettings::showNeutralCurrent);
    checkBox4->setGeometry(16, 164, 200, 20);
    auto* checkBox5 = addOption(page, "CheckBox5", QStringLiteral("Affichage de VN"),
                                true, &DisplaySettings::showNeutralVoltage);
    checkBox5->setGeometry(220, 164, 190, 20);
    auto* checkBox6 = addOption(page, "CheckBox6", QStringLiteral("Nommer les vecteurs sur le diagramme"),
                                true, &DisplaySettings::nameVectors);
    checkBox6->setGeometry(16, 192, 300, 20);
}

void TPagesDlg::buildCalculationPage(QWidget* page)
{
    RadioButton1 = new QRadioButton(QStringLiteral("Ecriture sous forme algèbrique"), page);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(16, 16, 300, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Ecriture sous forme polaire"), page);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(16, 44, 300, 20);
    // Selecting one button unselects the other: act once, on the selection.
    for (QRadioButton* button : {RadioButton1, RadioButton2})
        connectHandler(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                notationChange();
        });
}

void TPagesDlg::refreshColorLabels()
{
    for (const ColorLabel& entry : colorLabels_)
        paintText(entry.label, kelvoran::toQColor(settings.*entry.field));
}

// The picker opens on the colour last confirmed in it; a cancelled choice
// changes nothing.
void TPagesDlg::colorChoice(const ColorLabel& entry)
{
    ColorDialog1->setCurrentColor(confirmedColor_);
    if (ColorDialog1->exec() != QDialog::Accepted)
        return;
    confirmedColor_ = ColorDialog1->selectedColor();
    paintText(entry.label, confirmedColor_);
    settings.*entry.field = toTColor(confirmedColor_);
    emit diagramSettingsChanged();
}

// A width of 10 or more is ignored; a cancelled query changes nothing.
void TPagesDlg::widthQuery(const QString& prompt, WidthField field, QLabel* valueLabel)
{
    bool ok = false;
    const QString answer = askText(this, QStringLiteral("Epaisseur vecteurs"), prompt, QStringLiteral("1"), &ok);
    if (!ok)
        return;
    const double v = std::fabs(kelvoran::parseNumber(answer.toStdString()));
    if (!(v < 10))
        return;
    settings.*field = static_cast<std::int32_t>(v);
    emit diagramSettingsChanged();
    valueLabel->setText(text(kelvoran::formatNumber(settings.*field)));
}

void TPagesDlg::Label26Click()
{
    widthQuery(QStringLiteral("Entrer l epaisseur des vecteurs tensions (<10)"), &DisplaySettings::voltageThickness,
               Label27);
}

void TPagesDlg::Label28Click()
{
    widthQuery(QStringLiteral("Entrer l epaisseur des vecteurs coourants (<10)"), &DisplaySettings::currentThickness,
               Label29);
}

// The rms voltage entry (Label2 and Edit1). A cancelled query changes nothing.
void TPagesDlg::Entrveff()
{
    bool ok = false;
    const QString answer = askText(this, QStringLiteral("Tension simple"),
                                   QStringLiteral("Entrer la valeur efficace des tensions simples"),
                                   QStringLiteral("220"), &ok);
    if (!ok)
        return;
    kelvoran::setVeff(installation, std::fabs(kelvoran::parseNumber(answer.toStdString())));
    Edit1->setText(text(kelvoran::formatNumber(installation.veff)));
    emit sourceVoltageChanged();
}

// The diagram does not depend on the notation: no redraw.
void TPagesDlg::notationChange()
{
    settings.algebraic = RadioButton1->isChecked();
    emit notationChanged();
}

// The diagram keeps its colours until its next redraw.
void TPagesDlg::Button1Click()
{
    kelvoran::resetDefaultColors(settings);
    refreshColorLabels();
}

void TPagesDlg::BitBtn1Click()
{
    hide();
}

// Return in the rms field asks for the voltage rather than pressing OK.
bool TPagesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter)
            && !(key->modifiers() & ~Qt::KeypadModifier)) {
            runHandler([this] { Entrveff(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
