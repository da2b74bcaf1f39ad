// The stored display preferences and the appearance: applied at launch, changed by the menu and
// written at once, with the menu's check marks and enabled states kept in step with the window.
//
// Defaults are never written: a key is stored only when the user changes its option.
#include "app/AppDelegate.h"

#include "player/PlayerWindowController.h"
#include "ui/AppearancePalettes.h"
#include "ui/StoredBoolean.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QSettings>

namespace {

const QString systemAppearance = QStringLiteral("system");
const QString lightAppearance = QStringLiteral("light");
const QString darkAppearance = QStringLiteral("dark");

} // namespace

// A display or the loop row: its key, its default, how the window shows it, and its menu item.
struct AppDelegate::DisplayPreference
{
    const char* key;
    bool defaultValue;
    bool (PlayerWindowController::*isVisible)() const;
    void (PlayerWindowController::*setVisible)(bool);
    QAction* AppDelegate::*menuItem;
};

const AppDelegate::DisplayPreference AppDelegate::displayPreferences[4] = {
    {"LEDVisible", true, &PlayerWindowController::isLEDVisible,
     &PlayerWindowController::setLEDVisible, &AppDelegate::m_ledMenuItem},
    {"WaveformVisible", true, &PlayerWindowController::isWaveformVisible,
     &PlayerWindowController::setWaveformVisible, &AppDelegate::m_waveformMenuItem},
    {"SpectrumVisible", true, &PlayerWindowController::isSpectrumVisible,
     &PlayerWindowController::setSpectrumVisible, &AppDelegate::m_spectrumMenuItem},
    {"LoopControlsVisible", false, &PlayerWindowController::areLoopControlsVisible,
     &PlayerWindowController::setLoopControlsVisible, &AppDelegate::m_loopControlsMenuItem}};

const AppDelegate::ReplayGainChoice AppDelegate::replayGainChoices[4] = {
    {ReplayGainMode::Off, "off", "Aus"},
    {ReplayGainMode::Track, "track", "Titel"},
    {ReplayGainMode::Album, "album", "Album"},
    {ReplayGainMode::Automatic, "auto", "Automatisch"}};

void AppDelegate::applyDisplayPreferences()
{
    const bool shuffle = boolPreferenceForKey(QStringLiteral("ShuffleEnabled"), false);
    const bool vintage = boolPreferenceForKey(QStringLiteral("VintageDesign"), false);
    const QString appearance = standardAppearancePreference();
    applyStandardAppearanceValue(appearance);
    // The window is still in the standard look, so the displays take their stored state; the
    // look is switched last.
    restoreStoredDisplays();
    m_playerWindow->setShuffleEnabled(shuffle);
    m_playerWindow->setVintageDesignEnabled(vintage);
    m_shuffleMenuItem->setChecked(shuffle);
    const ReplayGainMode replayGain = storedReplayGainMode();
    m_playerWindow->setReplayGainMode(replayGain);
    showReplayGainMode(replayGain);
    m_resumeMenuItem->setChecked(boolPreferenceForKey(QStringLiteral("ResumeOnLaunch"), true));
    m_vintageDesignMenuItem->setChecked(vintage);
    updateStandardAppearanceMenuForValue(appearance);
    updateViewMenuAvailabilityForVintageDesign(vintage);
}

void AppDelegate::restoreStoredDisplays()
{
    for (const DisplayPreference& display : displayPreferences) {
        const bool shown =
            boolPreferenceForKey(QString::fromLatin1(display.key), display.defaultValue);
        (m_playerWindow.get()->*display.setVisible)(shown);
        (this->*display.menuItem)->setChecked(shown);
    }
}

bool AppDelegate::boolPreferenceForKey(const QString& key, bool defaultValue) const
{
    return storedBoolean(m_preferences->value(key)).value_or(defaultValue);
}

QString AppDelegate::standardAppearancePreference() const
{
    const QString stored = m_preferences->value(QStringLiteral("StandardAppearance")).toString();
    return stored == lightAppearance || stored == darkAppearance ? stored : systemAppearance;
}

void AppDelegate::applyStandardAppearanceValue(const QString& value)
{
    m_appliedAppearance = value;
    const bool dark =
        value == darkAppearance || (value == systemAppearance && m_desktopPrefersDark);
    // An empty palette gives the platform's back, and lets it follow the platform's changes.
    QApplication::setPalette(value == lightAppearance ? lightAppearancePalette()
                             : dark                   ? darkAppearancePalette()
                                                      : QPalette());
    // The tape deck keeps the dark palette of its own; before the window exists there is none.
    if (m_playerWindow && !m_playerWindow->isVintageDesignEnabled())
        m_playerWindow->window()->setPalette(QPalette());
}

void AppDelegate::setStandardAppearanceValue(const QString& value)
{
    if (m_playerWindow->isVintageDesignEnabled())
        return;
    storePreference(QStringLiteral("StandardAppearance"), value);
    applyStandardAppearanceValue(value);
    updateStandardAppearanceMenuForValue(value);
}

void AppDelegate::updateStandardAppearanceMenuForValue(const QString& value)
{
    m_appearanceSystemMenuItem->setChecked(value == systemAppearance);
    m_appearanceLightMenuItem->setChecked(value == lightAppearance);
    m_appearanceDarkMenuItem->setChecked(value == darkAppearance);
}

void AppDelegate::updateViewMenuAvailabilityForVintageDesign(bool vintage)
{
    for (QAction* item : {m_ledMenuItem, m_waveformMenuItem, m_spectrumMenuItem,
                          m_loopControlsMenuItem, m_appearanceMenuItem, m_appearanceSystemMenuItem,
                          m_appearanceLightMenuItem, m_appearanceDarkMenuItem})
        item->setEnabled(!vintage);
    if (!vintage)
        return;
    // What the tape deck shows; the store keeps the standard look's choices.
    for (QAction* item : {m_ledMenuItem, m_waveformMenuItem, m_spectrumMenuItem})
        item->setChecked(true);
    m_loopControlsMenuItem->setChecked(false);
}

