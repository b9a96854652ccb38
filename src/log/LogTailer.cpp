#include "log/LogTailer.h"

#include "core/Dispatch.h"
#include "log/LogFileCopy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QPointer>

using namespace Qt::StringLiterals;

LogTailer::LogTailer(const QString &path, qint64 maxLines, qint64 tailWindowBytes,
                     std::shared_ptr<DesktopIntegration> desktop,
                     std::shared_ptr<UserPrompts> prompts, std::chrono::milliseconds readInterval,
                     QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_maxLines(maxLines)
    , m_tailWindowBytes(tailWindowBytes)
    , m_desktop(std::move(desktop))
    , m_prompts(std::move(prompts))
    , m_timer(this)
{
    m_timer.setInterval(readInterval);
    connect(&m_timer, &QTimer::timeout, this, &LogTailer::readOnce);
}

void LogTailer::start()
{
    readOnce();
    m_timer.start();
}

void LogTailer::stop()
{
    m_timer.stop();
}

void LogTailer::readOnce()
{
    const TailRead read = readLogTail(m_path, m_maxLines, m_tailWindowBytes);
    Dispatch::toMain(this, [this, read] { publish(read); });
}

// Assigns only what changed: an idle log, or a log that stays missing, repaints nothing.
void LogTailer::publish(const TailRead &read)
{
    if (read.lines && *read.lines != m_lines) {
        m_lines = *read.lines;
        Q_EMIT linesChanged();
    }
    if (read.fileError != m_fileError) {
        m_fileError = read.fileError;
        Q_EMIT fileErrorChanged();
    }
}

void LogTailer::openInConsole()
{
    m_desktop->openInLogViewer(m_path);
}

void LogTailer::openContainingFolder()
{
    m_desktop->revealInFileBrowser(m_path);
}

void LogTailer::exportLog(std::function<void(std::optional<QString>)> completion)
{
    m_desktop->bringToFront();
    QPointer<LogTailer> self(this);
    m_prompts->chooseSaveLocation(tr("Export Korvel Printer Log"), suggestedExportFilename(),
                                  [self, completion](std::optional<QString> target) {
                                      if (!self)
                                          return;
                                      if (!target) {
                                          if (completion)
                                              completion(std::nullopt);
                                          return;
                                      }
                                      self->copyExport(*target, completion);
                                  });
}

// The copy runs off the main thread: the whole log may be large, and the panel must not freeze.
void LogTailer::copyExport(const QString &target,
                           std::function<void(std::optional<QString>)> completion)
{
    QPointer<LogTailer> self(this);
    Dispatch::toPool(Dispatch::userInitiatedPool(), [self, source = m_path, target, completion] {
        QString failure;
        const bool copied = copyReplacing(source, target, failure);
        // `self` is only looked at on the main thread, where the tailer lives and dies.
        Dispatch::toMain(QCoreApplication::instance(), [self, target, completion, copied, failure] {
            if (!self)
                return;
            if (!copied)
                self->presentError(tr("Export failed: ") + failure);
            if (completion)
                completion(copied ? std::optional(target) : std::nullopt);
        });
    });
}

std::optional<QString> LogTailer::prepareShareableLog()
{
    const PreparedDirectory directory = m_desktop->shareDirectory();
    const QString target = QDir(directory.path).filePath(suggestedExportFilename());
    QString failure = directory.error;
    if (!directory.ok() || !copyReplacing(m_path, target, failure)) {
        presentError(tr("Could not prepare log for sharing: ") + failure);
        return std::nullopt;
    }
    return target;
}

QString LogTailer::suggestedExportFilename() const
{
    // The C locale keeps ASCII digits and the Gregorian calendar whatever the user's settings.
    const QString stamp = QLocale::c().toString(QDateTime::currentDateTime(), u"yyyyMMdd-HHmmss");
    return shareCopyPrefix + stamp + shareCopySuffix;
}

void LogTailer::presentError(const QString &message)
{
    m_prompts->warn(message);
}
