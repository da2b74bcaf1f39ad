#include "support/SoundServer.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>

#include <sys/prctl.h>

namespace {

// PipeWire's PulseAudio service makes its socket in a folder of its own.
QString socketIn(const QTemporaryDir& folder, SoundServer::Kind kind)
{
    return folder.filePath(kind == SoundServer::Kind::PipeWire ? QStringLiteral("pulse/native")
                                                               : QStringLiteral("native"));
}

} // namespace

SoundServer::SoundServer(Kind kind)
    : m_kind(kind), m_folder(QStringLiteral("/tmp/kassolin-sound-XXXXXX"))
{
    // The socket is named before the server first starts: a player may look for it earlier.
    qputenv("PULSE_SERVER", ("unix:" + socketIn(m_folder, m_kind)).toUtf8());
}

bool SoundServer::start()
{
    QFile::remove(socketIn(m_folder, m_kind)); // left by a server that was killed
    QDir(m_folder.path()).mkpath(QStringLiteral("home"));
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_folder.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
    environment.remove(QStringLiteral("PULSE_SERVER"));
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // It ends with the test, also when the test crashes, so that nothing waits for its output.
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    return m_kind == Kind::PipeWire ? startPipeWire() : startPulseAudio();
}

// It serves once its sink is there, which it tells with a file.
bool SoundServer::startPipeWire()
{
    const QString ready = m_folder.filePath(QStringLiteral("ready"));
    QFile::remove(ready);
    m_daemon.start(QStringLiteral("bash"),
                   {QStringLiteral(KASSOLIN_SOURCE_DIR "/scripts/pipewire-server.sh"),
                    m_folder.path()});
    return m_daemon.waitForStarted(10000) &&
           QTest::qWaitFor([&] { return QFile::exists(ready); }, 20000);
}

bool SoundServer::startPulseAudio()
{
    const QString socket = socketIn(m_folder, m_kind);
    m_daemon.start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
         QStringLiteral("--log-level=error"),
         QStringLiteral("--load=module-null-sink sink_name=kassolin_test format=float32le "
                        "rate=44100 channels=2 norewinds=1"),
         QStringLiteral("--load=module-native-protocol-unix socket=%1 auth-anonymous=1")
             .arg(socket)});
    if (!m_daemon.waitForStarted(10000))
        return false;
    // Its socket appears before the server listens on it: it is ready once a client is served.
    return QTest::qWaitFor([] { return isAnswering(); }, 10000);
}

bool SoundServer::isAnswering()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit &&
           pactl.exitCode() == 0;
}

void SoundServer::stop()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(m_daemon.processId()), SIGTERM);
    if (!m_daemon.waitForFinished(10000)) {
        ::kill(static_cast<pid_t>(m_daemon.processId()), SIGKILL);
        m_daemon.waitForFinished(10000);
    }
}

QString sinkInputs()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
    pactl.waitForFinished();
    return QString::fromUtf8(pactl.readAllStandardOutput());
}
