#include "graphfresnel.h"

#include "accessibility.h"
#include "desktop.h"
#include "diagramclipboard.h"
#include "handlers.h"
#include "pictures.h"
#include "records.h"
#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

TForm4* Form4 = nullptr;

namespace {

constexpr int kIconSize = 32;

// Three phasors from one origin with arrow heads, the diagram in small.
void paintPhasors(QPainter& p, QPointF origin, double length, double width)
{
    const struct {
        double angle;
        QColor color;
    } arrows[] = {{0.35, Qt::black}, {2.45, QColor(255, 0, 0)}, {4.55, QColor(0, 128, 0)}};
    for (const auto& a : arrows) {
        const QPointF tip = origin + QPointF(std::cos(a.angle), -std::sin(a.angle)) * length;
        p.setPen(QPen(a.color, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(origin, tip);
        const double head = length * 0.3;
        for (double side : {-0.45, 0.45}) {
            const double back = a.angle + std::numbers::pi + side;
            p.drawLine(tip, tip + QPointF(std::cos(back), -std::sin(back)) * head);
        }
    }
}

// The tool button: a sheet with the diagram on it over a clipboard board,
// drawn on a 32 by 32 grid.
void paintCopyIcon(QPainter& p, QSize)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(3.5, 3.5, 22, 27), 2, 2);
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(9.5, 1.5, 10, 5));
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 9.5, 21, 21));
    paintPhasors(p, QPointF(20, 20), 8, 1.4);
}

// The window: the phasors on a white disc.
QIcon diagramWindowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(60, 60, 60), size / 16.0));
        p.setBrush(Qt::white);
        const double r = size / 2.0 - size / 32.0;
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), r, r);
        paintPhasors(p, QPointF(size / 2.0, size / 2.0), r * 0.8, size / 14.0);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The largest client size that keeps the rule and whose frame fits the
// available area of the largest screen.
QSize largestClientSize(const QMargins& frame)
{
    int outerWidth = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        outerWidth = std::max(outerWidth, std::min(area.width(), area.height() - TForm4::kHeightOverWidth));
    }
    if (outerWidth <= 0)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return QSize(outerWidth - frame.left() - frame.right(),
                 outerWidth + TForm4::kHeightOverWidth - frame.top() - frame.bottom());
}

// With KELVORAN_PAINT_LOG set to a file name, each paint of the diagram
// appends "milliseconds width height" (steady clock, logical size of the
// picture): how the end-to-end tests time the repaints during a drag.
void logPaint(const QImage& picture)
{
    static FILE* log = [] {
        const char* path = std::getenv("KELVORAN_PAINT_LOG");
        return path && *path ? std::fopen(path, "a") : nullptr;
    }();
    if (!log)
        return;
    using namespace std::chrono;
    const double ms = duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    const QSize size = picture.deviceIndependentSize().toSize();
    std::fprintf(log, "%.3f %d %d\n", ms, size.width(), size.height());
    std::fflush(log);
}

} // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), picture_);
    logPaint(picture_);
}

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Form4"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(diagramWindowIcon());

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(kIconSize, kIconSize));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContentsMargins(0, 0, 0, 0);

    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    ToolButton1->setIcon(pictures::iconFrom(paintCopyIcon, QSize(kIconSize, kIconSize)));
    ToolButton1->setIconSize(QSize(kIconSize, kIconSize));
    ToolButton1->setFixedSize(39, 38);
    ToolButton1->setAutoRaise(true);
    ToolBar1->addWidget(ToolButton1);
    connectHandler(ToolButton1, &QToolButton::clicked, this, &TForm4::ToolButton1Click);
    a11y::name(ToolButton1, QStringLiteral("Copier le diagramme"),
               QStringLiteral("Met le diagramme dans le presse-papiers, en image vectorielle"));
    if (auto* more = ToolBar1->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")))
        a11y::name(more, QStringLiteral("Autres outils"));

    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    a11y::expose(Image1, QAccessible::Graphic);
    a11y::name(Image1, QStringLiteral("Diagramme de Fresnel"));
    // As the other secondary windows.
    connectHandler(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::hide);

    // The design's outer size and place; the height then follows the rule.
    // Hidden, the window gets no resize event until it is first shown, yet
    // others redraw on Image1 before that: apply the rule and place the
    // controls now, without drawing (the first show redraws anyway).
    create();
    desktop::placeOuter(this, QPoint(307, 142), QSize(450, 517));
    resize(ruleSize());
    layoutControls();
    setAttribute(Qt::WA_PendingResizeEvent, false);

    // Where the window manager does not keep the rule during a drag, the
    // size is corrected once the button is released.
    dragEnd_.setInterval(30);
    connectHandler(&dragEnd_, &QTimer::timeout, this, [this] {
        if (!desktop::pointerButtonHeld()) {
            dragEnd_.stop();
            keepRule();
        }
    });
    // A maximised window loses its borders under some window managers: the
    // bound and the hints follow the frame.
    desktop::onFrameChange(this, [this] { runHandler([this] { keepRule(); }); });
    // The bound follows the screens (queued: the list is complete by then).
    connectHandler(qGuiApp, &QGuiApplication::screenAdded, this, &TForm4::keepRule, Qt::QueuedConnection);
    connectHandler(qGuiApp, &QGuiApplication::screenRemoved, this, &TForm4::keepRule, Qt::QueuedConnection);
}

