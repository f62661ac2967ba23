// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program exactly as main() does and, at the main window's first
// paint (results already filled), prints the CLOCK_REALTIME time in
// nanoseconds and ends. A caller takes the time before starting the process
// and subtracts: tools/measure_startup.sh.
#include "Unit1.h"
#include "application.h"

#include <QLabel>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            const auto* result = watched->findChild<QLabel*>(QStringLiteral("Label2"));
            std::printf("%lld %s\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                        result ? qPrintable(result->text()) : "?");
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    KelvoranApplication app(argc, argv);
    installFrenchTranslations(app);
    createApplicationWindows();
    FirstPaint probe;
    Form1->installEventFilter(&probe);
    Form1->show();
    const int code = KelvoranApplication::exec();
    destroyApplicationWindows();
    return code;
}
