// SPDX-License-Identifier: GPL-3.0-or-later
// The parameters dialog inside the whole application: every handler with
// its answers, its cancels and what it redraws or recomputes. The diagram
// window stays hidden: the dialog redraws it all the same.
#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"
#include "diagram/recordingsurface.h"
#include "graphfresnel.h"
#include "textentry.h"
#include "widget_fixture.h"

#include <QCheckBox>
#include <QtTest>

using kelvoran::DisplaySettings;

namespace {

// Replaces the diagram window's picture with a mark that only a redraw removes.
QImage markPicture()
{
    QImage mark(3, 3, QImage::Format_RGB32);
    mark.fill(QColor(12, 34, 56));
    return Form4->image()->picture() = mark;
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

QColor textColor(const char* label) { return child<QLabel>(PagesDlg, label)->palette().color(QPalette::WindowText); }
QString mainCaption() { return child<QLabel>(Form1, "Label26")->text(); }
QLineEdit* mainField5() { return field(Form1, 5); }

} // namespace

class TstDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(!Form4->isVisible());
        PagesDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(PagesDlg));
        QCOMPARE(PagesDlg->windowTitle(), QStringLiteral("Parametres"));
        QCOMPARE(child<QLineEdit>(PagesDlg, "Edit1")->text(), QStringLiteral("220"));
        for (const ColorRow& row : kColorRows)
            QCOMPARE(textColor(row.label), kelvoran::toQColor(settings.*row.field));
    }

    // A confirmed colour repaints the label, is stored and redraws (I2 in the
    // new colour); a cancel changes nothing; the picker opens on the colour
    // last confirmed.
    void colourChoice()
    {
        const QColor chosen(10, 200, 30);
        QImage mark = markPicture();
        Answer seen = answerNext<QColorDialog>([chosen](QColorDialog* d) {
            d->setCurrentColor(chosen);
            d->accept();
        });
        clickOnPage("Label14");
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
        clickOnPage("Label5");
        QCOMPARE(seen->color, chosen);
        QCOMPARE(settings.colorV1, formerV1);
        QCOMPARE(textColor("Label5"), formerLabel);
        QCOMPARE(Form4->image()->picture(), mark);
    }

    // Defaults back, labels repainted at once, the diagram not redrawn.
    void resetColours()
    {
        const QImage mark = markPicture();
        clickOnPage("Button1");
        QCOMPARE(settings.colorI2, kelvoran::makeColor(166, 202, 240));
        for (const ColorRow& row : kColorRows)
            QCOMPARE(textColor(row.label), kelvoran::toQColor(settings.*row.field));
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
        QTest::newRow("10 ignored") << QByteArray("Label26") << "10" << false << -1;
        QTest::newRow("12 ignored") << QByteArray("Label28") << "12" << false << -1;
        QTest::newRow("-15 ignored") << QByteArray("Label26") << "-15" << false << -1;
        QTest::newRow("voltage cancel") << QByteArray("Label26") << "5" << true << -1;
        QTest::newRow("current cancel") << QByteArray("Label28") << "5" << true << -1;
    }
    void widthQuery()
    {
        QFETCH(QByteArray, label);
        QFETCH(QString, answer);
        QFETCH(bool, cancel);
        QFETCH(int, width);
        const bool voltage = label == "Label26";
        auto DisplaySettings::*field = voltage ? &DisplaySettings::voltageThickness : &DisplaySettings::currentThickness;
        auto* value = child<QLabel>(PagesDlg, voltage ? "Label27" : "Label29");
        const int formerWidth = settings.*field;
        const QString formerText = value->text();
        const QImage mark = markPicture();

        const Answer seen = answerQuery(answer, !cancel);
        clickOnPage(label.constData());
        QVERIFY(seen->answered);
        QCOMPARE(seen->title, QStringLiteral("Epaisseur vecteurs"));
        QCOMPARE(seen->text, voltage ? QStringLiteral("Entrer l epaisseur des vecteurs tensions (<10)")
                                     : QStringLiteral("Entrer l epaisseur des vecteurs coourants (<10)"));
        QCOMPARE(seen->textValue, QStringLiteral("1"));
        QCOMPARE(settings.*field, width < 0 ? formerWidth : width);
        QCOMPARE(value->text(), width < 0 ? formerText : QString::number(width));
        QCOMPARE(redrawn(mark), width >= 0);
    }

    // -230 gives 230 everywhere and a new solve; a cancel neither reads the
    // main window's fields nor computes.
    void rmsVoltage()
    {
        const QStringList before = resultTexts();
        QImage mark = markPicture();
        Answer seen = answerQuery(QStringLiteral("-230"));
        clickOnPage("Label2");
        QCOMPARE(seen->title, QStringLiteral("Tension simple"));
        QCOMPARE(seen->text, QStringLiteral("Entrer la valeur efficace des tensions simples"));
        QCOMPARE(seen->textValue, QStringLiteral("220"));
        QCOMPARE(installation.veff, 230.0);
        QCOMPARE(installation.vs2.re, -115.0);
        QCOMPARE(child<QLineEdit>(PagesDlg, "Edit1")->text(), QStringLiteral("230"));
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 230 V"));
        QVERIFY(resultTexts() != before);
        QVERIFY(redrawn(mark));

        mainField5()->setText(QStringLiteral("20"));
        const QStringList at230 = resultTexts();
        mark = markPicture();
        seen = answerQuery(QStringLiteral("7"), false);
        clickOnPage("Edit1");
        QVERIFY(seen->answered);
        QCOMPARE(installation.veff, 230.0);
        QCOMPARE(resultTexts(), at230);
        QCOMPARE(Form4->image()->picture(), mark);
        mainField5()->setText(QStringLiteral("5"));

        // An answer as long as a field may be is read whole.
        seen = answerQuery(QString(kMaxFieldLength - 3, QLatin1Char(' ')) + QStringLiteral("220"));
        clickOnPage("Edit1");
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 220 V"));
        QCOMPARE(resultTexts(), before);
    }

    // Zero volts: zero results, the new value shown, then the drawing stops
    // with the error box and the former picture stays.
    void rmsVoltageZero()
    {
        const QImage mark = markPicture();
        Answer error;
        const Answer seen = answerNext<QInputDialog>([&error](QInputDialog* d) {
            d->setTextValue(QStringLiteral("0"));
            d->accept();
            error = answerNext<QMessageBox>();
        });
        clickOnPage("Label2");
        QVERIFY(seen->answered);
        QTRY_VERIFY(error && error->answered);
        QCOMPARE(error->text, QStringLiteral("Opération en virgule flottante incorrecte"));
        QCOMPARE(installation.veff, 0.0);
        QVERIFY(installation.i1.re == 0 && installation.vz3.im == 0);
        QCOMPARE(child<QLineEdit>(PagesDlg, "Edit1")->text(), QStringLiteral("0"));
        QCOMPARE(mainCaption(), QStringLiteral("Veff = 0 V"));
        QCOMPARE(Form4->image()->picture(), mark);

        const Answer back = answerQuery(QStringLiteral("220"));
        clickOnPage("Label2");
        QCOMPARE(installation.veff, 220.0);
    }

    // Each box sets its flag and redraws (hidden window included); nothing
    // is recomputed, although a main window field was edited.
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
        auto* box = child<QCheckBox>(PagesDlg, option.box);
        const bool ticked = box->isChecked();
        QCOMPARE(settings.*option.field, ticked);
        const auto drawnBefore = drawing();
        const QStringList results = resultTexts();
        const QImage mark = markPicture();
        mainField5()->setText(QStringLiteral("20"));

        clickOnPage(option.box);
        QCOMPARE(settings.*option.field, !ticked);
        QVERIFY(drawing() != drawnBefore);
        QVERIFY(redrawn(mark));
        QCOMPARE(resultTexts(), results);
        clickOnPage(option.box);
        QCOMPARE(settings.*option.field, ticked);
        QVERIFY(drawing() == drawnBefore);
        mainField5()->setText(QStringLiteral("5"));
    }

    // Polar rewrites all fourteen result texts, algebraic brings them back;
    // neither redraws.
    void notation()
    {
        const QStringList algebraic = resultTexts();
        const QImage mark = markPicture();
        clickOnPage("RadioButton2");
        QVERIFY(!settings.algebraic);
        const QStringList polar = resultTexts();
        for (int i = 0; i < kelvoran::kResultLabelCount; ++i)
            QVERIFY2(polar[i] != algebraic[i], qPrintable(polar[i]));
        clickOnPage("RadioButton1");
        QVERIFY(settings.algebraic);
        QCOMPARE(resultTexts(), algebraic);
        QCOMPARE(Form4->image()->picture(), mark);
    }
};

KELVORAN_WIDGET_TEST_MAIN(TstDialogs, false)

#include "tst_dialogs.moc"
