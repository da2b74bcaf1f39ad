// Each test runs on a bus of its own (dbus-run-session), with real players and a second client.
#include "desktop/MprisService.h"

#include "audio/Mp3AudioPlayer.h"
#include "support/AppHarness.h"
#include "support/FixtureFiles.h"
#include "support/TrackLoading.h"

#include <cmath>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QVariant plain(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>())
        return value;
    return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
}

// What the client hears: each PropertiesChanged's changed properties, and each Seeked.
class Heard final : public QObject
{
    Q_OBJECT

public:
    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

public Q_SLOTS:
    void propertiesChanged(const QString&, const QVariantMap& changed, const QStringList&)
    {
        changes.push_back(changed);
    }
    void seeked(qlonglong position) { seeks.push_back(position); }
};

class MprisServiceTest : public ::testing::Test
{
protected:
    MprisServiceTest()
    {
        delegate.buildMenu(); // as the launch does
        service.registerOn(QDBusConnection::sessionBus());
        const QString path = MprisService::objectPath;
        client.connect({}, path, propertiesInterface, QStringLiteral("PropertiesChanged"), &heard,
                       SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        client.connect({}, path, playerInterface, QStringLiteral("Seeked"), &heard,
                       SLOT(seeked(qlonglong)));
    }

    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      const QString& interface = playerInterface)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service.serviceName(), MprisService::objectPath, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui);
    }
    QVariant property(const QString& name)
    {
        const QDBusMessage reply = call("Get", {playerInterface, name}, propertiesInterface);
        return plain(reply.arguments().value(0).value<QDBusVariant>().variant());
    }
    // Waits generously: a loaded machine may be slow, and a pass does not wait at all.
    static bool eventually(std::function<bool()> met) { return QTest::qWaitFor(met, 30000); }
    bool announced(const QString& name, const QVariant& value)
    {
        return eventually([&] {
            return std::ranges::any_of(heard.changes, [&](const QVariantMap& change) {
                return change.contains(name) && plain(change.value(name)) == value;
            });
        });
    }
    PlayerWindowController& controller() { return *delegate.playerWindow(); }

    FixtureFiles files;
    AppHarness app{{}, Mp3AudioPlayer::factory()};
    AppDelegate& delegate = app.delegate;
    MprisService service{*delegate.playerWindow(), delegate.desktopRequests()};
    QDBusConnection client =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    Heard heard;
    const QUrl fiveSeconds = QUrl::fromLocalFile(files.writeSine("five.mp3", 5.0));
};

