#pragma once

#include <optional>

#include <QDBusConnection>

// The desktop's side of the test's session bus: a connection of its own that serves `object` at
// `path` under the name `service`, as a desktop's process would. Nothing when the bus refuses
// either.
inline std::optional<QDBusConnection> serveAsDesktop(QObject& object, const QString& path,
                                                     const QString& service)
{
    QDBusConnection desktop =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));
    if (!desktop.registerObject(path, &object, QDBusConnection::ExportAllContents) ||
        !desktop.registerService(service))
        return std::nullopt;
    return desktop;
}
