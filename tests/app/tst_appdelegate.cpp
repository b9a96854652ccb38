#include "AppFakes.h"
#include "FakeNotifier.h"
#include "PanelRig.h"
#include "TestFiles.h"
#include "app/AppDelegate.h"

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

int activeTimers(const QObject &model)
{
    const auto timers = model.findChildren<QTimer *>(Qt::FindDirectChildrenOnly);
    return int(std::count_if(timers.begin(), timers.end(),
                             [](const QTimer *timer) { return timer->isActive(); }));
}

} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

    std::unique_ptr<PanelRig> m_rig;
    FakeStatusItem *m_item = nullptr;
    std::function<void()> m_openConfig;

    std::unique_ptr<AppDelegate> launch(AppEnvironment environment)
    {
        environment.makeStatusItem = [this] { return makeKept(m_item); };
        environment.makePopover = [this](PanelModels &, std::function<void()> openConfig) {
            m_openConfig = std::move(openConfig);
            return std::make_unique<FakePopover>();
        };
        environment.makeNotifier = [](auto) { return std::make_unique<FakeNotifier>(); };
        environment.iconShowsServiceState = true;
        auto delegate = std::make_unique<AppDelegate>(environment);
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

    // The app's environment on the rig's fakes.
    AppEnvironment environment() const
    {
        AppEnvironment environment;
        environment.logPath = m_rig->logPath();
        environment.daemonBase = m_rig->server.url(u""_s).toString();
        environment.serviceControl = m_rig->control;
        environment.desktop = m_rig->desktop;
        environment.prompts = m_rig->prompts;
        environment.workingDirectory = m_rig->dir.filePath(u"nowhere"_s);
        return environment;
    }

    QList<int> fetches() const
    {
        return {m_rig->server.requestCount(u"/printers"_s),
                m_rig->server.requestCount(u"/config"_s)};
    }
    static void expectRunning(AppDelegate &delegate, int expected)
    {
        QCOMPARE(activeTimers(delegate.models().logTailer), expected);
        QCOMPARE(activeTimers(delegate.models().serviceStatus), expected);
    }

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<PanelRig>();
        m_rig->writeLog({u"INFO started"_s});
        // Slow answers keep both fetches in flight long enough to be cancelled.
        m_rig->server.setResponse(u"/printers"_s, {200, R"({"data":["Receipt"]})", 300});
        m_rig->server.setResponse(u"/config"_s, {200, R"({"data":{}})", 300});
    }

    // Launch starts nothing (and, without an icon, shows the KP title). Closing stops the timers
    // and cancels the fetches in flight: nothing arrives after, and the next opening fetches again.
    void closeCancelsWhatOpeningStarted()
    {
        const auto delegate = launch(environment());
        PanelModels &models = delegate->models();
        QCOMPARE(m_item->title, u"KP"_s);
        QTest::qWait(100);
        QCOMPARE(m_rig->control->queries, 0);
        QCOMPARE(fetches(), (QList<int>{0, 0}));

        m_item->click();
        QTRY_COMPARE(fetches(), (QList<int>{1, 1}));
        expectRunning(*delegate, 1);

        m_item->click();
        expectRunning(*delegate, 0);
        QTRY_VERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());
        QTest::qWait(400); // past the slow answers: nothing arrives
        QVERIFY(models.printerList.printers().isEmpty() && !models.printerList.lastError());
        QVERIFY(!models.configSummary.lastError());

        m_item->click();
        QTRY_COMPARE(models.printerList.printers(), QStringList{u"Receipt"_s});
    }

    void openConfigStartsTheHelperUntilTheDelegateIsGone()
    {
        const QString helper = QDir(m_rig->dir.path()).filePath(u"config-helper"_s);
        QVERIFY(writeFile(helper, "#!/bin/sh\necho >> \"$0.runs\"\nexec cat >/dev/null\n", true));
        AppEnvironment withHelper = environment();
        withHelper.configHelperPath = helper;
        auto delegate = launch(withHelper);
        m_openConfig();
        QTRY_VERIFY(delegate->configWindow().helperPid() != 0);
        delegate.reset();
        m_openConfig();
        QCOMPARE(readFile(helper + u".runs"_s), "\n");
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