TEST_F(MprisServiceTest, RegistersBothInterfacesUnderItsNameOrAnInstanceNameOnlyOnABus)
{
    EXPECT_EQ(service.serviceName(), "org.mpris.MediaPlayer2.kassolin");
    const QString xml =
        call("Introspect", {}, "org.freedesktop.DBus.Introspectable").arguments()[0].toString();
    for (const char* interface : {"org.mpris.MediaPlayer2\"", "org.mpris.MediaPlayer2.Player\""})
        EXPECT_TRUE(xml.contains(QStringLiteral("<interface name=\"") + interface)) << interface;

    MprisService second(*delegate.playerWindow(), delegate.desktopRequests());
    EXPECT_TRUE(second.registerOn(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"))));
    EXPECT_EQ(second.serviceName(), QStringLiteral("org.mpris.MediaPlayer2.kassolin.instance%1")
                                        .arg(QCoreApplication::applicationPid()));
    EXPECT_FALSE(MprisService(*delegate.playerWindow(), delegate.desktopRequests())
                     .registerOn(QDBusConnection(QStringLiteral("none"))));
}

TEST_F(MprisServiceTest, NextAnnouncesTheNextTracksMetadataWithArtistAlbumAndCover)
{
    // Title, artist, album, the cover's bytes (a PNG's signature is all the tag writer reads).
    const std::vector<std::array<std::string, 4>> tags{
        {"Eins", "Erste Band", "Anfang", "\x89PNG\r\n\x1a\nrot"},
        {"Zwei", "Zweite Band", "Ende", "\x89PNG\r\n\x1a\nblau"}};
    QList<QUrl> urls;
    for (const auto& [title, artist, album, cover] : tags) {
        Mp3Options tagged{.artist = artist, .album = album, .id3v2Title = title};
        tagged.frontCover = {cover.begin(), cover.end()};
        urls << QUrl::fromLocalFile(files.writeMp3(QString::fromStdString(title + ".mp3"),
                                                   silence(44100, 2, 44100), tagged));
    }
    ASSERT_TRUE(loadAndOpen(controller(), urls, 0, false));
    for (std::size_t track = 0; track < tags.size(); ++track) {
        heard.changes.clear(); // what was announced before proves nothing of this track
        if (track > 0)
            call("Next");
        const auto& [title, artist, album, cover] = tags[track];
        ASSERT_TRUE(eventually(
            [&] { return controller().trackTags().artist == QString::fromStdString(artist); }));
        const QVariantMap metadata = property("Metadata").toMap();
        EXPECT_TRUE(announced("Metadata", metadata)) << title;
        EXPECT_EQ(metadata["xesam:artist"], QStringList{QString::fromStdString(artist)});
        EXPECT_EQ(metadata["xesam:title"], QString::fromStdString(title));
        EXPECT_EQ(metadata["xesam:album"], QString::fromStdString(album));
        EXPECT_EQ(metadata["xesam:url"], urls[track].toString());
        EXPECT_NEAR(metadata["mpris:length"].toLongLong(), 1000000, 30000);
        QFile image(QUrl(metadata["mpris:artUrl"].toString()).toLocalFile());
        EXPECT_TRUE(image.open(QIODevice::ReadOnly) && image.readAll() == cover.c_str()) << title;
    }
    EXPECT_TRUE(announced("CanGoNext", false));
    heard.changes.clear();
    controller().appendToPlaylist({urls[0]});
    EXPECT_TRUE(announced("CanGoNext", true));
}

TEST_F(MprisServiceTest, EveryJumpIsAnnouncedWithItsNewPositionAndAStaleTrackIsNotMoved)
{
    ASSERT_TRUE(loadAndOpen(controller(), {fiveSeconds}, 0, false));
    const QVariant current = property("Metadata").toMap()["mpris:trackid"];
    const QVariant stale = QVariant::fromValue(QDBusObjectPath("/org/kassolin/track/0"));
    const auto scrub = [&](double seconds) { controller().seekToTime(seconds); };
    // What is done, and the positions announced for it, in microseconds.
    const std::vector<std::pair<std::function<void()>, std::vector<qlonglong>>> jumps{
        {[&] {
             call("SetPosition", {stale, 2000000LL}), call("SetPosition", {current, 9000000LL});
             call("SetPosition", {current, 1000000LL}); // past the end: not moved
         },
         {1000000}},
        {[&] { call("Seek", {500000LL}); }, {1500000}},
        {[&] { call("Seek", {-9000000LL}); }, {0}},
        {[&] { scrub(4.0); }, {4000000}},
        {[&] { controller().previousButtonPressed(nullptr); }, {0}},
        {[&] {
             scrub(1.0), controller().setLoopStartAtCurrentTime();
             scrub(2.0), controller().setLoopEndAtCurrentTime();
             scrub(3.0); // past B: back to A at once
         },
         {1000000, 2000000, 3000000, 1000000}}};
    for (const auto& [jump, positions] : jumps) {
        heard.seeks.clear();
        jump();
        ASSERT_TRUE(eventually([&] { return heard.seeks.size() >= positions.size(); }));
        EXPECT_EQ(heard.seeks, positions);
        EXPECT_EQ(property("Position"), positions.back());
    }
}

// Each call acts as its key or menu item does; a file of another host is not taken.
TEST_F(MprisServiceTest, StopPreviousOpenUriRaiseAndQuitActAsTheirKeysAndItems)
{
    const QString second = files.writeSine("second.mp3", 5.0);
    ASSERT_TRUE(loadAndOpen(controller(), {fiveSeconds, QUrl::fromLocalFile(second)}, 1, true));
    call("Previous");
    EXPECT_TRUE(eventually([&] { return controller().playlistIndex() == 0; }));
    call("Stop");
    EXPECT_TRUE(announced("PlaybackStatus", "Stopped"));
    const QStringList both = app.playlist();
    call("OpenUri", {"file://elsewhere" + second});
    QCoreApplication::processEvents(); // where the request would be taken
    EXPECT_EQ(app.playlist(), both);
    call("OpenUri", {QUrl::fromLocalFile(second).toString()});
    EXPECT_TRUE(eventually([&] { return app.playlist() == QStringList{second}; }));
    controller().window()->hide();
    call("Raise", {}, "org.mpris.MediaPlayer2");
    EXPECT_TRUE(eventually([&] { return controller().window()->isVisible(); }));
    call("Quit", {}, "org.mpris.MediaPlayer2");
    EXPECT_TRUE(eventually([&] { return app.terminations == 1; }));
}

TEST_F(MprisServiceTest, ShuffleIsTheMenusOwnAndVolumeTheSoundOutputsBothWays)
{
    const auto items = controller().window()->menuBar()->findChildren<QAction*>();
    const auto shuffleItem = std::ranges::find(items, QStringLiteral("Shuffle"), &QAction::text);
    ASSERT_NE(shuffleItem, items.end());
    ASSERT_TRUE(loadAndOpen(controller(), {fiveSeconds}, 0, false));
    (*shuffleItem)->trigger();
    EXPECT_TRUE(announced("Shuffle", true));
    for (const auto& [name, value] : {std::pair("Shuffle", QVariant(false)), {"Volume", 0.25}})
        call("Set", {playerInterface, name, QVariant::fromValue(QDBusVariant(value))},
             propertiesInterface);
    EXPECT_FALSE(controller().isShuffleEnabled() || (*shuffleItem)->isChecked());
    EXPECT_TRUE(app.storedPreferences().contains("ShuffleEnabled=false"));
    EXPECT_EQ(controller().player()->volume(), 0.25f);
    EXPECT_TRUE(announced("Shuffle", false) && announced("Volume", 0.25));
}

} // namespace

#include "MprisServiceTest.moc"
