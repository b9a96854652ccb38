#include "app/FallPolicy.h"
#include "app/PrintErrorPolicy.h"
#include "app/SingleInstance.h"
#include "app/StationReport.h"
#include "app/StatusBadge.h"
#include "app/TitleIcon.h"
#include "app/ToggleArbiter.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Action = ToggleArbiter::Action;
using Kind = ServiceState::Kind;
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Kind)

namespace {

// Relative luminance and contrast ratio as the accessibility guidelines define them.
qreal luminance(const QColor &colour)
{
    const auto linear = [](qreal c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

qreal contrast(const QColor &a, const QColor &b)
{
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

// `image` drawn on a tray of colour `tray`, measured within `region`: the share of pixels that
// stand out from the tray (contrast 3) and the contrast between the region's extremes.
std::pair<qreal, qreal> onTray(const QImage &image, QColor tray, const QRect &region)
{
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(image.devicePixelRatio());
    shown.fill(tray);
    QPainter(&shown).drawImage(0, 0, image);
    int standingOut = 0;
    QColor darkest = Qt::white;
    QColor lightest = Qt::black;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            standingOut += contrast(pixel, tray) >= 3;
            darkest = luminance(pixel) < luminance(darkest) ? pixel : darkest;
            lightest = luminance(pixel) > luminance(lightest) ? pixel : lightest;
        }
    }
    return {qreal(standingOut) / (region.width() * region.height()), contrast(darkest, lightest)};
}

} // namespace

class TestShellLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arbiter_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<qint64>("activationAfterMs");
        QTest::addColumn<bool>("closesAtPress");
        QTest::addColumn<Action>("action");
        const QRect icon(1000, 0, 24, 24);
        const QPoint onIcon(1010, 10);
        const QPoint elsewhere(300, 400);
        const qint64 late = ToggleArbiter::sameClickMs + 1;

