// Showing and hiding the displays and the loop row, with the window fitted to what is left.
#include "player/PlayerWindowController.h"

#include "analysis/SpectrumFrames.h"
#include "player/WindowPlacement.h"
#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/WaveformView.h"

#include <cmath>

#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The column's top and bottom margins in the content view.
constexpr int columnVerticalMargins = 16 + 14;

} // namespace

bool PlayerWindowController::setDisplayVisible(QWidget* display, bool visible)
{
    // The vintage design places every display on its panel: none may be hidden there.
    if (!visible && isVintageDesignEnabled())
        return false;
    display->setHidden(!visible);
    return true;
}

bool PlayerWindowController::isLEDVisible() const
{
    return !m_meterView->isHidden();
}

void PlayerWindowController::setLEDVisible(bool visible)
{
    if (!setDisplayVisible(m_meterView, visible))
        return;
    if (!visible)
        m_meterView->setLeftDB(silenceDecibels, silenceDecibels);
    resizeWindowToFitContentAnimated(true);
}

bool PlayerWindowController::isWaveformVisible() const
{
    return !m_waveformView->isHidden();
}

void PlayerWindowController::setWaveformVisible(bool visible)
{
    if (!setDisplayVisible(m_waveformView, visible))
        return;
    resizeWindowToFitContentAnimated(true);
}

bool PlayerWindowController::isSpectrumVisible() const
{
    return !m_spectrumView->isHidden();
}

void PlayerWindowController::setSpectrumVisible(bool visible)
{
    if (!setDisplayVisible(m_spectrumView, visible))
        return;
    if (!visible)
        m_spectrumView->setSpectrumLevels(emptySpectrumLevels());
    resizeWindowToFitContentAnimated(true);
}

bool PlayerWindowController::areLoopControlsVisible() const
{
    return !m_loopControlsRow->isHidden();
}

void PlayerWindowController::setLoopControlsVisible(bool visible)
{
    m_loopControlsRow->setHidden(!visible);
    resizeWindowToFitContentAnimated(true);
}

void PlayerWindowController::resizeWindowToFitContentAnimated(bool animate)
{
    if (!m_window || !m_rootStack || isVintageDesignEnabled())
        return;
    m_rootStack->activate();
    const double height = std::ceil(m_rootStack->sizeHint().height() + columnVerticalMargins);
    setWindowContentSize(QSizeF(contentView()->width(), height), animate);
}

int PlayerWindowController::menuBarHeight(int width)
{
    QMenuBar* menuBar = m_window->menuWidget() ? m_window->menuBar() : nullptr;
    if (!menuBar || menuBar->isHidden())
        return 0;
    // The bar lays its menus out for its current width, which may still be the other look's:
    // it is given the new width first, as the window's layout will give it. Before the window is
    // first shown the bar is not polished yet, and its font (a style sheet's, the platform's menu
    // font) not yet its own.
    menuBar->ensurePolished();
    menuBar->resize(width, menuBar->height());
    const int height = menuBar->heightForWidth(width);
    return height >= 0 ? height : menuBar->sizeHint().height();
}

void PlayerWindowController::setWindowContentSize(QSizeF size, bool)
{
    // Frame changes are applied at once. Resizing keeps the window's top-left corner, so its
    // top edge stays where it was; the menu bar, when there is one, sits above the content.
    const QSize content(static_cast<int>(std::ceil(size.width())),
                        static_cast<int>(std::ceil(size.height())));
    m_window->setFixedSize(content.width(), content.height() + menuBarHeight(content.width()));
    contentView()->resize(content);
    keepWindowOnScreen();
}

// A window grown by a look or a display keeps its top-left corner where it fits; otherwise it
// moves in until its frame lies inside the screen's free area.
void PlayerWindowController::keepWindowOnScreen()
{
    const QScreen* screen = m_window->screen();
    if (!screen || !m_windowShown)
        return; // the first show centres it
    const QRect frame = m_window->frameGeometry();
    const QPoint inside = positionInside(frame, screen->availableGeometry());
    if (inside != frame.topLeft())
        m_window->move(inside);
}
