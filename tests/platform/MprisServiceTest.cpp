#include "platform/MprisService.h"

#include "support/AppHarness.h"
#include "support/FixtureFiles.h"
#include "support/MprisListener.h"
#include "support/PrivateSessionBus.h"

#include "platform/Mp3AudioPlayer.h"
#include "views/MiniScrubberView.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// The program on real players with silent audio, registered on a bus of its own, and a
// client on that bus.
class Mpris : public ::testing::Test
{
protected:
    Mpris() { service.registerOn(bus.connect(QStringLiteral("player"))); }

    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service.serviceName(), MprisService::objectPath, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui);
    }
    QVariant property(const QString& name)
    {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {playerInterface, name});
        return plainValue(reply.arguments().value(0).value<QDBusVariant>().variant());
    }
    void load(const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        delegate.openPlaylist(urls, 0, false);
    }
    PlayerWindowController& controller() { return *delegate.playerWindow(); }

    PrivateSessionBus bus;
    FixtureFiles files;
    RecordingAlertPresenter alerts;
    ScriptedOpenPanel panel;
    AppDelegate delegate{Mp3AudioPlayer::factory(), alerts, panel, [] {}};
    MprisService service{delegate};
    QDBusConnection client = bus.connect(QStringLiteral("client"));
    MprisListener listener{client};
    const QString fiveSeconds =
        files.writeMp3(QStringLiteral("five.mp3"), sineWave(440, 0.5, 44100, 2, 5 * 44100));
};

} // namespace

TEST_F(Mpris, RegistersBothInterfacesUnderItsNameOrAnInstanceNameOnlyOnABus)
{
    EXPECT_EQ(service.serviceName(), "org.mpris.MediaPlayer2.kassolin");
    const QString xml =
        call(QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"))
            .arguments()
            .value(0)
            .toString();
    for (const char* interface : {"org.mpris.MediaPlayer2\"", "org.mpris.MediaPlayer2.Player\""})
        EXPECT_TRUE(xml.contains(QStringLiteral("<interface name=\"") + interface)) << interface;

    MprisService second(delegate);
    EXPECT_TRUE(second.registerOn(bus.connect(QStringLiteral("second"))));
    EXPECT_EQ(second.serviceName(), QStringLiteral("org.mpris.MediaPlayer2.kassolin.instance%1")
                                        .arg(QCoreApplication::applicationPid()));
    MprisService busless(delegate);
    EXPECT_FALSE(busless.registerOn(QDBusConnection(QStringLiteral("no bus"))));
}

TEST_F(Mpris, PlayPauseStartsAndPausesTheTrackAndAnnouncesTheStatus)
{
    load({fiveSeconds});
    const auto position = [&] { return property(QStringLiteral("Position")).toLongLong(); };
    for (const char* status : {"Playing", "Paused"}) {
        call(playerInterface, QStringLiteral("PlayPause"));
        EXPECT_TRUE(listener.announces(QStringLiteral("PlaybackStatus"), status)) << status;
        EXPECT_EQ(property(QStringLiteral("PlaybackStatus")), status);
        EXPECT_TRUE(QTest::qWaitFor([&] { return position() > 0; }, 30000)) << status;
    }
    EXPECT_TRUE(controller().isPaused());
    EXPECT_FALSE(controller().player()->isPlaying());
}

TEST_F(Mpris, NextAnnouncesTheNextTracksMetadataWithArtistAlbumAndCover)
{
    struct Track
    {
        std::string title, artist, album;
        std::vector<unsigned char> cover;
        QString path;
    };
    std::vector<Track> tracks{{"Eins", "Erste Band", "Anfang", pngImage(qRgb(200, 0, 0)), {}},
                              {"Zwei", "Zweite Band", "Ende", pngImage(qRgb(0, 0, 200)), {}}};
    for (Track& track : tracks) {
        track.path =
            files.writeMp3(QString::fromStdString(track.title) + ".mp3", silence(44100, 2, 44100),
                           {.artist = track.artist,
                            .album = track.album,
                            .frontCover = track.cover,
                            .id3v2Title = track.title,
                            .id3v1Title = {}});
    }
    load({tracks[0].path, tracks[1].path});
    QStringList trackIds;
    for (const Track& track : tracks) {
        if (&track != &tracks[0])
            call(playerInterface, QStringLiteral("Next"));
        const QVariantMap metadata =
            listener
                .announcement(QStringLiteral("Metadata"),
                              [&](const QVariant& value) {
                                  return value.toMap().value("xesam:artist") ==
                                         QStringList{QString::fromStdString(track.artist)};
                              })
                .toMap();
        EXPECT_EQ(metadata.value("xesam:title"), QString::fromStdString(track.title));
        EXPECT_EQ(metadata.value("xesam:album"), QString::fromStdString(track.album));
        EXPECT_EQ(metadata.value("xesam:url"), QUrl::fromLocalFile(track.path).toString());
        EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 1000000, 30000);
        QFile cover(QUrl(metadata.value("mpris:artUrl").toString()).toLocalFile());
        ASSERT_TRUE(cover.open(QIODevice::ReadOnly)) << track.title;
        const QByteArray image = cover.readAll();
        EXPECT_EQ(std::vector<unsigned char>(image.begin(), image.end()), track.cover);
        trackIds << metadata.value("mpris:trackid").value<QDBusObjectPath>().path();
    }
    EXPECT_NE(trackIds[0], trackIds[1]);
    EXPECT_TRUE(listener.announces(QStringLiteral("CanGoNext"), false));
}

