#pragma once

#include "audio/WorkQueue.h"
#include "player/PlayerWindowController.h"

#include <QCoreApplication>
#include <QTest>

// Loads the list and waits until its track has opened, or failed to, off the main thread.
inline bool loadAndOpen(PlayerWindowController& controller, const QList<QUrl>& urls,
                        qint64 startIndex, bool autoplay)
{
    controller.loadPlaylist(urls, startIndex, autoplay);
    return QTest::qWaitFor([&] { return !controller.isOpeningTrack(); }, 10000);
}

// Every job of the loads so far has finished and its result, sent back by a notice, is handled.
inline void finishJobs()
{
    WorkQueue::lane(WorkLane::Analyses).waitForDone();
    QCoreApplication::processEvents();
}
