#include "app/SingleInstance.h"

#include "core/PreparedDirectory.h"
#include "platform/PeerUid.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray openRequest = "open\n";
constexpr int connectWaitMs = 1000;

bool isOurs(const QLocalSocket &socket)
{
    return peerUid(socket.socketDescriptor()) == uint(::geteuid());
}

// A directory that only this user can enter: the runtime directory when it is ours, else one of
// our own in the cache. Never /tmp, where another user could answer in our place.
std::optional<QString> privateSocketDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime))
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const PreparedDirectory own =
        preparePrivateDirectory(QDir(cache).filePath(u"korvel-printer"_s), u"instance"_s);
    if (own.ok())
        return own.path;
    qWarning("Korvel Printer: no private directory for the instance socket: %s",
             qUtf8Printable(own.error));
    return std::nullopt;
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_lock(name.isEmpty() ? QString() : name + ".lock"_L1)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

QString SingleInstance::standardName()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    const std::optional<QString> directory = privateSocketDirectory();
    return directory ? socketName(*directory, ::getuid(), display) : QString();
}

QString SingleInstance::socketName(const QString &directory, uint uid, const QString &display)
{
    static const QRegularExpression unsafe(u"[^A-Za-z0-9._-]"_s);
    QString safeDisplay = display;
    safeDisplay.replace(unsafe, u"_"_s);
    return QDir(directory).filePath(u"korvel-printer-%1-%2"_s.arg(uid).arg(safeDisplay));
}

bool SingleInstance::handOver()
{
    if (m_name.isEmpty())
        return false;
    // Two starts at once (autostart twice) take turns, so only one of them ends up listening.
    m_lock.lock();
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(connectWaitMs) && isOurs(socket)) {
        socket.write(openRequest);
        socket.waitForBytesWritten(connectWaitMs);
        socket.disconnectFromServer();
        m_lock.unlock();
        return true;
    }
    // Nobody answers: whatever is left at the name is a crashed instance's socket.
    QLocalServer::removeServer(m_name);
    if (!m_server.listen(m_name))
        qWarning("Korvel Printer: cannot listen on %s: %s", qUtf8Printable(m_name),
                 qUtf8Printable(m_server.errorString()));
    m_lock.unlock();
    return false;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!isOurs(*socket)) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == openRequest)
                Q_EMIT activationRequested();
        });
    }
}
