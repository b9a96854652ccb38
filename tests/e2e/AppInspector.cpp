#include "AppInspector.h"

#include "app/AppDelegate.h"
#include "app/Popover.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// The printer names go up to this many (printerCount tells how many there are): a daemon may send
// 200,000 printers, and a snapshot is asked for every 50 ms.
constexpr int snapshotRows = 100;

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
    const QVariant text = widget->property("text");
    return (text.isValid() ? text : widget->property("plainText")).toString();
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
            {u"text"_s, text},
            {u"geometry"_s, rectJson(QRect(child->mapToGlobal(QPoint(0, 0)), child->size()))},
        });
    }
    return {
        {u"objectName"_s, window->objectName()},
        {u"className"_s, QString::fromLatin1(window->metaObject()->className())},
        {u"geometry"_s, rectJson(window->geometry())},
        {u"widgets"_s, widgets},
    };
}

// The peak resident size since the last reset, in KiB.
qint64 peakRssKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

AppInspector::AppInspector(AppDelegate &delegate, const QString &socketPath)
    : m_delegate(delegate)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->canReadLine())
                    command(socket);
            });
        }
    });
    m_stallMeter.setTimerType(Qt::PreciseTimer);
    connect(&m_stallMeter, &QTimer::timeout, this,
            [this] { m_longestStallMs = std::max(m_longestStallMs, m_sinceTick.restart()); });
    // App-wide: the popover's paints, and the tray's balloons standing in for notifications.
    qApp->installEventFilter(this);
    QLocalServer::removeServer(socketPath);
    m_server.listen(socketPath);
}

bool AppInspector::eventFilter(QObject *watched, QEvent *event)
{
    const bool shown = event->type() == QEvent::Show;
    if (shown && qstrcmp(watched->metaObject()->className(), "QBalloonTip") == 0)
        ++m_trayMessages;
    // Only the first paint after showing counts, once the children have painted too; on the
    // clock of Python's time.monotonic().
    if (watched->objectName() == u"popover") {
        if (shown)
            m_awaitingPaint = true;
        else if (event->type() == QEvent::Paint && std::exchange(m_awaitingPaint, false))
            QTimer::singleShot(
                0, this, [this] { m_popoverPaintedAtMs = QDeadlineTimer::current().deadline(); });
    }
    return QObject::eventFilter(watched, event);
}

void AppInspector::command(QLocalSocket *socket)
{
    const QByteArray name = socket->readLine().trimmed();
    PanelModels &models = m_delegate.models();
    if (name == "open") {
        m_delegate.openPopover();
    } else if (name == "close") {
        // Lets a run go on past a panel that the desktop's clicks and keys failed to close.
        if (Popover *popover = m_delegate.popover())
            popover->close();
        models.stop();
    } else if (name == "refresh") {
        models.printerList.refresh();
        models.configSummary.refresh();
    } else if (name == "restart") {
        models.serviceStatus.restart();
    } else if (name == "reset") {
        m_stallMeter.start(10);
        m_longestStallMs = 0;
        m_sinceTick.start();
        // Starts a fresh peak of the resident size.
        QFile clearRefs(u"/proc/self/clear_refs"_s);
        if (clearRefs.open(QIODevice::WriteOnly))
            clearRefs.write("5");
    }
    socket->write(QJsonDocument(snapshot()).toJson(QJsonDocument::Compact) + '\n');
    socket->disconnectFromServer();
}

QJsonObject AppInspector::snapshot() const
{
    QJsonArray windows;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            windows.append(windowJson(window));
    }
    PanelModels &models = m_delegate.models();
    const QStringList lines = models.logTailer.lines();
    const QStringList printers = models.printerList.printers();
    return {
        {u"windows"_s, windows},
        {u"popoverShown"_s, m_delegate.popover() && m_delegate.popover()->isShown()},
        {u"configHelperPid"_s, m_delegate.configWindow().helperPid()},
        {u"popoverPaintedAtMs"_s, m_popoverPaintedAtMs},
        {u"trayMessages"_s, m_trayMessages},
        {u"pollingTimers"_s, QJsonObject{{u"logTailer"_s, activeTimers(models.logTailer)},
                                         {u"serviceStatus"_s, activeTimers(models.serviceStatus)}}},
        {u"state"_s, models.serviceStatus.state().label()},
        {u"apiReachable"_s, models.serviceStatus.apiReachable()},
        {u"printers"_s, QJsonArray::fromStringList(printers.mid(0, snapshotRows))},
        {u"printerCount"_s, printers.size()},
        {u"printersError"_s, models.printerList.lastError().value_or(QString())},
        {u"configError"_s, models.configSummary.lastError().value_or(QString())},
        {u"paymentPrinter"_s, models.configSummary.slots().value(0).printer},
        {u"logLineCount"_s, lines.size()},
        {u"logFirstLine"_s, lines.value(0)},
        {u"logLastLine"_s, lines.value(lines.size() - 1)},
        {u"fileError"_s, models.logTailer.fileError().value_or(QString())},
        {u"longestStallMs"_s, m_longestStallMs},
        {u"peakRssKiB"_s, peakRssKiB()},
    };
}
