#include "platform/linux/LinuxDesktopIntegration.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

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
    QString parent = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (parent.isEmpty() || !QDir::isAbsolutePath(parent) || !QFileInfo(parent).isDir())
        parent = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return preparePrivateDirectory(parent, u"korvel-printer-share"_s);
}

void LinuxDesktopIntegration::bringToFront()
{
    // Nothing app-wide to do here: the dialog raises and activates its own window.
}