void TForm4::layoutControls()
{
    ToolBar1->setGeometry(0, 0, width(), kToolBarHeight);
    Image1->setGeometry(0, kToolBarHeight, width(), std::max(0, height() - kToolBarHeight));
}

// Drawn at the device's resolution in the same logical geometry, and never
// larger than the bound, whatever size the window was given.
void TForm4::redraw()
{
    const QSize bound = maximumSize() - QSize(0, kToolBarHeight);
    const QSize size = Image1->size().boundedTo(bound).expandedTo(QSize(0, 0));
    if (!kelvoran::drawDiagramBitmap(Image1->picture(), installation, settings, size.width(), size.height(),
                                     Image1->devicePixelRatioF())) {
        showOutOfMemoryBox();
        return;
    }
    Image1->update();
    Image1->setAccessibleDescription(a11y::diagramDescription(installation, settings));
}

// The native window exists since construction, below windows made later:
// without a window manager nothing would bring it up when shown.
void TForm4::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    raise();
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    runHandler([this] { retaille(); });
}

QSize TForm4::ruleSize()
{
    const QMargins frame = desktop::frameMargins(this);
    const QSize largest = largestClientSize(frame);
    // Qt rewrites the size hints with a new bound: the aspect goes back with it.
    const bool hintsRewritten = maximumSize() != largest;
    if (hintsRewritten)
        setMaximumSize(largest);
    // Client height - client width, for outer height = outer width + 75.
    const int difference = kHeightOverWidth + frame.left() + frame.right() - frame.top() - frame.bottom();
    if (hintedDifference_ != difference || hintsRewritten) {
        hintedDifference_ = difference;
        desktop::keepHeightOverWidth(this, difference);
    }
    const int w = std::min(width(), largest.width());
    return QSize(w, w + difference);
}

// The user sets the width only: the outer height follows it. Changing the
// height raises this handler again from inside itself; that inner run only
// places the controls, and the outer run draws once at the final size, so a
// drawing error is reported once.
void TForm4::retaille()
{
    const QScopedValueRollback<int> depth(retailleDepth_, retailleDepth_ + 1);
    layoutControls();
    if (retailleDepth_ > 1)
        return;
    keepRule();
    redraw();
}

void TForm4::keepRule()
{
    const QSize wanted = ruleSize();
    if (size() == wanted)
        return;
    // Maximised, the window manager sizes the window from the bound, which
    // ruleSize has just given it: a resize here would end the maximised state.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    // A window manager's drag that does not keep the rule: follow it, and
    // correct once when it ends rather than fight it at every step.
    if (desktop::windowManagerRunning() && desktop::pointerButtonHeld()) {
        dragEnd_.start();
        return;
    }
    resize(wanted);
    layoutControls();
    // Qt has just rewritten the size hints: the aspect goes back at once.
    desktop::keepHeightOverWidth(this, *hintedDifference_);
}

void TForm4::ToolButton1Click()
{
    copyDiagramToClipboard(installation, settings, Image1->size());
}
