#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

// Keeps the newest lines of the daemon's log file by re-reading its tail once a second, and
// carries the actions on the whole file.
class LogTailer : public QObject
{
    Q_OBJECT

public:
    // (implementation adds the platform seams it needs after tailWindowBytes, with defaults)
    LogTailer(const QString &path, qint64 maxLines, qint64 tailWindowBytes,
              QObject *parent = nullptr);

    QStringList lines() const;
    std::optional<QString> fileError() const;
    QString path() const;

    void start();
    void stop();

    void openInConsole();
    void openContainingFolder();
    void exportLog(std::function<void(std::optional<QString>)> completion = {});
    // Path of a fresh copy of the log for sharing, or nothing after an alert.
    std::optional<QString> prepareShareableLog();
    QString suggestedExportFilename() const;

Q_SIGNALS:
    void linesChanged();
    void fileErrorChanged();
};
