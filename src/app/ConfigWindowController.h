#pragma once

#include "app/ConfigPageModule.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <memory>

// The one window that shows the daemon's web configuration page. Made hidden at start-up and
// reused: closing it only hides it, and every showConfig() reloads the page and brings it
// to the front.
class ConfigWindowController : public QObject
{
    Q_OBJECT

public:
    explicit ConfigWindowController(
        ConfigPageFactory makePage,
        const QUrl &url = QUrl(QStringLiteral("http://127.0.0.1:9020/")),
        QObject *parent = nullptr);

    QUrl url() const { return m_url; }
    QWidget *window() const { return m_window.get(); }
    // The page view, made on the first showConfig(); null before, or when it cannot be made.
    ConfigPageView *webView() const { return m_webView.get(); }

    void showConfig();

private:
    void createWebView();

    const QUrl m_url;
    ConfigPageFactory m_makePage;
    std::unique_ptr<QWidget> m_window;
    // A child of the window, so declared after it: it goes first.
    std::unique_ptr<ConfigPageView> m_webView;
    bool m_shownBefore = false;
    QTimer m_loadTimeout;
};