        // A plain click, a press elsewhere then a click, the closing click where the host gives
        // no icon or XWayland's shell takes the focus: rows of e2e_tray.py and the desktop rows.
        QTest::newRow("press on icon, its activation")
            << onIcon << icon << qint64(5) << true << Action::none;
        QTest::newRow("icon unknown, click much later")
            << elsewhere << QRect() << late << false << Action::open;
    }

    void arbiter()
    {
        QFETCH(QPoint, press);
        QFETCH(QRect, icon);
        QFETCH(qint64, activationAfterMs);
        QFETCH(bool, closesAtPress);
        QFETCH(Action, action);
        ToggleArbiter arbiter;
        const qint64 start = 100000;
        QCOMPARE(arbiter.popoverDismissed(press, icon, start), closesAtPress);
        QCOMPARE(arbiter.iconActivated(start + activationAfterMs), action);
        // A dismissal is used up by the activation that follows it.
        QCOMPARE(arbiter.iconActivated(start + activationAfterMs + 1), Action::open);
    }

    // The badge stands out from light and dark trays, and its letters from the badge (along the
    // middle row, which crosses both letters).
    void titleIconReadsOnLightAndDarkTrays()
    {
        for (const int side : {16, 48}) {
            const QImage badge = titleIcon(QStringLiteral("KP"), side);
            for (const QColor tray : {QColor(Qt::white), QColor(Qt::black)}) {
                QVERIFY(onTray(badge, tray, badge.rect()).first > 0);
                QVERIFY(onTray(badge, tray, QRect(side / 4, side / 2, side / 2, 1)).second >= 4.5);
            }
        }
    }

    // Events are a letter and a time in ms: r running, s stopped, n not installed, u unknown,
    // a starting, d stopping, R our restart started, C its re-check published. `notified`: when
    // notifications go out. A lasting fall and a 5 s restart are rows of e2e_tray.py.
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
        decide(1000);
        policy.observe(2, u"f"_s);
        decide(5000);
        QCOMPARE(policy.decisionAt(), std::optional(PrintErrorPolicy::quietMs));
        decide(PrintErrorPolicy::quietMs);
        decide(PrintErrorPolicy::quietMs + 1);
        QCOMPARE(told, (QStringList{u"3 c -"_s, u"3 f 14:02"_s}));
    }

    // service: r running, s stopped, n not installed, u unknown, - no answer in time. printers:
    // how many the daemon lists (P1, P2, …), -1 for an error. slot: the first slot's printer.
    void statusExitCode_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("health");
        QTest::addColumn<int>("printers");
        QTest::addColumn<QString>("slot");
        QTest::addColumn<int>("errorMinutesAgo");
        QTest::addColumn<bool>("configError");
        QTest::addColumn<int>("code");
        QTest::newRow("slots left unset") << u"r"_s << true << 2 << u""_s << -1 << false << 0;
        QTest::newRow("an old error") << u"r"_s << true << 2 << u"P1"_s << 11 << false << 0;
        QTest::newRow("slot names an unlisted printer")
            << u"r"_s << true << 2 << u"P9"_s << -1 << false << 1;
        QTest::newRow("no printers") << u"r"_s << true << 0 << u""_s << -1 << false << 1;
        QTest::newRow("not installed") << u"n"_s << true << 2 << u"P1"_s << -1 << false << 2;
        QTest::newRow("health down") << u"r"_s << false << 2 << u"P1"_s << -1 << false << 2;
        QTest::newRow("printers unreadable") << u"r"_s << true << -1 << u"P1"_s << -1 << false << 2;
        QTest::newRow("config unreadable") << u"r"_s << true << 2 << u"P1"_s << -1 << true << 2;
        QTest::newRow("manager silent") << u"-"_s << true << 2 << u"P1"_s << -1 << false << 3;
        QTest::newRow("manager silent, daemon down")
            << u"-"_s << false << -1 << u"P1"_s << -1 << false << 2;
    }

    void statusExitCode()
    {
        QFETCH(QString, service);
        QFETCH(bool, health);
        QFETCH(int, printers);
        QFETCH(QString, slot);
        QFETCH(int, errorMinutesAgo);
        QFETCH(bool, configError);
        QFETCH(int, code);
        StationReport report;
        report.takenAt = QDateTime::currentDateTime();
        const QHash<QString, ServiceState> states{{u"r"_s, ServiceState::running(412)},
                                                  {u"s"_s, ServiceState::stopped()},
                                                  {u"n"_s, ServiceState::notInstalled()}};
        if (const auto state = states.constFind(service); state != states.cend())
            report.service = *state;
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
        if (errorMinutesAgo >= 0) {
            report.lastErrorLine = u"ERROR paper out"_s;
            report.lastErrorAt = report.takenAt.addSecs(-60 * errorMinutesAgo);
        }
        QCOMPARE(int(::statusExitCode(report)), code);
    }

    void badge_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("stopped at 1x") << 1 << Kind::stopped;
        for (const Kind kind : {Kind::notInstalled, Kind::unknown})
            QTest::addRow("kind %d at 2x", int(kind)) << 2 << kind;
    }

    // The badge stands out on light and dark trays alike, and carries a symbol that stands out
    // from the badge itself.
    void badge()
    {
        QFETCH(int, scale);
        QFETCH(Kind, kind);
        QImage base(18 * scale, 18 * scale, QImage::Format_ARGB32_Premultiplied);
        base.fill(Qt::transparent);
        base.setDevicePixelRatio(scale);
        const QImage badged = badgedStatusImage(base, kind);
        QCOMPARE(badged.devicePixelRatio(), qreal(scale));
        const QRect corner(8 * scale, 8 * scale, 10 * scale, 10 * scale);
        for (const QColor tray : {QColor(0xf5, 0xf5, 0xf5), QColor(0x1e, 0x1e, 0x1e)}) {
            const auto [standingOut, spread] = onTray(badged, tray, corner);
            QVERIFY2(standingOut >= 0.25, qPrintable(QString::number(standingOut)));
            QVERIFY(spread >= 3);
        }
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
};

QTEST_MAIN(TestShellLogic)
#include "tst_shelllogic.moc"
