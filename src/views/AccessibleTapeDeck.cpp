#include "views/AccessibleTapeDeck.h"

#include "views/TapeDeckBackgroundView.h"
#include "views/TapeDeckGeometry.h"
#include "views/TargetAction.h"

#include <QPointer>
#include <QWindow>

class AccessibleTapeDeck::Key final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    Key(TapeDeckBackgroundView* deck, const TapeDeckKey& key) : m_deck(deck), m_key(key) {}

    bool isValid() const override { return m_deck; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_deck->window()->windowHandle(); }
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_deck);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text text) const override
    {
        return text == QAccessible::Name ? QString::fromUtf8(m_key.name) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect local = tapeDeckKeyRect(m_deck->size(), m_key).toAlignedRect();
        return local.translated(m_deck->mapToGlobal(QPoint()));
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_deck->isVintageEnabled() || !m_deck->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && m_deck->isVintageEnabled())
            TargetAction::send(m_deck->transportTarget(), m_key.action, m_deck);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TapeDeckBackgroundView> m_deck;
    const TapeDeckKey& m_key;
};

AccessibleTapeDeck::AccessibleTapeDeck(TapeDeckBackgroundView* view)
    : QAccessibleWidget(view, QAccessible::Client)
{
    for (const TapeDeckKey& key : tapeDeckKeys())
        m_keys << QAccessible::registerAccessibleInterface(new Key(view, key));
}

AccessibleTapeDeck::~AccessibleTapeDeck()
{
    for (const QAccessible::Id key : m_keys)
        QAccessible::deleteAccessibleInterface(key);
}

// The keys follow the views laid over the panel.
int AccessibleTapeDeck::childCount() const
{
    return QAccessibleWidget::childCount() + keyCount();
}

QAccessibleInterface* AccessibleTapeDeck::child(int index) const
{
    const int views = QAccessibleWidget::childCount();
    if (index < views)
        return QAccessibleWidget::child(index);
    return index - views < keyCount() ? QAccessible::accessibleInterface(m_keys[index - views])
                                      : nullptr;
}

int AccessibleTapeDeck::indexOfChild(const QAccessibleInterface* child) const
{
    const int key = m_keys.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child)));
    if (key >= 0 && key < keyCount())
        return QAccessibleWidget::childCount() + key;
    return QAccessibleWidget::indexOfChild(child);
}

QAccessibleInterface* AccessibleTapeDeck::childAt(int x, int y) const
{
    for (int key = 0; key < keyCount(); ++key) {
        QAccessibleInterface* found = QAccessible::accessibleInterface(m_keys[key]);
        if (found->rect().contains(x, y))
            return found;
    }
    return QAccessibleWidget::childAt(x, y);
}

TapeDeckBackgroundView* AccessibleTapeDeck::deck() const
{
    return static_cast<TapeDeckBackgroundView*>(widget());
}

// Only the tape deck has keys on its face.
int AccessibleTapeDeck::keyCount() const
{
    return deck()->isVintageEnabled() ? static_cast<int>(m_keys.size()) : 0;
}
