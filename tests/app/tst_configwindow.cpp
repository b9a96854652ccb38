#include "MakeKept.h"
#include "RecordingFakes.h"
#include "TestFiles.h"
#include "app/ConfigNavigation.h"
#include "app/ConfigPageWindow.h"
#include "app/ConfigWindowController.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QUrl pageUrl(u"http://127.0.0.1:9020/"_s);

class FakePageView : public ConfigPageView
{
public:
    QWidget view;
    QList<QUrl> loads;
    int stops = 0;
    std::function<void()> finished;

    QWidget *widget() override { return &view; }
    void load(const QUrl &url) override { loads.append(url); }
    void stop() override { ++stops; }
    void onLoadFinished(std::function<void()> callback) override { finished = std::move(callback); }
};

} // namespace

class TestConfigWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // What the fake helper was started with and read, one entry per line.
    QStringList recorded() const
    {
        return QString::fromUtf8(readFile(m_dir.filePath(u"helper.record"_s)))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    // The wait bounds the request for the page only: a form saved after the page has loaded
    // is never stopped.
    void requestTimeoutCoversOnlyThePage_data()
    {
        QTest::addColumn<bool>("pageAnswers");
        QTest::addColumn<int>("stops");
        QTest::newRow("page never answers") << false << 1;
        QTest::newRow("form saved after the page loaded") << true << 0;
    }

    void requestTimeoutCoversOnlyThePage()
    {
        QFETCH(bool, pageAnswers);
        QFETCH(int, stops);
        FakePageView *page = nullptr;
        ConfigPageWindow window(makeKept(page), pageUrl, QByteArray(), 0ms);
        window.showConfig();
        if (pageAnswers)
            page->finished();
        // Due at the same moment but started later, this timer fires after the window's.
        QTimer after;
        after.setSingleShot(true);
        QSignalSpy fired(&after, &QTimer::timeout);
        after.start(0ms);
        QVERIFY(fired.wait());
        QCOMPARE(page->stops, stops);
    }

    // Two fast clicks start one helper, a killed one is replaced on the next show, and quitting
    // the app ends the helper; one that cannot start is reported at each show.
    void helperLifetime()
    {
        const QString helper = m_dir.filePath(u"helper"_s);
        QVERIFY(writeFile(helper,
                          "#!/bin/sh\necho \"start $*\" >> \"$0.record\"\n"
                          "while read -r line; do echo \"$line\" >> \"$0.record\"; done\n"
                          "echo eof >> \"$0.record\"\n",
                          true));
        const QString start = u"start --url http://127.0.0.1:9020/"_s;
        auto prompts = std::make_shared<RecordingPrompts>();
        auto controller = std::make_unique<ConfigWindowController>(helper, prompts, pageUrl);

        controller->showConfig();
        controller->showConfig();
        QTRY_COMPARE(recorded(), (QStringList{start, u"show"_s}));

        ::kill(pid_t(controller->helperPid()), SIGKILL);
        QTRY_COMPARE(controller->helperPid(), 0);
        controller->showConfig();
        QTRY_COMPARE(recorded().count(start), 2);

        controller.reset();
        QCOMPARE(recorded().last(), u"eof"_s);
        QVERIFY(prompts->warnings.isEmpty());

        ConfigWindowController missing(m_dir.filePath(u"missing"_s), prompts, pageUrl);
        missing.showConfig();
        QTRY_COMPARE(prompts->warnings.size(), 1);
        missing.showConfig();
        QTRY_COMPARE(prompts->warnings.size(), 2);
    }

    // The window is titled as ours and has no address bar: only the daemon's origin loads in it.
    void navigationStaysOnTheDaemon_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<ConfigNavigation>("expected");
        const auto load = ConfigNavigation::load;
        const auto browser = ConfigNavigation::openInBrowser;
        const auto refuse = ConfigNavigation::refuse;
        QTest::newRow("daemon page") << u"http://127.0.0.1:9020/?saved=1"_s << true << load;
        QTest::newRow("other host, same port") << u"http://evil.example:9020/"_s << true << browser;
        QTest::newRow("https of the same host") << u"https://127.0.0.1:9020/"_s << true << browser;
        QTest::newRow("other origin in a frame") << u"http://evil.example/"_s << false << refuse;
        QTest::newRow("not the web") << u"javascript:alert(1)"_s << true << refuse;
    }

    void navigationStaysOnTheDaemon()
    {
        QFETCH(QString, target);
        QFETCH(bool, mainFrame);
        QFETCH(ConfigNavigation, expected);
        QCOMPARE(configNavigation(QUrl(target), pageUrl, mainFrame), expected);
    }
};

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
