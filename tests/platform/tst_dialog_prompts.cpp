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
        QFileDialog *dialog = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            dialog = dialog ? dialog : qobject_cast<QFileDialog *>(widget);
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
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                    return box;
            }
            return static_cast<QMessageBox *>(nullptr);
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
