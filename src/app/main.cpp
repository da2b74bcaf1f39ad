// The process entry: a launch with files to open hands them to a running player and ends
// with its answer; otherwise this process becomes the player.
//
// kassolin [FILE.mp3]       plays the first MP3 or playlist file named, or shows the open panel
// kassolin --open FILE...   the desktop's open request: every argument after --open
// kassolin --enqueue FILE... adds the files, and the MP3s in folders among them, to the list
// kassolin --help | --version
#include "app/AppDelegate.h"
#include "audio/Mp3AudioPlayer.h"
#include "desktop/MprisService.h"
#include "desktop/ScreenLock.h"
#include "desktop/SettingsPortal.h"
#include "desktop/SingleInstance.h"
#include "desktop/SleepInhibitor.h"
#include "player/PlayerWindowController.h"
#include "player/SavedSession.h"
#include "ui/MessageBoxAlertPresenter.h"
#include "ui/OpenPanelDialog.h"
#include "views/ViewAccessibility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QSettings>
#include <QTimer>
#include <QTranslator>

#include <fontconfig/fontconfig.h>

namespace {

constexpr char usage[] =
    "Aufruf: kassolin [MP3-DATEI|WIEDERGABELISTE]\n"
    "        kassolin --open DATEI...\n"
    "        kassolin --enqueue DATEI|ORDNER...\n\n"
    "Ohne Datei zeigt Kassolin das Fenster zum Öffnen von MP3-Dateien und Ordnern.\n"
    "Eine Wiedergabeliste (.m3u, .m3u8, .pls) steht für die MP3-Dateien darin.\n"
    "--open öffnet Dateien, wie es der Desktop tut: Die MP3-Dateien darunter werden die\n"
    "Wiedergabeliste, in einem schon laufenden Kassolin.\n"
    "--enqueue hängt die MP3-Dateien darunter und die in Ordnern darunter an die\n"
    "Wiedergabeliste an, ohne zu unterbrechen, was spielt.\n"
    "Rückgabewert 0, wenn etwas geöffnet oder angehängt wurde, sonst 2.\n";

bool startsFileRequest(const char* argument)
{
    return std::strcmp(argument, "--open") == 0 || std::strcmp(argument, "--enqueue") == 0;
}

// --help and --version are answered before anything else starts, and only before --open or
// --enqueue, after which every argument is a file.
bool answeredInformationRequest(int argc, char** argv)
{
    for (int index = 1; index < argc && !startsFileRequest(argv[index]); ++index) {
        if (std::strcmp(argv[index], "--help") == 0)
            std::fputs(usage, stdout);
        else if (std::strcmp(argv[index], "--version") == 0)
            std::puts("Kassolin " KASSOLIN_VERSION);
        else
            continue;
        return true;
    }
    return false;
}

// What the first --open or --enqueue asks for: the files after it, made absolute, as a running
// player does not share our folder.
struct FileRequest
{
    SingleInstance::Request kind;
    QStringList paths;
    qsizetype argumentIndex;
};

std::optional<FileRequest> fileRequest(const QStringList& arguments)
{
    const auto found = std::ranges::find_if(arguments, [](const QString& argument) {
        return startsFileRequest(argument.toLocal8Bit().constData());
    });
    if (found == arguments.end())
        return std::nullopt;
    const qsizetype index = found - arguments.begin();
    FileRequest request{*found == QLatin1String("--enqueue") ? SingleInstance::Request::Enqueue
                                                             : SingleInstance::Request::Open,
                        {},
                        index};
    for (const QString& path : arguments.mid(index + 1))
        request.paths << QFileInfo(path).absoluteFilePath();
    return request;
}

void deliver(AppDelegate& delegate, SingleInstance::Request kind, const QStringList& paths,
             const AppDelegate::Reply& reply = {})
{
    if (kind == SingleInstance::Request::Enqueue)
        delegate.enqueueFiles(paths, reply);
    else
        delegate.openFiles(paths, reply);
}

// The running player's answer is this process's exit status; a terminal user also learns why
// nothing was opened.
int forwardFileRequest(SingleInstance& instance, const FileRequest& request)
{
    const std::optional<int> answer = instance.forward(request.paths, request.kind);
    if (!answer)
        std::fputs("Kassolin: Der laufende Player antwortet nicht.\n", stderr);
    else if (*answer != AppDelegate::replySuccess)
        std::fputs("Kassolin: Unter den Dateien ist keine MP3-Datei.\n", stderr);
    return answer.value_or(AppDelegate::replyFailure);
}

// Builds the open panel when it is first asked for: its file system model starts a thread that
// lists folders and loads file icons, work a launch with a file never needs.
class DeferredOpenPanel final : public OpenPanelPresenter
{
public:
    QList<QUrl> runModal(const QString& title) override
    {
        if (!m_panel)
            m_panel = std::make_unique<OpenPanelDialog>();
        return m_panel->runModal(title);
    }
    QString runSaveModal(const QString& title) override
    {
        if (!m_panel)
            m_panel = std::make_unique<OpenPanelDialog>();
        return m_panel->runSaveModal(title);
    }

private:
    std::unique_ptr<OpenPanelDialog> m_panel;
};

// Everything of the program, in a scope of its own: all of it has gone when this returns.
int run(int argc, char** argv)
{
    // The displays change small bands 60 times a second. Sent with the request, they cost less
    // than through shared memory, where Qt waits for the X server at every frame before it may
    // paint the next. Qt reads the switch as it connects; programs we start must not inherit it.
    const bool setsNoSharedMemory = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (setsNoSharedMemory)
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Reading the font configuration takes a good part of a launch; it runs while Qt connects
    // to the display, and Qt's own font set-up then finds it done.
    std::jthread fontConfiguration([] { FcInit(); });
    QApplication application(argc, argv);
    fontConfiguration.join(); // it reads the environment
    if (setsNoSharedMemory)
        qunsetenv("QT_XCB_NO_MITSHM");
    QApplication::setApplicationName(QStringLiteral("Kassolin"));
    QApplication::setOrganizationName(QStringLiteral("Kassolin"));
    QApplication::setApplicationVersion(QStringLiteral(KASSOLIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.kassolin.Kassolin"));
    // Before any widget: the light and dark palettes are made for this style.
    QApplication::setStyle(QStringLiteral("Fusion"));
    installViewAccessibility();

    const QStringList arguments = QApplication::arguments();
    const std::optional<FileRequest> request = fileRequest(arguments);
    auto instance = std::make_unique<SingleInstance>(SingleInstance::socketPathForUser());
    if (instance->start() == SingleInstance::Role::Secondary) {
        if (request)
            return forwardFileRequest(*instance, *request);
        instance.reset(); // a plain launch starts a player of its own beside the running one
    }

    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    MessageBoxAlertPresenter alerts;
    DeferredOpenPanel openPanel;
    // Deleted here as the program ends. An opening that still waits on a disk holds it too; what
    // it lets go of after that is left to the end of the process, never deleted on its thread.
    const std::shared_ptr<SessionOutput> output(
        new SessionOutput(), [mainThread = std::this_thread::get_id()](SessionOutput* session) {
            if (std::this_thread::get_id() == mainThread)
                delete session;
        });
    AppDelegate delegate(
        Mp3AudioPlayer::factory(output), alerts, openPanel, [] { QCoreApplication::quit(); },
        std::make_unique<QSettings>(), SavedSession::defaultPath());
    alerts.setParentWidget(delegate.playerWindow()->window());
    // The desktop's answer arrives in the event loop, usually before the window is first drawn.
    SettingsPortal settingsPortal;
    QObject::connect(&settingsPortal, &SettingsPortal::colorSchemeChanged, &delegate,
                     &AppDelegate::setDesktopPrefersDark);
    settingsPortal.start();
    delegate.setArguments(arguments.mid(0, request ? request->argumentIndex : -1));
    if (instance) {
        instance->setOpenHandler([&delegate](SingleInstance::Request kind, const QStringList& paths,
                                             const AppDelegate::Reply& reply) {
            deliver(delegate, kind, paths, reply);
        });
    }
    // The desktop's media keys and controls; without a session bus the player runs without them.
    MprisService mpris(*delegate.playerWindow(), delegate.desktopRequests());
    mpris.registerOn(QDBusConnection::sessionBus());
    SleepInhibitor sleepInhibitor(*delegate.playerWindow(), QDBusConnection::sessionBus());
    ScreenLock screenLock(QDBusConnection::sessionBus());
    QObject::connect(&screenLock, &ScreenLock::lockedChanged, delegate.playerWindow(),
                     &PlayerWindowController::setScreenLocked);
    // The launch runs inside the event loop, so that ending the program from it works; the
    // open request of this launch comes before its end, as the desktop delivers it, and an
    // addition at its end, to the session that comes back.
    QTimer::singleShot(0, &delegate, [&delegate, &request] {
        delegate.applicationWillFinishLaunching();
        const bool adds = request && request->kind == SingleInstance::Request::Enqueue;
        if (request && !adds)
            deliver(delegate, request->kind, request->paths);
        delegate.applicationDidFinishLaunching(adds ? request->paths : QStringList());
    });
    const int status = QApplication::exec();
    instance.reset(); // no request may reach the delegate once it is gone
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredInformationRequest(argc, argv))
        return 0;
    const int status = run(argc, argv);
    // The session has been written by now (or given up on, on a disk that does not answer), and
    // every object of ours has gone. A job on the work queue's lanes may still wait on a disk or
    // a sound server and wake at any time: the static objects' destructors must not meet it, and
    // nothing else is left to do. So the process ends here, at once.
    std::fflush(nullptr);
    std::_Exit(status);
}
