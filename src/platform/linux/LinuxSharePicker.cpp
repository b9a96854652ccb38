#include "platform/linux/LinuxSharePicker.h"

#include <QClipboard>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

// The bus daemon answers at once; a bus that does not is treated as having no portal.
constexpr int busCheckTimeoutMs = 2000;

QStringList localFiles(const QList<QUrl> &items)
{
    QStringList files;
    for (const QUrl &item : items) {
        if (item.isLocalFile())
            files << item.toLocalFile();
    }
    return files;
}

QDBusMessage busDaemonCall(const QString &method)
{
    return QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                          u"org.freedesktop.DBus"_s, method);
}

} // namespace

std::unique_ptr<QMimeData> copiedFilesMimeData(const QList<QUrl> &items)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(items);
    QByteArray gnomeFiles = "copy";
    for (const QUrl &item : items)
        gnomeFiles += '\n' + item.toEncoded();
    data->setData(u"x-special/gnome-copied-files"_s, gnomeFiles);
    data->setText(localFiles(items).join(u'\n'));
    return data;
}

LinuxSharePicker::LinuxSharePicker(const QDBusConnection &bus, const LinuxShareTools &tools)
    : m_bus(bus)
    , m_tools(tools)
{
    findPortal();
}

void LinuxSharePicker::show(const QList<QUrl> &items, QWidget *anchor)
{
    const QStringList files = localFiles(items);
    auto *menu = new QMenu(anchor);
    menu->setObjectName(u"shareMenu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Email…"), menu, [xdgEmail = m_tools.xdgEmail, files] {
        QStringList arguments;
        for (const QString &file : files)
            arguments << u"--attach"_s << file;
        QProcess::startDetached(xdgEmail, arguments);
    });
    menu->addAction(tr("Copy file"), menu, [items] {
        QGuiApplication::clipboard()->setMimeData(copiedFilesMimeData(items).release());
    });
    if (m_portalFound && !files.isEmpty())
        menu->addAction(tr("Open with…"), this, [this, file = files.first()] { openWith(file); });
    menu->popup(anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos());
}

void LinuxSharePicker::findPortal()
{
    QDBusMessage hasOwner = busDaemonCall(u"NameHasOwner"_s);
    hasOwner << m_tools.portalService;
    askBus(hasOwner, [](const QDBusMessage &reply) { return reply.arguments().value(0).toBool(); });
    askBus(busDaemonCall(u"ListActivatableNames"_s),
           [service = m_tools.portalService](const QDBusMessage &reply) {
               return reply.arguments().value(0).toStringList().contains(service);
           });
}

void LinuxSharePicker::askBus(const QDBusMessage &call,
                              std::function<bool(const QDBusMessage &)> portalFound)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, busCheckTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, portalFound](QDBusPendingCallWatcher *finished) {
                if (!finished->isError() && portalFound(finished->reply()))
                    m_portalFound = true;
                finished->deleteLater();
            });
}

// The portal gets the open file rather than its path, so it works from inside a sandbox too, and
// asks the user which application to use. Its answer is not needed: the portal shows its own
// errors.
void LinuxSharePicker::openWith(const QString &file)
{
    QFile handle(file);
    if (!handle.open(QIODevice::ReadOnly))
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_tools.portalService, u"/org/freedesktop/portal/desktop"_s,
                                       u"org.freedesktop.portal.OpenURI"_s, u"OpenFile"_s);
    call << QString() << QVariant::fromValue(QDBusUnixFileDescriptor(handle.handle()))
         << QVariantMap{{u"ask"_s, true}};
    m_bus.asyncCall(call);
}
