// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows on a real desktop: where they go, how large they may be, how
// they come to the front, and the diagram window's proportion rule. The
// windows call this and hold no window-manager logic of their own.
//
// A window manager draws a frame around each top-level window; designed
// sizes and positions are those of the frame (outer), so the client area is
// what remains once the frame really drawn is taken off. Without a window
// manager the frame is zero. The X11 and Wayland specifics live beside this
// (desktop_x11, desktop_wayland).
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace desktop {

// The least move that puts `outer` wholly on `area`, or its top-left corner
// on the area's when it is larger than the area in that direction.
QRect fitOnArea(const QRect& outer, const QRect& area);

// The largest outer size the screens can show (the largest available area).
QSize screensLimit();

// The frame around a top-level window, in logical pixels, as the window
// manager has announced it so far (zero before it does, or without one).
QMargins frameMargins(QWidget* window);

// The window's frame gets the outer size `outer` with its top-left corner at
// `topLeft`, moved the least that keeps it on the screen's available area;
// placed again when the window manager announces a different frame, until
// it has framed the window. The window can never grow beyond the screens.
// Later shows keep the user's place.
void placeOuter(QWidget* window, QPoint topLeft, QSize outer);
// The same for a window that keeps its client size, its frame centred on
// the primary screen's available area.
void centreOuter(QWidget* window);

// Shows the window, or when it is already shown brings it to the front and
// gives it the keyboard focus.
void showRaised(QWidget* window);

// The proportion rule: outer height = outer width + difference. Sets the
// window's bound, which follows the frame and the screens; a window manager's
// drag runs free and the rule is taken when it ends (followRule).
void keepHeightOverWidth(QWidget* window, int difference);

// From the window's resize handler: brings the size back to the rule, keeping
// the width, unless the window manager or compositor decides the size now
// (maximised, tiled, full-screen) or a drag is under way (then at its end).
// The resize this makes raises the handler again from inside.
void followRule(QWidget* window);

// The largest picture the window may need: its client size, never more than
// the screens can show (a size forced on the window without a window manager
// is not trusted further).
QSize boundedClientSize(QWidget* window);

} // namespace desktop
