#pragma once
// Diagram window: shows the Fresnel diagram at the size of its image, keeps
// the outer height at the outer width plus 75 pixels, and copies the diagram
// to the clipboard. It owns only the picture; what it draws comes from the
// program-wide records through drawDiagram.
//
// Under a window manager the rule is the window manager's to keep during a
// drag (size hints: a base size and a 1:1 aspect); the window corrects its
// size itself only where nothing keeps the rule, and then once the drag has
// ended. Its size never exceeds what the largest screen can show, so the
// picture and its copies stay bounded.
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

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
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void retaille();
    void layoutControls();
    // The client size the rule gives for the current width, within the
    // bound; also updates the bound and the window manager's hints.
    QSize ruleSize();
    // Brings the size back to the rule, at once or when a drag has ended.
    void keepRule();

    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    TImage* Image1;
    int retailleDepth_ = 0;
    std::optional<int> hintedDifference_;
    QTimer dragEnd_;
};

extern TForm4* Form4;
