#include "platform/DialogPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class DialogPromptsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveDialogAddsTheLogExtension()
    {
        std::optional<QString> chosen;
        DialogPrompts().chooseSaveLocation(u"Export"_s, u"KorvelPrinter-1.log"_s,
                                           [&](std::optional<QString> path) { chosen = path; });
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const QTemporaryDir dir;
        dialog->setDirectory(dir.path());
        dialog->selectFile(u"receipts"_s);
        static_cast<QDialog *>(dialog)->accept();
        QCOMPARE(chosen, std::optional(dir.filePath(u"receipts.log"_s)));
    }

    void warningIsShownOnALaterTurn()
    {
        const auto visibleBox = [] {
            return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        };
        DialogPrompts().warn(u"Export failed: No such file or directory"_s);
        QVERIFY(!visibleBox());
        QTRY_VERIFY(visibleBox());
        QCOMPARE(visibleBox()->informativeText(), u"Export failed: No such file or directory"_s);
        visibleBox()->buttons().first()->click();
    }
};

QTEST_MAIN(DialogPromptsTest)
#include "tst_dialog_prompts.moc"
