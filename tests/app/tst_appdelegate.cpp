#include "AppFakes.h"
#include "FakeNotifier.h"
#include "FakeServiceControl.h"
#include "TestHttpServer.h"
#include "app/AppDelegate.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

    QTemporaryDir m_dir;
    TestHttpServer m_server;
    FakeStatusItem *m_item = nullptr;
    FakePopover *m_popover = nullptr;
    FakeNotifier *m_notifier = nullptr;
    std::function<void()> m_openConfig;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    std::shared_ptr<FakeServiceControl> m_control;

    // Service checks so far.
    int serviceChecks() const { return m_control->queries; }

    std::unique_ptr<AppDelegate> launch(const AppEnvironment &environment)
    {
        AppPlatform platform;
        platform.makeStatusItem = [this] { return makeKept(m_item); };
        platform.makePopover = [this](const PopoverContent &content) {
            m_openConfig = content.openConfig;
            return makeKept(m_popover);
        };
        platform.makeNotifier = [this](auto) { return makeKept(m_notifier); };
        auto delegate = std::make_unique<AppDelegate>(environment, std::move(platform));
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

    AppEnvironment environment() const
    {
        AppEnvironment environment;
        environment.logPath = path(u"daemon.log"_s);
        environment.daemonBase = m_server.url(u""_s).toString();
        environment.serviceControl = m_control;
        environment.workingDirectory = path(u"nowhere"_s);
        environment.configHelperPath = path(u"config-helper"_s);
        return environment;
    }

    void writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(QDir(m_dir.path()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

    // Requests for /printers and /config so far.
    QList<int> fetches() const
    {
        return {m_server.requestCount(u"/printers"_s), m_server.requestCount(u"/config"_s)};
    }

    void expectRunning(AppDelegate &delegate, int expected)
    {
        QCOMPARE(activeTimers(delegate.logTailer()), expected);
        QCOMPARE(activeTimers(delegate.serviceStatus()), expected);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeFile(u"daemon.log"_s, "INFO started\nINFO printer ready\n");
        m_server.setResponse(u"/health"_s, {});
    }

    void init()
    {
        m_control = std::make_shared<FakeServiceControl>();
        // Slow answers keep both fetches in flight long enough to be cancelled.
        const QByteArray body = R"({"success":true,"data":["Receipt"]})";
        m_server.setResponse(u"/printers"_s, {200, body, 1500});
        m_server.setResponse(u"/config"_s, {200, R"({"data":{}})", 1500});
    }

    // Launch starts nothing. Click, click, click: open with the immediate work, close with
    // everything stopped and cancelled, open again with the immediate work repeated.
    void clickClickClick()
    {
        const QList<int> before = fetches();
        const int health = m_server.requestCount(u"/health"_s);
        const auto delegate = launch(environment());
        QTest::qWait(1200);
        QCOMPARE(serviceChecks(), 0);
        QCOMPARE(fetches(), before);
        QCOMPARE(m_server.requestCount(u"/health"_s), health);
        QVERIFY(delegate->logTailer().lines().isEmpty());
        expectRunning(*delegate, 0);
        QVERIFY(!m_popover->isShown());

        m_item->click();
        QVERIFY(m_popover->isShown());
        QCOMPARE(m_popover->lastAnchor, m_item->rect);
        QTRY_COMPARE(serviceChecks(), 1);
        QTRY_VERIFY(!delegate->logTailer().lines().isEmpty());
        QTRY_COMPARE(fetches(), (QList<int>{before[0] + 1, before[1] + 1}));
        expectRunning(*delegate, 1);

        m_item->click();
        QVERIFY(!m_popover->isShown());
        expectRunning(*delegate, 0);
        QTRY_VERIFY(!delegate->printerList().isLoading());
        QTRY_VERIFY(!delegate->configSummary().isLoading());
        // Past the slow answers and the next service tick: nothing arrives, nothing runs.
        QTest::qWait(3300);
        QVERIFY(delegate->printerList().printers().isEmpty());
        QVERIFY(!delegate->printerList().lastError());
        QVERIFY(!delegate->configSummary().lastError());
        QCOMPARE(serviceChecks(), 1);

        m_item->click();
        QVERIFY(m_popover->isShown());
        QTRY_COMPARE(serviceChecks(), 2);
        QTRY_COMPARE(fetches(), (QList<int>{before[0] + 2, before[1] + 2}));
        expectRunning(*delegate, 1);
        QTRY_COMPARE(delegate->printerList().printers(), QStringList{u"Receipt"_s});
    }

    // A press elsewhere hides the popover and stops nothing; the next click opens it again with
    // a single timer per model. A press on the icon hides it and is the closing click:
    // everything stops at once (some trays never deliver the click), and the activation of that
    // same click does not reopen it.
    void pressesOutsideThePopover()
    {
        const auto delegate = launch(environment());
        m_item->click();
        QTRY_COMPARE(serviceChecks(), 1);
        m_popover->pressOutside({10, 500});
        expectRunning(*delegate, 1);
        QTest::qWait(ToggleArbiter::sameClickMs + 50);
        m_item->click();
        QVERIFY(m_popover->isShown());
        QCOMPARE(m_popover->shows, 2);
        expectRunning(*delegate, 1);
        QTRY_COMPARE(serviceChecks(), 2);

        m_popover->pressOutside(m_item->rect.center());
        expectRunning(*delegate, 0);
        m_item->click();
        QVERIFY(!m_popover->isShown());
        QTRY_VERIFY(!delegate->printerList().isLoading());
        m_item->click();
        QVERIFY(m_popover->isShown());
        expectRunning(*delegate, 1);
    }

    void iconCandidates_data()
    {
        QTest::addColumn<QString>("bundleIcon"); // "", "valid", "broken" or "missing"
        QTest::addColumn<bool>("workingDirIcon");
        QTest::addColumn<bool>("expectImage");
        QTest::newRow("no bundle, icon in working dir") << u""_s << true << true;
        QTest::newRow("no bundle, nothing in working dir") << u""_s << false << false;
        QTest::newRow("bundle icon used first") << u"valid"_s << false << true;
        QTest::newRow("broken bundle icon hides a good one") << u"broken"_s << true << false;
        QTest::newRow("missing bundle icon skipped") << u"missing"_s << true << true;
    }

    void iconCandidates()
    {
        QFETCH(QString, bundleIcon);
        QFETCH(bool, workingDirIcon);
        QFETCH(bool, expectImage);
        QTemporaryDir dir;
        const QString shippedIcon = QStringLiteral(KORVEL_SOURCE_DIR "/Resources/AppIcon.icns");
        AppEnvironment environment = this->environment();
        environment.workingDirectory = dir.path();
        if (workingDirIcon) {
            QVERIFY(QDir(dir.path()).mkdir(u"Resources"_s));
            QVERIFY(QFile::copy(shippedIcon, dir.filePath(u"Resources/AppIcon.icns"_s)));
        }
        if (!bundleIcon.isEmpty())
            environment.bundleIconPath = dir.filePath(u"bundle.icns"_s);
        if (bundleIcon == u"valid")
            QVERIFY(QFile::copy(shippedIcon, *environment.bundleIconPath));
        if (bundleIcon == u"broken")
            writeFile(*environment.bundleIconPath, "not an image");

        const auto delegate = launch(environment);
        QCOMPARE(m_item->image.has_value(), expectImage);
        QCOMPARE(m_item->title, expectImage ? std::optional<QString>() : u"KP"_s);
        if (expectImage)
            QCOMPARE(m_item->image->deviceIndependentSize(), QSizeF(18, 18));
    }

    // The icon follows each observed state; a fall that lasts is told once, and its click opens
    // the panel, whose checks then update the icon too.
    void serviceStateAtAGlance()
    {
        const auto delegate = launch(environment());
        delegate->serviceStateObserved(ServiceState::running(7));
        delegate->serviceStateObserved(ServiceState::stopped());
        QCOMPARE(m_item->badge, ServiceState::Kind::stopped);
        QCOMPARE(m_item->toolTip, u"Korvel Printer — Stopped"_s);
        QVERIFY(m_notifier->shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_notifier->shown,
                                  QStringList{u"Korvel Printer: print service stopped | Stopped"_s},
                                  FallPolicy::settleMs + 1000);
        m_notifier->click();
        QVERIFY(m_popover->isShown());
        QTRY_COMPARE(m_item->toolTip, u"Korvel Printer — Running (pid 412)"_s);
        QCOMPARE(m_item->badge, ServiceState::Kind::running);
        QCOMPARE(m_notifier->shown.size(), 1);
    }

    void openConfigStartsTheHelperUntilTheDelegateIsGone()
    {
        writeFile(u"config-helper"_s, "#!/bin/sh\necho >> \"$0.runs\"\nexec cat >/dev/null\n");
        auto delegate = launch(environment());
        m_openConfig();
        QTRY_VERIFY(delegate->configWindow().helperPid() != 0);
        delegate.reset();
        m_openConfig();
        QFile runs(path(u"config-helper.runs"_s));
        QVERIFY(runs.open(QIODevice::ReadOnly));
        QCOMPARE(runs.readAll(), QByteArray("\n"));
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
