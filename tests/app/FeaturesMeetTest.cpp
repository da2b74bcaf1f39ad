// Every command a user and the desktop can give, in every state the others leave: long random
// sequences, seeded and repeatable, on fake players whose tracks open late, fail to open, fail
// while read and end. After every step the rules a user would state are checked; a failing run
// prints its seed and the shortest sequence that still fails.
#include "app/AppDelegate.h"
#include "decoder/TrackTitles.h"
#include "desktop/MprisPlayerAdaptor.h"
#include "player/SavedSession.h"
#include "support/AppHarness.h"
#include "support/WidgetRendering.h"
#include "ui/QueueWindowController.h"
#include "views/ElidedLabel.h"
#include "views/MiniScrubberView.h"

#include <chrono>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <QListWidget>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// Tracks that open, one that opens only when the model lets it, two that never open.
const QStringList trackNames{"t0", "t1", "t2", "t3", "t4", "slow0", "broken0", "broken1"};

class ModelRun;
using Argument = std::uint32_t; // picks the files, the time, the row, the nested command

// What a command asks of the player, by which the model knows what must play after it.
enum class Asks
{
    Nothing, // or what the command expects itself
    Play,
    Pause,
    Toggle,
    Stop,
    Next,
    Previous,
    Load,     // the new list, from its first entry
    Add,      // to play only where the list had ended
    End,      // a track that plays ends
    ReadError // it fails to read on
};

// What the player must be doing once no track opens any more.
enum class Transport
{
    Unknown, // after an alert: what its failure left is the case tests' to say
    Stopped,
    Waiting, // at the start of the entry after a track marked "stop after this track"
    Halted,  // stopped, where it is not known whether it waits
    Playing,
    Paused
};
const char* const transportNames[]{"", "stopped", "stopped", "stopped", "playing", "paused"};

// What a command makes of the list.
enum class Listed
{
    Same,
    Is,          // its files
    IsScanned,   // its files, each once
    GetsScanned, // its files, each once, added
    IsOne        // its first file
};

struct Command
{
    const char* name;
    Asks asks;
    void (*apply)(ModelRun& run, Argument argument);
    Listed listed = Listed::Same;
};

struct Step
{
    std::size_t command;
    Argument argument;
};

extern const std::vector<Command> commands;

// One run on a fresh delegate, player window and MPRIS adaptor.
class ModelRun
{
public:
    explicit ModelRun(std::uint64_t seed)
    {
        player().seedShuffle(seed);
        app.players.heldName = QStringLiteral("slow");
        player().setQueueWindowFactory(QueueWindowController::factory());
        player().showWindow();
    }
    ~ModelRun()
    {
        app.alerts.whileOpen = nullptr;
        // Slow tracks still on their way, and those yet to come, open at once.
        app.players.released.release(app.players.heldOpenings() + 8);
        settle();
    }

    // The first rule broken, with its step, or nothing.
    std::optional<std::string> run(const std::vector<Step>& steps)
    {
        for (std::size_t index = 0; index < steps.size(); ++index) {
            const std::size_t alerts = app.alerts.alerts.size();
            const FakeAudioPlayer* before = current();
            m_picked = false;
            apply(steps[index]);
            settle();
            const bool alerted = app.alerts.alerts.size() != alerts;
            if (alerted) {
                m_transport = Transport::Unknown;
                m_entries.reset();
            }
            std::optional<std::string> broken = brokenRule();
            if (!broken && !alerted)
                broken = loopDisagrees(before);
            if (broken)
                return "after step " + std::to_string(index + 1) + ": " + *broken;
        }
        return sessionKept();
    }

    void apply(const Step& step)
    {
        const Command& command = commands[step.command];
        const Before was{.index = player().playlistIndex(),
                         .listed = m_expectedList.size(),
                         .loaded = current() != nullptr,
                         .opening = player().isOpeningCurrentEntry(),
                         .playing = current() && current()->isPlaying(),
                         .clockRuns = player().isTimerRunning(),
                         .last = !player().state().hasEntryAfterCurrent(),
                         .marked = player().stopsAfterCurrentTrack(),
                         .shuffled = player().isShuffleEnabled(),
                         .time = current() ? current()->currentTime() : 0.0};
        // Before the command: what is opened comes before an alert that it may bring.
        expectList(command.listed, files(step.argument));
        expectTransport(command.asks, was);
        command.apply(*this, step.argument);
    }

