// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace desktop::x11 {

namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The EWMH atoms, interned once per connection.
xcb_ewmh_connection_t* ewmh()
{
    struct Wipe {
        void operator()(xcb_ewmh_connection_t* e) const
        {
            xcb_ewmh_connection_wipe(e);
            delete e;
        }
    };
    static std::unique_ptr<xcb_ewmh_connection_t, Wipe> cached;
    static xcb_connection_t* of = nullptr;
    xcb_connection_t* c = connection();
    if (!c)
        return nullptr;
    if (!cached || of != c) {
        std::unique_ptr<xcb_ewmh_connection_t, Wipe> e(new xcb_ewmh_connection_t{});
        if (!xcb_ewmh_init_atoms_replies(e.get(), xcb_ewmh_init_atoms(c, e.get()), nullptr)) {
            e.release(); // half made: left as it is rather than freed twice
            return nullptr;
        }
        cached = std::move(e);
        of = c;
    }
    return cached.get();
}

xcb_window_t root(xcb_ewmh_connection_t* e)
{
    return e->screens[0]->root;
}

QHash<unsigned, Listener>& listeners()
{
    static QHash<unsigned, Listener> map;
    return map;
}

QHash<unsigned, int>& aspects()
{
    static QHash<unsigned, int> map;
    return map;
}

void writeAspect(unsigned window, int difference)
{
    xcb_connection_t* c = connection();
    if (!c)
        return;
    xcb_size_hints_t hints{};
    xcb_generic_error_t* error = nullptr;
    if (!xcb_icccm_get_wm_normal_hints_reply(c, xcb_icccm_get_wm_normal_hints(c, window), &hints, &error))
        hints = {};
    std::free(error);
    const int32_t baseWidth = std::max(0, -difference);
    const int32_t baseHeight = std::max(0, difference);
    constexpr uint32_t wanted = XCB_ICCCM_SIZE_HINT_P_ASPECT | XCB_ICCCM_SIZE_HINT_BASE_SIZE;
    if ((hints.flags & wanted) == wanted && hints.min_aspect_num == 1 && hints.min_aspect_den == 1
        && hints.max_aspect_num == 1 && hints.max_aspect_den == 1 && hints.base_width == baseWidth
        && hints.base_height == baseHeight)
        return;
    xcb_icccm_size_hints_set_aspect(&hints, 1, 1, 1, 1);
    xcb_icccm_size_hints_set_base_size(&hints, baseWidth, baseHeight);
    xcb_icccm_set_wm_normal_hints(c, window, &hints);
    xcb_flush(c);
}

// The announcements that concern the windows listened to. Handlers run
// queued, out of Qt's event dispatch.
class Watch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
        xcb_ewmh_connection_t* e = ewmh();
        if (!e)
            return false;
        const unsigned window = property->window;
        if (property->atom == XCB_ATOM_WM_NORMAL_HINTS) {
            // Qt writes the whole property whenever a size limit changes.
            if (aspects().contains(window))
                QMetaObject::invokeMethod(qApp, [window] {
                    if (const auto it = aspects().constFind(window); it != aspects().constEnd())
                        writeAspect(window, *it);
                }, Qt::QueuedConnection);
            return false;
        }
        const auto it = listeners().constFind(window);
        if (it == listeners().constEnd())
            return false;
        if (property->atom == e->_NET_FRAME_EXTENTS && property->state == XCB_PROPERTY_NEW_VALUE && it->frameChanged)
            QMetaObject::invokeMethod(qApp, it->frameChanged, Qt::QueuedConnection);
        else if (property->atom == e->_NET_WM_STATE && it->stateChanged)
            QMetaObject::invokeMethod(qApp, it->stateChanged, Qt::QueuedConnection);
        return false;
    }
};

void installWatch()
{
    static bool installed = false;
    if (installed || !connection())
        return;
    installed = true;
    static Watch watch;
    QCoreApplication::instance()->installNativeEventFilter(&watch);
}

} // namespace

bool active()
{
    return connection() != nullptr;
}

bool windowManagerRunning()
{
    xcb_ewmh_connection_t* e = ewmh();
    if (!e)
        return false;
    xcb_window_t child = 0, self = 0;
    if (!xcb_ewmh_get_supporting_wm_check_reply(e, xcb_ewmh_get_supporting_wm_check(e, root(e)), &child, nullptr))
        return false;
    // A window manager that has gone leaves a property naming a window that
    // no longer names itself.
    return xcb_ewmh_get_supporting_wm_check_reply(e, xcb_ewmh_get_supporting_wm_check(e, child), &self, nullptr)
        && self == child;
}

std::optional<QMargins> frameExtents(unsigned window)
{
    xcb_ewmh_connection_t* e = ewmh();
    if (!e)
        return std::nullopt;
    xcb_ewmh_get_extents_reply_t extents{};
    xcb_generic_error_t* error = nullptr;
    const bool got = xcb_ewmh_get_frame_extents_reply(e, xcb_ewmh_get_frame_extents(e, window), &extents, &error);
    std::free(error);
    if (!got)
        return std::nullopt;
    return QMargins(int(extents.left), int(extents.top), int(extents.right), int(extents.bottom));
}

void requestFrameExtents(unsigned window)
{
    if (xcb_ewmh_connection_t* e = ewmh()) {
        xcb_ewmh_request_frame_extents(e, 0, window);
        xcb_flush(e->connection);
    }
}

void keepAspect(unsigned window, int difference)
{
    installWatch();
    aspects().insert(window, difference);
    writeAspect(window, difference);
}

bool sizedByWindowManager(unsigned window)
{
    xcb_ewmh_connection_t* e = ewmh();
    if (!e)
        return false;
    xcb_ewmh_get_atoms_reply_t state{};
    if (!xcb_ewmh_get_wm_state_reply(e, xcb_ewmh_get_wm_state(e, window), &state, nullptr))
        return false;
    bool sized = false;
    for (uint32_t i = 0; i < state.atoms_len; ++i) {
        const xcb_atom_t a = state.atoms[i];
        sized = sized || a == e->_NET_WM_STATE_MAXIMIZED_VERT || a == e->_NET_WM_STATE_MAXIMIZED_HORZ
            || a == e->_NET_WM_STATE_FULLSCREEN;
    }
    xcb_ewmh_get_atoms_reply_wipe(&state);
    return sized;
}

bool pointerButtonHeld()
{
    xcb_ewmh_connection_t* e = ewmh();
    if (!e)
        return false;
    // The window manager grabs the pointer for its drags: only the server knows.
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(e->connection, xcb_query_pointer(e->connection, root(e)), nullptr);
    const bool held = reply && (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
    std::free(reply);
    return held;
}

void listen(unsigned window, Listener listener)
{
    installWatch();
    listeners().insert(window, std::move(listener));
}

void forget(unsigned window)
{
    listeners().remove(window);
    aspects().remove(window);
}

} // namespace desktop::x11
