#pragma once

#include "platform/DesktopIntegration.h"
#include "platform/UserPrompts.h"

#include <QFile>
#include <QStringList>

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class FakeDesktop : public DesktopIntegration
{
public:
    void openInLogViewer(const QString &) override {}
    void revealInFileBrowser(const QString &) override {}
    PreparedDirectory shareDirectory() override { return share; }
    void bringToFront() override { broughtToFront = true; }

    PreparedDirectory share;
    bool broughtToFront = false;
};

// Keeps the save dialog open until the test answers it.
class FakePrompts : public UserPrompts
{
public:
    void chooseSaveLocation(const QString &title, const QString &,
                            std::function<void(std::optional<QString>)> chosen) override
    {
        dialogTitle = title;
        answer = std::move(chosen);
    }
    void warn(const QString &message) override { warnings << message; }

    QString dialogTitle;
    std::function<void(std::optional<QString>)> answer;
    QStringList warnings;
};
