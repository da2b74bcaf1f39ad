#include "support/FakeAudioPlayer.h"

#include <QFileInfo>

AudioPlayer::Factory FakePlayerFactory::factory()
{
    return [this](const QString& path, QString* error) -> std::unique_ptr<AudioPlayer> {
        attempts << QFileInfo(path).fileName();
        if (QFileInfo(path).fileName().startsWith(QLatin1String("broken"))) {
            if (error)
                *error = QStringLiteral("kaputt");
            m_last = nullptr;
            return nullptr;
        }
        auto player = std::make_unique<FakeAudioPlayer>(path, duration);
        m_last = player.get();
        return player;
    };
}
