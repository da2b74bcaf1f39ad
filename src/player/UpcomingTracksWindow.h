#pragma once

#include <functional>
#include <memory>

class PlayerWindowController;
class QWidget;

// The window that lists the tracks after the current one. The controller asks for it when
// the playlist key is pressed and shows it again on later presses; the windows above the
// controller make it (QueueWindowController).
class UpcomingTracksWindow
{
public:
    using Factory = std::function<std::unique_ptr<UpcomingTracksWindow>(PlayerWindowController*)>;

    virtual ~UpcomingTracksWindow() = default;

    virtual QWidget* window() const = 0;
    // Takes a fresh snapshot of the upcoming tracks and shows the window.
    virtual void reloadAndShow() = 0;
    // Takes a fresh snapshot, shown or not.
    virtual void reload() = 0;
};
