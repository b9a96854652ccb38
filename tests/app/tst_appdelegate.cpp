#include "MakeKept.h"
#include "PanelRig.h"
#include "TestFiles.h"
#include "app/AppDelegate.h"

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A status item that keeps the title it was given; clicks are emitted by the test.
class FakeStatusItem : public StatusItem
{
public:
    std::optional<QString> title;

    void setImage(const QImage &) override {}
    void setTitle(const QString &value) override { title = value; }
    void setBadge(ServiceState::Kind) override {}
    void setToolTip(const QString &) override {}
    void showMessage(const QString &, const QString &) override {}
    QRect geometry() const override { return {1000, 0, 24, 24}; }
    void click() { Q_EMIT clicked(); }
};

class FakePopover : public Popover
{
public:
    bool shown = false;

    bool isShown() const override { return shown; }
    void showBelow(const QRect &) override { shown = true; }
    void close() override { shown = false; }
};

// Notifications go nowhere; the fall policy decides when they are due.
class FakeNotifier : public Notifier
{
public:
    void notify(const QString &, const QString &) override {}
};

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

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<PanelRig>();
        m_rig->writeLog({u"INFO started"_s});
        // Slow answers keep both fetches in flight long enough to be cancelled.
        m_rig->server.setResponse(u"/printers"_s, {200, R"({"data":["Receipt"]})", 300});
        m_rig->server.setResponse(u"/config"_s, {200, R"({"data":{}})", 300});
    }

    // Launch starts nothing (and, without an icon, shows the KP title). Closing cancels the
    // fetches in flight: nothing arrives after, and the next opening fetches again. (The timers
    // running while open and stopped when closed are rows of e2e_tray.py.)
    void closeCancelsWhatOpeningStarted()
    {
        const auto delegate = launch(environment());
        PanelModels &models = delegate->models();
        QCOMPARE(m_item->title, u"KP"_s);
        QCoreApplication::processEvents(); // a start the launch queued would be under way
        QCOMPARE(activeTimers(models.logTailer) + activeTimers(models.serviceStatus), 0);
        QVERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());

        m_item->click();
        QTRY_COMPARE(fetches(), (QList<int>{1, 1}));
        m_item->click();
        // Both hung up on: the slow answers never arrive.
        QTRY_COMPARE(m_rig->server.abandonedCount(u"/printers"_s) +
                         m_rig->server.abandonedCount(u"/config"_s),
                     2);
        QTRY_VERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());
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