    // The entry a command plays, and that it plays.
    void expectPlaying(qint64 entry)
    {
        m_transport = Transport::Playing;
        expectEntry(entry, false);
    }

    // As many as a list holds, the first, in the order opened and added.
    void expectList(Listed listed, QList<QUrl> urls)
    {
        QSet<QUrl> seen;
        if (listed == Listed::IsScanned || listed == Listed::GetsScanned)
            urls.removeIf([&seen](const QUrl& url) {
                const bool again = seen.contains(url);
                seen.insert(url);
                return again;
            });
        if (listed == Listed::Is || listed == Listed::IsScanned)
            m_expectedList.clear();
        if (listed == Listed::IsOne)
            m_expectedList = urls.first(1);
        else if (listed != Listed::Same)
            m_expectedList += urls.first(std::min(urls.size(), 500 - m_expectedList.size()));
    }

    PlayerWindowController& player() { return app.player(); }

    FakeAudioPlayer* current() { return static_cast<FakeAudioPlayer*>(player().player()); }
    // The shown queue's rows, when it has any.
    QListWidget* queueRows()
    {
        return queue() && queue()->tableView()->count() > 0 ? queue()->tableView() : nullptr;
    }
    // A row of the queue window plays, and the window closes.
    void expectPick(int row)
    {
        expectPlaying(player().playlistIndex() + 1 + row);
        m_picked = true;
    }
    // The entries after the current one become those at the given places among them.
    void expectUpcoming(const QList<int>& places)
    {
        const qsizetype first = player().playlistIndex() + 1;
        QList<QUrl> edited = m_expectedList.first(first);
        for (const int place : places)
            edited << m_expectedList[first + place];
        m_expectedList = edited;
    }
    // With Strg held a click selects the row, without it the row plays.
    static void click(QListWidgetItem* row, Qt::KeyboardModifiers keys = {})
    {
        QListWidget* rows = row->listWidget();
        rows->scrollToItem(row);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, keys,
                          rows->visualItemRect(row).center());
    }
    QueueWindowController* queue()
    {
        auto* queue = dynamic_cast<QueueWindowController*>(player().queueWindow());
        return queue && queue->window()->isVisible() ? queue : nullptr;
    }
    static QList<QUrl> files(Argument argument)
    {
        QList<QUrl> urls;
        const Argument count = argument % 97 == 0 ? 600 : 1 + argument % 4;
        for (Argument entry = 0; entry < count; ++entry)
            urls << QUrl::fromLocalFile(
                QStringLiteral("/m/%1.mp3").arg(trackNames[(argument / 7 + entry * 3) % 8]));
        return urls;
    }

    AppHarness app;
    const MprisRequests requests = app.delegate.desktopRequests(); // held by the adaptor
    QObject adapted;
    MprisPlayerAdaptor mpris{&adapted, player(), requests};

