#include "app/AppEnvironment.h"
#include "app/AppStartup.h"
#include "app/CommandLine.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    forbidSessionBusAutolaunch();
    const CommandLine commandLine(argc, argv);
    if (commandLine.action() != CommandLine::Action::tray) {
        // No display needed: the GUI platform plugin is never loaded.
        QCoreApplication app(argc, argv);
        return commandLine.runWithoutGui(AppEnvironment::standard());
    }
    const bool platformChosen = chooseTrayPlatform();
    QApplication app(argc, argv);
    if (platformChosen)
        qunsetenv("QT_QPA_PLATFORM");
    return runTrayApp(app, AppEnvironment::standard());
}
