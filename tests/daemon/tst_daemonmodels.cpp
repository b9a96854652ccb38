#include "TestHttpServer.h"
#include "daemon/PrinterList.h"
#include "daemon/PrinterListParsing.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString path = u"/printers"_s;

TestHttpServer::Response json(const QByteArray &body, int delayMs = 0, int status = 200)
{
    return {status, body, delayMs, "application/json"};
}

} // namespace

class DaemonModelsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A plain GET; a refresh replaces the slow request in flight, and neither the replaced nor a
    // cancelled request publishes a list or a text.
    void refreshReplacesAndCancelDrops()
    {
        TestHttpServer server;
        server.setResponse(path, json(R"({"data":["first"]})", 800));
        PrinterList model(server.url(path).toString());
        QSignalSpy printersSpy(&model, &PrinterList::printersChanged);
        QSignalSpy errorSpy(&model, &PrinterList::lastErrorChanged);
        QSignalSpy stampSpy(&model, &PrinterList::lastRefreshAtChanged);
        QList<bool> loading; // every value isLoading is assigned, in order
        connect(&model, &PrinterList::isLoadingChanged, this,
                [&] { loading << model.isLoading(); });

        model.refresh();
        QVERIFY(!model.isLoading()); // assigned on a later turn
        QTRY_COMPARE(server.requestCount(path), 1);
        server.setResponse(path, json(R"({"success":true,"data":["XP-80 Quầy","Bếp"],"v":2})"));
        model.refresh();
        QTRY_COMPARE(printersSpy.count(), 1);
        QCOMPARE(model.printers(), (QStringList{u"XP-80 Quầy"_s, u"Bếp"_s}));
        QCOMPARE(loading, (QList<bool>{true, false, true, false}));
        QCOMPARE(stampSpy.count(), 2); // the cancelled answer is stamped too
        QVERIFY(model.lastRefreshAt().has_value());
        const QByteArray head = server.requestHeads().constLast().toLower();
        QVERIFY2(head.startsWith("get /printers http/1.1\r\n"), head.constData());
        QVERIFY(head.contains("cache-control: no-cache"));
        for (const char *header : {"content-length:", "content-type:", "authorization:", "cookie:"})
            QVERIFY2(!head.contains(header), header);

        server.setResponse(path, json(R"({"data":["third"]})", 300));
        model.refresh();
        QTRY_VERIFY(model.isLoading());
        model.cancel();
        model.cancel();
        QTRY_VERIFY(!model.isLoading());
        QTest::qWait(1000); // past every delayed answer
        QCOMPARE(printersSpy.count(), 1);
        QCOMPARE(errorSpy.count(), 1);
        QCOMPARE(model.lastError(), std::nullopt);
        QCOMPARE(stampSpy.count(), 3);
    }

    // Whatever the status, the body is the daemon's answer. Transport errors, timeouts and
    // broken bodies are rows of the end-to-end fault test.
    void answersReplaceTheListAndError_data()
    {
        QTest::addColumn<TestHttpServer::Response>("response");
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("error");
        for (int status : {400, 401, 404, 407, 418, 500, 503}) {
            QTest::addRow("%d with a list", status)
                << json(R"({"data":["A"]})", 0, status) << QStringList{u"A"_s} << QString();
            QTest::addRow("%d with an error", status)
                << json(R"({"success":false,"error":"kẹt giấy"})", 0, status) << QStringList()
                << u"kẹt giấy"_s;
        }
    }

    void answersReplaceTheListAndError()
    {
        QFETCH(TestHttpServer::Response, response);
        QFETCH(QStringList, printers);
        QFETCH(QString, error);
        TestHttpServer server;
        server.setResponse(path, response);
        PrinterList model(server.url(path).toString());
        QSignalSpy answered(&model, &PrinterList::lastRefreshAtChanged);
        model.refresh();
        QTRY_COMPARE(answered.count(), 1);
        QCOMPARE(model.printers(), printers);
        QCOMPARE(model.lastError().value_or(QString()), error);
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

QTEST_GUILESS_MAIN(DaemonModelsTest)
#include "tst_daemonmodels.moc"
