#include "soundcheck/SoundServer.h"

#include <QFile>
#include <QTest>

#include <csignal>

#include <sys/prctl.h>

SoundServer::SoundServer(Kind kind)
    : m_kind(kind), m_folder(QStringLiteral("/tmp/kassolin-sound-XXXXXX"))
{
    // The socket is named before the server first starts: a player may look for it earlier.
    qputenv("PULSE_SERVER", ("unix:" + m_folder.filePath(QStringLiteral("pulse/native"))).toUtf8());
}

// The scripts that the test command starts its servers with; each tells with a file that it serves.
bool SoundServer::start()
{
    const QString ready = m_folder.filePath(QStringLiteral("ready"));
    QFile::remove(ready);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("PULSE_SERVER"));
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // It ends with the test, also when the test crashes, so that nothing waits for its output.
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    const QString script = m_kind == Kind::PipeWire ? QStringLiteral("pipewire-server.sh")
                                                    : QStringLiteral("pulseaudio-server.sh");
    m_daemon.start(QStringLiteral("bash"),
                   {QStringLiteral(KASSOLIN_SOURCE_DIR "/scripts/") + script, m_folder.path()});
    return m_daemon.waitForStarted(10000) &&
           QTest::qWaitFor([&] { return QFile::exists(ready); }, 20000);
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
