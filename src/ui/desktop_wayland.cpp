// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_wayland.h"

#include <QGuiApplication>
#include <QWidget>

namespace desktop::wayland {

bool active()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool sizedByCompositor(const QWidget* window)
{
    return window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

QMargins frame(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

} // namespace desktop::wayland
