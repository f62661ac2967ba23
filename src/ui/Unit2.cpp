#include "Unit2.h"

TPagesDlg* PagesDlg = nullptr;

TPagesDlg::TPagesDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Parametres"));
}
