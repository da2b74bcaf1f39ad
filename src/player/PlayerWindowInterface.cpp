// The player window's construction in the standard look: one column of rows.
#include "player/PlayerWindowController.h"

#include "views/ElidedLabel.h"
#include "views/LEDMeterView.h"
#include "views/MiniScrubberView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TransportButton.h"
#include "views/WaveformView.h"

#include <initializer_list>

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr int columnMargin = 16;
constexpr int columnBottomMargin = 14;
constexpr int rowSpacing = 12;
constexpr int itemSpacing = 8;

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

TimeLabel* timeLabel(const QString& text, Qt::Alignment alignment)
{
    auto* label = new TimeLabel;
    // The font's digits are of equal width, so the label keeps its width as the time runs.
    label->setFont(systemFont(12, QFont::Normal));
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    label->setTime(text);
    return label;
}

QWidget* row(std::initializer_list<QWidget*> items)
{
    auto* container = new QWidget;
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(itemSpacing);
    for (QWidget* item : items)
        layout->addWidget(item, 0, Qt::AlignVCenter);
    return container;
}

} // namespace

void PlayerWindowController::describeDisplays()
{
    m_waveformView->setAccessibleName(QStringLiteral("Waveform-Anzeige"));
    m_waveformView->setAccessibleDescription(
        QStringLiteral("Die Wellenform der Sekunde um die Wiedergabeposition"));
    m_meterView->setAccessibleName(QStringLiteral("LED-Pegelanzeige"));
    m_meterView->setAccessibleDescription(
        QStringLiteral("Der Pegel der Bässe, links und rechts, in LEDs"));
    m_spectrumView->setAccessibleName(QStringLiteral("Spektrumanalyzer"));
    m_spectrumView->setAccessibleDescription(
        QStringLiteral("Die Pegel von 16 Frequenzbändern mit ihren Spitzen"));
    for (QWidget* display :
         {static_cast<QWidget*>(m_waveformView), static_cast<QWidget*>(m_meterView),
          static_cast<QWidget*>(m_spectrumView)})
        display->installEventFilter(this);
}

bool PlayerWindowController::wheelVolume(const QWheelEvent& wheel)
{
    m_wheelAngle += wheel.angleDelta().y();
    const int steps = m_wheelAngle / 120; // a notch of a common wheel
    m_wheelAngle %= 120;
    if (steps != 0)
        stepVolume(steps);
    return true;
}

// Anywhere in the window, in both designs; a text field that has the focus keeps these keys.
void PlayerWindowController::addPlaybackKeys()
{
    const auto key = [this](Qt::Key key, auto act) {
        connect(new QShortcut(key, m_window.get()), &QShortcut::activated, this, act);
    };
    key(Qt::Key_Space, [this] { togglePlayPause(); });
    key(Qt::Key_Left, [this] { seekBy(-keySeekSeconds); });
    key(Qt::Key_Right, [this] { seekBy(keySeekSeconds); });
}

void PlayerWindowController::seekBy(double seconds)
{
    if (m_player)
        seekToTime(m_player->currentTime() + seconds);
}

QWidget* PlayerWindowController::contentView() const
{
    return m_window->centralWidget();
}

void PlayerWindowController::buildInterface()
{
    m_backgroundView = qobject_cast<TapeDeckBackgroundView*>(contentView());
    if (m_backgroundView)
        m_backgroundView->setTransportTarget(this);

    m_titleLabel = new ElidedLabel;
    m_titleLabel->setFont(systemFont(13, QFont::DemiBold));
    m_elapsedLabel = timeLabel(QStringLiteral("00:00"), Qt::AlignLeft);
    m_elapsedLabel->setAccessibleDescription(QStringLiteral("Verstrichene Zeit"));
    m_remainingLabel = timeLabel(QStringLiteral("-00:00"), Qt::AlignRight);
    m_remainingLabel->setAccessibleDescription(QStringLiteral("Verbleibende Zeit"));

    m_scrubber = new MiniScrubberView;
    m_scrubber->setTarget(this);
    m_scrubber->setAction("scrubberValueChanged");
    m_scrubber->setFixedHeight(10);
    m_scrubber->setAccessibleName(QStringLiteral("Position"));

    m_waveformView = new WaveformView;
    m_waveformView->setFixedHeight(84);
    m_meterView = new LEDMeterView;
    m_meterView->setFixedHeight(28);
    m_spectrumView = new SpectrumAnalyzerView;
    m_spectrumView->setFixedHeight(84);
    describeDisplays();
    addPlaybackKeys();
    m_volumeAnnouncement = new QLabel(m_window.get());
    m_volumeAnnouncement->setFixedSize(0, 0);

    const auto button = [this](TransportIconType type, const char* action) {
        return new TransportButton(type, this, action);
    };
    m_previousButton = button(TransportIconType::Previous, "previousButtonPressed");
    m_stopButton = button(TransportIconType::Stop, "stopButtonPressed");
    m_playButton = button(TransportIconType::Play, "playButtonPressed");
    m_pauseButton = button(TransportIconType::Pause, "pauseButtonPressed");
    m_nextButton = button(TransportIconType::Next, "nextButtonPressed");
    m_playlistButton = button(TransportIconType::Playlist, "playlistButtonPressed");
    m_ejectButton = button(TransportIconType::Eject, "ejectButtonPressed");
    m_loopAButton = button(TransportIconType::LoopA, "loopAButtonPressed");
    m_loopBButton = button(TransportIconType::LoopB, "loopBButtonPressed");
    m_loopClearButton = button(TransportIconType::LoopClear, "loopClearButtonPressed");

    m_timeRow = row({m_elapsedLabel, m_scrubber, m_remainingLabel});
    static_cast<QHBoxLayout*>(m_timeRow->layout())->setStretchFactor(m_scrubber, 1);
    m_buttonRow = row({m_previousButton, m_stopButton, m_playButton, m_pauseButton, m_nextButton,
                       m_playlistButton, m_ejectButton});
    m_loopControlsRow = row({m_loopAButton, m_loopBButton, m_loopClearButton});

    m_rootColumn = new QWidget;
    m_rootStack = new QVBoxLayout(m_rootColumn);
    m_rootStack->setContentsMargins(0, 0, 0, 0);
    m_rootStack->setSpacing(rowSpacing);
    m_rootStack->addWidget(m_titleLabel, 0, Qt::AlignLeft);
    m_rootStack->addWidget(m_timeRow);
    m_rootStack->addWidget(m_waveformView);
    m_rootStack->addWidget(m_meterView);
    m_rootStack->addWidget(m_spectrumView);
    m_rootStack->addWidget(m_buttonRow, 0, Qt::AlignLeft);
    m_rootStack->addWidget(m_loopControlsRow, 0, Qt::AlignLeft);

    // The column hangs from the top; below it at least the bottom margin stays free.
    auto* content = new QVBoxLayout(contentView());
    content->setContentsMargins(columnMargin, columnMargin, columnMargin, columnBottomMargin);
    content->addWidget(m_rootColumn);
    content->addStretch(1);
}
