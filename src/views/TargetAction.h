#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

// How a control reports to its owner: a weak receiver and the name of one of its slots that
// takes the sender, `action(QObject*)`. Nothing is sent when the receiver is gone or has no
// such slot, so a control can be wired before or after its owner exists.
class TargetAction
{
public:
    QObject* target() const { return m_target; }
    void setTarget(QObject* target) { m_target = target; }
    const QByteArray& action() const { return m_action; }
    void setAction(const QByteArray& action) { m_action = action; }

    // Returns whether the action was delivered.
    bool send(QObject* sender) const { return send(m_target, m_action, sender); }
    static bool send(QObject* target, const QByteArray& action, QObject* sender);

private:
    QPointer<QObject> m_target;
    QByteArray m_action;
};
