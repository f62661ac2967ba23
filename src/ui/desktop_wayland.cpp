// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_wayland.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QResizeEvent>
#include <QWidget>

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

// Qt (6.4) reads the compositor's tiled states but keeps them to itself, and
// a tiled window must take the size it is given. So the program looks at the
// configure events of every xdg_toplevel itself: it stands in for
// libwayland's wl_proxy_add_listener (the executable exports the symbol, so
// Qt's Wayland library binds to it), records the size and states of each
// configure, and hands every event on to Qt's own handlers unchanged.
// Nothing here runs off Wayland: only a Wayland client adds listeners.

struct wl_proxy;

namespace {

using Handler = void (*)(void);

struct WlArray {
    std::size_t size;
    std::size_t alloc;
    void* data;
};

// xdg_toplevel: configure, close, configure_bounds (version 4),
// wm_capabilities (version 5); tiled_left..tiled_bottom are states 5 to 8.
constexpr std::size_t kMaxEvents = 4;
constexpr std::uint32_t kTiledLeft = 5;
constexpr std::uint32_t kTiledBottom = 8;

struct Toplevel {
    const Handler* qtHandlers = nullptr;
    std::array<Handler, kMaxEvents> handlers{};
    QSize configured; // the last size asked for, logical pixels (0 = the client chooses)
    bool tiled = false;
    QPointer<QWidget> window; // null for windows the desktop part does not look after
};

QPointer<QWidget> nextWindow; // the window being shown, whose toplevel comes next

std::mutex toplevelsMutex;
// By proxy; a proxy's address may be taken again by a later toplevel, whose
// listener then replaces the entry. Nodes stay put, so the handler table
// libwayland holds stays valid.
std::unordered_map<const wl_proxy*, Toplevel>& toplevels()
{
    static std::unordered_map<const wl_proxy*, Toplevel> map;
    return map;
}

struct Wayland {
    int (*addListener)(wl_proxy*, const Handler*, void*) = nullptr;
    const char* (*className)(wl_proxy*) = nullptr;
    std::uint32_t (*version)(wl_proxy*) = nullptr;
};

const Wayland& library()
{
    static const Wayland functions = [] {
        // Qt loads libwayland-client with its plugin, outside the global scope.
        void* handle = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD);
        const auto find = [handle](const char* name) {
            void* f = handle ? dlsym(handle, name) : nullptr;
            return f ? f : dlsym(RTLD_NEXT, name);
        };
        Wayland w;
        w.addListener = reinterpret_cast<decltype(w.addListener)>(find("wl_proxy_add_listener"));
        w.className = reinterpret_cast<decltype(w.className)>(find("wl_proxy_get_class"));
        w.version = reinterpret_cast<decltype(w.version)>(find("wl_proxy_get_version"));
        return w;
    }();
    return functions;
}

std::function<void()>& untiledHandler()
{
    static std::function<void()> handler;
    return handler;
}

using ConfigureHandler = void (*)(void*, wl_proxy*, std::int32_t, std::int32_t, WlArray*);

void onConfigure(void* data, wl_proxy* proxy, std::int32_t width, std::int32_t height, WlArray* states)
{
    Handler qtConfigure = nullptr;
    bool untiled = false;
    {
        const std::lock_guard lock(toplevelsMutex);
        const auto it = toplevels().find(proxy);
        if (it == toplevels().end())
            return;
        Toplevel& t = it->second;
        t.configured = QSize(width, height);
        untiled = std::exchange(t.tiled, false);
        const auto* state = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t k = 0; k < states->size / sizeof(std::uint32_t); ++k)
            t.tiled = t.tiled || (state[k] >= kTiledLeft && state[k] <= kTiledBottom);
        untiled = untiled && !t.tiled;
        qtConfigure = t.qtHandlers[0];
    }
    reinterpret_cast<ConfigureHandler>(qtConfigure)(data, proxy, width, height, states);
    // Floated at the tile's size, the window gets no resize event to take its rule by.
    if (untiled && qApp)
        QMetaObject::invokeMethod(qApp, [] { if (untiledHandler()) untiledHandler()(); }, Qt::QueuedConnection);
}

// Whether the compositor tiles the window: its own toplevel's state, or for
// a window not known by its toplevel, any tiled one of its outer size.
bool tiled(const QWidget* window, QSize outer)
{
    const std::lock_guard lock(toplevelsMutex);
    for (const auto& entry : toplevels())
        if (entry.second.window == window)
            return entry.second.tiled;
    for (const auto& entry : toplevels())
        if (entry.second.tiled && entry.second.configured == outer)
            return true;
    return false;
}

// The window's last change of size as its resize events tell it.
class ResizeWatch : public QObject {
public:
    explicit ResizeWatch(QWidget* window) : QObject(window)
    {
        watches().insert(window, this);
        window->installEventFilter(this);
    }
    ~ResizeWatch() override { watches().remove(parent()); }
    static ResizeWatch* of(QWidget* window)
    {
        ResizeWatch* watch = watches().value(window);
        return watch ? watch : new ResizeWatch(window);
    }
    static QHash<const QObject*, ResizeWatch*>& watches()
    {
        static QHash<const QObject*, ResizeWatch*> map;
        return map;
    }
    QSize before;
    QSize after;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize) {
            before = static_cast<QResizeEvent*>(event)->oldSize();
            after = static_cast<QResizeEvent*>(event)->size();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

extern "C" int wl_proxy_add_listener(wl_proxy* proxy, const Handler* handlers, void* data)
{
    const Wayland& wl = library();
    if (!wl.addListener)
        return -1;
    if (!wl.className || !wl.version || std::strcmp(wl.className(proxy), "xdg_toplevel") != 0)
        return wl.addListener(proxy, handlers, data);
    const std::uint32_t version = wl.version(proxy);
    // A later version may add events this table does not hold: such a
    // toplevel is left to Qt alone (its tiled states are then not seen).
    if (version > 6)
        return wl.addListener(proxy, handlers, data);
    const std::size_t events = version >= 5 ? 4 : version >= 4 ? 3 : 2;
    const Handler* table = nullptr;
    {
        const std::lock_guard lock(toplevelsMutex);
        Toplevel& t = toplevels()[proxy];
        t = Toplevel{};
        t.qtHandlers = handlers;
        t.window = std::exchange(nextWindow, nullptr);
        for (auto& [other, entry] : toplevels())
            if (other != proxy && entry.window == t.window)
                entry.window = nullptr; // the window's earlier toplevel, gone with its last hide
        std::copy(handlers, handlers + events, t.handlers.begin());
        t.handlers[0] = reinterpret_cast<Handler>(&onConfigure);
        table = t.handlers.data();
    }
    return wl.addListener(proxy, table, data);
}

namespace desktop::wayland {

bool active()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool sizedByCompositor(const QWidget* window)
{
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return true;
    return tiled(window, window->frameGeometry().size());
}

bool heightChangedAlone(QWidget* window)
{
    const ResizeWatch* watch = ResizeWatch::of(window);
    return watch->after == window->size() && watch->before.isValid() && watch->before.width() == watch->after.width()
           && watch->before.height() != watch->after.height();
}

void showing(QWidget* window)
{
    {
        const std::lock_guard lock(toplevelsMutex);
        nextWindow = window;
    }
    // The toplevel comes within the show or not at all.
    QMetaObject::invokeMethod(qApp, [] {
        const std::lock_guard lock(toplevelsMutex);
        nextWindow = nullptr;
    }, Qt::QueuedConnection);
}

void onUntiled(std::function<void()> handler)
{
    untiledHandler() = std::move(handler);
}

QMargins frame(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

} // namespace desktop::wayland
