#include "player/PlayerWindowController.h"

void PlayerWindowController::setLoopStartAtCurrentTime()
{
    if (!m_player)
        return;
    m_loopStart = m_player->currentTime();
    if (m_loopEnd > m_loopStart)
        enableLoop();
    updateTransportState();
}

void PlayerWindowController::setLoopEndAtCurrentTime()
{
    if (!m_player)
        return;
    m_loopEnd = m_player->currentTime();
    if (m_loopStart >= 0 && m_loopEnd > m_loopStart)
        enableLoop();
    updateTransportState();
}

void PlayerWindowController::enableLoop()
{
    m_loopEnabled = true;
    discardNextPlayer(); // the loop jumps back before this track ends
}

void PlayerWindowController::clearLoopPoints()
{
    m_loopStart = -1.0;
    m_loopEnd = -1.0;
    m_loopEnabled = false;
    updateTransportState();
}

void PlayerWindowController::loopAButtonPressed(QObject*)
{
    setLoopStartAtCurrentTime();
    updateTransportState();
}

void PlayerWindowController::loopBButtonPressed(QObject*)
{
    setLoopEndAtCurrentTime();
    updateTransportState();
}

void PlayerWindowController::loopClearButtonPressed(QObject*)
{
    clearLoopPoints();
    updateTransportState();
}
