#include "platform/linux/LinuxSharePicker.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

QStringList localFiles(const QList<QUrl> &items)
{
    QStringList files;
    for (const QUrl &item : items) {
        if (item.isLocalFile())
            files << item.toLocalFile();
    }
    return files;
}

void copyToClipboard(const QList<QUrl> &items)
{
    auto *data = new QMimeData;
    data->setUrls(items); // text/uri-list: file managers paste the file itself
    QStringList texts;
    for (const QUrl &item : items)
        texts << item.toString();
    data->setText(texts.join(u'\n'));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

LinuxSharePicker::LinuxSharePicker(const LinuxShareTools &tools)
    : m_tools(tools)
{}

void LinuxSharePicker::show(const QList<QUrl> &items, QWidget *anchor)
{
    const QStringList files = localFiles(items);
    auto *menu = new QMenu(anchor);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Email…"), menu, [xdgEmail = m_tools.xdgEmail, files] {
        QStringList arguments;
        for (const QString &file : files)
            arguments << u"--attach"_s << file;
        QProcess::startDetached(xdgEmail, arguments);
    });
    menu->addAction(tr("Copy file"), menu, [items] { copyToClipboard(items); });
    menu->addAction(tr("Open with…"), menu, [xdgOpen = m_tools.xdgOpen, files] {
        if (!files.isEmpty())
            QProcess::startDetached(xdgOpen, {QFileInfo(files.first()).absolutePath()});
    });
    menu->popup(anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos());
}
