#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// The web view that shows the daemon's configuration page. It lives in a module loaded on first
// use, so the browser engine costs nothing until the window is first opened.
class ConfigPageView
{
public:
    virtual ~ConfigPageView() = default;

    virtual QWidget *widget() = 0;
    virtual void load(const QUrl &url) = 0;
    // Abandons a load still under way; nothing happens when none is.
    virtual void stop() = 0;
    virtual QUrl url() const = 0;
    virtual QString title() const = 0;
};

// The module's one export, looked up by name.
using MakeConfigPageView = ConfigPageView *(*)(QWidget *parent);
inline constexpr char makeConfigPageViewSymbol[] = "korvel_make_config_page_view";
