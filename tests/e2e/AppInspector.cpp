#include "AppInspector.h"

#include "app/AppDelegate.h"
#include "ui/ElidedLabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

qint64 monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int activeTimers(const QObject &model)
{
    int active = 0;
    for (const QTimer *timer : model.findChildren<QTimer *>(Qt::FindDirectChildrenOnly))
        active += timer->isActive() ? 1 : 0;
    return active;
}

QJsonArray rectJson(const QRect &rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QString widgetText(const QWidget *widget)
{
    if (const auto *elided = qobject_cast<const ElidedLabel *>(widget))
        return elided->text();
    if (const auto *view = qobject_cast<const QAbstractItemView *>(widget)) {
        QStringList rows;
        for (int row = 0; view->model() && row < view->model()->rowCount(); ++row)
            rows.append(view->model()->index(row, 0).data().toString());
        return rows.join(u'\n');
    }
    for (const char *name : {"text", "plainText"}) {
        const QVariant value = widget->property(name);
        if (value.isValid())
            return value.toString();
    }
    return {};
}

QJsonObject windowJson(const QWidget *window)
{
    QJsonArray widgets;
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(window))
            continue;
        const QString text = widgetText(child);
        if (text.isEmpty() && child->objectName().isEmpty())
            continue;
        widgets.append(QJsonObject{
            {u"objectName"_s, child->objectName()},
            {u"className"_s, QString::fromLatin1(child->metaObject()->className())},
            {u"text"_s, text},
            {u"geometry"_s, rectJson(QRect(child->mapToGlobal(QPoint(0, 0)), child->size()))},
        });
    }
    return {
        {u"objectName"_s, window->objectName()},
        {u"className"_s, QString::fromLatin1(window->metaObject()->className())},
        {u"title"_s, window->windowTitle()},
        {u"geometry"_s, rectJson(window->geometry())},
        {u"widgets"_s, widgets},
    };
}

} // namespace

AppInspector::AppInspector(AppDelegate &delegate, QObject *parent)
    : QObject(parent)
    , m_delegate(delegate)
{
    connect(&m_server, &QLocalServer::newConnection, this, &AppInspector::answer);
    // App-wide: the popover's paints, and the tray's own balloons, which stand in for
    // notifications where no service shows them.
    qApp->installEventFilter(this);
}

bool AppInspector::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show &&
        qstrcmp(watched->metaObject()->className(), "QBalloonTip") == 0)
        ++m_trayMessages;
    // Children paint after the window's own event; the queued call runs once all of it is done.
    // Only the popover's first paint after showing counts: later ones are the data arriving.
    if (watched->objectName() != u"popover")
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show)
        m_awaitingPaint = true;
    if (event->type() == QEvent::Paint && m_awaitingPaint) {
        m_awaitingPaint = false;
        QTimer::singleShot(0, this, [this] { m_popoverPaintedAtMs = monotonicMs(); });
    }
    return QObject::eventFilter(watched, event);
}

bool AppInspector::listen(const QString &socketPath)
{
    QLocalServer::removeServer(socketPath);
    return m_server.listen(socketPath);
}

QJsonObject AppInspector::snapshot() const
{
    QJsonArray windows;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            windows.append(windowJson(window));
    }
    const StatusItem *item = m_delegate.statusItem();
    return {
        {u"windows"_s, windows},
        {u"popoverShown"_s, m_delegate.popover() && m_delegate.popover()->isShown()},
        {u"trayGeometry"_s, rectJson(item ? item->geometry() : QRect())},
        {u"configHelperPid"_s, m_delegate.configWindow().helperPid()},
        {u"popoverPaintedAtMs"_s, m_popoverPaintedAtMs},
        {u"trayMessages"_s, m_trayMessages},
        {u"pollingTimers"_s,
         QJsonObject{{u"logTailer"_s, activeTimers(m_delegate.logTailer())},
                     {u"serviceStatus"_s, activeTimers(m_delegate.serviceStatus())}}},
    };
}

void AppInspector::answer()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->write(QJsonDocument(snapshot()).toJson(QJsonDocument::Compact));
        socket->write("\n");
        socket->disconnectFromServer();
    }
}
