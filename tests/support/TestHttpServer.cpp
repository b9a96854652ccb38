#include "TestHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

TestHttpServer::TestHttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::accept);
    m_server.listen(QHostAddress::LocalHost);
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void TestHttpServer::setResponse(const QString &path, const Response &response)
{
    m_responses.insert(path, response);
}

void TestHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket->property("path").isValid() && !socket->property("replied").toBool())
                m_abandoned[socket->property("path").toString()] += 1;
            socket->deleteLater();
        });
    }
}

void TestHttpServer::readRequest(QTcpSocket *socket)
{
    if (socket->property("answered").toBool())
        return;
    QByteArray buffered = socket->property("buffer").toByteArray() + socket->readAll();
    const qsizetype headEnd = buffered.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        socket->setProperty("buffer", buffered);
        return;
    }
    socket->setProperty("answered", true);
    // The request line's second word.
    const QString path = QString::fromLatin1(buffered.left(headEnd).split(' ').value(1));
    m_counts[path] += 1;
    socket->setProperty("path", path);

    const Response response = m_responses.value(path, Response{404, "not found"});
    if (response.delayMs <= 0) {
        answer(socket, response);
        return;
    }
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(response.delayMs, this, [this, guarded, response] {
        if (guarded)
            answer(guarded, response);
    });
}

void TestHttpServer::answer(QTcpSocket *socket, const Response &response)
{
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
    reply += "Content-Type: application/json\r\n";
    reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += response.body;
    socket->setProperty("replied", true);
    socket->write(reply);
    socket->disconnectFromHost();
}
