#include "PanelRig.h"
#include "core/Translation.h"

#include <QAbstractButton>
#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

// Runs under LC_ALL=vi_VN.UTF-8 and installs the translation as the app does.
class PanelVietnameseTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only Vietnamese is built in: any other locale keeps the literals.
    void panelUnderSystemLocale()
    {
        QVERIFY(!installTranslation(*qApp, QLocale(u"en_US"_s)));
        QVERIFY(installTranslation(*qApp, QLocale::system()));
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(find<QAbstractButton>(view, u"restartButton"_s)->text(), u"Khởi động lại"_s);
    }
};

QTEST_MAIN(PanelVietnameseTest)
#include "tst_panel_vietnamese.moc"
