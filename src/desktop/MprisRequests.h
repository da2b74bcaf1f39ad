#pragma once

#include <functional>

#include <QList>
#include <QUrl>

// What the desktop's controls ask of the application rather than of the player: opening
// files as the desktop hands them over, shuffle as the menu sets it (stored and shown), and
// quitting.
struct MprisRequests
{
    std::function<void(const QList<QUrl>& files)> open;
    std::function<void(bool enabled)> setShuffleEnabled;
    std::function<void()> quit;
};
