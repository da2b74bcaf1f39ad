#include "views/TapeDeckBackgroundView.h"

#include "views/Limits.h"
#include "views/TapeDeckGeometry.h"
#include "views/TargetAction.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace {

const QString panelResource = QStringLiteral(":/VintageTapePanel.svg");
constexpr double panelOpacity = 0.82;
constexpr QPointF leftReel(343.0, 315.0);
constexpr QPointF rightReel(496.0, 315.0);
constexpr double reelRadius = 31.0;

std::unique_ptr<QSvgRenderer> loadPanelImage()
{
    if (!QFile::exists(panelResource))
        return nullptr;
    auto image = std::make_unique<QSvgRenderer>(panelResource);
    if (!image->isValid())
        return nullptr;
    return image;
}

// The pixels per point of what the painter draws on, read from its transform: the widget's
// own ratio does not tell when it is rendered into an image of another ratio. Bounded so that
// an odd transform can neither break the size computation nor claim a huge cache.
qreal deviceScale(const QPainter& painter)
{
    const QTransform transform = painter.deviceTransform();
    return limitedTo(std::hypot(transform.m11(), transform.m12()), 1.0, 4.0);
}

QPen strokePen(const QColor& color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

} // namespace

TapeDeckBackgroundView::TapeDeckBackgroundView(QWidget* parent) : QWidget(parent)
{
    // Both designs fill every pixel: the window behind need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TapeDeckBackgroundView::~TapeDeckBackgroundView() = default;

void TapeDeckBackgroundView::setVintageEnabled(bool enabled)
{
    m_vintageEnabled = enabled;
    // The artwork is parsed when first needed: most launches show the standard design.
    if (enabled && !m_panelImageChosen)
        setPanelImage(loadPanelImage());
    update();
}

void TapeDeckBackgroundView::setPanelImage(std::unique_ptr<QSvgRenderer> image)
{
    m_panelImage = std::move(image);
    m_panelImageChosen = true;
    if (m_panelImage)
        m_panelImage->setAspectRatioMode(Qt::IgnoreAspectRatio);
    m_panelCache = QImage();
}

void TapeDeckBackgroundView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_vintageEnabled) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    painter.fillRect(rect(), QColor::fromRgbF(0.035f, 0.037f, 0.038f));
    if (m_panelImage)
        drawPanelImage(painter);
    if (m_reelsAnimating) {
        drawAnimatedReelAtDesignPoint(painter, leftReel.x(), leftReel.y(), reelRadius);
        drawAnimatedReelAtDesignPoint(painter, rightReel.x(), rightReel.y(), reelRadius);
    }
    const QRectF frame = insetRect(rect(), 7.0, 7.0);
    if (frame.isEmpty())
        return;
    painter.setPen(strokePen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.24f), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 9.0, 9.0);
}

QRect TapeDeckBackgroundView::reelsRect() const
{
    QRectF area;
    for (const QPointF& centre : {leftReel, rightReel}) {
        const ReelGeometry reel = reelGeometry(size(), centre, reelRadius, 0.0);
        // The spokes end within the radius; their shadows reach past them by their offset, half
        // their width and a pixel of smoothing.
        const double reach = reel.radius + 4.0;
        area |= QRectF(reel.centre - QPointF(reach, reach), reel.centre + QPointF(reach, reach));
    }
    return area.toAlignedRect();
}

void TapeDeckBackgroundView::drawPanelImage(QPainter& painter)
{
    const qreal ratio = deviceScale(painter);
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty())
        return;
    if (m_panelCache.size() != pixels || m_panelCache.devicePixelRatio() != ratio) {
        m_panelCache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_panelCache.setDevicePixelRatio(ratio);
        m_panelCache.fill(Qt::transparent);
        QPainter cachePainter(&m_panelCache);
        cachePainter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        m_panelImage->render(&cachePainter, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(panelOpacity);
    painter.drawImage(QRectF(rect()), m_panelCache);
    painter.restore();
}

void TapeDeckBackgroundView::drawAnimatedReelAtDesignPoint(QPainter& painter, double x, double y,
                                                           double radius) const
{
    const ReelGeometry reel = reelGeometry(size(), QPointF(x, y), radius, m_reelRotation);
    const QPen shadowPen = strokePen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.28f), 2.4);
    const QPen spokePen = strokePen(QColor::fromRgbF(0.82f, 0.74f, 0.60f, 0.34f), 1.6);
    const QPointF shadowOffset(0.8, 0.8);
    for (const QLineF& spoke : reel.spokes) {
        painter.setPen(shadowPen);
        painter.drawLine(spoke.translated(shadowOffset));
        painter.setPen(spokePen);
        painter.drawLine(spoke);
    }
    painter.setPen(strokePen(QColor::fromRgbF(0.95f, 0.95f, 0.95f, 0.18f), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(reel.centre, reel.hubRadius, reel.hubRadius);
}

void TapeDeckBackgroundView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_vintageEnabled || !m_transportTarget) {
        QWidget::mousePressEvent(event);
        return;
    }
    const double fx = event->position().x() / std::max(width(), 1);
    const double fy = event->position().y() / std::max(height(), 1);
    const char* action = tapeDeckKeyActionAt(fx, fy);
    if (!action || !TargetAction::send(m_transportTarget, action, this)) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
}
