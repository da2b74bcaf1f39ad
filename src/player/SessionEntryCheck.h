#pragma once

#include "audio/ReceiverLink.h"
#include "player/SavedSession.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QTimer>

// Finds which entries of a saved session are still files, on the files' lane of the work
// queue, so that a launch shows its window at once even when the list lies on a mount that does
// not answer. The entries of each folder are looked at in one job, the folders side by side: an
// entry that has not answered by the deadline is passed over, and the others come back.
class SessionEntryCheck final
{
public:
    // `done` gets the session without the entries that are gone or did not answer; nothing
    // when none is left.
    using Done = std::function<void(std::optional<SavedSession>)>;

    explicit SessionEntryCheck(std::chrono::milliseconds deadline = std::chrono::seconds(2),
                               SavedSession::EntryTest test = SavedSession::isPlayableEntry);
    ~SessionEntryCheck();

    SessionEntryCheck(const SessionEntryCheck&) = delete;
    SessionEntryCheck& operator=(const SessionEntryCheck&) = delete;

    // Calls `done` later, on this thread, in time; a check under way is given up.
    void check(const SavedSession& session, Done done);

private:
    // What the jobs answer, shared with them: they may outlive the check.
    struct Answers;

    void finish();

    const SavedSession::EntryTest m_test;
    std::shared_ptr<Answers> m_answers;
    SavedSession m_session;
    Done m_done;
    QTimer m_deadline;
    ReceiverLink m_results;
};
