#include "desktop.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#ifdef KELVORAN_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace desktop {

namespace {

// What this module keeps about one top-level window. A child of the window,
// so it goes with it.
class WindowCare : public QObject {
public:
    explicit WindowCare(QWidget* window);
    ~WindowCare() override;

    static WindowCare* of(QWidget* window);

    QWidget* window() const { return static_cast<QWidget*>(parent()); }
    quint32 nativeId() const { return nativeId_; }
    void registerNative();

    // The last frame read from the window manager, in native pixels.
    std::optional<QMargins> nativeFrame;
    bool frameAsked = false;

    // Placement: the frame's corner and outer size, or centred.
    bool placing = false;
    bool centred = false;
    QPoint topLeft;
    QSize outer;
    bool shown = false;
    bool awaitingMap = false;
    QMargins assumedFrame;
    void place(const QMargins& frame);
    void checkFrameOnceMapped();

    std::optional<int> aspectDifference;
    void writeAspectHints();

    std::function<void()> frameChanged;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    quint32 nativeId_ = 0;
};

QHash<QWidget*, WindowCare*>& careByWindow()
{
    static QHash<QWidget*, WindowCare*> map;
    return map;
}

QHash<quint32, WindowCare*>& careByNativeId()
{
    static QHash<quint32, WindowCare*> map;
    return map;
}

qreal nativeScale(QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->devicePixelRatio() : window->devicePixelRatioF();
}

// The frame as Qt knows it, on platforms other than X11.
QMargins qtFrame(QWidget* window)
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

#ifdef KELVORAN_HAVE_XCB

// ICCCM WM_SIZE_HINTS: 18 longs, flags first.
constexpr std::size_t kHintsLength = 18;
constexpr quint32 kPAspect = 1u << 7;
constexpr quint32 kPBaseSize = 1u << 8;
enum HintField : std::size_t {
    kFlags = 0,
    kMinAspectX = 11,
    kMinAspectY = 12,
    kMaxAspectX = 13,
    kMaxAspectY = 14,
    kBaseWidth = 15,
    kBaseHeight = 16,
};

xcb_connection_t* connection()
{
    auto* app = qGuiApp;
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    static QHash<QByteArray, xcb_atom_t> cache;
    const QByteArray key(name);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    cache.insert(key, value);
    return value;
}

// A property of 32-bit items of the given type; empty when absent. Errors
// (a window gone meanwhile) are taken here rather than reported by Qt.
std::vector<quint32> readLongs(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                               uint32_t count)
{
    std::vector<quint32> values;
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, count), &error);
    std::free(error);
    if (reply && reply->type == type && reply->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
        const int n = xcb_get_property_value_length(reply) / 4;
        values.assign(data, data + n);
    }
    std::free(reply);
    return values;
}

bool wmRunning(xcb_connection_t* c)
{
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<quint32> child = readLongs(c, rootWindow(c), check, XCB_ATOM_WINDOW, 1);
    if (child.size() != 1)
        return false;
    // A stale property left by a window manager that has gone names a window
    // that no longer points to itself.
    const std::vector<quint32> self = readLongs(c, child[0], check, XCB_ATOM_WINDOW, 1);
    return self.size() == 1 && self[0] == child[0];
}

