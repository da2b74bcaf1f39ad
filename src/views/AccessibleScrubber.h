#pragma once

#include <QAccessibleWidget>

class MiniScrubberView;

// The position bar as assistive technology sees it: a slider from 0 to 1 whose value is the
// position, read out as the time the view was given, and which a screen reader may move.
class AccessibleScrubber final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleScrubber(MiniScrubberView* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text text) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.01; }

private:
    MiniScrubberView* scrubber() const;
};
