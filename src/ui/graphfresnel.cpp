// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphfresnel.h"

#include "accessibility.h"
#include "desktop.h"
#include "diagramclipboard.h"
#include "handlers.h"
#include "pictures.h"
#include "records.h"
#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"

#include <QIcon>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cmath>
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

// Each paint of the diagram, with the picture's logical size: how a drag's
// repaints can be timed from outside (QT_LOGGING_RULES="kelvoran.paint=true").
Q_LOGGING_CATEGORY(paintLog, "kelvoran.paint", QtWarningMsg)

} // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), picture_);
    const QSize size = picture_.deviceIndependentSize().toSize();
    qCDebug(paintLog, "paint %d %d", size.width(), size.height());
    // Drawn at another ratio than the window has now (the window changed
    // screens): drawn again at this one.
    if (picture_.devicePixelRatio() != devicePixelRatioF())
        emit staleRatio();
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

    // The design's outer size and place; the height follows the rule.
    // Hidden, the window gets no resize event until it is first shown, yet
    // others redraw on Image1 before that: place the controls now, without
    // drawing (the first show redraws anyway).
    create();
    desktop::keepHeightOverWidth(this, kHeightOverWidth);
    desktop::placeOuter(this, QPoint(307, 142), QSize(450, 517));
    layoutControls();
    setAttribute(Qt::WA_PendingResizeEvent, false);

    // A drawing that failed at the new ratio is not tried again at every paint.
    connectHandler(Image1, &TImage::staleRatio, this, [this] {
        if (Image1->devicePixelRatioF() != triedRatio_)
            redraw();
    }, Qt::QueuedConnection);
    connectHandler(windowHandle(), &QWindow::screenChanged, this, &TForm4::redraw);
}

void TForm4::layoutControls()
{
    ToolBar1->setGeometry(0, 0, width(), kToolBarHeight);
    Image1->setGeometry(0, kToolBarHeight, width(), std::max(0, height() - kToolBarHeight));
}

// Drawn at the device's resolution in the same logical geometry, and never
// larger than the screens, whatever size the window was given.
void TForm4::redraw()
{
    const QSize size = desktop::boundedClientSize(Image1);
    triedRatio_ = Image1->devicePixelRatioF();
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
    desktop::followRule(this);
    redraw();
}

bool TForm4::event(QEvent* event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (event->type() == QEvent::DevicePixelRatioChange)
        runHandler([this] { redraw(); });
#endif
    return QWidget::event(event);
}

void TForm4::ToolButton1Click()
{
    // The picture shown, at its size.
    copyDiagramToClipboard(installation, settings, Image1->picture().deviceIndependentSize().toSize());
}
