#include "ChaosRig.h"

#include "daemon/DaemonAddress.h"
#include "platform/Platform.h"
#include "platform/macos/LaunchdServiceControl.h"
#include "ui/PopoverView.h"

#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

class NoSharePicker : public SharePicker
{
public:
    void show(const QList<QUrl> &, QWidget *) override {}
};

// Long texts are cut: the driver needs their start and their size, not megabytes of JSON.
QString excerpt(const QString &text)
{
    constexpr qsizetype limit = 160;
    return text.size() <= limit ? text : text.left(limit) + u"…"_s;
}

// From /proc/self/status, in KiB.
qint64 memoryFigure(QByteArrayView field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Starts a fresh peak so that each case measures its own.
void resetPeakMemory()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// The service faults are process faults, so they run against the launchd control and its
// stand-ins on every system.
std::shared_ptr<ServiceControl> serviceControlFor(const ChaosTargets &targets)
{
    LaunchdTools tools;
    tools.launchctlPath = targets.launchctlPath;
    tools.osascriptPath = targets.osascriptPath;
    return std::make_shared<LaunchdServiceControl>(tools);
}

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(excerpt(*text)) : QJsonValue();
}

} // namespace

ChaosRig::ChaosRig(const ChaosTargets &targets, QObject *parent)
    : QObject(parent)
    , m_logTailer(targets.logPath, 300, 65536, makeDesktopIntegration(), makeUserPrompts(), this)
    , m_serviceStatus(serviceControlFor(targets),
                      QUrl(targets.daemonBase + DaemonAddress::healthPath), this)
    , m_printerList(targets.daemonBase + DaemonAddress::printersPath, this)
    , m_configSummary(targets.daemonBase + DaemonAddress::configPath, this)
    , m_sharePicker(std::make_unique<NoSharePicker>())
    , m_view(std::make_unique<PopoverView>(
          m_logTailer, m_serviceStatus, m_printerList, m_configSummary, [] {}, *m_sharePicker))
{
    m_view->show();
    m_logTailer.start();
    m_serviceStatus.start();
    m_printerList.refresh();
    m_configSummary.refresh();
}

ChaosRig::~ChaosRig() = default;

QJsonObject ChaosRig::handle(const QString &command)
{
    if (command == u"snapshot")
        return snapshot();
    if (command == u"refresh") {
        m_printerList.refresh();
        m_configSummary.refresh();
    } else if (command == u"restart") {
        m_serviceStatus.restart();
    } else if (command == u"reset") {
        m_stallMeter.reset();
        resetPeakMemory();
    } else {
        return {{u"error"_s, QString(u"unknown command: "_s + command)}};
    }
    return {{u"ok"_s, true}};
}

QJsonObject ChaosRig::snapshot() const
{
    const QStringList lines = m_logTailer.lines();
    qsizetype longestLine = 0;
    for (const QString &line : lines)
        longestLine = std::max(longestLine, line.size());

    QJsonArray slots;
    for (const SlotLine &slot : m_configSummary.slots())
        slots.append(QJsonObject{
            {u"id"_s, slot.id}, {u"printer"_s, slot.printer}, {u"reverse"_s, slot.reverse}});

    return {
        {u"state"_s, m_serviceStatus.state().label()},
        {u"apiReachable"_s, m_serviceStatus.apiReachable()},
        {u"printers"_s, QJsonArray::fromStringList(m_printerList.printers())},
        {u"printersError"_s, optionalText(m_printerList.lastError())},
        {u"printersLoading"_s, m_printerList.isLoading()},
        {u"configError"_s, optionalText(m_configSummary.lastError())},
        {u"configLoading"_s, m_configSummary.isLoading()},
        {u"slots"_s, slots},
        {u"logLineCount"_s, lines.size()},
        {u"logFirstLine"_s, lines.isEmpty() ? QString() : excerpt(lines.first())},
        {u"logLastLine"_s, lines.isEmpty() ? QString() : excerpt(lines.last())},
        {u"logLongestLine"_s, longestLine},
        {u"fileError"_s, optionalText(m_logTailer.fileError())},
        {u"panel"_s, panelTexts()},
        {u"longestStallMs"_s, m_stallMeter.longestGapMs()},
        {u"rssKiB"_s, memoryFigure("VmRSS:")},
        {u"peakRssKiB"_s, memoryFigure("VmHWM:")},
    };
}

// The texts a person would read on the panel: every visible named label, and the log rows.
QJsonObject ChaosRig::panelTexts() const
{
    QJsonObject texts;
    for (const QLabel *label : m_view->findChildren<QLabel *>()) {
        if (!label->objectName().isEmpty() && label->isVisibleTo(m_view.get()))
            texts.insert(label->objectName(), excerpt(label->text()));
    }
    if (const auto *rows = m_view->findChild<QPlainTextEdit *>(u"logLines"_s);
        rows && rows->isVisibleTo(m_view.get()))
        texts.insert(u"logLines"_s, rows->document()->blockCount());
    return texts;
}
