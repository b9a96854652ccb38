#include "app/DiagnosticsText.h"

#include "app/StatusFormat.h"

#include <QJsonDocument>
#include <QLibraryInfo>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace {

// A daemon answer readable by a person: indented JSON when it is JSON, else as it came.
QString answerText(const std::optional<QByteArray> &body, const std::optional<QString> &error)
{
    QString text;
    if (error)
        text += u"error: "_s + *error + u'\n';
    if (!body)
        return text + u"(no answer)\n"_s;
    const QJsonDocument document = QJsonDocument::fromJson(*body);
    // Bounded: a runaway answer must not flood the clipboard.
    constexpr qsizetype maxBytes = 16 * 1024;
    const QByteArray shown =
        document.isNull() ? body->left(maxBytes) : document.toJson(QJsonDocument::Indented);
    return text + QString::fromUtf8(shown.left(maxBytes)) + u'\n';
}

QString environmentValue(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? u"(unset)"_s : value;
}

} // namespace

QString diagnosticsText(const StationReport &report, const DiagnosticsContext &context)
{
    QString text =
        u"Korvel Printer diagnostics, "_s + report.takenAt.toString(Qt::ISODate) + u"\n\n"_s;
    text += u"App: korvel-printer " KORVEL_VERSION u" (Qt "_s + QString::fromLatin1(qVersion()) +
            u"; "_s + QString::fromLatin1(QLibraryInfo::build()) + u")\n"_s;
    text += u"OS: "_s + QSysInfo::prettyProductName() + u", kernel "_s + QSysInfo::kernelVersion() +
            u", "_s + QSysInfo::currentCpuArchitecture() + u'\n';
    text += u"Desktop session: "_s + environmentValue("XDG_CURRENT_DESKTOP") + u" ("_s +
            environmentValue("XDG_SESSION_TYPE") + u")\n"_s;
    text += u"Qt platform: "_s + context.qtPlatform + u'\n';
    text += u"Tray host: "_s + context.trayHost + u"\n\n"_s;

    text += u"Service: "_s + StatusFormat::serviceText(report) + u'\n';
    text += u"Health: "_s + (report.healthOk ? u"OK"_s : u"not reachable"_s) + u'\n';
    text += u"Check: "_s + statusCodeName(statusExitCode(report)) + u"\n\n"_s;
    text += u"/printers:\n"_s + answerText(report.printersBody, report.printersError) + u'\n';
    text += u"/config:\n"_s + answerText(report.configBody, report.configError) + u'\n';

    text += u"Log: "_s + report.logPath + u'\n';
    if (report.logError)
        text += *report.logError + u'\n';
    else
        text += u"Size: "_s + QString::number(report.logSize) + u" bytes\n"_s;
    text += u"Last "_s + QString::number(report.alertLines.size()) +
            u" lines with an error or warning keyword:\n"_s;
    for (const QString &line : report.alertLines)
        text += line + u'\n';
    return text;
}
