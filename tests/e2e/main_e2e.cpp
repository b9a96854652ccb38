// The app as shipped, with its outside world pointed at fakes and an inspection socket.
#include "AppInspector.h"
#include "app/AppDelegate.h"
#include "app/AppEnvironment.h"
#include "app/AppStartup.h"
#include "app/CommandLine.h"
#include "platform/Platform.h"
#include "platform/linux/SystemdServiceControl.h"
#include "platform/linux/SystemdUnitWatcher.h"

#include <QApplication>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Buses at these addresses stand in for the system and the session bus.
const QCommandLineOption systemBus(u"system-bus"_s, u"System bus address."_s, u"address"_s);
const QCommandLineOption sessionBus(u"session-bus"_s, u"Session bus address."_s, u"address"_s);
const QCommandLineOption daemonBase(u"daemon-base"_s, u"Daemon base URL."_s, u"url"_s);
const QCommandLineOption logFile(u"log"_s, u"Daemon log file."_s, u"path"_s);
const QCommandLineOption inspect(u"inspect"_s, u"Inspection socket."_s, u"path"_s);

AppEnvironment fakedEnvironment(const QCommandLineParser &parser)
{
    AppEnvironment environment = AppEnvironment::standard();
    if (parser.isSet(daemonBase))
        environment.daemonBase = parser.value(daemonBase);
    const auto bus = [&](const QCommandLineOption &option, QDBusConnection::BusType standard) {
        return parser.isSet(option) ? BusReconnector::create(parser.value(option))
                                    : BusReconnector::create(standard);
    };
    const auto system = bus(systemBus, QDBusConnection::SystemBus);
    const auto session = bus(sessionBus, QDBusConnection::SessionBus);
    environment.serviceControl = std::make_shared<SystemdServiceControl>(system, session);
    environment.makeServiceWatcher = [=] {
        return std::make_unique<SystemdUnitWatcher>(system, session);
    };
    if (parser.isSet(logFile))
        environment.logPath = parser.value(logFile);
    environment.configHelperPath = QStringLiteral(KORVEL_CONFIG_HELPER);
    return environment;
}

} // namespace

int main(int argc, char *argv[])
{
    forbidSessionBusAutolaunch();
    const CommandLine commandLine(argc, argv,
                                  {daemonBase, systemBus, sessionBus, logFile, inspect});
    const QCommandLineParser &parser = commandLine.parser();
    if (commandLine.action() != CommandLine::Action::tray) {
        QCoreApplication app(argc, argv);
        return commandLine.runWithoutGui(fakedEnvironment(parser));
    }
    const bool platformChosen = chooseTrayPlatform();
    QApplication app(argc, argv);
    if (platformChosen)
        qunsetenv("QT_QPA_PLATFORM");
    const AppEnvironment environment = fakedEnvironment(parser);
    std::unique_ptr<AppInspector> inspector;
    return runTrayApp(app, environment, [&](AppDelegate &delegate) {
        if (parser.isSet(inspect))
            inspector = std::make_unique<AppInspector>(delegate, parser.value(inspect));
    });
}
