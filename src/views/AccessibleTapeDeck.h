#pragma once

#include <QAccessibleWidget>
#include <QList>

class TapeDeckBackgroundView;

// The tape deck's face as assistive technology sees it: besides the views laid over it, each key
// painted on the panel is a push button of its own, with its name, its place and a press that
// works the key, for as long as the vintage design is shown.
class AccessibleTapeDeck final : public QAccessibleWidget
{
public:
    explicit AccessibleTapeDeck(TapeDeckBackgroundView* view);
    ~AccessibleTapeDeck() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    class Key;

    TapeDeckBackgroundView* deck() const;
    int keyCount() const;

    // Registered with the accessibility cache, which hands out their ids.
    QList<QAccessible::Id> m_keys;
};
