// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes any widget report clicks (left press and release inside it), as
// image and label controls do, without changing how it otherwise behaves.
#include <QObject>

class QWidget;

class ClickFilter : public QObject {
    Q_OBJECT
public:
    // Watches widget and lives as its child.
    explicit ClickFilter(QWidget* widget);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* widget_;
    bool pressed_ = false;
};

// The filter of widget, made on first use: connect to its clicked().
ClickFilter* clicks(QWidget* widget);