private:
    // What the player was at when a command was given.
    struct Before
    {
        qint64 index;
        qsizetype listed;
        bool loaded, opening, playing, clockRuns, last, marked, shuffled;
        double time;
    };

    // What a command leaves playing, by the rules a user knows: a new entry plays, Stop stops,
    // Pause holds only what plays, an addition starts only a list that had ended, an end goes
    // on to the next entry or waits there after "stop after this track".
    void expectTransport(Asks asks, const Before& was)
    {
        const bool hasTrack = was.loaded || was.opening, empty = m_expectedList.isEmpty();
        if (asks == Asks::Play && hasTrack)
            m_transport = Transport::Playing;
        else if ((asks == Asks::Pause || asks == Asks::Toggle) && m_transport == Transport::Playing)
            m_transport = Transport::Paused;
        else if (asks == Asks::Toggle && hasTrack && m_transport != Transport::Unknown)
            m_transport = Transport::Playing;
        else if (asks == Asks::Stop || (asks == Asks::Next && !empty && was.last))
            halt();
        else if (asks == Asks::Next && !empty)
            m_transport = Transport::Playing, expectEntry(was.index + 1, was.shuffled);
        else if (asks == Asks::Previous && !empty && !(was.loaded && was.time > 3.0))
            expectPlaying(std::max<qint64>(was.index - 1, 0)); // else it restarts
        else if (asks == Asks::Load)
            expectPlaying(0);
        else if (asks == Asks::Add)
            expectAddition(was);
        else if (asks == Asks::End || asks == Asks::ReadError)
            expectEnd(asks, was);
    }

    void expectAddition(const Before& was)
    {
        if (m_expectedList.size() == was.listed || !was.last)
            return;
        if (was.opening) { // the scan ends before the entry opened or after: either may hold
            m_transport = Transport::Unknown;
            m_entries.reset();
            return;
        }
        if (m_transport == Transport::Stopped)
            expectPlaying(was.listed);
        else if (m_transport == Transport::Halted)
            m_transport = Transport::Unknown;
    }

    // The end of a track that plays, or a read error of one that is loaded.
    void expectEnd(Asks asks, const Before& was)
    {
        if (asks == Asks::End ? !was.playing : !was.loaded)
            return;
        if (was.last) {
            m_transport = asks == Asks::End ? Transport::Stopped : Transport::Unknown;
            return;
        }
        expectEntry(was.index + 1, was.shuffled);
        if (asks == Asks::End || was.clockRuns)
            m_transport = was.marked ? Transport::Waiting : Transport::Playing;
        else if (m_transport != Transport::Waiting && m_transport != Transport::Unknown)
            m_transport = Transport::Stopped; // the next entry is loaded, nobody asked for it
    }

    // Stopped; an entry that waited after "stop after this track" waits on.
    void halt()
    {
        if (m_transport == Transport::Unknown)
            m_transport = Transport::Halted;
        else if (m_transport != Transport::Waiting && m_transport != Transport::Halted)
            m_transport = Transport::Stopped;
    }

    // From `entry`: that one, or with shuffle or where it does not open, any one after it.
    void expectEntry(qint64 entry, bool anyLater)
    {
        const bool opens = !m_expectedList.value(entry).fileName().startsWith("broken");
        m_entries = {entry, anyLater || !opens ? m_expectedList.size() - 1 : entry};
    }

    // Until openings and scans have come back, but not for a slow track that waits for the
    // model. One slow track at a time: more would hold every thread of the files' lane.
    void settle()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (int quiet = 0; quiet < 3 && std::chrono::steady_clock::now() < deadline;) {
            const std::size_t alerts = app.alerts.alerts.size();
            QCoreApplication::processEvents();
            if (const int held = app.players.heldOpenings(); held > 1)
                app.players.released.release(held);
            const bool opening = player().isOpeningTrack() && app.players.heldOpenings() == 0;
            // What an alert's loop posted is handled after it.
            const bool alerted = app.alerts.alerts.size() != alerts;
            quiet = opening || alerted || app.delegate.isLoadingSelection() ? 0 : quiet + 1;
        }
    }

    bool lit(TransportIconType type) { return isLit(*player().window(), type); }

    std::optional<std::string> brokenRule()
    {
        const QList<QUrl>& list = player().playlist();
        const qint64 index = player().playlistIndex();
        const QUrl file = player().currentFile();
        if (list != m_expectedList || (!list.isEmpty() && index >= list.size()))
            return "the list is not the files opened and added, at most 500, or the index lies "
                   "outside it";
        if ((!list.isEmpty() && file != list[index]) ||
            (!file.isEmpty() && player().titleLabel()->text() != fileTitleForURL(file)))
            return "the index, the file and the title name different entries";
        const QString status = mpris.playbackStatus();
        const bool paused = player().isPaused();
        if (mpris.volume() != player().volume() ||
            (current() && current()->volume() != player().volume()))
            return "the desktop or the track has another volume than the one set";
        if ((lit(TransportIconType::Play) && lit(TransportIconType::Pause)) ||
            lit(TransportIconType::Pause) != paused || (status == "Paused") != paused)
            return "the keys or the desktop say otherwise than the player whether it is paused";
        if (current() && current()->isPlaying() &&
            !(lit(TransportIconType::Play) && status == "Playing"))
            return "a track plays, but Play is not lit or the desktop says " + status.toStdString();
        if (current() && !player().isOpeningTrack() &&
            QUrl(mpris.metadata().value("xesam:url").toString()) != file)
            return "the desktop names another track";
        if (paused && !player().isOpeningTrack() && (!current() || current()->isPlaying()))
            return "paused without a track that holds";
        if (std::optional<std::string> disagrees = transportDisagrees())
            return disagrees;
        const std::vector<const FakeAudioPlayer*> heard = app.players.playing();
        if (heard.size() > 1 || (heard.size() == 1 && heard[0] != current()))
            return "a track the rules did not choose is heard";
        return queueDisagrees();
    }

    std::optional<std::string> transportDisagrees()
    {
        if (player().isOpeningCurrentEntry())
            return player().elapsedLabel()->text() + player().remainingLabel()->text() ==
                           "00:00-00:00"
                       ? std::nullopt
                       : std::optional<std::string>("the track that opens shows times");
        const qint64 index = player().playlistIndex();
        if (m_entries && (index < m_entries->first || index > m_entries->second))
            return "another entry is current than the one the rules choose";
        const bool playing = current() && current()->isPlaying();
        if (player().isTimerRunning() != playing ||
            player().backgroundView()->isReelsAnimating() != playing)
            return "the clock or the reels run otherwise than the track";
        const bool paused = player().isPaused();
        const bool asked = m_transport == Transport::Playing  ? playing
                           : m_transport == Transport::Paused ? paused
                                                              : !playing && !paused;
        if (m_transport != Transport::Unknown && !asked)
            return "the player is not " + std::string(transportNames[int(m_transport)]) +
                   ", as the commands given ask";
        return std::nullopt;
    }

    // A track starts without loop points; a refresh, as every action runs one, sends a position
    // at or past B back to A.
    std::optional<std::string> loopDisagrees(const FakeAudioPlayer* before)
    {
        if (!current())
            return std::nullopt;
        if (current() != before &&
            (player().state().hasLoopStart() || player().state().hasLoopEnd()))
            return "a new track starts with the loop points of the one before";
        player().updateTimeLabels();
        if (player().state().loopJumpsAt(current()->currentTime()))
            return "the loop leaves the position at or past B";
        return std::nullopt;
    }

    std::optional<std::string> queueDisagrees()
    {
        if (m_picked && queue())
            return "the queue window stays open after a pick";
        if (!queue())
            return std::nullopt;
        QStringList rows, upcoming;
        for (int row = 0; row < queue()->tableView()->count(); ++row)
            rows << queue()->tableView()->item(row)->text();
        for (const QUrl& url : player().playlist().mid(player().playlistIndex() + 1))
            upcoming << fileTitleForURL(url);
        if (rows != upcoming)
            return "the queue window shows other entries than those after the current one";
        return std::nullopt;
    }

    // What the keeper writes at the quit is what was shown: list, entry and place.
    std::optional<std::string> sessionKept()
    {
        if (player().playlist().isEmpty() || player().isOpeningTrack())
            return std::nullopt;
        const SavedSession shown{player().playlist(), player().playlistIndex(),
                                 current() ? current()->currentTime() : 0.0, player().isPaused()};
        app.delegate.quit();
        QString problem;
        const std::optional<SavedSession> read =
            SavedSession::read(app.sessionPath, &problem, &SavedSession::namesMP3);
        if (!read || read->playlist != shown.playlist || read->index != shown.index ||
            read->position != shown.position || read->paused != shown.paused ||
            read->volume != player().volume())
            return "the session read back is not the one shown at the quit";
        return std::nullopt;
    }

    Transport m_transport = Transport::Stopped;
    std::optional<std::pair<qint64, qint64>> m_entries; // the current entry lies in these
    QList<QUrl> m_expectedList;
    bool m_picked = false; // in this step, a row of the queue window
};

