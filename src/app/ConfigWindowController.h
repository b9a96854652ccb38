#pragma once

#include "platform/UserPrompts.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <memory>

// The one window that shows the daemon's web configuration page, hosted by the helper program
// so that the browser engine never loads into the tray app and its memory goes when the window
// closes. showConfig() starts the helper, or tells the running one to reload and come to the
// front; the window's last geometry is kept here and handed to the next helper.
class ConfigWindowController : public QObject
{
    Q_OBJECT

public:
    ConfigWindowController(const QString &helperPath, std::shared_ptr<UserPrompts> prompts,
                           const QUrl &url, QObject *parent = nullptr);
    // Ends the helper: it quits when its input closes, and is killed if it lingers.
    ~ConfigWindowController() override;

    // The running helper's process id, or 0.
    qint64 helperPid() const;

    void showConfig();

private:
    void startHelper();
    void readHelper();
    void helperGone();

    const QString m_helperPath;
    const std::shared_ptr<UserPrompts> m_prompts;
    const QUrl m_url;
    QPointer<QProcess> m_helper;
    QByteArray m_geometry;
};
