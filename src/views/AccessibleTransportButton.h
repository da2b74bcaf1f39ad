#pragma once

#include <QAccessibleWidget>

class TransportButton;

// A transport key as assistive technology sees it: a push button whose press clicks it. The loop
// keys are toggles, checked while they are lit; a click only sends their action, so the button
// itself is never checkable.
class AccessibleTransportButton final : public QAccessibleWidget
{
public:
    explicit AccessibleTransportButton(TransportButton* button);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& name) override;

private:
    TransportButton* button() const;
};
