#include "desktop/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

namespace {

constexpr char openMagic[] = "KSO1";
constexpr char enqueueMagic[] = "KSE1";
constexpr qint64 headerBytes = 8;
// Senders connected at once; more are turned away until one has finished.
constexpr int maximumSenders = 8;
constexpr int connectTimeoutMs = 2000;
// The running player answers as soon as it has filtered the paths, before it loads a track.
constexpr int answerTimeoutMs = 10000;

std::optional<QStringList> decodePaths(const QByteArray& payload)
{
    if (payload.isEmpty())
        return QStringList{};
    if (!payload.endsWith('\0'))
        return std::nullopt;
    QStringList paths;
    for (const QByteArray& path : payload.chopped(1).split('\0')) {
        if (!path.startsWith('/'))
            return std::nullopt;
        paths << QFile::decodeName(path);
    }
    return paths;
}

void drop(QLocalSocket* sender)
{
    sender->abort();
    sender->deleteLater();
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptSenders);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPathForUser()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        return runtime + QStringLiteral("/kassolin.socket");
    const QString folder =
        QDir::tempPath() + QStringLiteral("/kassolin-%1").arg(static_cast<qulonglong>(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    // Someone else's folder, a link or a folder others may enter would let them in.
    struct stat status = {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 0077) != 0)
        return {};
    return folder + QStringLiteral("/kassolin.socket");
}

QByteArray SingleInstance::encodeRequest(const QStringList& paths, Request kind)
{
    QByteArray payload;
    for (const QString& path : paths)
        payload += QFile::encodeName(path) + '\0';
    QByteArray request(kind == Request::Enqueue ? enqueueMagic : openMagic, 4);
    const quint32 size = qToBigEndian(static_cast<quint32>(payload.size()));
    request.append(reinterpret_cast<const char*>(&size), sizeof size);
    return request + payload;
}

SingleInstance::Role SingleInstance::start()
{
    if (m_socketPath.isEmpty())
        return Role::Alone;
    // Listening replaces whatever file has the socket's name, so two players starting at once
    // take turns: the second then finds the first.
    QLockFile turn(m_socketPath + QStringLiteral(".lock"));
    turn.tryLock(connectTimeoutMs);
    auto connection = std::make_unique<QLocalSocket>();
    connection->connectToServer(m_socketPath);
    if (connection->waitForConnected(connectTimeoutMs)) {
        m_connection = std::move(connection);
        return Role::Secondary;
    }
    const QLocalSocket::LocalSocketError error = connection->error();
    struct stat status = {};
    if (error == QLocalSocket::ConnectionRefusedError &&
        ::lstat(QFile::encodeName(m_socketPath).constData(), &status) == 0 &&
        S_ISSOCK(status.st_mode))
        QLocalServer::removeServer(m_socketPath); // nobody listens on it: left by a crash
    else if (error != QLocalSocket::ServerNotFoundError)
        return Role::Alone;
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(m_socketPath) ? Role::Primary : Role::Alone;
}

std::optional<int> SingleInstance::forward(const QStringList& paths, Request request)
{
    if (!m_connection)
        return std::nullopt;
    m_connection->write(encodeRequest(paths, request));
    while (m_connection->bytesToWrite() > 0) {
        if (!m_connection->waitForBytesWritten(answerTimeoutMs))
            return std::nullopt;
    }
    char status = 0;
    if (!m_connection->waitForReadyRead(answerTimeoutMs) || !m_connection->getChar(&status))
        return std::nullopt;
    return static_cast<unsigned char>(status);
}

void SingleInstance::acceptSenders()
{
    while (QLocalSocket* sender = m_server.nextPendingConnection()) {
        if (m_senders >= maximumSenders) {
            drop(sender);
            continue;
        }
        ++m_senders;
        connect(sender, &QObject::destroyed, this, [this] { --m_senders; });
        connect(sender, &QLocalSocket::disconnected, sender, &QObject::deleteLater);
        // A complete request and one byte more: anything beyond that is refused unread.
        sender->setReadBufferSize(headerBytes + maximumPayloadBytes + 1);
        auto* deadline = new QTimer(sender);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, sender, [sender] { drop(sender); });
        deadline->start(m_senderTimeout);
        connect(sender, &QLocalSocket::readyRead, this,
                [this, sender, deadline] { readRequest(sender, deadline); });
        readRequest(sender, deadline);
    }
}

void SingleInstance::readRequest(QLocalSocket* sender, QTimer* deadline)
{
    const qint64 available = sender->bytesAvailable();
    if (available < headerBytes)
        return;
    const QByteArray header = sender->peek(headerBytes);
    const qint64 size = qFromBigEndian<quint32>(header.constData() + 4);
    const bool enqueue = header.startsWith(enqueueMagic);
    if (!(enqueue || header.startsWith(openMagic)) || size > maximumPayloadBytes)
        return drop(sender);
    if (available < headerBytes + size)
        return;
    sender->skip(headerBytes);
    const std::optional<QStringList> paths = decodePaths(sender->read(size));
    if (available > headerBytes + size || !paths)
        return drop(sender);

    disconnect(sender, &QLocalSocket::readyRead, this, nullptr);
    deadline->stop();
    // Handled from the event loop, not from inside the sender's signal: opening may run an
    // alert's event loop, in which the sender can go away.
    const Request request = enqueue ? Request::Enqueue : Request::Open;
    QTimer::singleShot(0, this,
                       [this, sender = QPointer<QLocalSocket>(sender), paths = *paths, request] {
                           const Reply reply = [sender](int status) {
                               if (!sender || sender->state() != QLocalSocket::ConnectedState)
                                   return;
                               sender->putChar(static_cast<char>(status));
                               sender->disconnectFromServer();
                           };
                           if (m_openHandler)
                               m_openHandler(request, paths, reply);
                       });
}

#include "moc_SingleInstance.cpp"
