#pragma once

#include <functional>
#include <vector>

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

// What a client of the player's MPRIS object hears: each PropertiesChanged's changed
// properties (Metadata as a map) and each Seeked's position.
class MprisListener final : public QObject
{
    Q_OBJECT

public:
    explicit MprisListener(QDBusConnection client);

    // Waits for an announcement of `property` with a value that `matches`, and gives it;
    // invalid when none comes.
    QVariant announcement(const QString& property,
                          const std::function<bool(const QVariant&)>& matches);
    bool announces(const QString& property, const QVariant& value);
    // Waits until `count` positions were announced.
    bool heardSeeks(std::size_t count);

    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);
    void seeked(qlonglong position);
};

// A value read from the bus, with a map or a list inside a variant made plain.
QVariant plainValue(const QVariant& value);
