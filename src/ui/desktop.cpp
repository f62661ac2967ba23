// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"

#include "desktop_wayland.h"
#include "desktop_x11.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QLoggingCategory>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>
#include <optional>

namespace desktop {

namespace {

// What the window manager announced and what the windows did about it
// (QT_LOGGING_RULES="kelvoran.desktop=true").
Q_LOGGING_CATEGORY(desktopLog, "kelvoran.desktop", QtWarningMsg)

// What this part keeps about one top-level window; a child of the window, so
// it goes with it.
class WindowCare : public QObject {
public:
    explicit WindowCare(QWidget* window);
    ~WindowCare() override;
    static WindowCare* of(QWidget* window);

    QWidget* window() const { return static_cast<QWidget*>(parent()); }

    // The frame as last announced, native pixels; read again after a change.
    std::optional<QMargins> nativeFrame;
    QMargins frame();

    // Placement: the frame's corner and outer size, or centred.
    bool placing = false;
    bool centred = false;
    QPoint topLeft;
    QSize outer;
    bool shown = false;
    bool awaitingFrame = false; // shown, not yet framed by the window manager
    QMargins placedWith;        // the frame the last placement assumed
    void place();
    void bound();
    std::optional<QSize> ownMaximum; // the window's own, before the screens bound it

    // The proportion rule, outer height - outer width.
    std::optional<int> difference;
    QSize ruleLargest{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX}; // the largest client size on the rule
    QSize ruleSize();
    void follow();
    // A drag broke the rule: mended when it ends.
    bool mendAfterDrag = false;
    QTimer dragQuiet;
    void dragEnded();

    void frameChanged();
    void screensChanged();

