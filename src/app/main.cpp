#include "app/AppEnvironment.h"
#include "app/AppStartup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return runTrayApp(app, AppEnvironment::standard());
}
