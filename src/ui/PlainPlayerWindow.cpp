#include "ui/PlainPlayerWindow.h"

#include "platform/AlertPresenter.h"

#include <algorithm>
#include <cmath>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>

namespace {

QString minutesAndSeconds(double seconds)
{
    if (!(seconds > 0.0))
        seconds = 0.0;
    const auto whole = static_cast<long long>(std::min(std::floor(seconds), 1e12));
    return QStringLiteral("%1:%2")
        .arg(whole / 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

PlainPlayerWindow::PlainPlayerWindow(AlertPresenter& alerts, AudioPlayer::Factory playerFactory)
    : m_alerts(alerts), m_playerFactory(std::move(playerFactory))
{
    setWindowTitle(QStringLiteral("Kassolin"));
    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    m_elapsedLabel = new QLabel(content);
    m_remainingLabel = new QLabel(content);
    m_remainingLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_elapsedLabel);
    row->addWidget(m_remainingLabel);
    setCentralWidget(content);
    setFixedSize(340, 80);

    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &PlainPlayerWindow::updateTimeLabels);
    updateTimeLabels();
}

PlainPlayerWindow::~PlainPlayerWindow() = default;

void PlainPlayerWindow::playFile(const QString& path)
{
    m_timer.stop();
    m_player.reset();
    QString error;
    m_player = m_playerFactory(path, &error);
    if (!m_player) {
        updateTimeLabels();
        m_alerts.runModal({QStringLiteral("Die MP3-Datei konnte nicht geöffnet werden."),
                           QFileInfo(path).fileName()});
        return;
    }
    m_player->setDelegate(this);
    m_player->play();
    m_timer.start();
    updateTimeLabels();
}

void PlainPlayerWindow::audioPlayerDidFinishPlaying(AudioPlayer*, bool)
{
    m_timer.stop();
    m_player->setCurrentTime(0.0);
    updateTimeLabels();
}

void PlainPlayerWindow::updateTimeLabels()
{
    const double duration = m_player ? m_player->duration() : 0.0;
    const double elapsed = m_player ? m_player->currentTime() : 0.0;
    m_elapsedLabel->setText(minutesAndSeconds(elapsed));
    m_remainingLabel->setText(QLatin1Char('-') + minutesAndSeconds(duration - elapsed));
}
