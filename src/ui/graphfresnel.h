// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Diagram window: shows the Fresnel diagram at the size of its image, keeps
// the outer height at the outer width plus 75 pixels, and copies the diagram
// to the clipboard. It owns only the picture; what it draws comes from the
// program-wide records through drawDiagram.
//
// The rule, its bound and the window manager's part in it are the desktop
// part's (desktop.h); the window lays out and redraws.
#include <QImage>
#include <QWidget>


class QToolBar;
class QToolButton;

// A picture shown at its own size from the top-left corner, never stretched.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;

signals:
    // A paint found the picture drawn at another device pixel ratio.
    void staleRatio();
};

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // Draws the diagram afresh on Image1 at its current size. A FloatError
    // propagates to the caller and leaves the previous picture in place.
    void redraw();

    TImage* image() const { return Image1; }

    // The tool button: the diagram at Image1's size, as SVG, EMF and PNG,
    // in one clipboard content.
    void ToolButton1Click();

    static constexpr int kToolBarHeight = 41;
    static constexpr int kHeightOverWidth = 75;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void retaille();
    void layoutControls();

    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    TImage* Image1;
    int retailleDepth_ = 0;
    qreal triedRatio_ = 0;
};

extern TForm4* Form4;
