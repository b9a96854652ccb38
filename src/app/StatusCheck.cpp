#include "app/StatusCheck.h"

#include "app/AppEnvironment.h"
#include "core/Dispatch.h"
#include "daemon/HealthProbe.h"
#include "log/LogTailRead.h"
#include "ui/LineColouring.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// Wider than the panel's window: the diagnostics want 50 alert lines out of a busy log.
constexpr qint64 logWindowBytes = 256 * 1024;
constexpr qint64 logMaxLines = 5000;
constexpr qsizetype alertLinesKept = 50;

// "2026-03-14 09:12:00" (or with a T) at the start of the line, in local time.
std::optional<QDateTime> lineTime(const QString &line)
{
    if (line.size() < 19)
        return std::nullopt;
    QString stamp = line.left(19);
    stamp[10] = u' ';
    const QDateTime at = QDateTime::fromString(stamp, u"yyyy-MM-dd HH:mm:ss"_s);
    return at.isValid() ? std::optional(at) : std::nullopt;
}

struct LogLook
{
    std::optional<QString> error;
    qint64 size = -1;
    std::optional<QString> lastErrorLine;
    QStringList alertLines;
};

LogLook lookAtLog(const QString &path)
{
    LogLook look;
    const TailRead read = readLogTail(path, logMaxLines, logWindowBytes);
    look.error = read.fileError;
    if (!read.fileError)
        look.size = QFileInfo(path).size();
    for (const QString &line : read.lines.value_or(QStringList())) {
        const Tone tone = colorForLine(line);
        if (tone == Tone::red)
            look.lastErrorLine = line;
        if (tone == Tone::red || tone == Tone::orange)
            look.alertLines << line;
    }
    if (look.alertLines.size() > alertLinesKept)
        look.alertLines = look.alertLines.mid(look.alertLines.size() - alertLinesKept);
    return look;
}

// Runs `job` off the main thread and hands its result to `apply` on the main thread, unless the
// check is gone by then. The application object outlives every check.
template<typename Job, typename Apply>
void offMain(StatusCheck *check, Job job, Apply apply)
{
    Dispatch::toPool(Dispatch::utilityPool(), [self = QPointer(check), job, apply] {
        auto result = job();
        Dispatch::toMain(QCoreApplication::instance(), [self, result, apply] {
            if (self)
                apply(result);
        });
    });
}

} // namespace

StatusCheck::StatusCheck(const AppEnvironment &environment, Detail detail, QObject *parent)
    : QObject(parent)
    , m_detail(detail)
    , m_control(environment.serviceControl)
    , m_healthUrl(environment.daemonBase + DaemonAddress::healthPath)
    , m_printerList(environment.daemonBase + DaemonAddress::printersPath)
    , m_configSummary(environment.daemonBase + DaemonAddress::configPath)
    , m_rawPrinters(this)
    , m_rawConfig(this)
{
    m_report.logPath = environment.logPath;
    m_bound.setSingleShot(true);
    connect(&m_bound, &QTimer::timeout, this, [this] {
        m_partsLeft = 0;
        partDone();
    });
}

void StatusCheck::start()
{
    m_report.takenAt = QDateTime::currentDateTime();
    m_partsLeft = m_detail == Detail::diagnostics ? 7 : 5;
    m_bound.start(boundMs);

    offMain(
        this, [control = m_control] { return control->queryState(); },
        [this](const ServiceState &state) {
            m_report.service = state;
            partDone();
        });
    offMain(
        this, [url = m_healthUrl] { return probeHealthEndpoint(url); },
        [this](bool ok) {
            m_report.healthOk = ok;
            partDone();
        });
    offMain(
        this, [path = m_report.logPath] { return lookAtLog(path); },
        [this](const LogLook &look) {
            m_report.logError = look.error;
            m_report.logSize = look.size;
            m_report.lastErrorLine = look.lastErrorLine;
            if (look.lastErrorLine)
                m_report.lastErrorAt = lineTime(*look.lastErrorLine);
            m_report.alertLines = look.alertLines;
            partDone();
        });

    // A change with the loading flag cleared is the answer.
    connect(&m_printerList, &FetchModel::changed, this, [this] {
        if (m_printerList.isLoading())
            return;
        m_report.printersError = m_printerList.lastError();
        if (!m_report.printersError)
            m_report.printers = m_printerList.printers();
        partDone();
    });
    connect(&m_configSummary, &FetchModel::changed, this, [this] {
        if (m_configSummary.isLoading())
            return;
        m_configAnswered = true;
        m_report.configError = m_configSummary.lastError();
        m_report.slots = m_configSummary.slots();
        partDone();
    });
    m_printerList.refresh();
    m_configSummary.refresh();

    if (m_detail != Detail::diagnostics)
        return;
    const auto keep = [this](std::optional<QByteArray> &into) {
        return [this, &into](const DaemonAnswer &answer) {
            into = answer.kind == DaemonAnswer::Kind::body ? answer.body : std::nullopt;
            partDone();
        };
    };
    m_rawPrinters.start(m_printerList.url(), keep(m_report.printersBody));
    m_rawConfig.start(m_configSummary.url(), keep(m_report.configBody));
}

void StatusCheck::partDone()
{
    if (m_done || --m_partsLeft > 0)
        return;
    m_done = true;
    m_bound.stop();
    // Whatever is still in flight has missed the bound.
    if (!m_report.printers && !m_report.printersError)
        m_report.printersError = timedOutText;
    if (!m_configAnswered)
        m_report.configError = timedOutText;
    m_printerList.cancel();
    m_configSummary.cancel();
    m_rawPrinters.cancel();
    m_rawConfig.cancel();
    Q_EMIT finished(m_report);
}
