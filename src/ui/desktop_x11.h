// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The X11 side of the desktop part: what the window manager says about a
// window and what the program asks of it, over xcb-ewmh.
// Sizes here are native pixels; the neutral part converts them.
#include <QMargins>
#include <QSize>

#include <functional>
#include <optional>

namespace desktop::x11 {

// Whether Qt runs on an X server.
bool active();

// Whether a window manager runs on the display (a live _NET_SUPPORTING_WM_CHECK).
bool windowManagerRunning();

// The frame the window manager draws, or will draw, around a window, as far
// as it has said so (_NET_FRAME_EXTENTS).
std::optional<QMargins> frameExtents(unsigned window);

// Asks the window manager to announce the frame of a window not yet mapped.
// Not every window manager answers: the answer, if any, comes as an event.
void requestFrameExtents(unsigned window);

// The window manager sizes the window in one dimension at least
// (maximised vertically or horizontally, full-screen).
bool sizedByWindowManager(unsigned window);

// Whether a pointer button is held: a window manager's drag in progress.
bool pointerButtonHeld();

// What the window manager announces about a window, delivered from the
// event loop.
struct Listener {
    std::function<void()> frameChanged; // new _NET_FRAME_EXTENTS
    std::function<void()> stateChanged; // new _NET_WM_STATE
    // The window manager has let the keyboard go (focus back from a grab):
    // the end of its drag.
    std::function<void()> grabEnded;
};
void listen(unsigned window, Listener listener);
void forget(unsigned window);

} // namespace desktop::x11
