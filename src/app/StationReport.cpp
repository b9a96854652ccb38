#include "app/StationReport.h"

using namespace Qt::StringLiterals;

int StationReport::slotsSet() const
{
    return int(std::count_if(slots.begin(), slots.end(),
                             [](const SlotLine &slot) { return !slot.printer.isEmpty(); }));
}

QStringList StationReport::unknownSlotPrinters() const
{
    QStringList unknown;
    if (!printers || printersError)
        return unknown;
    for (const SlotLine &slot : slots) {
        if (!slot.printer.isEmpty() && !printers->contains(slot.printer) &&
            !unknown.contains(slot.printer))
            unknown << slot.printer;
    }
    return unknown;
}

std::optional<qint64> StationReport::lastErrorAgeSeconds() const
{
    if (!lastErrorAt)
        return std::nullopt;
    // A clock set back reads as just now, never as a negative age.
    return std::max<qint64>(0, lastErrorAt->secsTo(takenAt));
}

StatusCode statusExitCode(const StationReport &report)
{
    const bool daemonAnswered =
        report.healthOk && !report.printersError && !report.configError && report.printers;
    if (report.service) {
        const auto kind = report.service->kind();
        if (kind == ServiceState::Kind::stopped || kind == ServiceState::Kind::notInstalled)
            return statusCritical;
    }
    if (!daemonAnswered)
        return statusCritical;
    // The daemon answers, but whether its service runs nobody could say.
    if (!report.service || report.service->kind() == ServiceState::Kind::unknown)
        return statusUnknown;
    const auto age = report.lastErrorAgeSeconds();
    const bool recentError = age && *age < recentErrorSeconds;
    // Any kind the manager may add (a service on its way up) is not yet a plain OK.
    const bool running = report.service->kind() == ServiceState::Kind::running;
    if (!running || report.printers->isEmpty() || !report.unknownSlotPrinters().isEmpty() ||
        recentError)
        return statusWarning;
    return statusOk;
}

QString statusCodeName(StatusCode code)
{
    switch (code) {
    case statusOk:
        return u"OK"_s;
    case statusWarning:
        return u"WARNING"_s;
    case statusCritical:
        return u"CRITICAL"_s;
    case statusUnknown:
        break;
    }
    return u"UNKNOWN"_s;
}
