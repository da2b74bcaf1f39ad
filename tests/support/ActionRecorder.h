#pragma once

#include <utility>
#include <vector>

#include <QByteArray>
#include <QObject>

// Stands in for the controller: records each action sent to it, with the sender, in order.
class ActionRecorder : public QObject
{
    Q_OBJECT

public:
    using Calls = std::vector<std::pair<QByteArray, QObject*>>;
    Calls calls;

public Q_SLOTS:
    void scrubberValueChanged(QObject* sender) { calls.emplace_back(__func__, sender); }
    void stopButtonPressed(QObject* sender) { calls.emplace_back(__func__, sender); }
    void vintagePlayPausePressed(QObject* sender) { calls.emplace_back(__func__, sender); }
    void nextButtonPressed(QObject* sender) { calls.emplace_back(__func__, sender); }
    void ejectButtonPressed(QObject* sender) { calls.emplace_back(__func__, sender); }
};
