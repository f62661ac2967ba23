// The parameters dialog inside the whole application: every handler with
// its answers, its cancels and what it redraws or recomputes. The diagram
// window stays hidden: the dialog redraws it all the same.
#include "tst_dialogs_support.h"

#include "Unit2.h"
#include "diagram/composition.h"
#include "graphfresnel.h"
#include "model/solver.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace testsupport;
using kelvoran::DisplaySettings;

namespace {

template <class T = QWidget>
T* control(const char* name)
{
    T* w = PagesDlg->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Clicks a control of the dialog on its page, near its left edge (where a
// check box or radio button has its mark).
void click(const char* name)
{
    QWidget* w = control(name);
    auto* tabs = control<QTabWidget>("PageControl1");
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(w))
            tabs->setCurrentIndex(i);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
}

// Replaces the diagram window's picture with a mark that only a redraw removes.
QImage markPicture()
{
    QImage mark(3, 3, QImage::Format_RGB32);
    mark.fill(QColor(12, 34, 56));
    Form4->image()->picture() = mark;
    return mark;
}

bool redrawn(const QImage& mark)
{
    const QImage& now = Form4->image()->picture();
    return now != mark && now.size() == Form4->image()->size();
}

std::vector<kelvoran::SurfaceOp> drawing()
{
    kelvoran::RecordingSurface recording;
    kelvoran::drawDiagram(recording, installation, settings, Form4->image()->width(), Form4->image()->height());
    return recording.ops();
}

QStringList resultTexts()
{
    QStringList texts;
    for (int i = 0; i < kelvoran::kResultLabelCount; ++i) {
        const char* name = kelvoran::resultLabelName(static_cast<kelvoran::ResultLabel>(i));
        texts << Form1->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    return texts;
}

QColor textColor(const char* label)
{
    return control<QLabel>(label)->palette().color(QPalette::WindowText);
}

QColor qcolor(kelvoran::TColor c)
{
    return QColor(kelvoran::colorRed(c), kelvoran::colorGreen(c), kelvoran::colorBlue(c));
}

QString mainCaption()
{
    return Form1->findChild<QLabel*>(QStringLiteral("Label26"))->text();
}

using testsupport::ColorRow;
using testsupport::kColorRows;

struct OptionRow {
    const char* box;
    bool DisplaySettings::*field;
};
const OptionRow kOptionRows[] = {
    {"CheckBox1", &DisplaySettings::constructVoltageComponents},
    {"CheckBox2", &DisplaySettings::constructCurrentComponents},
    {"CheckBox3", &DisplaySettings::showLineCurrents},
    {"CheckBox4", &DisplaySettings::showNeutralCurrent},
    {"CheckBox5", &DisplaySettings::showNeutralVoltage},
    {"CheckBox6", &DisplaySettings::nameVectors},
    {"CheckBox8", &DisplaySettings::showLoadVoltages},
};

} // namespace

class TstDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(PagesDlg && Form4);
        QVERIFY(!PagesDlg->isVisible());
        QVERIFY(!Form4->isVisible());
        PagesDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(PagesDlg));
    }

    void designState()
    {
        QCOMPARE(PagesDlg->windowTitle(), QStringLiteral("Parametres"));
        QCOMPARE(PagesDlg->size(), QSize(435, 380));
        QCOMPARE(PagesDlg->minimumSize(), PagesDlg->maximumSize());
        QVERIFY(!(PagesDlg->windowFlags() & Qt::WindowMaximizeButtonHint));
        auto* tabs = control<QTabWidget>("PageControl1");
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Parametres graphiques"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Paramètres Fresnel"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Parametres calculs"));
        auto* ok = control<QPushButton>("BitBtn1");
        QCOMPARE(QRect(ok->mapTo(PagesDlg, QPoint(0, 0)), ok->size()), QRect(168, 380 - 52 + 8, 105, 33));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(tabs->geometry().bottom() < 380 - 52);

        for (int k = 1; k <= 29; ++k)
            QVERIFY2(PagesDlg->findChild<QLabel*>(QStringLiteral("Label%1").arg(k)), qPrintable(QString::number(k)));
        for (const OptionRow& row : kOptionRows)
            control<QCheckBox>(row.box);
        QVERIFY(control<QRadioButton>("RadioButton1")->isChecked());
        QVERIFY(!control<QRadioButton>("RadioButton2")->isChecked());
        QCOMPARE(control<QLineEdit>("Edit1")->text(), QStringLiteral("220"));
        QVERIFY(control<QLineEdit>("Edit1")->isReadOnly());
        QCOMPARE(control<QLabel>("Label27")->text(), QStringLiteral("1"));
        QCOMPARE(control<QLabel>("Label29")->text(), QStringLiteral("1"));
        QCOMPARE(control<QPushButton>("Button1")->text(), QStringLiteral("Réinitialiser couleurs"));

        // Colour labels: hand cursor, text in the colour each edits.
        for (const ColorRow& row : kColorRows) {
            QCOMPARE(control(row.label)->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(textColor(row.label), qcolor(settings.*row.field));
        }
        for (const char* name : {"Label26", "Label28", "Label2", "Edit1"})
            QCOMPARE(control(name)->cursor().shape(), Qt::PointingHandCursor);
    }

    // First opening: black; a confirmed colour repaints the label, is stored
    // and redraws (I2 in the new colour); a cancel changes nothing; the next
    // opening shows the colour last confirmed.
    void colourChoice()
    {
        const QColor chosen(10, 200, 30);
        QImage mark = markPicture();
        auto seen = answerNext<QColorDialog>([chosen](QColorDialog* d) {
            d->setCurrentColor(chosen);
            d->accept();
        });
        click("Label14");
        QVERIFY(seen->answered);
        QCOMPARE(seen->color, QColor(Qt::black));
        QCOMPARE(textColor("Label14"), chosen);
        QCOMPARE(settings.colorI2, kelvoran::makeColor(10, 200, 30));
        QVERIFY(redrawn(mark));
        const auto ops = drawing();
        QVERIFY(std::find(ops.begin(), ops.end(), kelvoran::SurfaceOp::penColor(settings.colorI2)) != ops.end());

        const kelvoran::TColor formerV1 = settings.colorV1;
        const QColor formerLabel = textColor("Label5");
        mark = markPicture();
        seen = answerNext<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(Qt::blue);
            d->reject();
        });
        click("Label5");
        QVERIFY(seen->answered);
        QCOMPARE(seen->color, chosen);
        QCOMPARE(settings.colorV1, formerV1);
        QCOMPARE(textColor("Label5"), formerLabel);
        QCOMPARE(Form4->image()->picture(), mark);

        seen = answerNext<QColorDialog>([](QColorDialog* d) { d->reject(); });
        click("Label24");
        QCOMPARE(seen->color, chosen);
    }

    // Defaults back, labels repainted at once, the diagram not redrawn.
    void resetColours()
    {
        QVERIFY(settings.colorI2 != kelvoran::makeColor(166, 202, 240));
        const QImage mark = markPicture();
        click("Button1");
        DisplaySettings defaults;
        kelvoran::resetDefaultColors(defaults);
        for (const ColorRow& row : kColorRows) {
            QCOMPARE(settings.*row.field, defaults.*row.field);
            QCOMPARE(textColor(row.label), qcolor(defaults.*row.field));
        }
        QCOMPARE(Form4->image()->picture(), mark);
    }

    void widthQuery_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("width"); // -1: nothing changes
        QTest::newRow("3.7 truncated") << QByteArray("Label26") << "3.7" << false << 3;
        QTest::newRow("-4 made positive") << QByteArray("Label26") << "-4" << false << 4;
        QTest::newRow("0.5 gives 0") << QByteArray("Label28") << "0.5" << false << 0;
        QTest::newRow("2,5 read up to the comma") << QByteArray("Label28") << "2,5" << false << 2;
        QTest::newRow("9.99 is the widest") << QByteArray("Label28") << "9.99" << false << 9;
        QTest::newRow("10 ignored") << QByteArray("Label26") << "10" << false << -1;
        QTest::newRow("12 ignored") << QByteArray("Label28") << "12" << false << -1;
        QTest::newRow("-15 ignored") << QByteArray("Label26") << "-15" << false << -1;
        QTest::newRow("voltage cancel") << QByteArray("Label26") << "" << true << -1;
        QTest::newRow("current cancel") << QByteArray("Label28") << "" << true << -1;
    }
    void widthQuery()
    {
        QFETCH(QByteArray, label);
        QFETCH(QString, answer);
        QFETCH(bool, cancel);
        QFETCH(int, width);
        const bool voltage = label == "Label26";
        auto DisplaySettings::*field = voltage ? &DisplaySettings::voltageThickness : &DisplaySettings::currentThickness;
        auto* value = control<QLabel>(voltage ? "Label27" : "Label29");
        const int formerWidth = settings.*field;
        const QString formerText = value->text();
        const QImage mark = markPicture();

        auto seen = cancel ? cancelQuery() : answerQuery(answer);
        click(label.constData());
        QVERIFY(seen->answered);
        QCOMPARE(seen->title, QStringLiteral("Epaisseur vecteurs"));
        QCOMPARE(seen->label, voltage ? QStringLiteral("Entrer l epaisseur des vecteurs tensions (<10)")
                                      : QStringLiteral("Entrer l epaisseur des vecteurs coourants (<10)"));
        QCOMPARE(seen->textValue, QStringLiteral("1"));
        if (width < 0) {
            QCOMPARE(settings.*field, formerWidth);
            QCOMPARE(value->text(), formerText);
            QCOMPARE(Form4->image()->picture(), mark);
        } else {
            QCOMPARE(settings.*field, width);
            QCOMPARE(value->text(), QString::number(width));
            QVERIFY(redrawn(mark));
        }
    }

    // -230 gives 230 everywhere and a new solve; a cancel changes nothing
    // and computes nothing.
    void rmsVoltage()
    {
        const QStringList before = resultTexts();
        QImage mark = markPicture();
        auto seen = answerQuery(QStringLiteral("-230"));
        click("Label2");
        QVERIFY(seen->answered);
        QCOMPARE(seen->title, QStringLiteral("Tension simple"));
        QCOMPARE(seen->label, QStringLiteral("Entrer la valeur efficace des tensions simples"));
        QCOMPARE(seen->textValue, QStringLiteral("220"));
        QCOMPARE(installation.veff, 230.0);
        QCOMPARE(installation.vs2.re, -115.0);
        QCOMPARE(control<QLineEdit>("Edit1")->text(), QStringLiteral("230"));
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 230 V"));
        QVERIFY(resultTexts() != before);
        QVERIFY(redrawn(mark));

        // A field edited in the main window is not read by a cancelled entry.
        auto* edit5 = Form1->findChild<QLineEdit*>(QStringLiteral("Edit5"));
        const QString formerField = edit5->text();
        edit5->setText(QStringLiteral("20"));
        const QStringList at230 = resultTexts();
        mark = markPicture();
        seen = cancelQuery();
        click("Edit1");
        QVERIFY(seen->answered);
        QCOMPARE(installation.veff, 230.0);
        QCOMPARE(control<QLineEdit>("Edit1")->text(), QStringLiteral("230"));
        QCOMPARE(resultTexts(), at230);
        QCOMPARE(Form4->image()->picture(), mark);
        edit5->setText(formerField);

        seen = answerQuery(QStringLiteral("220"));
        click("Edit1");
        QVERIFY(seen->answered);
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 220 V"));
        QCOMPARE(resultTexts(), before);
    }

    // Zero volts: zero results, the new value shown, then the drawing stops
    // with the error box and the former picture stays.
    void rmsVoltageZero()
    {
        const QImage mark = markPicture();
        auto error = std::make_shared<std::shared_ptr<ModalSeen>>();
        auto seen = answerNext<QInputDialog>([error](QInputDialog* d) {
            d->setTextValue(QStringLiteral("0"));
            d->accept();
            *error = closeErrorBox();
        });
        click("Label2");
        QVERIFY(seen->answered);
        QTRY_VERIFY(*error && (*error)->answered);
        QCOMPARE((*error)->label, QStringLiteral("Opération en virgule flottante incorrecte"));
        QCOMPARE(installation.veff, 0.0);
        for (const kelvoran::TComplexe& z : {installation.i1, installation.i2, installation.in, installation.vz3})
            QVERIFY(z.re == 0 && z.im == 0);
        QCOMPARE(control<QLineEdit>("Edit1")->text(), QStringLiteral("0"));
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 0 V"));
        QCOMPARE(Form4->image()->picture(), mark);

        seen = answerQuery(QStringLiteral("220"));
        click("Label2");
        QVERIFY(seen->answered);
        QCOMPARE(installation.veff, 220.0);
    }

    // Each box sets its flag and redraws (hidden window included); nothing
    // is recomputed.
    void displayOptions_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(kOptionRows)); ++i)
            QTest::newRow(kOptionRows[i].box) << i;
    }
    void displayOptions()
    {
        QFETCH(int, row);
        const OptionRow& option = kOptionRows[row];
        auto* box = control<QCheckBox>(option.box);
        const bool ticked = box->isChecked();
        QCOMPARE(settings.*option.field, ticked);
        const auto drawnBefore = drawing();
        const QStringList results = resultTexts();
        const QImage mark = markPicture();
        // An edited field would show in the results of any solve.
        auto* edit5 = Form1->findChild<QLineEdit*>(QStringLiteral("Edit5"));
        const QString formerField = edit5->text();
        edit5->setText(QStringLiteral("20"));

        click(option.box);
        QCOMPARE(box->isChecked(), !ticked);
        QCOMPARE(settings.*option.field, !ticked);
        QVERIFY(drawing() != drawnBefore);
        QVERIFY(redrawn(mark));
        QCOMPARE(resultTexts(), results);

        click(option.box);
        QCOMPARE(settings.*option.field, ticked);
        QVERIFY(drawing() == drawnBefore);
        QCOMPARE(resultTexts(), results);
        edit5->setText(formerField);
    }

    // Polar rewrites all fourteen result texts, algebraic brings them back;
    // neither redraws.
    void notation()
    {
        const QStringList algebraic = resultTexts();
        const QImage mark = markPicture();
        click("RadioButton2");
        QVERIFY(!settings.algebraic);
        const QStringList polar = resultTexts();
        for (int i = 0; i < kelvoran::kResultLabelCount; ++i)
            QVERIFY2(polar[i] != algebraic[i], qPrintable(polar[i]));
        QVERIFY(!control<QRadioButton>("RadioButton1")->isChecked());
        click("RadioButton1");
        QVERIFY(settings.algebraic);
        QCOMPARE(resultTexts(), algebraic);
        QCOMPARE(Form4->image()->picture(), mark);
    }

    // OK hides; shown again, the dialog opens on the page last left.
    void okHides()
    {
        control<QTabWidget>("PageControl1")->setCurrentIndex(2);
        click("BitBtn1");
        QVERIFY(!PagesDlg->isVisible());
        PagesDlg->show();
        QCOMPARE(control<QTabWidget>("PageControl1")->currentIndex(), 2);
    }
};

int main(int argc, char** argv)
{
    KelvoranApplication app(argc, argv);
    createApplicationWindows();
    int result = 0;
    {
        TstDialogs test;
        result = QTest::qExec(&test, argc, argv);
    }
    destroyApplicationWindows();
    return result;
}

#include "tst_dialogs.moc"
