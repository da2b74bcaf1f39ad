#pragma once

#include "views/TargetAction.h"
#include "views/TransportIconType.h"

#include <QPushButton>

// The one button class of the player window: a push button of 34 × 28 points that draws its
// own vector icon, in the standard look over the style's own bevel or, in the vintage look, as
// a dark key of the tape deck. A lit state marks the function in force. A click sends the
// action to the target.
class TransportButton : public QPushButton
{
    Q_OBJECT

public:
    TransportButton(TransportIconType iconType, QObject* target, const QByteArray& action,
                    QWidget* parent = nullptr);

    TransportIconType iconType() const { return m_iconType; }
    // Stored with the name assistive technology reads; the next redraw shows it.
    void setIconType(TransportIconType iconType);
    // The loop keys are lit while their point or the loop is set: toggles to a screen reader.
    bool isToggle() const;
    bool isTransportActive() const { return m_transportActive; }
    // Redraws.
    void setTransportActive(bool active);
    // Stored only: the design switch redraws the whole window once.
    void setVintageDesign(bool vintage) { m_vintageDesign = vintage; }

    QObject* target() const { return m_report.target(); }
    void setTarget(QObject* target) { m_report.setTarget(target); }
    const QByteArray& action() const { return m_report.action(); }
    void setAction(const QByteArray& action) { m_report.setAction(action); }

    // The icon colour of the current look and state; the lit state wins over the enabled one.
    QColor iconColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawVintageKey(QPainter& painter) const;
    void drawIcon(QPainter& painter) const;

    TransportIconType m_iconType;
    bool m_transportActive = false;
    bool m_vintageDesign = false;
    TargetAction m_report;
};
