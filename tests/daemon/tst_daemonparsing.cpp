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

void printersRow(const char *name, const QByteArray &json, const QString &error,
                 const QStringList &printers = {})
{
    QTest::newRow(name) << json << error << printers;
}

// `printers` and `reverse` give the four slots in display order; an error keeps the old rows.
void configRow(const char *name, const QByteArray &json, const QString &error,
               const QStringList &printers = {{}, {}, {}, {}},
               const QList<bool> &reverse = {false, false, false, false})
{
    QTest::newRow(name) << json << error << printers << reverse;
}

} // namespace

class DaemonParsingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesPrinterListAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("printers");

        printersRow("full envelope, unknown keys ignored",
                    R"({"success":true,"error":"","data":["XP-80 Quầy","Bếp"],"v":2})", none,
                    {u"XP-80 Quầy"_s, u"Bếp"_s});
        printersRow("data only, order and duplicates kept", R"({"data":["B","A","B"]})", none,
                    {u"B"_s, u"A"_s, u"B"_s});
        printersRow("success false with text",
                    R"({"success":false,"error":"Không tìm thấy máy in","data":["A"]})",
                    u"Không tìm thấy máy in"_s);
        printersRow("success false, error blank", R"({"success":false,"error":" "})",
                    unknownDaemonErrorText);
        printersRow("success 0 is no boolean", R"({"success":0,"data":["A"]})", none, {u"A"_s});
        printersRow("a number among the names", R"({"data":["A",1]})", none);
        printersRow("top-level array", R"(["A"])", invalidPrintersText);
        printersRow("empty body", "", invalidPrintersText);
    }

    void parsesPrinterListAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QStringList, printers);

        const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error.value_or(none), error);
        QCOMPARE(update->printers, printers);
    }

    void parsesConfigAnswers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QList<bool>>("reverse");

        configRow("all four slots, in display order", R"({"data":{"printers":{
                  "label":{"printer_name":"Nhãn 58","reverse":true},
                  "payment":{"printer_name":"Quầy 1","reverse":false},
                  "kitchen":{"printer_name":"Bếp"},
                  "complete":{"printer_name":"Quầy 2","reverse":true}}}})",
                  none, {u"Quầy 1"_s, u"Bếp"_s, u"Quầy 2"_s, u"Nhãn 58"_s},
                  {false, false, true, true});
        configRow("wrong types read as absent, slot by slot", R"({"data":{"printers":{
                  "payment":"Quầy 1", "kitchen":{"printer_name":7,"reverse":"true"},
                  "complete":{"printer_name":"Quầy 2","reverse":1},
                  "label":{"reverse":true}, "bar":{"printer_name":"X"}}}})",
                  none, {{}, {}, u"Quầy 2"_s, {}}, {false, false, false, true});
        configRow("success false is not read", R"({"success":false,"data":{"printers":{}}})", none);
        configRow("printers an array", R"({"data":{"printers":[]}})", invalidConfigText);
        configRow("top-level array", R"([{"data":{}}])", invalidConfigText);
        configRow("not JSON", "<html>502</html>", invalidConfigText);
    }

    void parsesConfigAnswers()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QStringList, printers);
        QFETCH(QList<bool>, reverse);

        const std::optional<ConfigUpdate> update = parseConfigAnswer(body(json));
        QVERIFY(update.has_value());
        QCOMPARE(update->error.value_or(none), error);
        QCOMPARE(update->slots.has_value(), error.isEmpty());
        if (!update->slots)
            return;
        QList<SlotLine> expected = SlotLine::emptySlots();
        for (qsizetype i = 0; i < expected.size(); ++i) {
            expected[i].printer = printers[i];
            expected[i].reverse = reverse[i];
        }
        QCOMPARE(*update->slots, expected);
    }
};

QTEST_GUILESS_MAIN(DaemonParsingTest)
#include "tst_daemonparsing.moc"
