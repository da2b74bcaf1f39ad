#pragma once

#include "player/AlertPresenter.h"

#include <functional>
#include <vector>

// Records alerts instead of showing them. `whileOpen` runs where a real alert runs its own
// event loop, so a test can make things happen while the alert is up.
struct RecordingAlertPresenter final : AlertPresenter
{
    void runModal(const Alert& alert) override
    {
        alerts.push_back(alert);
        if (whileOpen)
            whileOpen();
    }

    std::vector<Alert> alerts;
    std::function<void()> whileOpen;
};
