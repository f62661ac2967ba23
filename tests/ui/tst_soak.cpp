// SPDX-License-Identifier: GPL-3.0-or-later
// Ten thousand random user actions in one process, of every kind a restless
// user has: switches, fields, the three buttons, the parameters dialog's
// options, queries and colour picker, diagram resizes and copies, report
// copies and the series calculator. Every modal box is answered at once and
// counted by kind; the only error boxes allowed are the three arithmetic
// texts. The run must not crash, and once warmed up the resident memory may
// grow by at most 5 MB.

#include "calcmodeleserie.h"
#include "errorkind.h"
#include "graphfresnel.h"
#include "numtext/numtext.h"
#include "report/report.h"
#include "emf_reader.h"
#include "widget_fixture.h"

#include <QCheckBox>
#include <QMimeData>
#include <QtTest>

#include <malloc.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif

namespace {

constexpr int kActions = 10000;
constexpr int kWarmUp = 500;
const char* const kActionNames[] = {
    "switch click", "typed field", "CALCULS", "FRESNEL", "calculator opened", "notation", "check box",
    "width query", "rms query", "colour pick", "Form4 resize", "diagram copy", "Ctrl+C report", "Calculer",
};
constexpr int kActionKinds = static_cast<int>(std::size(kActionNames));
// Relative frequencies. The diagram copy encodes a PNG of up to 1600
// pixels: rarer, it keeps the run short.
const double kWeights[kActionKinds] = {14, 20, 8, 6, 2, 4, 8, 5, 4, 5, 7, 1.5, 4, 6};

long statusKb(const char* key) // a line of /proc/self/status, in kB
{
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;)
        if (word == key) {
            long kb = 0;
            status >> kb;
            return kb;
        }
    return 0;
}

// Resident memory in a state that does not depend on the last actions: the
// diagram window at its design width, its picture dropped (a failed redraw
// keeps the former one, up to 10 MB), a short clipboard text, freed heap
// handed back to the system.
long settledResidentKb()
{
    Form4->resize(442, 10);
    Form4->image()->picture() = QImage();
    QGuiApplication::clipboard()->setText(QStringLiteral("soak"));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    malloc_trim(0);
    return statusKb("VmRSS:");
}

std::optional<double> parsed(const QString& s) // nothing when reading it overflows
{
    std::optional<double> v;
    kelvoran::test::errorKind([&] { v = kelvoran::parseNumber(s.toStdString()); });
    return v;
}

// Each box under the offscreen platform logs that it cannot pass size hints;
// thousands of those would exceed the test log's warning limit.
QtMessageHandler testLog = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!(type == QtWarningMsg && message.startsWith(QStringLiteral("This plugin does not support "))))
        testLog(type, context, message);
}

} // namespace

class TstSoak : public QObject {
    Q_OBJECT

private slots:
    void randomActions()
    {
        testLog = qInstallMessageHandler(quietOffscreen);
        qApp->installEventFilter(this);
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        chooseMenu("Paramtres1");
        click(Form1, "BitBtn1");
        click(Form1, "BitBtn2");
        QVERIFY(QTest::qWaitForWindowExposed(PagesDlg) && QTest::qWaitForWindowExposed(Form4)
                && QTest::qWaitForWindowExposed(Form3));

        const char* seedText = std::getenv("KELVORAN_SOAK_SEED");
        const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : 20250611u;
        qInfo("seed %u (KELVORAN_SOAK_SEED overrides it)", seed);
        rng_.seed(seed);
        QElapsedTimer clock;
        clock.start();
        long warmKb = 0;
        int done[kActionKinds]{};
        QStringList failures;
        for (int k = 0; k < kActions; ++k) {
            const int action = std::discrete_distribution<int>(std::begin(kWeights), std::end(kWeights))(rng_);
            ++done[action];
            errors_ = 0;
            act(action);
            if (!problems_.isEmpty() && failures.size() < 25)
                failures << QStringLiteral("action %1 (%2): %3").arg(k).arg(kActionNames[action], problems_.join(", "));
            problems_.clear();
            // What a running event loop would do between two user gestures.
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (k + 1 == kWarmUp)
                warmKb = settledResidentKb();
        }
        const double seconds = clock.elapsed() / 1000.0;
        const long endKb = settledResidentKb();
        qApp->removeEventFilter(this);
        qInstallMessageHandler(testLog);

        qInfo("%d actions in %.1f s", kActions, seconds);
        for (int k = 0; k < kActionKinds; ++k)
            qInfo("  %-20s %5d", kActionNames[k], done[k]);
        int answered = 0;
        for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it) {
            qInfo("  box %-62s %5d", qPrintable(it.key()), it.value());
            answered += it.value();
        }
        qInfo("%d boxes answered", answered);
        qInfo("resident memory: %ld kB after %d actions, %ld kB at the end, growth %ld kB, peak (high-water) %ld kB",
              warmKb, kWarmUp, endKb, endKb - warmKb, statusKb("VmHWM:"));

        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        for (int k = 0; k < kActionKinds; ++k)
            QVERIFY2(done[k] > 0, kActionNames[k]);
#ifdef SOAK_UNDER_ASAN
        qInfo("memory growth not judged under AddressSanitizer (its quarantine holds freed blocks)");
#else
        QVERIFY2(endKb - warmKb <= 5 * 1024, "resident memory grew by more than 5 MB after the warm-up");
#endif
    }

