// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keyboard and assistive-technology path beside the mouse. Every window
// keeps its look and its clicks; what is here only adds: interfaces for
// assistive technology (AT-SPI on Linux) where Qt's own say too little,
// labels and pictures that also act from the keyboard, and the access keys
// of the main menu.
#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QString>

#include <functional>

class QMenuBar;

namespace a11y {

// Offers widget to assistive technology with this role, in place of Qt's
// own interface. press, when given, is its "Press" action; it runs from the
// event loop, after the request has been answered, since it may open a
// modal box. text, when given, is its text content (the value a screen
// reader reads after the name).
void expose(QWidget* widget, QAccessible::Role role, std::function<void()> press = {},
            std::function<QString()> text = {});

void name(QWidget* widget, const QString& name, const QString& description = QString());

// Tells assistive technology that the text content of widget went from
// before to after.
void announceText(QWidget* widget, const QString& before, const QString& after);

// Alt alone, then the arrows and Return, walk the menu bar; Alt+letter
// triggers the item whose caption has "&" before that letter. The letters
// are underlined only while Alt is held or the bar has the keyboard.
void enableAccessKeys(QMenuBar* bar);

} // namespace a11y

// A label that shows when it has the keyboard focus.
class MarkedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that a click activates, and now also the keyboard: it takes the
// focus by Tab, marks it, and Space or Return act as a click; assistive
// technology sees a button with a "Press" action.
class ActionLabel : public MarkedLabel {
    Q_OBJECT
public:
    ActionLabel(const QString& text, QWidget* parent);

signals:
    void activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A focusable, checkable control laid over a picture that the mouse clicks
// through: it paints nothing but the focus mark, and Space toggles it.
// Its owner keeps it checked as the picture's state.
class OverlayToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit OverlayToggle(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Paints the keyboard focus mark inside rect.
void paintFocusMark(QWidget* widget, const QRect& rect);

namespace kelvoran {
struct InstallationState;
struct DisplaySettings;
} // namespace kelvoran

namespace a11y {

// What the diagram shows, for a screen reader: each drawn vector, in the
// order it is drawn, with its modulus and argument as the results write them.
QString diagramDescription(const kelvoran::InstallationState& state, const kelvoran::DisplaySettings& settings);

} // namespace a11y
