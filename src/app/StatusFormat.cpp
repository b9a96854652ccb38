#include "app/StatusFormat.h"

#include "ui/RelativeTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace StatusFormat {

namespace {

QString kindName(const std::optional<ServiceState> &state)
{
    if (!state)
        return u"no-answer"_s;
    switch (state->kind()) {
    case ServiceState::Kind::running:
        return u"running"_s;
    case ServiceState::Kind::stopped:
        return u"stopped"_s;
    case ServiceState::Kind::notInstalled:
        return u"not-installed"_s;
    case ServiceState::Kind::unknown:
        return u"unknown"_s;
    default:
        // A kind added later is still named, just not by us.
        return state->label().toLower();
    }
}

QJsonValue optionalText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QString logText(const StationReport &report)
{
    if (report.logError)
        return *report.logError;
    if (!report.lastErrorLine)
        return u"no error lines"_s;
    if (!report.lastErrorAt)
        return u"last error: "_s + *report.lastErrorLine;
    return u"last error "_s + relativeTimeString(*report.lastErrorAt, report.takenAt) + u": "_s +
           *report.lastErrorLine;
}

} // namespace

QString serviceText(const StationReport &report)
{
    return report.service ? report.service->label()
                          : u"Unknown: the service manager did not answer"_s;
}

QString text(const StationReport &report)
{
    // The verdict first: a monitoring system shows the first line as the check's summary.
    QStringList lines{u"status: "_s + statusCodeName(statusExitCode(report))};
    lines << u"service: "_s + serviceText(report);
    lines << u"health: "_s + (report.healthOk ? u"OK"_s : u"not reachable"_s);
    lines << u"printers: "_s + (report.printersError ? QString(u"error: "_s + *report.printersError)
                                : report.printers    ? QString::number(report.printers->size())
                                                     : u"no answer"_s);
    QString slots = report.configError ? QString(u"error: "_s + *report.configError)
                                       : QString::number(report.slotsSet()) + u" of "_s +
                                             QString::number(report.slots.size()) + u" set"_s;
    const QStringList unknown = report.unknownSlotPrinters();
    if (!unknown.isEmpty())
        slots += u"; not listed by the daemon: "_s + unknown.join(u", "_s);
    lines << u"slots: "_s + slots;
    lines << u"log: "_s + logText(report);
    return lines.join(u'\n') + u'\n';
}

QByteArray json(const StationReport &report)
{
    QJsonArray slots;
    for (const SlotLine &slot : report.slots)
        slots << QJsonObject{{u"id"_s, slot.id},
                             {u"name"_s, slot.name},
                             {u"printer"_s, slot.printer.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                                   : QJsonValue(slot.printer)}};
    QJsonObject lastError;
    if (report.lastErrorLine) {
        const auto age = report.lastErrorAgeSeconds();
        lastError = {{u"line"_s, *report.lastErrorLine},
                     {u"age_seconds"_s, age ? QJsonValue(*age) : QJsonValue(QJsonValue::Null)}};
    }
    const StatusCode code = statusExitCode(report);
    const QJsonObject object{
        {u"status"_s, statusCodeName(code)},
        {u"exit_code"_s, int(code)},
        {u"checked_at"_s,
         report.takenAt.toOffsetFromUtc(report.takenAt.offsetFromUtc()).toString(Qt::ISODate)},
        {u"service"_s, QJsonObject{{u"state"_s, kindName(report.service)},
                                   {u"text"_s, serviceText(report)},
                                   {u"pid"_s, report.service && report.service->pid() > 0
                                                  ? QJsonValue(report.service->pid())
                                                  : QJsonValue(QJsonValue::Null)}}},
        {u"health_ok"_s, report.healthOk},
        {u"printers"_s, report.printers ? QJsonValue(QJsonArray::fromStringList(*report.printers))
                                        : QJsonValue(QJsonValue::Null)},
        {u"printers_error"_s, optionalText(report.printersError)},
        {u"slots"_s, slots},
        {u"slots_set"_s, report.slotsSet()},
        {u"slots_unlisted_printers"_s, QJsonArray::fromStringList(report.unknownSlotPrinters())},
        {u"config_error"_s, optionalText(report.configError)},
        {u"log"_s,
         QJsonObject{{u"path"_s, report.logPath},
                     {u"error"_s, optionalText(report.logError)},
                     {u"last_error"_s, report.lastErrorLine ? QJsonValue(lastError)
                                                            : QJsonValue(QJsonValue::Null)}}},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray prometheus(const StationReport &report)
{
    QByteArray out;
    const auto gauge = [&out](const char *name, const char *help, std::optional<qint64> value) {
        out += "# HELP korvel_printer_"_ba + name + ' ' + help + "\n# TYPE korvel_printer_" + name +
               " gauge\n";
        // No sample at all says "not known" better than a made-up number.
        if (value)
            out += "korvel_printer_"_ba + name + ' ' + QByteArray::number(*value) + '\n';
    };
    const bool running = report.service && report.service->kind() == ServiceState::Kind::running;
    gauge("service_running", "Whether the print service is running (1) or not (0).", running);
    gauge("health_ok", "Whether the daemon's /health answers 200 (1) or not (0).", report.healthOk);
    gauge("printers", "Printers the daemon lists; absent when it did not answer.",
          report.printers ? std::optional<qint64>(report.printers->size()) : std::nullopt);
    gauge("slots_set", "Printer slots with a printer assigned.", report.slotsSet());
    gauge("last_error_age_seconds",
          "Age of the newest error line in the log; absent when there is none.",
          report.lastErrorAgeSeconds());
    gauge("check_status", "The check's verdict: 0 OK, 1 warning, 2 critical, 3 unknown.",
          statusExitCode(report));
    return out;
}

} // namespace StatusFormat
