#pragma once
// Parameters dialog (placeholder until its own work lands).
#include <QDialog>

class TPagesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPagesDlg(QWidget* parent = nullptr);
};

extern TPagesDlg* PagesDlg;
