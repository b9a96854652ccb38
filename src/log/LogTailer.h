#pragma once

#include "log/LogTailRead.h"
#include "platform/DesktopIntegration.h"
#include "platform/UserPrompts.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Keeps the newest lines of the daemon's log file by re-reading its tail once a second, and
// carries the actions on the whole file.
class LogTailer : public QObject
{
    Q_OBJECT

public:
    // Tests shorten `readInterval`; the app keeps the second.
    LogTailer(const QString &path, qint64 maxLines, qint64 tailWindowBytes,
              std::shared_ptr<DesktopIntegration> desktop, std::shared_ptr<UserPrompts> prompts,
              std::chrono::milliseconds readInterval = std::chrono::seconds(1),
              QObject *parent = nullptr);

    QStringList lines() const { return m_lines; }
    std::optional<QString> fileError() const { return m_fileError; }
    QString path() const { return m_path; }

    // An immediate read, then one per interval; calling it again restarts the one timer.
    void start();
    void stop();

    void openInConsole();
    void openContainingFolder();
    // Asks for a place and copies the whole log there; the completion gets the chosen path, or
    // nothing when the user cancelled or the copy failed (the user has been told).
    void exportLog(std::function<void(std::optional<QString>)> completion = {});
    // Path of a fresh copy of the log for sharing, or nothing after an alert.
    std::optional<QString> prepareShareableLog();
    QString suggestedExportFilename() const;

Q_SIGNALS:
    void linesChanged();
    void fileErrorChanged();

private:
    void readOnce();
    void publish(const TailRead &read);
    void copyExport(const QString &target, std::function<void(std::optional<QString>)> completion);
    void presentError(const QString &message);

    QStringList m_lines;
    std::optional<QString> m_fileError;
    QString m_path;
    qint64 m_maxLines;
    qint64 m_tailWindowBytes;
    std::shared_ptr<DesktopIntegration> m_desktop;
    std::shared_ptr<UserPrompts> m_prompts;
    QTimer m_timer;
};