protected:
    // Every modal box is answered as soon as its own event loop runs: polling
    // would cost more than the actions themselves.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isModal()) {
            QPointer<QDialog> guarded(dialog);
            QTimer::singleShot(0, dialog, [this, guarded] {
                if (guarded && guarded->isVisible())
                    answer(guarded);
            });
        }
        return false;
    }

private:
    // Counts the box by kind; a query or a colour picker is answered as the
    // action planned; anything else is a problem.
    void answer(QDialog* dialog)
    {
        const auto count = [this](const QString& kind, bool allowed) {
            ++boxes_[kind];
            check(allowed, qPrintable(kind));
        };
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            static const QStringList arithmetic{"Opération en virgule flottante incorrecte",
                                                "Division par zéro en virgule flottante",
                                                "Débordement en virgule flottante"};
            const bool confirmation = box->windowTitle() == QStringLiteral("Confirmation")
                                      && box->icon() == QMessageBox::Question
                                      && QStringList{"Attention:court-circuit", "Attention"}.contains(box->text());
            const bool error = box->windowTitle() == QStringLiteral("kelvoran") && box->icon() == QMessageBox::Critical
                               && arithmetic.contains(box->text());
            errors_ += error;
            count(QStringLiteral("message \"%1\"").arg(box->text()),
                  box->standardButtons() == QMessageBox::Ok && (confirmation || error));
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        } else if (auto* query = qobject_cast<QInputDialog*>(dialog); query && query_) {
            const auto [accept, text] = *std::exchange(query_, std::nullopt);
            count(QStringLiteral("query \"%1\" %2").arg(query->windowTitle(), accept ? "answered" : "cancelled"), true);
            query->setTextValue(accept ? text : QStringLiteral("7"));
            accept ? query->accept() : query->reject();
        } else if (auto* picker = qobject_cast<QColorDialog*>(dialog); picker && colour_) {
            const QColor colour = *std::exchange(colour_, std::nullopt);
            count(colour.isValid() ? QStringLiteral("colour picked") : QStringLiteral("colour cancelled"), true);
            picker->setCurrentColor(colour.isValid() ? colour : QColor(1, 2, 3));
            colour.isValid() ? picker->accept() : picker->reject();
        } else {
            count(QStringLiteral("unexpected %1 \"%2\"").arg(dialog->metaObject()->className(), dialog->windowTitle()),
                  false);
            dialog->reject();
        }
    }

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <class T, std::size_t N>
    const T& pick(const T (&items)[N]) { return items[between(0, int(N) - 1)]; }
    void check(bool ok, const char* what)
    {
        if (!ok)
            problems_ << QString::fromUtf8(what);
    }

    // A plausible number, or a zero, an overflow, an extreme or a malformed text.
    QString randomText()
    {
        static const char* const odd[] = {"0", "-0", "0e5", " 0", "1E999", "-1E999", "1.8E308", "1E300", "-1.5E200",
                                           "1E-300", "4.9E-324", "abc", "2,5", "1e", "--3", "12a", ".", "+", "1.2.3",
                                           "0x1F", "-", "5 5", "7-", "1E9999x", ""};
        if (chance(0.45))
            return QString::fromLatin1(pick(odd));
        QString s = QString::number(chance(0.3) ? -between(0, 9999) : between(0, 9999));
        if (chance(0.4))
            s += QStringLiteral(".%1").arg(between(0, 9999));
        if (chance(0.1))
            s += QStringLiteral("E%1").arg(between(-6, 6));
        return s;
    }

    void act(int action)
    {
        switch (action) {
        case 0: { // the visible picture of line k or of the neutral
            const int k = between(0, 3);
            const bool before = installation.*kSwitchFields[k];
            click(Form1, kSwitches[k][before ? 1 : 0]);
            check(installation.*kSwitchFields[k] != before && warningShown(), "switch did not flip or no warning");
            break;
        }
        case 1: retype(field(Form1, between(1, 6)), randomText()); break;
        case 2:
        case 3:
            click(Form1, action == 2 ? "BitBtn3" : "BitBtn1");
            check(!warningShown(), "warning still shown after a calculation");
            break;
        case 4: click(Form1, "BitBtn2"); break;
        case 5: {
            const bool algebraic = chance(0.5);
            clickOnPage(algebraic ? "RadioButton1" : "RadioButton2");
            check(settings.algebraic == algebraic, "notation setting does not follow the radio buttons");
            break;
        }
        case 6: {
            const OptionRow& row = pick(kOptionRows);
            const bool before = settings.*row.field;
            clickOnPage(row.box);
            check(settings.*row.field != before && child<QCheckBox>(PagesDlg, row.box)->isChecked() != before,
                  "check box or setting did not toggle");
            break;
        }
        case 7: { // width: |answer| truncated when below 10, else nothing
            const bool voltage = chance(0.5), accept = chance(0.8);
            auto Settings::*field = voltage ? &Settings::voltageThickness : &Settings::currentThickness;
            const int before = settings.*field;
            const QString answer = randomText();
            query_ = {accept, answer};
            clickOnPage(voltage ? "Label26" : "Label28");
            const std::optional<double> v = accept ? parsed(answer) : std::nullopt;
            check(!query_ && settings.*field == (v && std::fabs(*v) < 10 ? int(std::fabs(*v)) : before),
                  "width not stored as answered");
            break;
        }
        case 8: {
            const double before = installation.veff;
            const bool accept = chance(0.8);
            const QString answer = randomText();
            query_ = {accept, answer};
            clickOnPage(chance(0.5) ? "Label2" : "Edit1");
            const std::optional<double> v = accept ? parsed(answer) : std::nullopt;
            check(!query_ && installation.veff == (v ? std::fabs(*v) : before), "veff not as answered");
            break;
        }
        case 9: {
            const ColorRow& row = pick(kColorRows);
            const kelvoran::TColor before = settings.*row.field;
            const QColor colour = chance(0.2) ? QColor() : QColor(between(0, 255), between(0, 255), between(0, 255));
            colour_ = colour;
            clickOnPage(row.label);
            const kelvoran::TColor picked = kelvoran::makeColor(colour.red(), colour.green(), colour.blue());
            check(!colour_ && settings.*row.field == (colour.isValid() ? picked : before), "colour not stored as picked");
            break;
        }
        case 10:
            Form4->resize(between(300, 1600), between(200, 1800));
            QCoreApplication::processEvents();
            check(Form4->frameGeometry().height() == Form4->frameGeometry().width() + TForm4::kHeightOverWidth,
                  "outer height is not the outer width plus 75");
            break;
        case 11: {
            QGuiApplication::clipboard()->setText(QStringLiteral("soak"));
            click(Form4, "ToolButton1");
            const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
            const auto play = testsupport::playEmf(mime->data(QStringLiteral("image/emf")));
            if (errors_)
                check(mime->text() == QStringLiteral("soak"), "a failed copy touched the clipboard");
            else
                check(!play.problem && play.bounds[2] == Form4->image()->picture().deviceIndependentSize().toSize().width() - 1
                          && mime->hasFormat(QStringLiteral("image/png")),
                      "the copy is not the picture's EMF and PNG");
            break;
        }
        case 12: {
            const QString report = copyReportByKeyboard(field(Form1, 2));
            check(report == QString::fromStdString(kelvoran::buildReport(installation))
                      && report.count(QStringLiteral("\r\n")) == 62 && report.count(QLatin1Char('\n')) == 62,
                  "clipboard does not hold the 62-line report");
            break;
        }
        case 13:
            retype(field(Form3, 1), randomText());
            retype(field(Form3, 2), randomText());
            click(Form3, "BitBtn1");
            break;
        }
    }

    std::mt19937 rng_;
    QMap<QString, int> boxes_; // answered boxes by kind
    QStringList problems_;     // of the current action
    int errors_ = 0;           // arithmetic error boxes of the current action
    std::optional<std::pair<bool, QString>> query_; // planned: accept?, the text to enter
    std::optional<QColor> colour_;                  // planned: the colour, or an invalid one to cancel
};

KELVORAN_WIDGET_TEST_MAIN(TstSoak, false)

#include "tst_soak.moc"
