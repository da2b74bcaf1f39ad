#include "support/MprisListener.h"

#include <tuple>

#include <QDBusArgument>
#include <QTest>

namespace {

constexpr int patienceMilliseconds = 30000;

} // namespace

QVariant plainValue(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>())
        return value;
    return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
}

MprisListener::MprisListener(QDBusConnection client)
{
    const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
    client.connect({}, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                   QStringLiteral("PropertiesChanged"), this,
                   SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    client.connect({}, path, QStringLiteral("org.mpris.MediaPlayer2.Player"),
                   QStringLiteral("Seeked"), this, SLOT(seeked(qlonglong)));
}

QVariant MprisListener::announcement(const QString& property,
                                     const std::function<bool(const QVariant&)>& matches)
{
    QVariant found;
    std::ignore = QTest::qWaitFor(
        [&] {
            for (const QVariantMap& change : changes) {
                if (change.contains(property) && matches(change.value(property)))
                    found = change.value(property);
            }
            return found.isValid();
        },
        patienceMilliseconds);
    return found;
}

bool MprisListener::announces(const QString& property, const QVariant& value)
{
    return announcement(property, [&](const QVariant& heard) { return heard == value; }).isValid();
}

bool MprisListener::heardSeeks(std::size_t count)
{
    return QTest::qWaitFor([&] { return seeks.size() >= count; }, patienceMilliseconds);
}

void MprisListener::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                      const QStringList&)
{
    if (interface != QLatin1String("org.mpris.MediaPlayer2.Player"))
        return;
    QVariantMap plain;
    for (auto property = changed.cbegin(); property != changed.cend(); ++property)
        plain.insert(property.key(), plainValue(property.value()));
    changes.push_back(plain);
}

void MprisListener::seeked(qlonglong position)
{
    seeks.push_back(position);
}
