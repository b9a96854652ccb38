#include "app/AppStartup.h"

#include "app/AppDelegate.h"
#include "app/ApplicationAccessible.h"
#include "app/SingleInstance.h"
#include "core/Translation.h"
#include "ui/WidgetAccessible.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

using namespace Qt::StringLiterals;

int runTrayApp(QApplication &app, const AppEnvironment &environment,
               const std::function<void(AppDelegate &)> &launched)
{
    SingleInstance instance(environment.instanceName);
    if (instance.handOver())
        return 0;

    QApplication::setApplicationName(u"Korvel Printer"_s);
    QApplication::setDesktopFileName(u"korvel-printer"_s);
    // A tray app: closing the configuration window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    installTranslation(app, QLocale::system());

    ApplicationAccessible::installFactory();
    WidgetAccessible::installFactory();

    AppDelegate delegate(environment);
    QObject::connect(&instance, &SingleInstance::activationRequested, &delegate,
                     &AppDelegate::openPopover);
    QTimer::singleShot(0, &delegate, [&delegate, &launched] {
        delegate.applicationDidFinishLaunching();
        if (launched)
            launched(delegate);
    });
    return app.exec();
}
