#include "desktop/SingleInstance.h"

#include "support/AppHarness.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <functional>

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The running player is this process's delegate, in a runtime folder of its own per test.
struct RunningPlayer
{
    RunningPlayer() : server(runtime.filePath("kassolin.socket"))
    {
        server.setOpenHandler([this](SingleInstance::Request request, const QStringList& paths,
                                     const SingleInstance::Reply& reply) {
            if (request == SingleInstance::Request::Enqueue)
                app.delegate.enqueueFiles(paths, reply);
            else
                app.delegate.openFiles(paths, reply);
        });
    }

    int runKassolin(const QStringList& arguments, const QString& folder)
    {
        QProcess kassolin;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        kassolin.setProcessEnvironment(environment);
        kassolin.setWorkingDirectory(folder);
        kassolin.start(KASSOLIN_PATH, arguments);
        // A player that never exits is killed below and reads as -1.
        (void)QTest::qWaitFor([&] { return kassolin.state() == QProcess::NotRunning; }, 60000);
        kassolin.kill();
        kassolin.waitForFinished();
        return kassolin.exitStatus() == QProcess::NormalExit ? kassolin.exitCode() : -1;
    }

    QTemporaryDir runtime;
    AppHarness app;
    SingleInstance server;
};

} // namespace

TEST(SingleInstanceTest, SecondLaunchHandsItsFilesToTheRunningPlayerAndExitsWithTheAnswer)
{
    RunningPlayer player;
    // A stale socket file, as a crashed player leaves it, is taken over; a live one never is.
    sockaddr_un address{AF_UNIX, {}};
    qstrncpy(address.sun_path, QFile::encodeName(player.runtime.filePath("kassolin.socket")),
             sizeof address.sun_path);
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_EQ(player.server.start(), SingleInstance::Role::Primary);
    EXPECT_EQ(SingleInstance(player.runtime.filePath("kassolin.socket")).start(),
              SingleInstance::Role::Secondary);

    const QTemporaryDir music;
    EXPECT_EQ(player.runKassolin({"--open", "b.mp3", "sub/a.mp3", "notes.txt"}, music.path()), 0);
    EXPECT_EQ(player.app.playlist(),
              QStringList({music.filePath("b.mp3"), music.filePath("sub/a.mp3")}));
    EXPECT_EQ(player.runKassolin({"--open", "notes.txt"}, music.path()), AppDelegate::replyFailure);
    // Added to the list, behind what it holds.
    EXPECT_EQ(player.runKassolin({"--enqueue", "c.mp3", "notes.txt"}, music.path()), 0);
    EXPECT_EQ(player.app.playlist().last(), music.filePath("c.mp3"));
    EXPECT_EQ(player.runKassolin({"--enqueue", "notes.txt"}, music.path()),
              AppDelegate::replyFailure);
}

TEST(SingleInstanceTest, BadSendersAreDroppedWithoutAnAnswerAndOpenNothing)
{
    RunningPlayer player;
    player.server.setSenderTimeout(300ms);
    ASSERT_EQ(player.server.start(), SingleInstance::Role::Primary);
    const QByteArray valid = SingleInstance::encodeRequest({"/m/a.mp3"});
    for (const QByteArray& bytes : {
             SingleInstance::encodeRequest({QString(SingleInstance::maximumPayloadBytes, 'a')}),
             valid.chopped(2),                                            // truncated, then silent
             "KSO2" + valid.mid(4),                                       // not ours
             SingleInstance::encodeRequest({"a.mp3"}),                    // a relative path
             SingleInstance::encodeRequest({"/m/a.mp"}).chopped(1) + "3", // no NUL at the end
             valid + "x",                                                 // bytes after the request
             QByteArray(), // connects and says nothing
         }) {
        QLocalSocket sender;
        sender.connectToServer(player.runtime.filePath("kassolin.socket"));
        ASSERT_TRUE(sender.waitForConnected(5000));
        sender.write(bytes);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return sender.state() == QLocalSocket::UnconnectedState; }, 10000));
        EXPECT_TRUE(sender.readAll().isEmpty() && player.app.player().playlist().isEmpty())
            << bytes.toStdString();
    }
}

// Without a runtime folder the socket lies in a folder of the temporary one that only the user
// may enter: one that others may, one of another user, or a link in its place is not used.
TEST(SingleInstanceTest, WithoutARuntimeFolderTheSocketLiesInAFolderOfTheUsersOwn)
{
    const QTemporaryDir temp;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString folder = temp.filePath(QStringLiteral("kassolin-%1").arg(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    EXPECT_EQ(SingleInstance::socketPathForUser(), folder + "/kassolin.socket");
    EXPECT_EQ(QFile::permissions(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    // Each makes the folder unsafe, if this user can.
    const std::function<bool()> unsafe[] = {
        [&] { return ::chmod(path.constData(), 0750) == 0; },
        [&] { return ::rmdir(path.constData()) == 0 && ::symlink("/tmp", path.constData()) == 0; },
        [&] {
            return ::unlink(path.constData()) == 0 && ::mkdir(path.constData(), 0700) == 0 &&
                   ::chown(path.constData(), 65534, -1) == 0;
        }};
    bool allMade = true;
    for (std::size_t index = 0; index < std::size(unsafe); ++index) {
        // Another user's folder takes root to make; the others are made by anyone.
        const bool made = unsafe[index]();
        allMade = allMade && made;
        EXPECT_TRUE(made || (index == 2 && ::geteuid() != 0)) << index;
        EXPECT_TRUE(!made || SingleInstance::socketPathForUser().isEmpty()) << index;
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    tmp.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
    if (!allMade)
        GTEST_SKIP() << "another user's folder was not tried: that takes root";
}
