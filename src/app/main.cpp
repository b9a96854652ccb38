#include "app/AppEnvironment.h"
#include "app/AppStartup.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    forbidSessionBusAutolaunch();
    QApplication app(argc, argv);
    return runTrayApp(app, AppEnvironment::standard());
}
