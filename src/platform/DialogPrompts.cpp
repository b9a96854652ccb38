#include "platform/DialogPrompts.h"

#include "core/Dispatch.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

QString saveFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QDir(downloads).exists() ? downloads : QDir::homePath();
}

} // namespace

void DialogPrompts::chooseSaveLocation(const QString &title, const QString &suggestedName,
                                       std::function<void(std::optional<QString>)> chosen)
{
    auto *dialog = new QFileDialog(nullptr, title, QDir(saveFolder()).filePath(suggestedName));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::ReadOnly, false); // lets the user create folders
    dialog->setNameFilters({tr("Log files (*.log)"), tr("Plain text (*.txt)")});
    dialog->setDefaultSuffix(u"log"_s); // a name typed without an extension still gets one
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, chosen](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty())
            chosen(files.first());
        else
            chosen(std::nullopt);
    });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

void DialogPrompts::warn(const QString &message)
{
    // Never from inside the action that failed: the alert waits for the current event to finish.
    Dispatch::toMain(QCoreApplication::instance(), [message] {
        auto *box = new QMessageBox(QMessageBox::Warning, u"Korvel Printer"_s, u"Korvel Printer"_s);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setInformativeText(message);
        box->addButton(tr("OK"), QMessageBox::AcceptRole);
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
        box->raise();
        box->activateWindow();
    });
}
