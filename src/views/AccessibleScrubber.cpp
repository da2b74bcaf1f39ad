#include "views/AccessibleScrubber.h"

#include "views/MiniScrubberView.h"

AccessibleScrubber::AccessibleScrubber(MiniScrubberView* view)
    : QAccessibleWidget(view, QAccessible::Slider)
{}

void* AccessibleScrubber::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleScrubber::text(QAccessible::Text text) const
{
    if (text == QAccessible::Value)
        return scrubber()->valueText();
    return QAccessibleWidget::text(text);
}

QVariant AccessibleScrubber::currentValue() const
{
    return scrubber()->value();
}

// As a click there would: the target hears of it and moves the player.
void AccessibleScrubber::setCurrentValue(const QVariant& value)
{
    bool isNumber = false;
    const double position = value.toDouble(&isNumber);
    if (!isNumber)
        return;
    scrubber()->setValue(position);
    TargetAction::send(scrubber()->target(), scrubber()->action(), scrubber());
}

MiniScrubberView* AccessibleScrubber::scrubber() const
{
    return static_cast<MiniScrubberView*>(widget());
}
