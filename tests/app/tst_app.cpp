#include "MakeKept.h"
#include "PanelRig.h"
#include "TestFiles.h"
#include "app/AppDelegate.h"
#include "app/ConfigNavigation.h"
#include "app/ConfigPageWindow.h"
#include "app/PrintErrorPolicy.h"
#include "app/SingleInstance.h"
#include "app/StationReport.h"
#include "app/StatusBadge.h"
#include "app/TitleIcon.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Kind = ServiceState::Kind;

namespace {

const QUrl pageUrl(u"http://127.0.0.1:9020/"_s);

// Relative luminance and contrast ratio as the accessibility guidelines define them.
qreal luminance(const QColor &colour)
{
    const auto linear = [](qreal c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

qreal contrast(qreal a, qreal b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// `image` drawn on a tray of colour `tray`, measured within `region` (in device-independent
// pixels): the share of pixels that stand out from the tray (contrast 3) and the contrast
// between the region's extremes.
std::pair<qreal, qreal> onTray(const QImage &image, QColor tray, const QRect &region)
{
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(image.devicePixelRatio());
    shown.fill(tray);
    QPainter(&shown).drawImage(0, 0, image);
    const QRect pixels(region.topLeft() * image.devicePixelRatio(),
                       region.size() * image.devicePixelRatio());
    int standingOut = 0;
    qreal darkest = 1;
    qreal lightest = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const qreal pixel = luminance(shown.pixelColor(x, y));
            standingOut += contrast(pixel, luminance(tray)) >= 3;
            darkest = std::min(darkest, pixel);
            lightest = std::max(lightest, pixel);
        }
    }
    return {qreal(standingOut) / (pixels.width() * pixels.height()), contrast(darkest, lightest)};
}

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

// Notifications go nowhere; with a notifier the app also watches the log for print errors.
class FakeNotifier : public Notifier
{
public:
    void notify(const QString &, const QString &) override {}
};

class FakePageView : public ConfigPageView
{
public:
    QWidget view;
    int stops = 0;
    std::function<void()> finished;

    QWidget *widget() override { return &view; }
    void load(const QUrl &) override {}
    void stop() override { ++stops; }
    void onLoadFinished(std::function<void()> callback) override { finished = std::move(callback); }
};

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<PanelRig> m_rig;
    FakeStatusItem *m_item = nullptr;
    std::function<void()> m_openConfig;

    // The app on a new rig's fakes, whose slow answers keep both fetches in flight long enough
    // to be cancelled.
    std::unique_ptr<AppDelegate> launch(const QString &configHelper = {})
    {
        m_rig = std::make_unique<PanelRig>();
        m_rig->server.setResponse(u"/printers"_s, {200, R"({"data":["Receipt"]})", 300});
        m_rig->server.setResponse(u"/config"_s, {200, R"({"data":{}})", 300});
        AppEnvironment environment;
        environment.logPath = m_rig->logPath;
        environment.daemonBase = m_rig->server.url(u""_s).toString();
        environment.serviceControl = m_rig->control;
        environment.desktop = m_rig->desktop;
        environment.prompts = m_rig->prompts;
        environment.workingDirectory = m_rig->dir.filePath(u"nowhere"_s);
        environment.configHelperPath = configHelper;
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

    // What the fake helper was started with and read, one entry per line.
    QStringList recorded() const
    {
        return QString::fromUtf8(readFile(m_dir.filePath(u"helper.record"_s)))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    // The press on the icon that hid the popover arrives again as an activation, which must not
    // reopen it; the click after that is a real one, however soon it comes.
    void closingClickIsSwallowedOnce()
    {
        ToggleArbiter arbiter;
        QVERIFY(arbiter.popoverDismissed({1010, 10}, {1000, 0, 24, 24}, 100000));
        QCOMPARE(arbiter.iconActivated(100005), ToggleArbiter::Action::none);
        QCOMPARE(arbiter.iconActivated(100006), ToggleArbiter::Action::open);
    }

    // The fallback title and the state badge stand out from light and dark trays, and their
    // marks from themselves. The title's middle row crosses both letters; the badge's corner is
    // found through its pixel ratio.
    void readsOnLightAndDarkTrays_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("region");
        QTest::addColumn<qreal>("standingOut");
        QTest::addColumn<qreal>("spread");
        for (const int side : {16, 48})
            QTest::addRow("KP at %d px", side)
                << titleIcon(u"KP"_s, side) << QRect(side / 4, side / 2, side / 2, 1) << 0.01
                << 4.5;
        const auto badged = [](int scale, Kind kind) {
            QImage base(18 * scale, 18 * scale, QImage::Format_ARGB32_Premultiplied);
            base.fill(Qt::transparent);
            base.setDevicePixelRatio(scale);
            return badgedStatusImage(base, kind);
        };
        const QRect corner(8, 8, 10, 10);
        QTest::newRow("stopped at 1x") << badged(1, Kind::stopped) << corner << 0.25 << 3.0;
        for (const Kind kind : {Kind::notInstalled, Kind::unknown})
            QTest::addRow("kind %d at 2x", int(kind)) << badged(2, kind) << corner << 0.25 << 3.0;
    }

    void readsOnLightAndDarkTrays()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, region);
        QFETCH(qreal, standingOut);
        QFETCH(qreal, spread);
        for (const QColor tray : {QColor(0xf5, 0xf5, 0xf5), QColor(0x1e, 0x1e, 0x1e)}) {
            const auto [share, extremes] = onTray(image, tray, region);
            QVERIFY2(share >= standingOut, qPrintable(QString::number(share)));
            QVERIFY2(extremes >= spread, qPrintable(QString::number(extremes)));
        }
    }

