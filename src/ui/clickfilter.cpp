// SPDX-License-Identifier: GPL-3.0-or-later
#include "clickfilter.h"

#include <QMouseEvent>
#include <QWidget>

ClickFilter::ClickFilter(QWidget* widget) : QObject(widget), widget_(widget)
{
    widget->installEventFilter(this);
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget_) {
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = pressed_ && mouse->button() == Qt::LeftButton
                               && widget_->rect().contains(mouse->position().toPoint());
            pressed_ = false;
            if (click) {
                // After the widget's own handling, as a control reports a click.
                static_cast<QObject*>(widget_)->event(event);
                emit clicked();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

ClickFilter* clicks(QWidget* widget)
{
    if (auto* existing = widget->findChild<ClickFilter*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new ClickFilter(widget);
}
