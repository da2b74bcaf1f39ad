#pragma once

#include "player/AlertPresenter.h"

#include <functional>
#include <vector>

#include <QEventLoop>
#include <QTimer>

// Records alerts instead of showing them. As a real alert does, each runs an event loop of its
// own until it is answered, so what other threads hand in meanwhile is delivered inside it;
// `whileOpen` runs in that loop, so a test can make things happen while the alert is up, and the
// alert is answered when it returns.
struct RecordingAlertPresenter final : AlertPresenter
{
    void runModal(const Alert& alert) override
    {
        alerts.push_back(alert);
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [action = whileOpen, &loop] {
            if (action) // a copy: it may set whileOpen anew
                action();
            loop.quit();
        });
        loop.exec();
    }

    std::vector<Alert> alerts;
    std::function<void()> whileOpen;
};
