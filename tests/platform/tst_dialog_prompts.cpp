#include "platform/DialogPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

template<typename Widget>
Widget *visibleTopLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<Widget *>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

class DialogPromptsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void warningIsShownOnALaterTurn()
    {
        DialogPrompts().warn(u"Export failed: No such file or directory"_s);
        QVERIFY(!visibleTopLevel<QMessageBox>());
        QTRY_VERIFY(visibleTopLevel<QMessageBox>());
        QMessageBox *box = visibleTopLevel<QMessageBox>();
        QCOMPARE(box->text(), u"Korvel Printer"_s);
        QCOMPARE(box->informativeText(), u"Export failed: No such file or directory"_s);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().first()->text(), u"OK"_s);
        box->buttons().first()->click();
    }
};

QTEST_MAIN(DialogPromptsTest)
#include "tst_dialog_prompts.moc"
