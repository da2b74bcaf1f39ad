#pragma once

#include "views/TargetAction.h"

#include <QWidget>

// The slim position bar: a dark track, a blue fill up to the value and a light knob at its end.
// A click or a drag moves the value and reports every event to the target through the action.
class MiniScrubberView : public QWidget
{
    Q_OBJECT

public:
    explicit MiniScrubberView(QWidget* parent = nullptr);

    double value() const { return m_value; }
    // Limited to 0…1 (not a number counts as 0). Redraws when the knob moves a pixel; sends
    // nothing.
    void setValue(double value);

    // The position in words, for assistive technology; stored only.
    const QString& valueText() const { return m_valueText; }
    void setValueText(const QString& text) { m_valueText = text; }

    QObject* target() const { return m_report.target(); }
    void setTarget(QObject* target) { m_report.setTarget(target); }
    const QByteArray& action() const { return m_report.action(); }
    // The name of a slot of the target taking the sender, e.g. "scrubberValueChanged".
    void setAction(const QByteArray& action) { m_report.setAction(action); }

    // No width of its own: the layout decides it.
    QSize sizeHint() const override { return {-1, 10}; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateValueWithEvent(QMouseEvent* event);
    double shownValue(double value) const;

    double m_value = 0.0;
    QString m_valueText;
    // Asking for the ratio looks up the screen, too slow for every tick.
    qreal m_paintedRatio = 1.0;
    TargetAction m_report;
};
