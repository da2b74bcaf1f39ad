#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalSocket;
class QTimer;

// One player per user. A later launch that has files to open hands them to the running player
// over a local socket that only this user can reach, and exits with the player's answer.
//
// A request is the four bytes "KSO1" (open) or "KSE1" (add to the list), the payload's size as a
// 32-bit big-endian number, and the payload: absolute paths, each ended by a NUL byte (the one byte
// no path holds). The answer is one byte, the status the receiver passes to its reply. A request
// larger than maximumPayloadBytes, malformed, followed by more bytes, or not complete within the
// sender timeout is dropped without an answer, and nothing is opened.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        Primary,   // listening for requests
        Secondary, // connected to the running player
        Alone      // neither: no private place for the socket, or something else has its name
    };

    // What the files are for: a new playlist, or more of the one that plays.
    enum class Request
    {
        Open,
        Enqueue
    };

    using Reply = std::function<void(int status)>;
    using OpenHandler =
        std::function<void(Request request, const QStringList& paths, const Reply& reply)>;

    static constexpr qint64 maximumPayloadBytes = 1 << 20;

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "kassolin.socket" in $XDG_RUNTIME_DIR, which only the user can enter; without one, in a
    // folder of our own with mode 0700 in the temporary folder. Empty when that folder exists
    // but is not a private folder of this user.
    static QString socketPathForUser();
    static QByteArray encodeRequest(const QStringList& paths, Request request = Request::Open);

    // Connects first: a running player makes this one Secondary. A socket that refuses the
    // connection is stale and is replaced; a live one is never taken over.
    Role start();
    // Secondary only: sends the paths and waits for the answer; nothing when none comes.
    std::optional<int> forward(const QStringList& paths, Request request = Request::Open);

    void setOpenHandler(OpenHandler handler) { m_openHandler = std::move(handler); }
    void setSenderTimeout(std::chrono::milliseconds timeout) { m_senderTimeout = timeout; }

private:
    void acceptSenders();
    void readRequest(QLocalSocket* sender, QTimer* deadline);

    QString m_socketPath;
    std::unique_ptr<QLocalSocket> m_connection;
    OpenHandler m_openHandler;
    std::chrono::milliseconds m_senderTimeout{2000};
    int m_senders = 0;
    // Last, so that it goes first: its senders count themselves out as they go.
    QLocalServer m_server;
};
