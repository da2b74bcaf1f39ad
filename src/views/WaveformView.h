#pragma once

#include "views/WaveformLineCache.h"

#include <cstdint>
#include <vector>

#include <QColor>
#include <QWidget>

class DisplayInterior;

// The scrolling waveform: the second of audio around the play position as vertical peak lines,
// left channel above right, under a playhead that stays in the middle while the track plays.
// It holds no audio; the owner hands it the track's peaks, duration and position.
class WaveformView : public QWidget
{
    Q_OBJECT

public:
    explicit WaveformView(QWidget* parent = nullptr);

    // The same list for both channels, as a mono analysis gives it. Redraws.
    void setPeaks(std::vector<float> peaks);
    // One channel each; the other channel stays as it is. Redraw.
    void setLeftPeaks(std::vector<float> peaks);
    void setRightPeaks(std::vector<float> peaks);
    const std::vector<float>& leftPeaks() const { return m_leftPeaks; }
    const std::vector<float>& rightPeaks() const { return m_rightPeaks; }

    // Seconds; stored as given, shown at the next redraw, which the caller requests.
    void setDuration(double duration) { m_duration = duration; }
    double duration() const { return m_duration; }
    // Seconds; never stored below 0 (not a number counts as 0). Redraws when the lines scroll by
    // a column or the playhead moves.
    void setCurrentTime(double time);
    double currentTime() const { return m_currentTime; }

    QColor displayBackgroundColor() const { return m_displayBackgroundColor; }
    // Shows at the next redraw; the caller requests it.
    void setDisplayBackgroundColor(const QColor& color);

    // No width of its own: the layout decides it.
    QSize sizeHint() const override { return {-1, 84}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The band between the rounded corners, drawn alone as the frame would draw it.
    void paintBand(QPainter& painter, const QRegion& area);
    void drawLinesAndPlayhead(QPainter& painter, const QRegion& area);
    void scrollLines(std::int64_t shift, const QRectF& playhead);
    QRectF playheadRect(const WaveformWindow& window) const;

    std::vector<float> m_leftPeaks;
    std::vector<float> m_rightPeaks;
    double m_duration = 0.0;
    double m_currentTime = 0.0;
    QColor m_displayBackgroundColor = QColor::fromRgbF(0.08f, 0.08f, 0.08f);
    WaveformLineCache m_lines;
    // The band the scrolling lines take, repainted on its own while the playhead stands still.
    DisplayInterior* m_interior = nullptr;
};