    // Events are a letter and a time in ms: r running, s stopped, n not installed, u unknown,
    // a starting, d stopping, R our restart started, C its re-check published. `notified`: when
    // notifications go out. A lasting fall is a row of e2e_tray.py.
    void fallPolicy_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("notified");
        QTest::newRow("a restart's stop-start") << u"r0 s10000 r11500"_s << u""_s;
        QTest::newRow("uninstalled") << u"r0 n10000"_s << u""_s;
        QTest::newRow("no manager in between") << u"r0 u5000 s10000"_s << u"12000"_s;
        QTest::newRow("own restart, slow start") << u"r0 R5000 s5100 C9000"_s << u""_s;
        QTest::newRow("second restart still in flight")
            << u"r0 R5000 R5500 C8000 s8100 C9000"_s << u""_s;
        QTest::newRow("a real fall after our restart")
            << u"r0 R5000 s5100 C9000 r20000 s30000"_s << u"32000"_s;
        QTest::newRow("stopped a moment, then a slow start")
            << u"r0 s10000 a10500 r15500"_s << u""_s;
        QTest::newRow("a start that fails") << u"r0 s10000 a10500 s16000"_s << u"18000"_s;
        QTest::newRow("flapping, ends down: told after the quiet minute")
            << u"r0 s1000 r4000 s10000 r13000 s20000"_s << u"3000 63000"_s;
    }

    void fallPolicy()
    {
        QFETCH(QString, events);
        QFETCH(QString, notified);
        const QHash<QChar, Kind> kinds{{u'r', Kind::running},      {u's', Kind::stopped},
                                       {u'n', Kind::notInstalled}, {u'u', Kind::unknown},
                                       {u'a', Kind::starting},     {u'd', Kind::stopping}};
        FallPolicy policy;
        QStringList at;
        // What the app's timer does until `until`.
        const auto runTimer = [&](qint64 until) {
            while (const auto due = policy.decisionAt()) {
                if (*due > until || !policy.decide(*due))
                    break;
                at << QString::number(*due);
            }
        };
        for (const QString &event : events.split(u' ')) {
            const qint64 time = event.mid(1).toLongLong();
            runTimer(time - 1);
            if (event[0] == u'R')
                policy.restartStarted();
            else if (event[0] == u'C')
                policy.restartChecked();
            else
                policy.observe(kinds.value(event[0]), time);
        }
        runTimer(std::numeric_limits<qint64>::max());
        QCOMPARE(at.join(u' '), notified);
    }

    // The first burst is told at once with its newest line; what follows waits out the quiet
    // period and is told as one, counted, with the time of the previous notice.
    void printErrorPolicy()
    {
        PrintErrorPolicy policy;
        const QDateTime start(QDate(2026, 3, 14), QTime(14, 2));
        QStringList told;
        const auto decide = [&](qint64 ms) {
            if (const auto notice = policy.decide(ms, start.addMSecs(ms)))
                told << QString::number(notice->count) + u' ' + notice->newestLine + u' ' +
                            (notice->since ? notice->since->toString(u"HH:mm"_s) : u"-"_s);
        };
        policy.observe(3, u"c"_s);
        decide(0);
        policy.observe(1, u"d"_s);
        policy.observe(2, u"f"_s);
        decide(5000);
        QCOMPARE(policy.decisionAt(), std::optional(PrintErrorPolicy::quietMs));
        decide(PrintErrorPolicy::quietMs);
        decide(PrintErrorPolicy::quietMs + 1);
        QCOMPARE(told, (QStringList{u"3 c -"_s, u"3 f 14:02"_s}));
    }

    // service: r running, n not installed, - no answer in time. printers: how many the daemon
    // lists (P1, P2, …), -1 for an error. slot: the first slot's printer. The rest, errors in
    // the log included, are rows of status_rows.py.
    void statusExitCode_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("health");
        QTest::addColumn<int>("printers");
        QTest::addColumn<QString>("slot");
        QTest::addColumn<bool>("configError");
        QTest::addColumn<int>("code");
        QTest::newRow("slots left unset") << u"r"_s << true << 2 << u""_s << false << 0;
        QTest::newRow("slot names an unlisted printer")
            << u"r"_s << true << 2 << u"P9"_s << false << 1;
        QTest::newRow("no printers") << u"r"_s << true << 0 << u""_s << false << 1;
        QTest::newRow("not installed") << u"n"_s << true << 2 << u"P1"_s << false << 2;
        QTest::newRow("printers unreadable") << u"r"_s << true << -1 << u"P1"_s << false << 2;
        QTest::newRow("config unreadable") << u"r"_s << true << 2 << u"P1"_s << true << 2;
        QTest::newRow("manager silent, daemon down")
            << u"-"_s << false << -1 << u"P1"_s << false << 2;
    }

    void statusExitCode()
    {
        QFETCH(QString, service);
        QFETCH(bool, health);
        QFETCH(int, printers);
        QFETCH(QString, slot);
        QFETCH(bool, configError);
        QFETCH(int, code);
        StationReport report;
        if (service != u"-")
            report.service =
                service == u"r" ? ServiceState::running(412) : ServiceState::notInstalled();
        report.healthOk = health;
        if (printers < 0)
            report.printersError = u"refused"_s;
        else
            report.printers = QStringList();
        for (int i = 1; i <= printers; ++i)
            report.printers->append(u"P"_s + QString::number(i));
        report.slots[0].printer = slot;
        if (configError)
            report.configError = u"Invalid response from /config"_s;
        QCOMPARE(int(::statusExitCode(report)), code);
    }

    // A second start hands over to the first, also when a crashed one left its socket behind.
    void singleInstance()
    {
        QTemporaryDir dir;
        const QString name = SingleInstance::socketName(dir.path(), 1000, u"../:0"_s);
        QCOMPARE(QFileInfo(name).path(), dir.path());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(name).constData(),
                     sizeof address.sun_path - 1);
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(stale, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(stale);

        SingleInstance first(name);
        QVERIFY(!first.handOver());
        QSignalSpy opened(&first, &SingleInstance::activationRequested);
        SingleInstance second(name);
        QVERIFY(second.handOver());
        QTRY_COMPARE(opened.count(), 1);
    }

    // Launch starts nothing (and, without an icon, shows the KP title). Closing cancels the
    // fetches in flight: nothing arrives after, and the next opening fetches again. (The timers
    // running while open and stopped when closed are rows of e2e_tray.py.)
    void closeCancelsWhatOpeningStarted()
    {
        const auto delegate = launch();
        PanelModels &models = delegate->models();
        TestHttpServer &server = m_rig->server;
        QCOMPARE(m_item->title, u"KP"_s);
        QCoreApplication::processEvents(); // a start the launch queued would be under way
        const auto timers = models.logTailer.findChildren<QTimer *>(Qt::FindDirectChildrenOnly) +
                            models.serviceStatus.findChildren<QTimer *>(Qt::FindDirectChildrenOnly);
        QVERIFY(std::none_of(timers.begin(), timers.end(), std::mem_fn(&QTimer::isActive)));
        QVERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());

        m_item->click();
        QTRY_COMPARE(server.requestCount(u"/printers"_s) + server.requestCount(u"/config"_s), 2);
        QCOMPARE(server.requestCount(u"/printers"_s), 1);
        m_item->click();
        // Both hung up on: the slow answers never arrive.
        QTRY_COMPARE(server.abandonedCount(u"/printers"_s) + server.abandonedCount(u"/config"_s),
                     2);
        QTRY_VERIFY(!models.printerList.isLoading() && !models.configSummary.isLoading());
        QVERIFY(models.printerList.printers().isEmpty() && !models.printerList.lastError());
        QVERIFY(!models.configSummary.lastError());

        m_item->click();
        QTRY_COMPARE(models.printerList.printers(), QStringList{u"Receipt"_s});
    }

    // The wait bounds the request for the page only: a form saved after the page has loaded
    // is never stopped.
    void requestTimeoutCoversOnlyThePage()
    {
        for (const bool pageAnswers : {false, true}) {
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
            QCOMPARE(page->stops, pageAnswers ? 0 : 1);
        }
    }

    // Two fast clicks start one helper, a killed one is replaced on the next show, and quitting
    // the app ends the helper; one that cannot start is reported at each show. Once the app is
    // gone, the panel's button starts nothing.
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

        auto delegate = launch(helper);
        m_openConfig();
        QTRY_VERIFY(delegate->configWindow().helperPid() != 0);
        delegate.reset();
        m_openConfig();
        QCOMPARE(recorded().filter(u"start "_s).size(), 3);
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

QTEST_MAIN(TestApp)
#include "tst_app.moc"
