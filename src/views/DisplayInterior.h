#pragma once

#include <functional>

#include <QWidget>

class QPainter;

// The band of a rounded display that lies clear of its rounded corners: a child widget over it,
// marked opaque, so that what changes there 60 times a second repaints neither the display's
// frame nor whatever lies behind the display. It paints by asking the display to draw that
// band in the display's own coordinates; the display draws it too when it paints itself whole
// (into an image, say), so the pixels are the same either way.
//
// It stands aside (hidden) while the display's background is translucent: its pixels would not
// be opaque then.
class DisplayInterior final : public QWidget
{
public:
    // Draws the band into a painter set up in the display's coordinates and clipped to `area`.
    using Paint = std::function<void(QPainter& painter, const QRegion& area)>;

    // Covers the full width of `display` between `inset` points from its top and from its
    // bottom, following its size.
    DisplayInterior(QWidget* display, int inset, Paint paint);

    // The band in the display's coordinates.
    QRect band() const { return geometry(); }
    void setBackgroundOpaque(bool opaque) { setHidden(!opaque); }
    // Redraws `area`, in the display's coordinates: the part in the band through the band and
    // the rest through the display. Qt does not repaint an opaque child with its parent, so
    // every redraw of the display goes through here.
    void updateArea(const QRegion& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitDisplay();

    int m_inset;
    Paint m_paint;
};
