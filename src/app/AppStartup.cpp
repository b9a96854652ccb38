#include "app/AppStartup.h"

#include "app/AppDelegate.h"
#include "app/PopupPopover.h"
#include "app/TrayStatusItem.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

int runTrayApp(QApplication &app, const AppEnvironment &environment,
               const std::function<void(AppDelegate &)> &launched)
{
    QApplication::setApplicationName(u"Korvel Printer"_s);
    QApplication::setDesktopFileName(u"korvel-printer"_s);
    // A tray app: closing the configuration window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    AppPlatform platform;
    platform.makeStatusItem = [] { return std::make_unique<TrayStatusItem>(); };
    platform.makePopover = [](const PopoverContent &content) {
        return std::make_unique<PopupPopover>(content);
    };

    AppDelegate delegate(environment, std::move(platform));
    QTimer::singleShot(0, &delegate, [&delegate, &launched] {
        delegate.applicationDidFinishLaunching();
        if (launched)
            launched(delegate);
    });
    return app.exec();
}
