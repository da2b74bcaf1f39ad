#pragma once

#include <QString>
#include <QtGlobal>

// One playlist entry after the current one, as the queue window lists it.
struct UpcomingTrackItem
{
    qint64 index = 0; // position in the playlist, handed back to playPlaylistIndex()
    QString title;    // the file title, never the tag's title

    bool operator==(const UpcomingTrackItem&) const = default;
};
