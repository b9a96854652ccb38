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
    // Labels come out in Vietnamese; data (the state label) stays as it is.
    void panelUnderSystemLocale()
    {
        QVERIFY(installTranslation(*qApp, QLocale::system()));
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(find<QAbstractButton>(view, u"restartButton"_s)->text(), u"Khởi động lại"_s);
        QCOMPARE(textOf(view, u"serviceStateLabel"_s), u"Unknown: not checked yet"_s);
    }

    // Only Vietnamese is built in: every other locale keeps the literals.
    void translationForLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("installed");
        QTest::newRow("vi") << u"vi"_s << true;
        QTest::newRow("en_US") << u"en_US"_s << false;
    }

    void translationForLocale()
    {
        QFETCH(QString, locale);
        QFETCH(bool, installed);
        QCOMPARE(installTranslation(*qApp, QLocale(locale)), installed);
    }
};

QTEST_MAIN(PanelVietnameseTest)
#include "tst_panel_vietnamese.moc"
