#include "TestHttpServer.h"
#include "daemon/ConfigParsing.h"
#include "daemon/PrinterList.h"
#include "daemon/PrinterListParsing.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString none;

DaemonAnswer body(const QByteArray &bytes)
{
    return {DaemonAnswer::Kind::body, {}, bytes};
}

// The four slots in display order with these printers and reverse flags.
QList<SlotLine> slotRows(const QStringList &printers, const QList<bool> &reverse)
{
    QList<SlotLine> rows = SlotLine::emptySlots();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        rows[i].printer = printers[i];
        rows[i].reverse = reverse[i];
    }
    return rows;
}

const QString path = u"/printers"_s;

} // namespace

// The daemon's answers as the app reads them, and the fetch model's requests.
class DaemonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printerListAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("printers");
        const auto row = [](const char *name, const QByteArray &json, const QString &error,
                            const QStringList &printers = {}) {
            QTest::newRow(name) << json << error << printers;
        };
        row("success false, error blank", R"({"success":false,"error":" "})",
            unknownDaemonErrorText);
        row("success 0 is false", R"({"success":0,"error":"kẹt giấy","data":["A"]})",
            u"kẹt giấy"_s);
        row("success 2 is no boolean", R"({"success":2,"error":"x","data":["A"]})", none, {u"A"_s});
        row("a number among the names", R"({"data":["A",1]})", none);
    }

    void printerListAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QStringList, printers);
        const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error.value_or(none), error);
        QCOMPARE(update->printers, printers);
    }

    void configAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QList<SlotLine>>("rows");
        QTest::newRow("all four slots, in display order")
            << QByteArray(R"({"data":{"printers":{
                  "label":{"printer_name":"Nhãn 58","reverse":true},
                  "payment":{"printer_name":"Quầy 1","reverse":false},
                  "kitchen":{"printer_name":"Bếp"},
                  "complete":{"printer_name":"Quầy 2","reverse":true}}}})")
            << slotRows({u"Quầy 1"_s, u"Bếp"_s, u"Quầy 2"_s, u"Nhãn 58"_s},
                        {false, false, true, true});
        QTest::newRow("wrong types read as absent, slot by slot")
            << QByteArray(R"({"data":{"printers":{
                  "payment":"Quầy 1", "kitchen":{"printer_name":7,"reverse":"true"},
                  "complete":{"printer_name":"Quầy 2","reverse":2},
                  "label":{"reverse":true}, "bar":{"printer_name":"X"}}}})")
            << slotRows({{}, {}, u"Quầy 2"_s, {}}, {false, false, false, true});
        QTest::newRow("reverse 1 and 0 as booleans, 0.5 not")
            << QByteArray(R"({"data":{"printers":{"payment":{"reverse":1},
                  "kitchen":{"reverse":0},"complete":{"reverse":0.5},"label":{"reverse":1}}}})")
            << slotRows({{}, {}, {}, {}}, {true, false, false, true});
        QTest::newRow("success false is not read")
            << QByteArray(R"({"success":false,"data":{"printers":{}}})") << SlotLine::emptySlots();
    }

    void configAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QList<SlotLine>, rows);
        const std::optional<ConfigUpdate> update = parseConfigAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error, std::nullopt);
        QCOMPARE(update->slots, std::optional(rows));
    }

    // A refresh replaces the slow request in flight, and neither the replaced nor a
    // cancelled request publishes a list or a text.
    void refreshReplacesAndCancelDrops()
    {
        TestHttpServer server;
        server.setResponse(path, {200, R"({"data":["first"]})", 800});
        PrinterList model(server.url(path).toString());
        // The list as the panel reads it at each answer.
        QList<QStringList> answers;
        connect(&model, &FetchModel::changed, this, [&] {
            if (!model.isLoading())
                answers.append(model.printers());
        });

        model.refresh();
        QVERIFY(!model.isLoading()); // assigned on a later turn
        QTRY_COMPARE(server.requestCount(path), 1);
        // Unknown keys and an empty error beside success are ignored.
        server.setResponse(
            path, {200, R"({"success":true,"error":"","data":["XP-80 Quầy","Bếp"],"v":2})"});
        model.refresh();
        // The replaced request ends as our own cancel, which publishes no list.
        const QStringList second{u"XP-80 Quầy"_s, u"Bếp"_s};
        QTRY_COMPARE(answers, (QList<QStringList>{{}, second}));

        server.setResponse(path, {200, R"({"data":["third"]})", 300});
        model.refresh();
        QTRY_COMPARE(server.requestCount(path), 3);
        model.cancel();
        model.cancel();
        // The replaced and the cancelled request hung up on: no answer can come.
        QTRY_COMPARE(server.abandonedCount(path), 2);
        QTRY_VERIFY(!model.isLoading());
        QCOMPARE(answers, (QList<QStringList>{{}, second, second}));
        QCOMPARE(model.lastError(), std::nullopt);
    }

    void destroyingTheModelInFlightIsSafe()
    {
        TestHttpServer server;
        server.setResponse(path, {200, R"({"data":["A"]})", 200});
        auto beforeTheRequest = std::make_unique<PrinterList>(server.url(u"/gone"_s).toString());
        auto beforeTheAnswer = std::make_unique<PrinterList>(server.url(path).toString());
        beforeTheRequest->refresh();
        beforeTheAnswer->refresh();
        beforeTheRequest.reset();
        QTRY_COMPARE(server.requestCount(path), 1);
        beforeTheAnswer.reset();
        // Hung up on, so the 200 ms answer never reaches what is gone.
        QTRY_COMPARE(server.abandonedCount(path), 1);
    }
};

QTEST_MAIN(DaemonTest)
#include "tst_daemon.moc"
