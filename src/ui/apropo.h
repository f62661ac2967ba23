// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// About box: one sentence about the program and an OK button that hides it.
#include <QDialog>

class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

private:
    void OKButtonClick();

    QPushButton* OKButton = nullptr;
};

extern TAboutBox* AboutBox;
