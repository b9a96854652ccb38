#include "app/DaemonOnlyPage.h"

#include "app/ConfigNavigation.h"

#include <QDesktopServices>

DaemonOnlyPage::DaemonOnlyPage(const QUrl &daemon, QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_daemon(daemon)
{}

bool DaemonOnlyPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    switch (configNavigation(url, m_daemon, isMainFrame)) {
    case ConfigNavigation::load:
        return true;
    case ConfigNavigation::openInBrowser:
        QDesktopServices::openUrl(url);
        return false;
    case ConfigNavigation::refuse:
        return false;
    }
    return false;
}
