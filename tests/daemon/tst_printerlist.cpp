#include "TestHttpServer.h"
#include "daemon/PrinterList.h"
#include "daemon/PrinterListParsing.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TestHttpServer::Response)

namespace {

const QString path = u"/printers"_s;
const QString anyPlatformText = u"(any platform text)"_s;

TestHttpServer::Response json(const QByteArray &body, int delayMs = 0, int status = 200)
{
    return {status, body, delayMs, false, "application/json"};
}

// Every value isLoading is assigned, in order.
void recordLoading(PrinterList &model, QList<bool> &values)
{
    QObject::connect(&model, &PrinterList::isLoadingChanged, &model,
                     [&] { values.append(model.isLoading()); });
}

} // namespace

class PrinterListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void publishesTheDaemonsListFromAPlainGet()
    {
        TestHttpServer server;
        server.setResponse(path, json(R"({"success":true,"data":["XP-80 Quầy","Bếp"]})"));
        PrinterList model(server.url(path).toString());
        QList<bool> loading;
        recordLoading(model, loading);

        model.refresh();
        QVERIFY(!model.isLoading()); // assigned on a later turn
        QTRY_COMPARE(loading, (QList<bool>{true, false}));
        QCOMPARE(model.printers(), (QStringList{u"XP-80 Quầy"_s, u"Bếp"_s}));
        QCOMPARE(model.lastError(), std::nullopt);
        QVERIFY(model.lastRefreshAt().has_value());

        const QByteArray head = server.requestHeads().constLast().toLower();
        QVERIFY2(head.startsWith("get /printers http/1.1\r\n"), head.constData());
        QVERIFY(head.contains("cache-control: no-cache"));
        for (const char *header : {"content-length:", "content-type:", "authorization:", "cookie:"})
            QVERIFY2(!head.contains(header), header);
    }

    void answersReplaceTheListAndError_data()
    {
        QTest::addColumn<TestHttpServer::Response>("response");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("error");

        const QByteArray huge = "{\"data\":[\"" + QByteArray(5 * 1024 * 1024, 'x') + "\"]}";
        QTest::newRow("500 with a valid envelope")
            << json(R"({"data":["A"]})", 0, 500) << true << QStringList{u"A"_s} << QString();
        QTest::newRow("body too large")
            << json(huge) << true << QStringList() << invalidPrintersText;
        QTest::newRow("connection dropped")
            << TestHttpServer::Response{200, {}, 0, true, "application/json"} << true
            << QStringList() << anyPlatformText;
        QTest::newRow("daemon not running")
            << json("{}") << false << QStringList() << anyPlatformText;
        QTest::newRow("answer after 4 s")
            << json(R"({"data":["late"]})", 4000) << true << QStringList() << timedOutText;
    }

    void answersReplaceTheListAndError()
    {
        QFETCH(TestHttpServer::Response, response);
        QFETCH(bool, listening);
        QFETCH(QStringList, printers);
        QFETCH(QString, error);

        TestHttpServer server;
        server.setResponse(path, json(R"({"data":["old"]})"));
        PrinterList model(server.url(path).toString());
        QSignalSpy answered(&model, &PrinterList::lastRefreshAtChanged);
        model.refresh();
        QTRY_COMPARE(answered.count(), 1);

        server.setResponse(path, response);
        if (!listening)
            server.close();
        model.refresh();
        QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 2, 6000);
        QCOMPARE(model.printers(), printers);
        if (error == anyPlatformText) {
            QVERIFY(model.lastError().has_value() && !model.lastError()->isEmpty());
            QVERIFY(model.lastError() != invalidPrintersText);
        } else {
            QCOMPARE(model.lastError().value_or(QString()), error);
        }
    }

    void cancelledRequestsPublishNeitherListNorText()
    {
        TestHttpServer server;
        server.setResponse(path, json(R"({"data":["first"]})", 800));
        PrinterList model(server.url(path).toString());
        QSignalSpy printersSpy(&model, &PrinterList::printersChanged);
        QSignalSpy errorSpy(&model, &PrinterList::lastErrorChanged);
        QSignalSpy stampSpy(&model, &PrinterList::lastRefreshAtChanged);
        QList<bool> loading;
        recordLoading(model, loading);

        model.refresh();
        QTRY_COMPARE(server.requestCount(path), 1);
        server.setResponse(path, json(R"({"data":["second"]})"));
        model.refresh(); // replaces the slow request
        QTRY_COMPARE(printersSpy.count(), 1);
        QCOMPARE(loading, (QList<bool>{true, false, true, false}));
        QCOMPARE(stampSpy.count(), 2); // the cancelled answer is stamped too

        server.setResponse(path, json(R"({"data":["third"]})", 300));
        model.refresh();
        QTRY_VERIFY(model.isLoading());
        model.cancel();
        model.cancel();
        QTRY_VERIFY(!model.isLoading());
        QTest::qWait(1000); // past every delayed answer
        QCOMPARE(printersSpy.count(), 1);
        QCOMPARE(model.printers(), QStringList{u"second"_s});
        QCOMPARE(errorSpy.count(), 1);
        QCOMPARE(model.lastError(), std::nullopt);
        QCOMPARE(stampSpy.count(), 3);
    }

    void destroyingTheModelInFlightIsSafe()
    {
        TestHttpServer server;
        server.setResponse(path, json(R"({"data":["A"]})", 200));
        auto beforeTheRequest = std::make_unique<PrinterList>(server.url(path).toString());
        auto beforeTheAnswer = std::make_unique<PrinterList>(server.url(path).toString());
        beforeTheRequest->refresh();
        beforeTheAnswer->refresh();
        beforeTheRequest.reset();
        QTRY_VERIFY(beforeTheAnswer->isLoading());
        beforeTheAnswer.reset();
        QTest::qWait(400);
    }
};

QTEST_GUILESS_MAIN(PrinterListTest)
#include "tst_printerlist.moc"
