#include "views/TapeDeckBackgroundView.h"

#include "views/DevicePixels.h"
#include "views/Limits.h"
#include "views/TapeDeckGeometry.h"
#include "views/TargetAction.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
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

constexpr double shadowOffset = 0.8;
constexpr double shadowWidth = 2.4;

// The square a reel's spokes and hub cover at any angle: it is redrawn and sent 60 times a
// second, so it is no larger.
QRect reelSquare(const ReelGeometry& reel)
{
    // The shadows reach past the spokes' outer ends by their offset, half their width and a
    // pixel of smoothing.
    const double reach =
        QLineF(reel.centre, reel.spokes[0].p2()).length() + shadowOffset + shadowWidth / 2 + 1.0;
    return QRectF(reel.centre - QPointF(reach, reach), reel.centre + QPointF(reach, reach))
        .toAlignedRect();
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
    m_faceCache = QImage();
}

void TapeDeckBackgroundView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_vintageEnabled) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    drawFace(painter, event->region());
    if (m_reelsAnimating) {
        drawAnimatedReelAtDesignPoint(painter, leftReel.x(), leftReel.y(), reelRadius);
        drawAnimatedReelAtDesignPoint(painter, rightReel.x(), rightReel.y(), reelRadius);
    }
}

QRegion TapeDeckBackgroundView::reelsArea() const
{
    QRegion area;
    for (const QPointF& centre : {leftReel, rightReel})
        area += reelSquare(reelGeometry(size(), centre, reelRadius, 0.0));
    return area;
}

void TapeDeckBackgroundView::updateReels()
{
    update(devicePixelCover(reelsArea(), devicePixelRatioF()));
}

void TapeDeckBackgroundView::drawFace(QPainter& painter, const QRegion& area)
{
    const qreal ratio = deviceScale(painter);
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty())
        return;
    if (m_faceCache.size() != pixels || m_faceCache.devicePixelRatio() != ratio)
        m_faceCache = renderFace(pixels, ratio);
    // Rectangle by rectangle: clipped to a region of several, an image is drawn pixel by pixel.
    // Each covers the device pixels that its rectangle touches, copied one to one: at a
    // fractional ratio a logical edge cuts a device pixel, which a repaint must redraw whole, as
    // drawing the view whole does, the last row and column of the window's pixels included.
    const QRegion inView = area & rect();
    for (const QRect& part : inView) {
        const QRectF source = QRectF(touchedDevicePixels(part, ratio)) & QRectF(m_faceCache.rect());
        painter.drawImage(QRectF(source.topLeft() / ratio, source.size() / ratio), m_faceCache,
                          source);
    }
}

QImage TapeDeckBackgroundView::renderFace(const QSize& pixels, qreal ratio) const
{
    QImage face(pixels, QImage::Format_ARGB32_Premultiplied);
    face.setDevicePixelRatio(ratio);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), groundColor());
    if (m_panelImage) {
        // Rendered whole first: at 82 % the artwork's overlapping parts must not show through
        // one another.
        QImage panel(pixels, QImage::Format_ARGB32_Premultiplied);
        panel.setDevicePixelRatio(ratio);
        panel.fill(Qt::transparent);
        QPainter panelPainter(&panel);
        panelPainter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        m_panelImage->render(&panelPainter, QRectF(QPointF(0, 0), QSizeF(size())));
        panelPainter.end();
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(panelOpacity);
        painter.drawImage(QRectF(rect()), panel);
        painter.restore();
    }
    // The frame lies well clear of the reels, so it may be drawn before their spokes.
    if (const QRectF frame = insetRect(rect(), 7.0, 7.0); !frame.isEmpty()) {
        painter.setPen(strokePen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.24f), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame, 9.0, 9.0);
    }
    painter.end();
    // Opaque throughout: drawn as such, it is copied rather than blended.
    face.reinterpretAsFormat(QImage::Format_RGB32);
    return face;
}

void TapeDeckBackgroundView::drawAnimatedReelAtDesignPoint(QPainter& painter, double x, double y,
                                                           double radius) const
{
    const ReelGeometry reel = reelGeometry(size(), QPointF(x, y), radius, m_reelRotation);
    const QPen shadowPen = strokePen(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.28f), shadowWidth);
    const QPen spokePen = strokePen(QColor::fromRgbF(0.82f, 0.74f, 0.60f, 0.34f), 1.6);
    // Clipped to a region of several rectangles, lines are filled pixel by pixel; within the
    // square the clip is one rectangle again.
    painter.save();
    painter.setClipRect(reelSquare(reel), Qt::IntersectClip);
    for (const QLineF& spoke : reel.spokes) {
        painter.setPen(shadowPen);
        painter.drawLine(spoke.translated(shadowOffset, shadowOffset));
        painter.setPen(spokePen);
        painter.drawLine(spoke);
    }
    painter.setPen(strokePen(QColor::fromRgbF(0.95f, 0.95f, 0.95f, 0.18f), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(reel.centre, reel.hubRadius, reel.hubRadius);
    painter.restore();
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

#include "moc_TapeDeckBackgroundView.cpp"