// _NET_FRAME_EXTENTS: left, right, top, bottom.
std::optional<QMargins> readFrameExtents(xcb_connection_t* c, xcb_window_t window)
{
    const std::vector<quint32> v = readLongs(c, window, atom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    if (v.size() != 4)
        return std::nullopt;
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
}

// Asks the window manager which frame it will draw around a window not yet
// mapped, and waits briefly for the answer.
std::optional<QMargins> requestFrameExtents(xcb_connection_t* c, xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c, 0, rootWindow(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(150);
    for (;;) {
        if (auto frame = readFrameExtents(c, window))
            return frame;
        if (steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(milliseconds(2));
    }
}

// Watches the X events that concern the windows in care: the window mapped
// (framed by now), its frame extents changed, its size hints rewritten.
class NativeWatch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_MAP_NOTIFY: {
            const auto* map = static_cast<const xcb_map_notify_event_t*>(message);
            if (WindowCare* care = careByNativeId().value(map->window); care && care->awaitingMap) {
                care->awaitingMap = false;
                QMetaObject::invokeMethod(care, [care] { care->checkFrameOnceMapped(); }, Qt::QueuedConnection);
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
            WindowCare* care = careByNativeId().value(property->window);
            if (!care)
                break;
            xcb_connection_t* c = connection();
            if (property->atom == atom(c, "_NET_FRAME_EXTENTS")) {
                // Read again when next asked. A deleted property (the window
                // unmapped) keeps the frame last seen.
                if (property->state == XCB_PROPERTY_NEW_VALUE) {
                    care->nativeFrame.reset();
                    if (care->frameChanged)
                        QMetaObject::invokeMethod(care, care->frameChanged, Qt::QueuedConnection);
                }
            } else if (property->atom == XCB_ATOM_WM_NORMAL_HINTS && care->aspectDifference) {
                // Qt writes the whole property whenever a size or a size
                // limit changes; put the aspect back if it went.
                QMetaObject::invokeMethod(care, [care] { care->writeAspectHints(); }, Qt::QueuedConnection);
            }
            break;
        }
        default:
            break;
        }
        return false;
    }
};

void watchNativeEvents()
{
    static bool installed = false;
    if (installed || !connection())
        return;
    installed = true;
    static NativeWatch watch;
    QCoreApplication::instance()->installNativeEventFilter(&watch);
}

#endif // KELVORAN_HAVE_XCB

WindowCare::WindowCare(QWidget* window) : QObject(window)
{
    careByWindow().insert(window, this);
    window->installEventFilter(this);
}

WindowCare::~WindowCare()
{
    careByWindow().remove(window());
    if (nativeId_)
        careByNativeId().remove(nativeId_);
}

WindowCare* WindowCare::of(QWidget* window)
{
    if (WindowCare* care = careByWindow().value(window))
        return care;
    return new WindowCare(window);
}

void WindowCare::registerNative()
{
#ifdef KELVORAN_HAVE_XCB
    if (nativeId_ || !connection())
        return;
    watchNativeEvents();
    nativeId_ = static_cast<quint32>(window()->winId());
    careByNativeId().insert(nativeId_, this);
#endif
}

bool WindowCare::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes before the window is mapped: the geometry set
    // here is the one the window manager first sees.
    if (watched == parent() && event->type() == QEvent::Show && !shown) {
        shown = true;
        registerNative();
        if (placing) {
            assumedFrame = frameMargins(window());
            place(assumedFrame);
            awaitingMap = nativeId_ != 0 && windowManagerRunning();
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowCare::place(const QMargins& frame)
{
    QWidget* w = window();
    const QPoint inside(frame.left(), frame.top());
    if (centred) {
        const QSize outerSize = w->size().grownBy(frame);
        QRect area(QPoint(0, 0), outerSize);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
        const QPoint corner(area.x() + (area.width() - outerSize.width()) / 2,
                            area.y() + (area.height() - outerSize.height()) / 2);
        w->setGeometry(QRect(corner + inside, w->size()));
    } else {
        w->setGeometry(QRect(topLeft + inside, outer.shrunkBy(frame)));
    }
}

// The window manager has framed the window: read the frame it really drew
// and place the window again if it differs from the one announced.
void WindowCare::checkFrameOnceMapped()
{
#ifdef KELVORAN_HAVE_XCB
    if (xcb_connection_t* c = connection())
        nativeFrame = readFrameExtents(c, nativeId_).value_or(QMargins());
#endif
    const QMargins frame = frameMargins(window());
    if (frame != assumedFrame) {
        assumedFrame = frame;
        place(frame);
    }
}

void WindowCare::writeAspectHints()
{
#ifdef KELVORAN_HAVE_XCB
    xcb_connection_t* c = connection();
    if (!c || !aspectDifference || !nativeId_)
        return;
    const int difference = qRound(*aspectDifference * nativeScale(window()));
    const quint32 baseWidth = static_cast<quint32>(std::max(0, -difference));
    const quint32 baseHeight = static_cast<quint32>(std::max(0, difference));
    std::vector<quint32> hints =
        readLongs(c, nativeId_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, kHintsLength);
    hints.resize(kHintsLength, 0);
    const bool present = (hints[kFlags] & (kPAspect | kPBaseSize)) == (kPAspect | kPBaseSize);
    if (present && hints[kMinAspectX] == 1 && hints[kMinAspectY] == 1 && hints[kMaxAspectX] == 1
        && hints[kMaxAspectY] == 1 && hints[kBaseWidth] == baseWidth && hints[kBaseHeight] == baseHeight)
        return;
    hints[kFlags] |= kPAspect | kPBaseSize;
    hints[kMinAspectX] = hints[kMinAspectY] = hints[kMaxAspectX] = hints[kMaxAspectY] = 1;
    hints[kBaseWidth] = baseWidth;
    hints[kBaseHeight] = baseHeight;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, nativeId_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                        kHintsLength, hints.data());
    xcb_flush(c);
#endif
}

} // namespace

QMargins frameMargins(QWidget* window)
{
#ifdef KELVORAN_HAVE_XCB
    xcb_connection_t* c = connection();
    if (!c)
        return qtFrame(window);
    WindowCare* care = WindowCare::of(window);
    care->registerNative();
    if (!care->nativeFrame) {
        std::optional<QMargins> frame = readFrameExtents(c, care->nativeId());
        if (!frame && !care->frameAsked) {
            care->frameAsked = true;
            if (!wmRunning(c))
                frame = QMargins(); // nothing frames it; a window manager started later would say so
            else
                frame = requestFrameExtents(c, care->nativeId());
        }
        if (!frame)
            return {};
        care->nativeFrame = frame;
    }
    return toLogical(*care->nativeFrame, nativeScale(window));
#endif
    return qtFrame(window);
}

namespace {

// Before its native window exists a window has no frame to ask about.
QMargins knownFrame(QWidget* window)
{
    return window->testAttribute(Qt::WA_WState_Created) ? frameMargins(window) : QMargins();
}

} // namespace

void placeOuter(QWidget* window, QPoint topLeft, QSize outer)
{
    WindowCare* care = WindowCare::of(window);
    care->placing = true;
    care->centred = false;
    care->topLeft = topLeft;
    care->outer = outer;
    care->place(knownFrame(window));
}

void centreOuter(QWidget* window)
{
    WindowCare* care = WindowCare::of(window);
    care->placing = true;
    care->centred = true;
    care->place(knownFrame(window));
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
    care->aspectDifference = difference;
    care->registerNative();
    care->writeAspectHints();
}

void onFrameChange(QWidget* window, std::function<void()> changed)
{
    WindowCare* care = WindowCare::of(window);
    care->frameChanged = std::move(changed);
    care->registerNative();
}

bool windowManagerRunning()
{
#ifdef KELVORAN_HAVE_XCB
    if (xcb_connection_t* c = connection())
        return wmRunning(c);
#endif
    return false;
}

bool pointerButtonHeld()
{
#ifdef KELVORAN_HAVE_XCB
    if (xcb_connection_t* c = connection()) {
        // The window manager grabs the pointer for its drags: only the server knows.
        xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, rootWindow(c)), nullptr);
        const bool held =
            reply && (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
        std::free(reply);
        return held;
    }
#endif
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

void fitTitle(QMessageBox& box)
{
    // Title fonts are usually bold and a little larger; the title bar also
    // holds the window icon and three or four buttons.
    QFont font = box.font();
    font.setBold(true);
    const int titleWidth = QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4;
    const int wanted = titleWidth + 130;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // The box sizes itself to its layout's minimum width when shown.
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace desktop
