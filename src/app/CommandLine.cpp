#include "app/CommandLine.h"

#include "app/AppEnvironment.h"
#include "app/StatusCheck.h"
#include "app/StatusFormat.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

const QCommandLineOption statusOption(u"status"_s,
                                      u"Check the print service, the daemon and its log once, "
                                      "print the result and exit with 0 (OK), 1 (warning), "
                                      "2 (critical) or 3 (unknown). Needs no display."_s);
const QCommandLineOption jsonOption(u"json"_s, u"With --status: print one JSON object."_s);
const QCommandLineOption
    prometheusOption(u"prometheus"_s,
                     u"With --status: print Prometheus metrics (for node_exporter's "
                     "textfile collector)."_s);
const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s}, u"Show this help."_s);
const QCommandLineOption versionOption(QStringList{u"v"_s, u"version"_s}, u"Show the version."_s);

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CommandLine::CommandLine(int argc, char *argv[], const QList<QCommandLineOption> &extraOptions)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    m_parser.setApplicationDescription(
        u"Tray companion for the Korvel print daemon. Without options it puts its icon into "
        "the system tray."_s);
    m_parser.addOptions({statusOption, jsonOption, prometheusOption, helpOption, versionOption});
    m_parser.addOptions(extraOptions);
    // QApplication's own options (-platform xcb, -style …) still reach it in the tray mode.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "style", "stylesheet", "display", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), {}, u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char *name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    if (!m_parser.parse(arguments)) {
        m_action = Action::invalid;
        m_error = m_parser.errorText();
        return;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_action = Action::invalid;
        m_error = u"Unexpected argument: "_s + m_parser.positionalArguments().constFirst();
        return;
    }
    if (m_parser.isSet(jsonOption) && m_parser.isSet(prometheusOption)) {
        m_action = Action::invalid;
        m_error = u"--json and --prometheus exclude each other."_s;
        return;
    }
    if (m_parser.isSet(helpOption))
        m_action = Action::help;
    else if (m_parser.isSet(versionOption))
        m_action = Action::version;
    // Either format alone asks for the check too.
    else if (m_parser.isSet(statusOption) || m_parser.isSet(jsonOption) ||
             m_parser.isSet(prometheusOption))
        m_action = Action::status;
    m_format = m_parser.isSet(jsonOption)         ? Format::json
               : m_parser.isSet(prometheusOption) ? Format::prometheus
                                                  : Format::text;
}

QString CommandLine::usage() const
{
    return m_parser.helpText() +
           u"\nExit status of --status: 0 OK, 1 warning (a slot names a printer the daemon does "
           "not list, an error line in the last 10 minutes, or no printers), 2 critical (the "
           "service is not running, /health is not OK, or the daemon does not answer), 3 unknown "
           "(the service manager did not answer).\n"_s;
}

int CommandLine::runWithoutGui(const AppEnvironment &environment) const
{
    switch (m_action) {
    case Action::help:
        print(stdout, usage().toLocal8Bit());
        return 0;
    case Action::version:
        print(stdout, QByteArrayLiteral("korvel-printer " KORVEL_VERSION "\n"));
        return 0;
    case Action::invalid:
        print(stderr, (u"korvel-printer: "_s + m_error + u"\n\n"_s + usage()).toLocal8Bit());
        return 2;
    case Action::tray:
    case Action::status:
        break;
    }
    StatusCheck check(environment, StatusCheck::Detail::status);
    int code = statusUnknown;
    bool managerAnswered = true;
    QObject::connect(&check, &StatusCheck::finished, &check, [&](const StationReport &report) {
        code = statusExitCode(report);
        managerAnswered = report.service.has_value();
        switch (m_format) {
        case Format::text:
            print(stdout, StatusFormat::text(report).toUtf8());
            break;
        case Format::json:
            print(stdout, StatusFormat::json(report));
            break;
        case Format::prometheus:
            print(stdout, StatusFormat::prometheus(report));
            break;
        }
        QCoreApplication::quit();
    });
    check.start();
    QCoreApplication::exec();
    // A pool thread still blocked on the service manager must hold up neither the exit nor
    // the teardown of the bus it waits on.
    if (!managerAnswered) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