    // Listens to the window manager once the native window exists.
    void registerNative();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    unsigned nativeId_ = 0;
};

QHash<QWidget*, WindowCare*>& careByWindow()
{
    static QHash<QWidget*, WindowCare*> map;
    return map;
}

// The frame last seen around any window: the best guess for a window that
// the window manager has not framed yet.
std::optional<QMargins>& lastNativeFrame()
{
    static std::optional<QMargins> frame;
    return frame;
}

qreal nativeScale(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->devicePixelRatio() : window->devicePixelRatioF();
}

// The frame as Qt knows it, where no window manager tells it.
QMargins qtFrame(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

QMargins toLogical(const QMargins& m, qreal scale)
{
    if (scale == 1.0)
        return m;
    return QMargins(qRound(m.left() / scale), qRound(m.top() / scale), qRound(m.right() / scale),
                    qRound(m.bottom() / scale));
}

int horizontal(const QMargins& m)
{
    return m.left() + m.right();
}

int vertical(const QMargins& m)
{
    return m.top() + m.bottom();
}

QRect availableArea(QPoint near)
{
    const QScreen* screen = QGuiApplication::screenAt(near);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Whether something else than the program decides the window's size now.
bool sizedElsewhere(QWidget* window)
{
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return true;
    if (wayland::active())
        return wayland::sizedByCompositor(window);
    if (x11::active() && window->testAttribute(Qt::WA_WState_Created))
        return x11::sizedByWindowManager(static_cast<unsigned>(window->winId()));
    return false;
}

bool dragUnderWay()
{
    return x11::active() && x11::windowManagerRunning() && x11::pointerButtonHeld();
}

WindowCare::WindowCare(QWidget* window) : QObject(window)
{
    static const bool untiledFollows = [] {
        wayland::onUntiled([] {
            for (WindowCare* care : careByWindow())
                care->follow();
        });
        return true;
    }();
    Q_UNUSED(untiledFollows);
    careByWindow().insert(window, this);
    window->installEventFilter(this);
    // A drag's end is told by the focus coming back from the window
    // manager's grab; where none comes, by the pointer once the window has
    // not changed for a while.
    dragQuiet.setSingleShot(true);
    dragQuiet.setInterval(250);
    connect(&dragQuiet, &QTimer::timeout, this, [this] {
        if (!x11::pointerButtonHeld())
            dragEnded();
    });
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, &WindowCare::screensChanged, Qt::QueuedConnection);
    connect(app, &QGuiApplication::screenRemoved, this, &WindowCare::screensChanged, Qt::QueuedConnection);
}

WindowCare::~WindowCare()
{
    careByWindow().remove(window());
    if (nativeId_)
        x11::forget(nativeId_);
}

WindowCare* WindowCare::of(QWidget* window)
{
    WindowCare* care = careByWindow().value(window);
    if (!care)
        care = new WindowCare(window);
    care->registerNative();
    return care;
}

void WindowCare::registerNative()
{
    if (nativeId_ || !x11::active() || !window()->testAttribute(Qt::WA_WState_Created))
        return;
    nativeId_ = static_cast<unsigned>(window()->winId());
    x11::listen(nativeId_, {[this] { frameChanged(); }, [this] { follow(); }, [this] { dragEnded(); }});
}

QMargins WindowCare::frame()
{
    if (wayland::active())
        return wayland::frame(window());
    if (!x11::active())
        return qtFrame(window());
    if (!nativeFrame && nativeId_) {
        nativeFrame = x11::frameExtents(nativeId_);
        if (nativeFrame)
            lastNativeFrame() = nativeFrame;
    }
    const std::optional<QMargins> known = nativeFrame ? nativeFrame : lastNativeFrame();
    return known ? toLogical(*known, nativeScale(window())) : QMargins();
}

bool WindowCare::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes before the window is mapped: the geometry set
    // here is the one the window manager first sees.
    if (watched == parent() && event->type() == QEvent::Show && wayland::active())
        wayland::showing(window());
    if (watched == parent() && event->type() == QEvent::Show && !shown) {
        shown = true;
        registerNative();
        if (nativeId_ && x11::windowManagerRunning()) {
            awaitingFrame = true;
            if (!x11::frameExtents(nativeId_))
                x11::requestFrameExtents(nativeId_);
        }
        if (placing)
            place();
    }
    return QObject::eventFilter(watched, event);
}

void WindowCare::bound()
{
    const QMargins f = frame();
    QSize limit = screensLimit();
    if (limit.isEmpty())
        return;
    if (difference)
        limit = QSize(std::min(limit.width(), limit.height() - *difference),
                      std::min(limit.width(), limit.height() - *difference) + *difference);
    // A window of fixed size stays so: window managers frame it otherwise.
    if (!ownMaximum)
        ownMaximum = window()->maximumSize();
    ruleLargest = limit.shrunkBy(f).expandedTo(QSize(1, 1)).boundedTo(*ownMaximum);
    // A Wayland tile may be wider than the rule allows, and Qt would cut the
    // compositor's size down to the bound: there the rule bounds only the
    // sizes the program chooses itself.
    const QSize largest = wayland::active()
        ? screensLimit().shrunkBy(f).expandedTo(QSize(1, 1)).boundedTo(*ownMaximum)
        : ruleLargest;
    if (window()->maximumSize() != largest)
        window()->setMaximumSize(largest);
}

void WindowCare::place()
{
    QWidget* w = window();
    const QMargins f = frame();
    bound();
    QRect outerRect;
    if (centred) {
        const QSize outerSize = w->size().grownBy(f);
        const QRect area = availableArea(QPoint(0, 0));
        outerRect = QRect(QPoint(area.x() + (area.width() - outerSize.width()) / 2,
                                 area.y() + (area.height() - outerSize.height()) / 2),
                          outerSize);
    } else {
        QSize size = outer;
        if (difference)
            size.setHeight(size.width() + *difference);
        outerRect = QRect(topLeft, size);
    }
    outerRect = fitOnArea(outerRect, availableArea(outerRect.topLeft()));
    const QRect client = outerRect.marginsRemoved(f);
    placedWith = f;
    const QRect geometry(client.topLeft(), client.size().boundedTo(w->maximumSize()));
    w->setGeometry(geometry);
    // A hidden window's native window keeps the size it was created with
    // until shown; the window manager must see this one.
    if (QWindow* handle = w->windowHandle(); handle && !w->isVisible())
        handle->setGeometry(geometry);
    qCDebug(desktopLog) << w->objectName() << "placed" << w->geometry() << "frame" << f;
}

// The window manager has announced a frame: the first time after the show,
// the window is placed again if the frame differs from the one assumed;
// later the bound and the rule follow.
void WindowCare::frameChanged()
{
    nativeFrame.reset();
    const QMargins f = frame();
    if (std::exchange(awaitingFrame, false) && placing && f != placedWith)
        place();
    else
        bound();
    follow();
}

void WindowCare::screensChanged()
{
    bound();
    follow();
}

QSize WindowCare::ruleSize()
{
    const QMargins f = frame();
    const int clientDifference = *difference + horizontal(f) - vertical(f);
    if (wayland::active() && wayland::heightChangedAlone(window())) {
        const int h = std::min(window()->height(), ruleLargest.height());
        return QSize(std::max(1, h - clientDifference), h);
    }
    const int w = std::min(window()->width(), ruleLargest.width());
    return QSize(w, w + clientDifference);
}

void WindowCare::follow()
{
    if (!difference)
        return;
    bound();
    QWidget* w = window();
    if (sizedElsewhere(w))
        return;
    const QSize wanted = ruleSize();
    if (w->size() == wanted)
        return;
    // A window manager's drag: the window follows the pointer, and takes
    // the rule once when the drag ends rather than fight it at every step.
    if (dragUnderWay()) {
        mendAfterDrag = true;
        dragQuiet.start();
        return;
    }
    qCDebug(desktopLog) << w->objectName() << "rule" << w->size() << "->" << wanted;
    w->resize(wanted);
}

void WindowCare::dragEnded()
{
    if (!std::exchange(mendAfterDrag, false))
        return;
    dragQuiet.stop();
    follow();
}

} // namespace

QRect fitOnArea(const QRect& outer, const QRect& area)
{
    if (area.isEmpty())
        return outer;
    const auto fit = [](int pos, int size, int start, int length) {
        if (size >= length)
            return start;
        return std::clamp(pos, start, start + length - size);
    };
    return QRect(QPoint(fit(outer.x(), outer.width(), area.x(), area.width()),
                        fit(outer.y(), outer.height(), area.y(), area.height())),
                 outer.size());
}

QSize screensLimit()
{
    QSize limit;
    for (const QScreen* screen : QGuiApplication::screens())
        limit = limit.expandedTo(screen->geometry().size());
    return limit;
}

QMargins frameMargins(QWidget* window)
{
    return WindowCare::of(window)->frame();
}

void placeOuter(QWidget* window, QPoint topLeft, QSize outer)
{
    WindowCare* care = WindowCare::of(window);
    care->placing = true;
    care->centred = false;
    care->topLeft = topLeft;
    care->outer = outer;
    care->place();
}

void centreOuter(QWidget* window)
{
    WindowCare* care = WindowCare::of(window);
    care->placing = true;
    care->centred = true;
    care->place();
}

void showRaised(QWidget* window)
{
    if (!window->isVisible()) {
        window->show();
        return;
    }
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void keepHeightOverWidth(QWidget* window, int difference)
{
    WindowCare* care = WindowCare::of(window);
    care->difference = difference;
    care->bound();
}

void followRule(QWidget* window)
{
    WindowCare::of(window)->follow();
}

QSize boundedClientSize(QWidget* window)
{
    return window->size().boundedTo(screensLimit()).expandedTo(QSize(0, 0));
}

} // namespace desktop