void AppDelegate::setDesktopPrefersDark(bool prefersDark)
{
    m_desktopPrefersDark = prefersDark;
    if (m_appliedAppearance == systemAppearance)
        applyStandardAppearanceValue(systemAppearance);
}

void AppDelegate::toggleDisplay(const DisplayPreference& display)
{
    if (m_playerWindow->isVintageDesignEnabled())
        return;
    // The window's state is the truth: the toggle inverts what it shows now.
    const bool shown = !(m_playerWindow.get()->*display.isVisible)();
    (m_playerWindow.get()->*display.setVisible)(shown);
    storePreference(QString::fromLatin1(display.key), shown);
    (this->*display.menuItem)->setChecked(shown);
}

void AppDelegate::toggleLEDLevelMeter(QObject*)
{
    toggleDisplay(displayPreferences[0]);
}

void AppDelegate::toggleWaveform(QObject*)
{
    toggleDisplay(displayPreferences[1]);
}

void AppDelegate::toggleSpectrum(QObject*)
{
    toggleDisplay(displayPreferences[2]);
}

void AppDelegate::toggleLoopControls(QObject*)
{
    toggleDisplay(displayPreferences[3]);
}

void AppDelegate::toggleShuffle(QObject*)
{
    setShuffleEnabled(!m_playerWindow->isShuffleEnabled());
}

void AppDelegate::setShuffleEnabled(bool enabled)
{
    m_playerWindow->setShuffleEnabled(enabled);
    storePreference(QStringLiteral("ShuffleEnabled"), enabled);
    // The desktop's media controls may ask before the launch has built the menu.
    if (m_shuffleMenuItem)
        m_shuffleMenuItem->setChecked(enabled);
}

// The mode stored, else the switch stored before there were modes: on was the track's gain.
ReplayGainMode AppDelegate::storedReplayGainMode() const
{
    const QString stored = m_preferences->value(QStringLiteral("ReplayGainMode")).toString();
    for (const ReplayGainChoice& choice : replayGainChoices) {
        if (stored == QLatin1String(choice.stored))
            return choice.mode;
    }
    return boolPreferenceForKey(QStringLiteral("ReplayGainEnabled"), false) ? ReplayGainMode::Track
                                                                            : ReplayGainMode::Off;
}

void AppDelegate::showReplayGainMode(ReplayGainMode mode)
{
    for (std::size_t choice = 0; choice < m_replayGainMenuItems.size(); ++choice)
        m_replayGainMenuItems[choice]->setChecked(replayGainChoices[choice].mode == mode);
}

void AppDelegate::selectReplayGainMode(QObject* sender)
{
    const auto item = std::ranges::find(m_replayGainMenuItems, sender);
    if (item == m_replayGainMenuItems.end())
        return;
    const ReplayGainChoice& chosen = replayGainChoices[item - m_replayGainMenuItems.begin()];
    m_playerWindow->setReplayGainMode(chosen.mode);
    storePreference(QStringLiteral("ReplayGainMode"), QString::fromLatin1(chosen.stored));
    showReplayGainMode(chosen.mode);
}

void AppDelegate::toggleStopAfterCurrentTrack(QObject*)
{
    m_playerWindow->setStopAfterCurrentTrack(!m_playerWindow->stopsAfterCurrentTrack());
}

void AppDelegate::increaseVolume(QObject*)
{
    m_playerWindow->stepVolume(1);
}

void AppDelegate::decreaseVolume(QObject*)
{
    m_playerWindow->stepVolume(-1);
}

void AppDelegate::toggleResumeOnLaunch(QObject*)
{
    // The store is the truth: the item has flipped its own mark already.
    const bool enabled = !boolPreferenceForKey(QStringLiteral("ResumeOnLaunch"), true);
    storePreference(QStringLiteral("ResumeOnLaunch"), enabled);
    m_resumeMenuItem->setChecked(enabled);
}

void AppDelegate::toggleVintageDesign(QObject*)
{
    const bool was = m_playerWindow->isVintageDesignEnabled();
    m_playerWindow->setVintageDesignEnabled(!was);
    storePreference(QStringLiteral("VintageDesign"), !was);
    m_vintageDesignMenuItem->setChecked(!was);
    if (was) {
        // The standard look comes back with the stored appearance and exactly the stored rows.
        applyStandardAppearanceValue(standardAppearancePreference());
        restoreStoredDisplays();
    }
    updateViewMenuAvailabilityForVintageDesign(!was);
}

void AppDelegate::selectStandardAppearanceSystem(QObject*)
{
    setStandardAppearanceValue(systemAppearance);
}

void AppDelegate::selectStandardAppearanceLight(QObject*)
{
    setStandardAppearanceValue(lightAppearance);
}

void AppDelegate::selectStandardAppearanceDark(QObject*)
{
    setStandardAppearanceValue(darkAppearance);
}

void AppDelegate::setLoopStart(QObject*)
{
    m_playerWindow->setLoopStartAtCurrentTime();
}

void AppDelegate::setLoopEnd(QObject*)
{
    m_playerWindow->setLoopEndAtCurrentTime();
}

void AppDelegate::clearLoop(QObject*)
{
    m_playerWindow->clearLoopPoints();
}

void AppDelegate::storePreference(const QString& key, const QVariant& value)
{
    // Written through at once: quitting right after keeps the choice.
    m_preferences->setValue(key, value);
    m_preferences->sync();
}
