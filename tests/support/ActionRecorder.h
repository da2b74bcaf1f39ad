#pragma once

#include <vector>

#include <QByteArray>
#include <QObject>

// Stands in for the player window controller: records every action that a control sends it,
// with the sender, in order.
class ActionRecorder : public QObject
{
    Q_OBJECT

public:
    struct Call
    {
        QByteArray action;
        QObject* sender;
        bool operator==(const Call&) const = default;
    };
    using Calls = std::vector<Call>;

    Calls calls;

public Q_SLOTS:
    void scrubberValueChanged(QObject* sender)
    {
        calls.push_back({"scrubberValueChanged", sender});
    }
    void playButtonPressed(QObject* sender) { calls.push_back({"playButtonPressed", sender}); }
    void ejectButtonPressed(QObject* sender) { calls.push_back({"ejectButtonPressed", sender}); }
    void previousButtonPressed(QObject* sender)
    {
        calls.push_back({"previousButtonPressed", sender});
    }
    void stopButtonPressed(QObject* sender) { calls.push_back({"stopButtonPressed", sender}); }
    void vintagePlayPausePressed(QObject* sender)
    {
        calls.push_back({"vintagePlayPausePressed", sender});
    }
    void nextButtonPressed(QObject* sender) { calls.push_back({"nextButtonPressed", sender}); }
    void playlistButtonPressed(QObject* sender)
    {
        calls.push_back({"playlistButtonPressed", sender});
    }
};
