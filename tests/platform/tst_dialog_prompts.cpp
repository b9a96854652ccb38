#include "platform/DialogPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class DialogPromptsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        QMessageBox *box = visibleBox();
        QCOMPARE(box->text(), u"Korvel Printer"_s);
        QCOMPARE(box->informativeText(), u"Export failed: No such file or directory"_s);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().first()->text(), u"OK"_s);
        box->buttons().first()->click();
    }
};

QTEST_MAIN(DialogPromptsTest)
#include "tst_dialog_prompts.moc"
