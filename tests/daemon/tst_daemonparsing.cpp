#include "daemon/ConfigParsing.h"
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

} // namespace

class DaemonParsingTest : public QObject
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
        row("full envelope, unknown keys ignored",
            R"({"success":true,"error":"","data":["XP-80 Quầy","Bếp"],"v":2})", none,
            {u"XP-80 Quầy"_s, u"Bếp"_s});
        row("data only, order and duplicates kept", R"({"data":["B","A","B"]})", none,
            {u"B"_s, u"A"_s, u"B"_s});
        row("success false with text",
            R"({"success":false,"error":"Không tìm thấy máy in","data":["A"]})",
            u"Không tìm thấy máy in"_s);
        row("success false, error blank", R"({"success":false,"error":" "})",
            unknownDaemonErrorText);
        row("success 0 is false", R"({"success":0,"error":"kẹt giấy","data":["A"]})",
            u"kẹt giấy"_s);
        row("success 2 is no boolean", R"({"success":2,"error":"x","data":["A"]})", none, {u"A"_s});
        row("a number among the names", R"({"data":["A",1]})", none);
        row("top-level array", R"(["A"])", invalidPrintersText);
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

    // An error comes without rows, so the model keeps its old ones.
    void configAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<SlotLine>>("rows");
        QTest::newRow("all four slots, in display order")
            << QByteArray(R"({"data":{"printers":{
                  "label":{"printer_name":"Nhãn 58","reverse":true},
                  "payment":{"printer_name":"Quầy 1","reverse":false},
                  "kitchen":{"printer_name":"Bếp"},
                  "complete":{"printer_name":"Quầy 2","reverse":true}}}})")
            << none
            << slotRows({u"Quầy 1"_s, u"Bếp"_s, u"Quầy 2"_s, u"Nhãn 58"_s},
                        {false, false, true, true});
        QTest::newRow("wrong types read as absent, slot by slot")
            << QByteArray(R"({"data":{"printers":{
                  "payment":"Quầy 1", "kitchen":{"printer_name":7,"reverse":"true"},
                  "complete":{"printer_name":"Quầy 2","reverse":2},
                  "label":{"reverse":true}, "bar":{"printer_name":"X"}}}})")
            << none << slotRows({{}, {}, u"Quầy 2"_s, {}}, {false, false, false, true});
        QTest::newRow("reverse 1 and 0 as booleans, 0.5 not")
            << QByteArray(R"({"data":{"printers":{"payment":{"reverse":1},
                  "kitchen":{"reverse":0},"complete":{"reverse":0.5},"label":{"reverse":1}}}})")
            << none << slotRows({{}, {}, {}, {}}, {true, false, false, true});
        QTest::newRow("success false is not read")
            << QByteArray(R"({"success":false,"data":{"printers":{}}})") << none
            << SlotLine::emptySlots();
        QTest::newRow("printers an array")
            << QByteArray(R"({"data":{"printers":[]}})") << invalidConfigText << QList<SlotLine>();
        QTest::newRow("top-level array")
            << QByteArray(R"([{"data":{}}])") << invalidConfigText << QList<SlotLine>();
    }

    void configAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QList<SlotLine>, rows);
        const std::optional<ConfigUpdate> update = parseConfigAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error.value_or(none), error);
        QCOMPARE(update->slots.value_or(QList<SlotLine>()), rows);
    }
};

QTEST_GUILESS_MAIN(DaemonParsingTest)
#include "tst_daemonparsing.moc"
