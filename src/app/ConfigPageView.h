#pragma once

#include <QUrl>
#include <functional>

class QWidget;

// The web view that shows the daemon's configuration page, behind an interface so the window
// around it can be exercised without a browser engine.
class ConfigPageView
{
public:
    virtual ~ConfigPageView() = default;

    virtual QWidget *widget() = 0;
    virtual void load(const QUrl &url) = 0;
    // Abandons a load still under way; nothing happens when none is.
    virtual void stop() = 0;
    // `finished` runs each time a navigation ends, whether it loaded or failed.
    virtual void onLoadFinished(std::function<void()> finished) = 0;
};