using Run = ModelRun;
using Arg = Argument;

const std::vector<Command> commands{
    {"Play", Asks::Play, [](Run& r, Arg) { r.player().playButtonPressed(nullptr); }},
    {"Pause", Asks::Pause, [](Run& r, Arg) { r.player().pauseButtonPressed(nullptr); }},
    {"PlayPause", Asks::Toggle, [](Run& r, Arg) { r.player().vintagePlayPausePressed(nullptr); }},
    {"Stop", Asks::Stop, [](Run& r, Arg) { r.player().stopButtonPressed(nullptr); }},
    {"Next", Asks::Next, [](Run& r, Arg) { r.player().nextButtonPressed(nullptr); }},
    {"Previous", Asks::Previous, [](Run& r, Arg) { r.player().previousButtonPressed(nullptr); }},
    {"ShowQueue", Asks::Nothing, [](Run& r, Arg) { r.player().playlistButtonPressed(nullptr); }},
    {"PickInQueue", Asks::Nothing,
     [](Run& r, Arg a) {
         if (QListWidget* rows = r.queueRows()) {
             QListWidgetItem* row = rows->item(int(a % rows->count()));
             r.expectPick(rows->row(row));
             r.click(row);
         }
     }},
    {"ArrowInQueue", Asks::Nothing,
     [](Run& r, Arg a) {
         if (QListWidget* rows = r.queueRows()) {
             // Picks the row below or above the current one, or else the first.
             const int current = rows->currentRow(), step = a % 2 ? 1 : -1;
             r.expectPick(current < 0 ? 0 : std::clamp(current + step, 0, rows->count() - 1));
             QTest::keyClick(rows, step > 0 ? Qt::Key_Down : Qt::Key_Up);
         }
     }},
    {"RemoveInQueue", Asks::Nothing,
     [](Run& r, Arg a) {
         if (QListWidget* rows = r.queueRows()) {
             QList<int> upcoming(rows->count());
             std::iota(upcoming.begin(), upcoming.end(), 0);
             QList<QListWidgetItem*> chosen;
             for (Arg count = 0; count <= a % 3 && count < Arg(rows->count()); ++count)
                 chosen << rows->item(
                     upcoming.takeAt(qsizetype((a / 3 + count) % upcoming.size())));
             r.expectUpcoming(upcoming);
             rows->clearSelection();
             for (QListWidgetItem* row : chosen)
                 r.click(row, Qt::ControlModifier);
             if (a % 2 == 0) // Entf, or the context menu's item
                 QTest::keyClick(rows, Qt::Key_Delete);
             else
                 rows->actions().constFirst()->trigger();
         }
     }},
    {"MoveInQueue", Asks::Nothing,
     [](Run& r, Arg a) {
         if (QListWidget* rows = r.queueRows()) {
             QList<int> upcoming(rows->count());
             std::iota(upcoming.begin(), upcoming.end(), 0);
             // As a drag moves a row: before the row it is dropped on, or to the end.
             const int from = int(a % rows->count()), to = int(a / 5 % (rows->count() + 1));
             upcoming.insert(to > from ? to - 1 : to, upcoming.takeAt(from));
             r.expectUpcoming(upcoming);
             rows->model()->moveRow({}, from, {}, to);
         }
     }},
    {"Seek", Asks::Nothing, [](Run& r, Arg a) { r.player().seekToTime(a % 220); }},
    {"Scrub", Asks::Nothing,
     [](Run& r, Arg a) {
         r.player().scrubber()->setValue((a % 101) / 100.0);
         r.player().scrubberValueChanged(r.player().scrubber());
     }},
    {"LoopStart", Asks::Nothing, [](Run& r, Arg) { r.player().loopAButtonPressed(nullptr); }},
    {"LoopEnd", Asks::Nothing,
     [](Run& r, Arg a) {
         if (r.current())
             r.current()->time += a % 30;
         r.player().loopBButtonPressed(nullptr);
     }},
    {"LoopClear", Asks::Nothing, [](Run& r, Arg) { r.player().loopClearButtonPressed(nullptr); }},
    {"Open", Asks::Load, [](Run& r, Arg a) { r.app.delegate.openURLs(Run::files(a)); }, Listed::Is},
    {"Enqueue", Asks::Add,
     [](Run& r, Arg a) {
         r.app.delegate.enqueueFiles(QUrl::toStringList(Run::files(a), QUrl::PreferLocalFile));
     },
     Listed::GetsScanned},
    {"Drop", Asks::Load,
     [](Run& r, Arg a) {
         r.app.drop(Run::files(a), {5, 5});
     },
     Listed::IsScanned},
    {"CtrlDrop", Asks::Add,
     [](Run& r, Arg a) {
         r.app.drop(Run::files(a), {5, 5}, Qt::ControlModifier);
     },
     Listed::GetsScanned},
    {"StopAfterThisTrack", Asks::Nothing,
     [](Run& r, Arg) {
         r.player().setStopAfterCurrentTrack(!r.player().stopsAfterCurrentTrack());
     }},
    {"Shuffle", Asks::Nothing,
     [](Run& r, Arg) { r.mpris.setShuffle(!r.player().isShuffleEnabled()); }},
    {"Volume", Asks::Nothing, [](Run& r, Arg a) { r.player().stepVolume(int(a % 7) - 3); }},
    {"ReplayGain", Asks::Nothing,
     [](Run& r, Arg a) { r.player().setReplayGainMode(ReplayGainMode(a % 4)); }},
    {"MprisPlay", Asks::Play, [](Run& r, Arg) { r.mpris.Play(); }},
    {"MprisPause", Asks::Pause, [](Run& r, Arg) { r.mpris.Pause(); }},
    {"MprisPlayPause", Asks::Toggle, [](Run& r, Arg) { r.mpris.PlayPause(); }},
    {"MprisStop", Asks::Stop, [](Run& r, Arg) { r.mpris.Stop(); }},
    {"MprisNext", Asks::Next, [](Run& r, Arg) { r.mpris.Next(); }},
    {"MprisPrevious", Asks::Previous, [](Run& r, Arg) { r.mpris.Previous(); }},
    {"MprisOpenUri", Asks::Load,
     [](Run& r, Arg a) { r.mpris.OpenUri(Run::files(a).constFirst().toString()); }, Listed::IsOne},
    {"TrackEnds", Asks::End,
     [](Run& r, Arg) {
         if (r.current() && r.current()->isPlaying()) { // only what plays comes to its end
             r.current()->delegate->audioPlayerWillFinishPlaying(r.current());
             r.current()->finishNaturally();
         }
     }},
    {"ReadError", Asks::ReadError,
     [](Run& r, Arg) {
         if (r.current())
             r.current()->failReading();
     }},
    {"SlowTrackOpens", Asks::Nothing,
     [](Run& r, Arg) { r.app.players.released.release(r.app.players.heldOpenings()); }},
    {"NearTheEnd", Asks::Nothing,
     [](Run& r, Arg a) {
         if (r.current())
             r.current()->time = r.current()->duration() - 1 - a % 12;
     }},
    // Last: the command it answers with is any of those above.
    {"AlertAnsweredLater", Asks::Nothing, [](Run& r, Arg a) {
         r.app.alerts.whileOpen = [&r, nested = Step{a % (commands.size() - 1), a / 31}] {
             r.app.alerts.whileOpen = {};
             r.apply(nested);
         };
     }}};

