#pragma once

#include "app/ConfigPageView.h"

#include <QWebEngineView>

// The configuration page in a browser engine view, on a private profile (the helper keeps no
// cookies, cache or history on disk) that never leaves the daemon's origin.
class WebConfigPageView : public QWebEngineView, public ConfigPageView
{
    Q_OBJECT

public:
    explicit WebConfigPageView(const QUrl &daemon);

    QWidget *widget() override { return this; }
    void load(const QUrl &url) override { QWebEngineView::load(url); }
    void stop() override { QWebEngineView::stop(); }
    void onLoadFinished(std::function<void()> finished) override;
};
