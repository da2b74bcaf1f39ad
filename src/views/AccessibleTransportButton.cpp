#include "views/AccessibleTransportButton.h"

#include "views/TransportButton.h"

AccessibleTransportButton::AccessibleTransportButton(TransportButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{}

QAccessible::State AccessibleTransportButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = button()->isToggle();
    state.checked = state.checkable && button()->isTransportActive();
    return state;
}

QStringList AccessibleTransportButton::actionNames() const
{
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void AccessibleTransportButton::doAction(const QString& name)
{
    if (name == pressAction())
        button()->click();
    else
        QAccessibleWidget::doAction(name);
}

TransportButton* AccessibleTransportButton::button() const
{
    return static_cast<TransportButton*>(widget());
}
