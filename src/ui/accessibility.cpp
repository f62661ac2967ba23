// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "model/complexe.h"
#include "model/state.h"
#include "numtext/numtext.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>

namespace {

struct Exposure {
    QAccessible::Role role;
    std::function<void()> press;
    std::function<QString()> text;
};

QHash<QObject*, Exposure>& exposures()
{
    static QHash<QObject*, Exposure> table;
    return table;
}

// A widget with a role of its own, an optional "Press" action and an
// optional text content, read-only to assistive technology.
class ExposedWidget : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    ExposedWidget(QWidget* widget, Exposure exposure)
        : QAccessibleWidget(widget, exposure.role), exposure_(std::move(exposure))
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface && exposure_.text)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (auto* edit = qobject_cast<QLineEdit*>(widget())) {
            s.editable = !edit->isReadOnly();
            s.readOnly = edit->isReadOnly();
        }
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value && exposure_.text)
            return exposure_.text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (exposure_.press && widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && exposure_.press && widget()->isEnabled()) {
            QMetaObject::invokeMethod(widget(), exposure_.press, Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    // The text content: read whole, never selected or edited from here.
    QString text(int start, int end) const override { return content().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(content().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    QString content() const { return exposure_.text ? exposure_.text() : QString(); }

    Exposure exposure_;
};

QAccessibleInterface* exposedFactory(const QString&, QObject* object)
{
    const auto found = exposures().constFind(object);
    if (found == exposures().cend() || !object->isWidgetType())
        return nullptr;
    return new ExposedWidget(static_cast<QWidget*>(object), *found);
}

// The menu bar's own keyboard navigation and mnemonics, with the letters
// underlined only while they can be used.
bool altHeld = false;

class AccessKeyStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        if (hint == SH_UnderlineShortcut)
            return altHeld || (widget && widget->hasFocus());
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

class AltWatcher : public QObject {
public:
    explicit AltWatcher(QMenuBar* bar) : QObject(bar), bar_(bar) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
            const bool held = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt ? type == QEvent::KeyPress
                                                                                    : altHeld;
            if (held != altHeld) {
                altHeld = held;
                bar_->update();
            }
        } else if (type == QEvent::ApplicationDeactivate && altHeld) {
            altHeld = false;
            bar_->update();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMenuBar* bar_;
};

} // namespace

namespace a11y {

void expose(QWidget* widget, QAccessible::Role role, std::function<void()> press, std::function<QString()> text)
{
    static const bool installed = [] {
        QAccessible::installFactory(exposedFactory);
        return true;
    }();
    (void)installed;
    exposures().insert(widget, Exposure{role, std::move(press), std::move(text)});
    QObject::connect(widget, &QObject::destroyed, [widget] { exposures().remove(widget); });
    // An interface Qt made before this call would stay in its cache.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (iface && !dynamic_cast<ExposedWidget*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void name(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

void announceText(QWidget* widget, const QString& before, const QString& after)
{
    if (before == after || !QAccessible::isActive())
        return;
    QAccessibleTextUpdateEvent event(widget, 0, before, after);
    QAccessible::updateAccessibility(&event);
}

void enableAccessKeys(QMenuBar* bar)
{
    auto* style = new AccessKeyStyle;
    style->setParent(bar);
    bar->setStyle(style);
    new AltWatcher(bar);
}

} // namespace a11y

void paintFocusMark(QWidget* widget, const QRect& rect)
{
    QPainter p(widget);
    p.setPen(QPen(widget->palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
}

void MarkedLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (hasFocus())
        paintFocusMark(this, rect());
}

ActionLabel::ActionLabel(const QString& text, QWidget* parent) : MarkedLabel(text, parent)
{
    // By Tab only: a click acts as it always did and moves no focus.
    setFocusPolicy(Qt::TabFocus);
    a11y::expose(this, QAccessible::Button, [this] { emit activated(); });
}

void ActionLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        emit activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

OverlayToggle::OverlayToggle(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    // The picture below takes every click, as before.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OverlayToggle::paintEvent(QPaintEvent*)
{
    if (hasFocus())
        paintFocusMark(this, rect());
}

namespace a11y {

QString diagramDescription(const kelvoran::InstallationState& s, const kelvoran::DisplaySettings& d)
{
    QStringList parts{QStringLiteral("Tensions en volts, courants en ampères, arguments en radians")};
    const auto vector = [&](const char* name, kelvoran::TComplexe z) {
        parts << QStringLiteral("%1 : module %2, argument %3")
                     .arg(QLatin1String(name), QString::fromStdString(kelvoran::formatNumber(kelvoran::cmodule(z))),
                          QString::fromStdString(kelvoran::formatNumber(kelvoran::cargument(z))));
    };
    vector("V1", s.vs1);
    vector("V2", s.vs2);
    vector("V3", s.vs3);
    if (d.showLoadVoltages) {
        vector("VZ1", s.vz1);
        vector("VZ2", s.vz2);
        vector("VZ3", s.vz3);
    }
    if (d.constructVoltageComponents) {
        parts << QStringLiteral("Construction des tensions par leurs composantes symétriques");
        vector("Ud", s.ud);
        vector("Ui", s.ui);
        vector("U0", s.u0);
    }
    if (d.showNeutralVoltage)
        vector("VN", s.vn);
    if (d.showLineCurrents) {
        vector("I1", s.i1);
        vector("I2", s.i2);
        vector("I3", s.i3);
    }
    if (d.constructCurrentComponents) {
        parts << QStringLiteral("Construction des courants par leurs composantes symétriques");
        vector("Id", s.id);
        vector("Ii", s.ii);
        vector("I0", s.i0);
    }
    if (d.showNeutralCurrent)
        vector("IN", s.in);
    return parts.join(QStringLiteral(". ")) + QLatin1Char('.');
}

} // namespace a11y
