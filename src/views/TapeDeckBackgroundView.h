#pragma once

#include <memory>

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

class QSvgRenderer;

// The content view of the player window. In the standard design a plain window-coloured
// background; in the vintage design the face of a tape deck: a near-black ground, the panel
// artwork stretched over it, turning reel spokes while playing and a thin inner frame. The keys
// painted on the panel work: a click in the key band sends a transport action to the target.
class TapeDeckBackgroundView : public QWidget
{
    Q_OBJECT

public:
    // The near-black ground of the deck, which the tape-deck window takes as its own colour.
    static QColor groundColor() { return QColor::fromRgbF(0.035f, 0.037f, 0.038f); }

    explicit TapeDeckBackgroundView(QWidget* parent = nullptr);
    ~TapeDeckBackgroundView() override;

    bool isVintageEnabled() const { return m_vintageEnabled; }
    // Redraws.
    void setVintageEnabled(bool enabled);
    // The next three are stored only; the callers redraw when they have changed them all.
    bool isReelsAnimating() const { return m_reelsAnimating; }
    void setReelsAnimating(bool animating) { m_reelsAnimating = animating; }
    // Radians; a growing angle turns the spokes clockwise.
    double reelRotation() const { return m_reelRotation; }
    void setReelRotation(double rotation) { m_reelRotation = rotation; }
    // The squares the turning spokes cover: all that a new angle redraws.
    QRegion reelsArea() const;
    // Redraws the reels' squares, and the device pixels that their edges cut.
    void updateReels();
    // The panel artwork, from the resource ":/VintageTapePanel.svg" when it exists, loaded when
    // the vintage design is first enabled unless one was set; may be null.
    void setPanelImage(std::unique_ptr<QSvgRenderer> image);

    // The receiver of the keys' actions, e.g. `stopButtonPressed(QObject* sender)`.
    QObject* transportTarget() const { return m_transportTarget; }
    void setTransportTarget(QObject* target) { m_transportTarget = target; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void drawFace(QPainter& painter, const QRegion& area);
    // The ground, the artwork and the frame: all but the spokes, in `pixels` at `ratio`.
    QImage renderFace(const QSize& pixels, qreal ratio) const;
    void drawAnimatedReelAtDesignPoint(QPainter& painter, double x, double y, double radius) const;

    std::unique_ptr<QSvgRenderer> m_panelImage;
    bool m_panelImageChosen = false;
    // The face without its spokes, rendered at the size and pixel ratio it was last drawn at:
    // rendering the SVG costs far more than drawing an image, and the reels redraw their squares
    // 60 times a second, then copying opaque pixels beneath the spokes.
    QImage m_faceCache;
    bool m_vintageEnabled = false;
    bool m_reelsAnimating = false;
    double m_reelRotation = 0.0;
    QPointer<QObject> m_transportTarget;
};
