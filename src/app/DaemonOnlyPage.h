#pragma once

#include <QWebEnginePage>

// A page that stays on the daemon's origin: a link elsewhere opens in the user's browser, never
// inside a window titled as ours without an address bar.
class DaemonOnlyPage : public QWebEnginePage
{
    Q_OBJECT

public:
    DaemonOnlyPage(const QUrl &daemon, QWebEngineProfile *profile, QObject *parent = nullptr);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    QUrl m_daemon;
};
