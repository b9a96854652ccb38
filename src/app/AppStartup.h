#pragma once

#include <functional>

class AppDelegate;
class QApplication;
struct AppEnvironment;

// Runs the tray app with `environment` until Quit, or hands over to the instance already running
// and returns 0 at once. `launched` sees the delegate once its status item and popover exist.
int runTrayApp(QApplication &app, const AppEnvironment &environment,
               const std::function<void(AppDelegate &)> &launched = {});
