#include "player/PlayerWindowController.h"

void PlayerWindowController::setLoopStartAtCurrentTime()
{
    if (!m_player)
        return;
    if (m_state.setLoopStart(m_player->currentTime()))
        enableLoop();
    updateTransportState();
}

void PlayerWindowController::setLoopEndAtCurrentTime()
{
    if (!m_player)
        return;
    if (m_state.setLoopEnd(m_player->currentTime()))
        enableLoop();
    updateTransportState();
}

void PlayerWindowController::enableLoop()
{
    discardNextPlayer(); // the loop jumps back before this track ends
}

void PlayerWindowController::clearLoopPoints()
{
    m_state.clearLoop();
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
