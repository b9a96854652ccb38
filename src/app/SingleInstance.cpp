#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray openRequest = "open\n";
constexpr int connectWaitMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_lock(name + ".lock"_L1)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

QString SingleInstance::standardName()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    // The runtime directory is the user's own, so no other user can stand in for the instance.
    return socketName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), ::getuid(),
                      display);
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
    // Two starts at once (autostart twice) take turns, so only one of them ends up listening.
    m_lock.lock();
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(connectWaitMs)) {
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == openRequest)
                Q_EMIT activationRequested();
        });
    }
}
