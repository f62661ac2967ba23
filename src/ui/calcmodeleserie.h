// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Series-model calculator: turns a resistance Rp in parallel with a
// reactance Xp into the equivalent series pair Rs + jXs (the conversion is
// the core's seriesFromParallel). A side tool: it touches neither
// program-wide record.
#include <QWidget>

class QLineEdit;
class QPushButton;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BitBtn1Click();

    QLineEdit* Edit1 = nullptr; // Rp
    QLineEdit* Edit2 = nullptr; // Xp
    QLineEdit* Edit3 = nullptr; // Rs
    QLineEdit* Edit4 = nullptr; // Xs
    QPushButton* BitBtn1 = nullptr;
};

extern TForm3* Form3;
