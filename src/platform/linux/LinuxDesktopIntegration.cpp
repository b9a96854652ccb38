#include "platform/linux/LinuxDesktopIntegration.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 shareCopyLifetimeSecs = 24 * 60 * 60;

// Only our own copies: whatever else the user put there stays.
void removeStaleCopies(const QString &folder)
{
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-shareCopyLifetimeSecs);
    const QFileInfoList copies = QDir(folder).entryInfoList(
        {shareCopyPrefix + u'*' + shareCopySuffix}, QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &copy : copies) {
        if (copy.lastModified() < cutoff)
            QFile::remove(copy.filePath());
    }
}

} // namespace

LinuxDesktopIntegration::LinuxDesktopIntegration(const LinuxDesktopTools &tools)
    : m_tools(tools)
{}

void LinuxDesktopIntegration::openInLogViewer(const QString &path)
{
    QProcess::startDetached(m_tools.xdgOpen, {path});
}

void LinuxDesktopIntegration::revealInFileBrowser(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QProcess::startDetached(m_tools.xdgOpen, {folder});
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_tools.fileManagerService, u"/org/freedesktop/FileManager1"_s,
        u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the panel.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [xdgOpen = m_tools.xdgOpen, folder](QDBusPendingCallWatcher *finished) {
                         if (finished->isError())
                             QProcess::startDetached(xdgOpen, {folder});
                         finished->deleteLater();
                     });
}

PreparedDirectory LinuxDesktopIntegration::shareDirectory()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const PreparedDirectory directory =
        preparePrivateDirectory(QDir(cache).filePath(u"korvel-printer"_s), u"share"_s);
    if (directory.ok())
        removeStaleCopies(directory.path);
    return directory;
}

void LinuxDesktopIntegration::bringToFront()
{
    // Nothing app-wide to do here: the dialog raises and activates its own window.
}
