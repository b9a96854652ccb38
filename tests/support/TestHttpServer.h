#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A loopback HTTP/1.1 server for tests: answers each path with a scripted response, optionally
// late, and records what it was asked.
class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
    };

    explicit TestHttpServer(QObject *parent = nullptr);

    QUrl url(const QString &path) const;

    // Paths without a response get 404.
    void setResponse(const QString &path, const Response &response);
    int requestCount(const QString &path) const { return m_counts.value(path); }
    // Requests whose client closed the connection before the answer: they can bring nothing.
    int abandonedCount(const QString &path) const { return m_abandoned.value(path); }

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Response &response);

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    QHash<QString, int> m_counts;
    QHash<QString, int> m_abandoned;
};
