// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

// The main window's white panel that carries the schematic: wires,
// resistances, arrows and their captions are painted here; the switches,
// coils and fields are the main window's child widgets placed on it.
class SchematicPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