TEST_F(Mpris, EveryJumpIsAnnouncedWithItsNewPositionAndAStaleTrackIsNotMoved)
{
    load({fiveSeconds});
    const QVariant current = property(QStringLiteral("Metadata")).toMap().value("mpris:trackid");
    const QVariant stale = QVariant::fromValue(QDBusObjectPath("/org/kassolin/track/0"));
    const auto setPosition = [&](const QVariant& track, qlonglong position) {
        call(playerInterface, QStringLiteral("SetPosition"), {track, position});
    };
    const auto seek = [&](qlonglong offset) {
        call(playerInterface, QStringLiteral("Seek"), {offset});
    };
    const auto scrub = [&](double fraction) {
        controller().scrubber()->setValue(fraction);
        controller().scrubberValueChanged(controller().scrubber());
    };
    // What is done, the positions announced for it.
    const std::vector<std::pair<std::function<void()>, std::vector<qlonglong>>> jumps{
        {[&] { setPosition(stale, 2000000), setPosition(current, 1000000); }, {1000000}},
        {[&] { seek(500000); }, {1500000}},
        {[&] { seek(-9000000); }, {0}},
        {[&] { scrub(0.8); }, {4000000}},
        {[&] { controller().previousButtonPressed(nullptr); }, {0}},
        {[&] {
             scrub(0.2), controller().setLoopStartAtCurrentTime();
             scrub(0.4), controller().setLoopEndAtCurrentTime();
             scrub(0.6); // past B: back to A at once
         },
         {1000000, 2000000, 3000000, 1000000}},
    };
    for (const auto& [jump, positions] : jumps) {
        listener.seeks.clear();
        jump();
        ASSERT_TRUE(listener.heardSeeks(positions.size()));
        EXPECT_EQ(listener.seeks, positions);
        EXPECT_EQ(property(QStringLiteral("Position")), positions.back());
    }
}

TEST_F(Mpris, ShuffleAndVolumeAreTheProgramsOwnSettingsBothWays)
{
    load({fiveSeconds});
    // The property, a value set in the program and one set over the bus, the program's value.
    const std::vector<std::tuple<QString, std::function<void(QVariant)>, QVariant, QVariant,
                                 std::function<QVariant()>>>
        settings{{QStringLiteral("Shuffle"),
                  [&](const QVariant& on) { controller().setShuffleEnabled(on.toBool()); }, true,
                  false, [&] { return QVariant(controller().isShuffleEnabled()); }},
                 {QStringLiteral("Volume"),
                  [&](const QVariant& volume) { controller().setVolume(volume.toFloat()); }, 0.5,
                  0.25, [&] { return QVariant(controller().player()->volume()); }}};
    for (const auto& [name, setInProgram, programValue, busValue, programsOwn] : settings) {
        setInProgram(programValue);
        EXPECT_TRUE(listener.announces(name, programValue)) << name.toStdString();
        call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {playerInterface, name, QVariant::fromValue(QDBusVariant(busValue))});
        EXPECT_EQ(programsOwn(), busValue) << name.toStdString();
        EXPECT_TRUE(listener.announces(name, busValue)) << name.toStdString();
    }
}
