#include "platform/SingleInstance.h"

#include "support/AppHarness.h"
#include "support/EventLoop.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QByteArray header(qint64 payloadSize)
{
    QByteArray bytes("KSO1....");
    qToBigEndian(static_cast<quint32>(payloadSize), bytes.data() + 4);
    return bytes;
}

// The running player is this process's delegate; each test has a runtime folder of its own,
// since the suite runs in parallel.
struct ForwardingTest : ::testing::Test
{
    ForwardingTest() : socketPath(runtime.filePath("kassolin.socket")), server(socketPath)
    {
        server.setOpenHandler([this](const QStringList& paths, const SingleInstance::Reply& reply) {
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
        processEventsUntil([&] { return kassolin.state() == QProcess::NotRunning; }, 60s);
        kassolin.kill();
        kassolin.waitForFinished();
        return kassolin.exitStatus() == QProcess::NormalExit ? kassolin.exitCode() : -1;
    }

    QTemporaryDir runtime;
    QString socketPath;
    AppHarness app;
    SingleInstance server;
};

} // namespace

TEST_F(ForwardingTest, SecondLaunchHandsItsFilesToTheRunningPlayerAndExitsWithTheAnswer)
{
    // A socket file nobody listens on, as a crashed player leaves it, is taken over.
    sockaddr_un address{AF_UNIX, {}};
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_EQ(server.start(), SingleInstance::Role::Primary);
    // A live one never is.
    EXPECT_EQ(SingleInstance(socketPath).start(), SingleInstance::Role::Secondary);

    const QTemporaryDir music;
    EXPECT_EQ(runKassolin({"--open", "b.mp3", "sub/a.mp3", "notes.txt"}, music.path()), 0);
    EXPECT_EQ(app.playlist(), QStringList({music.filePath("b.mp3"), music.filePath("sub/a.mp3")}));
    EXPECT_EQ(runKassolin({"--open", "notes.txt"}, music.path()), AppDelegate::replyFailure);
    EXPECT_EQ(app.playlist().size(), 2);
}

TEST_F(ForwardingTest, BadSendersAreDroppedWithoutAnAnswerAndOpenNothing)
{
    server.setSenderTimeout(300ms);
    ASSERT_EQ(server.start(), SingleInstance::Role::Primary);
    const QByteArray valid = SingleInstance::encodeRequest({"/m/a.mp3"});
    const QByteArray cases[] = {
        header(SingleInstance::maximumPayloadBytes + 1), // oversized
        header(9) + "/m/a.mp3",                          // truncated, then silent
        "KSO2" + valid.mid(4),                           // not ours
        SingleInstance::encodeRequest({"a.mp3"}),        // a relative path
        SingleInstance::encodeRequest({"/m/a.mp3", ""}), // an empty path
        header(8) + "/m/a.mp3",                          // no NUL at the end
        valid + "x",                                     // bytes after the request
        "",                                              // connects and says nothing
    };
    for (const QByteArray& bytes : cases) {
        QLocalSocket sender;
        sender.connectToServer(socketPath);
        ASSERT_TRUE(sender.waitForConnected(5000));
        sender.write(bytes);
        EXPECT_TRUE(processEventsUntil(
            [&] { return sender.state() == QLocalSocket::UnconnectedState; }, 10s));
        EXPECT_TRUE(sender.readAll().isEmpty() && app.player().playlist().isEmpty())
            << bytes.toStdString();
    }
}

TEST(SingleInstance, SocketLivesInTheRuntimeFolderOrInAPrivateFolderOfOurOwn)
{
    const QTemporaryDir temporary;
    const QString own = temporary.filePath(QStringLiteral("kassolin-%1").arg(::getuid()));
    const QByteArray savedTemporary = qgetenv("TMPDIR"), savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    const struct
    {
        QByteArray runtime;
        int folderMode; // of our folder when it is there beforehand
        QString expected;
    } cases[] = {{"/run/user/7", 0, "/run/user/7/kassolin.socket"},
                 {"", 0, own + "/kassolin.socket"},
                 {"relative", 0700, own + "/kassolin.socket"},
                 {"", 0755, ""}};
    for (const auto& c : cases) {
        QDir(own).removeRecursively();
        if (c.folderMode)
            ::mkdir(QFile::encodeName(own).constData(), c.folderMode);
        qputenv("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(SingleInstance::socketPathForUser(), c.expected) << c.runtime.constData();
        struct stat status = {};
        EXPECT_EQ(::stat(QFile::encodeName(own).constData(), &status) == 0 ? status.st_mode & 0777
                                                                           : 0,
                  c.runtime.startsWith('/') ? 0
                  : c.folderMode            ? c.folderMode
                                            : 0700);
    }
    qputenv("TMPDIR", savedTemporary);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}
