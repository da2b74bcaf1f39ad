#include "support/SoundTest.h"

#include "support/TrackLoading.h"

#include <algorithm>

AudioPlayer::Factory SoundTest::players()
{
    return {[this, opened = Mp3AudioPlayer::factory(output)](const QString& path, QString* error) {
        beforeOpening(path);
        return opened.open(path, error);
    }};
}

QUrl SoundTest::mp3(const char* name, const Pcm& pcm, const Mp3Options& options)
{
    return QUrl::fromLocalFile(files.writeMp3(QString::fromUtf8(name), pcm, options));
}

void SoundTest::playThrough(const QList<QUrl>& tracks, const MonitorRecorder* monitor,
                            const std::function<void()>& whilePlaying)
{
    ASSERT_TRUE(loadAndOpen(controller, tracks, 0, true));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            whilePlaying();
            return controller.playlistIndex() == controller.playlist().size() - 1 &&
                   !controller.isTimerRunning();
        },
        15000));
    if (!monitor)
        return;
    ASSERT_TRUE(QTest::qWaitFor([&] { return monitor->isSilentFor(10); }, 5000));
}
