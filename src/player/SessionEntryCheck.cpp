#include "player/SessionEntryCheck.h"

#include "audio/WorkQueue.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include <QFileInfo>

struct SessionEntryCheck::Answers
{
    std::mutex mutex;
    std::vector<bool> playable;
    qsizetype foldersLeft = 0;
};

SessionEntryCheck::SessionEntryCheck(std::chrono::milliseconds deadline,
                                     SavedSession::EntryTest test)
    : m_test(std::move(test))
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(deadline);
    m_deadline.callOnTimeout([this] { finish(); });
}

SessionEntryCheck::~SessionEntryCheck()
{
    m_results.cut();
}

void SessionEntryCheck::check(const SavedSession& session, Done done)
{
    std::map<QString, std::vector<qsizetype>> folders;
    for (qsizetype entry = 0; entry < session.playlist.size(); ++entry)
        folders[QFileInfo(session.playlist[entry].toLocalFile()).path()].push_back(entry);
    m_session = session;
    m_done = std::move(done);
    m_answers = std::make_shared<Answers>();
    m_answers->playable.resize(session.playlist.size());
    m_answers->foldersLeft = static_cast<qsizetype>(folders.size());
    m_deadline.start();
    for (auto& [folder, entries] : folders) {
        QStringList paths;
        for (const qsizetype entry : entries)
            paths.append(session.playlist[entry].toLocalFile());
        WorkQueue::lane(WorkLane::Files)
            .run([this, test = m_test, answers = m_answers, inbox = m_results.inbox(),
                  entries = std::move(entries), paths = std::move(paths)] {
                std::vector<bool> playable;
                for (const QString& path : paths)
                    playable.push_back(test(path));
                const std::lock_guard lock(answers->mutex);
                for (std::size_t i = 0; i < entries.size(); ++i)
                    answers->playable[static_cast<std::size_t>(entries[i])] = playable[i];
                if (--answers->foldersLeft == 0)
                    inbox->post([this, answers] {
                        if (answers == m_answers)
                            finish();
                    });
            });
    }
}

void SessionEntryCheck::finish()
{
    m_deadline.stop();
    std::vector<bool> playable;
    {
        const std::lock_guard lock(m_answers->mutex);
        playable = m_answers->playable;
    }
    m_answers.reset();
    const Done done = std::exchange(m_done, {});
    done(m_session.keeping(
        [&playable](qsizetype entry) { return playable[static_cast<std::size_t>(entry)]; }));
}