std::vector<Step> stepsOf(std::uint64_t seed, std::size_t count)
{
    std::mt19937_64 random(seed);
    std::vector<Step> steps;
    for (std::size_t index = 0; index < count; ++index)
        steps.push_back({random() % commands.size(), Argument(random())});
    return steps;
}

// The steps left when no run of them can go with a rule still broken.
std::vector<Step> shortestFailing(std::uint64_t seed, std::vector<Step> steps)
{
    for (std::size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t start = 0; start + chunk <= steps.size();) {
            std::vector<Step> fewer = steps;
            fewer.erase(fewer.begin() + std::ptrdiff_t(start),
                        fewer.begin() + std::ptrdiff_t(start + chunk));
            if (ModelRun(seed).run(fewer))
                steps = std::move(fewer);
            else
                start += chunk;
        }
    }
    return steps;
}

std::uint64_t environmentNumber(const char* name, std::uint64_t otherwise)
{
    bool ok = false;
    const qulonglong value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : otherwise;
}

TEST(FeaturesMeetTest, EveryCommandInEveryStateKeepsWhatAUserWouldSayMustHold)
{
    const std::uint64_t firstSeed = environmentNumber("KASSOLIN_MODEL_SEED", 47);
    const std::uint64_t totalSteps = environmentNumber("KASSOLIN_MODEL_STEPS", 3000);
    constexpr std::size_t stepsPerRun = 150;
    for (std::uint64_t seed = firstSeed; (seed - firstSeed) * stepsPerRun < totalSteps; ++seed) {
        const std::vector<Step> steps = stepsOf(seed, stepsPerRun);
        const std::optional<std::string> broken = ModelRun(seed).run(steps);
        if (!broken)
            continue;
        const std::vector<Step> shortest = shortestFailing(seed, steps);
        std::string described;
        for (const Step& step : shortest)
            described += "  " + std::string(commands[step.command].name) + " " +
                         std::to_string(step.argument) + "\n";
        FAIL() << "KASSOLIN_MODEL_SEED=" << seed << ", " << *broken
               << "\nthe shortest sequence that still fails ("
               << ModelRun(seed).run(shortest).value_or("passes alone") << "):\n"
               << described;
    }
}

} // namespace
