#include "FakeNotifier.h"
#include "PanelRig.h"
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
    FakePopover *m_popover = nullptr;
    FakeNotifier *m_notifier = nullptr;
    std::function<void()> m_openConfig;

    std::unique_ptr<AppDelegate> launch(const AppEnvironment &environment)
    {
        AppPlatform platform;
        platform.makeStatusItem = [this] { return makeKept(m_item); };
        platform.makePopover = [this](AppModels &, std::function<void()> openConfig) {
            m_openConfig = std::move(openConfig);
            return makeKept(m_popover);
        };
        platform.makeNotifier = [this](auto) { return makeKept(m_notifier); };
        auto delegate = std::make_unique<AppDelegate>(environment, std::move(platform));
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

    int checks() const { return m_rig->control->queries; }
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

    // Launch starts nothing. Click, click, click: open with the immediate work, close with
    // everything stopped and cancelled, open again with the immediate work repeated. Presses
    // outside the popover are driven under real trays by the end-to-end test.
    void clickClickClick()
    {
        const auto delegate = launch(m_rig->environment);
        AppModels &models = delegate->models();
        QTest::qWait(100);
        QCOMPARE(checks(), 0);
        QCOMPARE(fetches(), (QList<int>{0, 0}));
        QVERIFY(models.logTailer.lines().isEmpty() && !m_popover->isShown());

        m_item->click();
        QVERIFY(m_popover->isShown());
        QCOMPARE(m_popover->lastAnchor, m_item->rect);
        QTRY_COMPARE(checks(), 1);
        QTRY_VERIFY(!models.logTailer.lines().isEmpty());
        QTRY_COMPARE(fetches(), (QList<int>{1, 1}));
        expectRunning(*delegate, 1);

        m_item->click();
        QVERIFY(!m_popover->isShown());
        expectRunning(*delegate, 0);
        QTRY_VERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());
        QTest::qWait(400); // past the slow answers: nothing arrives
        QVERIFY(models.printerList.printers().isEmpty() && !models.printerList.lastError());
        QVERIFY(!models.configSummary.lastError());

        m_item->click();
        QTRY_COMPARE(checks(), 2);
        QTRY_COMPARE(fetches(), (QList<int>{2, 2}));
        QTRY_COMPARE(models.printerList.printers(), QStringList{u"Receipt"_s});
    }

    void iconCandidates_data()
    {
        QTest::addColumn<QString>("bundleIcon"); // "", "broken" or "missing"
        QTest::addColumn<bool>("workingDirIcon");
        QTest::addColumn<bool>("expectImage");
        QTest::newRow("nothing anywhere") << u""_s << false << false;
        QTest::newRow("broken bundle icon hides a good one") << u"broken"_s << true << false;
        QTest::newRow("missing bundle icon skipped") << u"missing"_s << true << true;
    }

    void iconCandidates()
    {
        QFETCH(QString, bundleIcon);
        QFETCH(bool, workingDirIcon);
        QFETCH(bool, expectImage);
        const QString shippedIcon = QStringLiteral(KORVEL_SOURCE_DIR "/Resources/AppIcon.icns");
        const QDir dir(m_rig->dir.path());
        AppEnvironment environment = m_rig->environment;
        environment.workingDirectory = dir.path();
        if (workingDirIcon) {
            QVERIFY(dir.mkdir(u"Resources"_s));
            QVERIFY(QFile::copy(shippedIcon, dir.filePath(u"Resources/AppIcon.icns"_s)));
        }
        if (!bundleIcon.isEmpty())
            environment.bundleIconPath = dir.filePath(u"bundle.icns"_s);
        if (bundleIcon == u"broken") {
            QFile broken(*environment.bundleIconPath);
            QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not an image") > 0);
        }

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
        const auto delegate = launch(m_rig->environment);
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
        QTRY_COMPARE(m_item->badge, ServiceState::Kind::running);
        QCOMPARE(m_notifier->shown.size(), 1);
    }

    void openConfigStartsTheHelperUntilTheDelegateIsGone()
    {
        const QString helper = QDir(m_rig->dir.path()).filePath(u"config-helper"_s);
        QFile script(helper);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho >> \"$0.runs\"\nexec cat >/dev/null\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        AppEnvironment environment = m_rig->environment;
        environment.configHelperPath = helper;
        auto delegate = launch(environment);
        m_openConfig();
        QTRY_VERIFY(delegate->configWindow().helperPid() != 0);
        delegate.reset();
        m_openConfig();
        QFile runs(helper + u".runs"_s);
        QVERIFY(runs.open(QIODevice::ReadOnly));
        QCOMPARE(runs.readAll(), QByteArray("\n"));
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
