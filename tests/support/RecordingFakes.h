#pragma once

#include "platform/DesktopIntegration.h"
#include "platform/SharePicker.h"
#include "platform/UserPrompts.h"

#include <QStringList>
#include <QUrl>

// Records what the log actions ask of the desktop instead of starting helpers.
class RecordingDesktop : public DesktopIntegration
{
public:
    void openInLogViewer(const QString &path) override { openedInLogViewer.append(path); }
    void revealInFileBrowser(const QString &path) override { revealed.append(path); }
    PreparedDirectory shareDirectory() override { return share; }
    void bringToFront() override { broughtToFront = true; }

    PreparedDirectory share;
    QStringList openedInLogViewer;
    QStringList revealed;
    bool broughtToFront = false;
};

// Keeps each save dialog open until the test calls `answer`, and keeps the warnings.
class RecordingPrompts : public UserPrompts
{
public:
    void chooseSaveLocation(const QString &, const QString &suggestedName,
                            std::function<void(std::optional<QString>)> chosen) override
    {
        saveDialogs.append(suggestedName);
        answer = std::move(chosen);
    }
    void warn(const QString &message) override { warnings.append(message); }

    QStringList saveDialogs;
    std::function<void(std::optional<QString>)> answer;
    QStringList warnings;
};

class RecordingSharePicker : public SharePicker
{
public:
    void show(const QList<QUrl> &items, QWidget *anchor) override
    {
        shown.append(items);
        anchors.append(anchor);
    }

    QList<QList<QUrl>> shown;
    QList<QWidget *> anchors;
};
