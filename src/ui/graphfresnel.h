#pragma once
// Diagram window (placeholder until its own work lands).
#include <QWidget>

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    // Draws the diagram afresh on Image1 at its current size. A FloatError
    // propagates to the caller and leaves the previous picture in place.
    void redraw();
};

extern TForm4* Form4;
