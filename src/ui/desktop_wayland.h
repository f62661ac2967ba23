// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Wayland side of the desktop part. A Wayland client neither places its
// windows nor learns where they are; in some states the compositor alone
// decides their size.
#include <QMargins>

#include <functional>

class QWidget;

namespace desktop::wayland {

// Whether Qt runs on a Wayland compositor.
bool active();

// Whether the compositor decides the window's size in its present state
// (maximised, full-screen, tiled): the window then takes the size it is
// given instead of the size it would choose.
bool sizedByCompositor(const QWidget* window);

// Whether the window's last resize changed its height alone. A compositor
// that asked for a height keeps the frame it drew for it when the client
// answers with the size it had before (sway does): the proportion rule then
// brings the width along rather than undoing the height.
bool heightChangedAlone(QWidget* window);

// Tells which window the next toplevel belongs to: Qt makes the window's
// toplevel while it shows it, right after the show event.
void showing(QWidget* window);

// Calls `handler`, from the event loop, whenever the compositor stops tiling
// a window: a size it kept because it was tiled may now break a rule.
void onUntiled(std::function<void()> handler);

// The decorations Qt draws around the window itself, if any.
QMargins frame(const QWidget* window);

} // namespace desktop::wayland
