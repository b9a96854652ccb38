// The app as shipped, with its outside world pointed at fakes from the command line and an
// inspection socket. Only the end-to-end test runs this build.
#include "AppInspector.h"
#include "app/AppDelegate.h"
#include "app/AppEnvironment.h"
#include "app/AppStartup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption daemonBase(u"daemon-base"_s, u"Daemon base URL."_s, u"url"_s);
    const QCommandLineOption launchctl(u"launchctl"_s, u"launchctl to run."_s, u"path"_s);
    const QCommandLineOption osascript(u"osascript"_s, u"osascript to run."_s, u"path"_s);
    const QCommandLineOption log(u"log"_s, u"Daemon log file."_s, u"path"_s);
    const QCommandLineOption inspect(u"inspect"_s, u"Inspection socket."_s, u"path"_s);
    parser.addOptions({daemonBase, launchctl, osascript, log, inspect});
    parser.addHelpOption();
    parser.process(app);

    AppEnvironment environment = AppEnvironment::standard();
    if (parser.isSet(daemonBase))
        environment.daemonBase = parser.value(daemonBase);
    if (parser.isSet(launchctl))
        environment.launchctlPath = parser.value(launchctl);
    if (parser.isSet(osascript))
        environment.osascriptPath = parser.value(osascript);
    if (parser.isSet(log))
        environment.logPath = parser.value(log);
    environment.configHelperPath = QStringLiteral(KORVEL_CONFIG_HELPER);

    std::unique_ptr<AppInspector> inspector;
    return runTrayApp(app, environment, [&](AppDelegate &delegate) {
        if (!parser.isSet(inspect))
            return;
        inspector = std::make_unique<AppInspector>(delegate);
        if (!inspector->listen(parser.value(inspect)))
            std::fprintf(stderr, "cannot listen on %s\n", qUtf8Printable(parser.value(inspect)));
    });
}
