#include "views/TargetAction.h"

#include <QMetaObject>

bool TargetAction::send(QObject* target, const QByteArray& action, QObject* sender)
{
    if (!target || action.isEmpty())
        return false;
    const QByteArray signature = QMetaObject::normalizedSignature(action + "(QObject*)");
    if (target->metaObject()->indexOfMethod(signature.constData()) < 0)
        return false;
    return QMetaObject::invokeMethod(target, action.constData(), Qt::DirectConnection,
                                     Q_ARG(QObject*, sender));
}
