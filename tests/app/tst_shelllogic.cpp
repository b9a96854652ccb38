#include "app/PopoverPlacement.h"
#include "app/TitleBadge.h"
#include "app/ToggleArbiter.h"

#include <QPainter>
#include <QTest>
#include <cmath>

namespace {

// Relative luminance and contrast ratio as the web accessibility guidelines define them.
double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace

using Action = ToggleArbiter::Action;
Q_DECLARE_METATYPE(Action)

class TestShellLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arbiter_data()
    {
        QTest::addColumn<bool>("dismissed");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<qint64>("activationAfterMs");
        QTest::addColumn<bool>("closesAtPress");
        QTest::addColumn<Action>("action");
        const QRect icon(1000, 0, 24, 24);
        const QPoint onIcon(1010, 10);
        const QPoint elsewhere(300, 400);
        const qint64 late = ToggleArbiter::sameClickMs + 1;

        QTest::newRow("plain click")
            << false << QPoint() << icon << qint64(0) << false << Action::open;
        QTest::newRow("press on icon, its activation")
            << true << onIcon << icon << qint64(5) << true << Action::none;
        QTest::newRow("press on icon, no activation, later click")
            << true << onIcon << icon << late << true << Action::open;
        QTest::newRow("press elsewhere, then click")
            << true << elsewhere << icon << qint64(5) << false << Action::open;
        QTest::newRow("icon unknown, activation right after")
            << true << onIcon << QRect() << qint64(5) << false << Action::close;
        QTest::newRow("icon unknown, click much later")
            << true << elsewhere << QRect() << late << false << Action::open;
        QTest::newRow("just past the icon edge")
            << true << QPoint(1024, 10) << icon << qint64(5) << false << Action::open;
    }

    void arbiter()
    {
        QFETCH(bool, dismissed);
        QFETCH(QPoint, press);
        QFETCH(QRect, icon);
        QFETCH(qint64, activationAfterMs);
        QFETCH(bool, closesAtPress);
        QFETCH(Action, action);
        ToggleArbiter arbiter;
        const qint64 start = 100000;
        if (dismissed)
            QCOMPARE(arbiter.popoverDismissed(press, icon, start), closesAtPress);
        QCOMPARE(arbiter.iconActivated(start + activationAfterMs), action);
        // A dismissal is used up by the activation that follows it.
        QCOMPARE(arbiter.iconActivated(start + activationAfterMs + 1), Action::open);
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("origin");
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("centred under a top icon")
            << QRect(900, 0, 24, 24) << screen << QPoint(651, 24);
        QTest::newRow("kept inside on the right")
            << QRect(1890, 0, 24, 24) << screen << QPoint(1920 - 520, 24);
        QTest::newRow("above an icon in a bottom panel")
            << QRect(900, 1050, 24, 24) << QRect(0, 0, 1920, 1050) << QPoint(651, 1050 - 720);
        QTest::newRow("taller than a small screen")
            << QRect(900, 0, 24, 24) << QRect(0, 30, 1024, 600) << QPoint(504, 30);
        QTest::newRow("second screen")
            << QRect(2900, 0, 24, 24) << QRect(1920, 0, 1280, 1024) << QPoint(2651, 24);
    }

    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QRect, available);
        QFETCH(QPoint, origin);
        QCOMPARE(popoverOrigin(anchor, QSize(520, 720), available), origin);
    }

    // The badge stands out from light and dark trays, and its letters from the badge (along the
    // middle row, which crosses both letters).
    void titleBadgeReadsOnLightAndDarkTrays()
    {
        for (const int side : {16, 22, 48}) {
            const QImage badge = titleBadge(QStringLiteral("KP"), side);
            for (const QRgb tray : {0xffffffu, 0xd9d9d9u, 0x303030u, 0x000000u}) {
                QImage shown(badge.size(), QImage::Format_RGB32);
                shown.fill(tray);
                QPainter(&shown).drawImage(0, 0, badge);
                double fromTray = 1;
                double darkest = 1;
                double lightest = 0;
                for (int y = 0; y < side; ++y) {
                    for (int x = 0; x < side; ++x) {
                        const double l = luminance(shown.pixel(x, y));
                        fromTray = std::max(fromTray, contrast(l, luminance(tray)));
                        if (y == side / 2 && x >= side / 4 && x < side * 3 / 4) {
                            darkest = std::min(darkest, l);
                            lightest = std::max(lightest, l);
                        }
                    }
                }
                const QByteArray where =
                    QByteArray::number(side) + " on " + QByteArray::number(tray, 16);
                QVERIFY2(fromTray >= 3, where);
                QVERIFY2(contrast(lightest, darkest) >= 4.5, where);
            }
        }
    }
};

QTEST_MAIN(TestShellLogic)
#include "tst_shelllogic.moc"
