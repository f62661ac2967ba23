#include "graphfresnel.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form4"));
}

void TForm4::redraw() {}
