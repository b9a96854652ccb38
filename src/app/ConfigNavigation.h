#pragma once

#include <QUrl>

// What the configuration window does with a navigation: only the daemon's own pages load in it;
// another web address goes to the user's browser; anything else (files, scripts) goes nowhere.
enum class ConfigNavigation { load, openInBrowser, refuse };

// `daemon` is the page the window was opened on; `mainFrame` is false for an embedded frame,
// which never leaves the window.
ConfigNavigation configNavigation(const QUrl &target, const QUrl &daemon, bool mainFrame);
