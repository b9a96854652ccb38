#include "TestHttpServer.h"
#include "daemon/ConfigParsing.h"
#include "daemon/ConfigSummary.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class ConfigSummaryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failuresKeepTheDaemonsRows()
    {
        const QString path = u"/config"_s;
        TestHttpServer server;
        server.setResponse(
            path,
            {200, R"({"data":{"printers":{"kitchen":{"printer_name":"Bếp","reverse":true}}}})"});
        ConfigSummary model(server.url(path).toString());
        QCOMPARE(model.slots(), SlotLine::emptySlots());
        QSignalSpy loading(&model, &ConfigSummary::isLoadingChanged);

        model.refresh();
        QTRY_COMPARE(loading.count(), 2);
        QVERIFY(!model.isLoading());
        QCOMPARE(model.lastError(), std::nullopt);
        QList<SlotLine> expected = SlotLine::emptySlots();
        expected[1].printer = u"Bếp"_s;
        expected[1].reverse = true;
        QCOMPARE(model.slots(), expected);

        QSignalSpy slotsSpy(&model, &ConfigSummary::slotsChanged);
        server.setResponse(path, {200, R"({"data":{"printers":[]}})"});
        model.refresh();
        QTRY_COMPARE(model.lastError(), std::optional(invalidConfigText));

        server.close();
        model.refresh();
        QTRY_VERIFY(model.lastError() != std::optional(invalidConfigText));
        QVERIFY(model.lastError().has_value());
        QCOMPARE(model.slots(), expected);
        QCOMPARE(slotsSpy.count(), 0);
    }
};

QTEST_GUILESS_MAIN(ConfigSummaryTest)
#include "tst_configsummary.moc"
