#include "PanelRig.h"
#include "ui/ElidedLabel.h"
#include "ui/RefreshButton.h"
#include "ui/Spinner.h"
#include "ui/StatusDot.h"
#include "ui/WrappingText.h"

#include <QAbstractButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString longName = u"Start-"_s + QString(150, u'm') + u"-End"_s;
const QByteArray configBody = R"({"success":true,"data":{"printers":{
    "payment":{"printer_name":"Epson TM-T82","reverse":false},
    "kitchen":{"printer_name":")" +
                              longName.toUtf8() + R"(","reverse":true},
    "complete":{"printer_name":" "},
    "label":{"printer_name":"Zebra GK420d","reverse":true}}}})";

const QStringList printerParts = {u"printerCount"_s, u"printerAge"_s, u"printerScroll"_s,
                                  u"printerPlaceholder"_s, u"printerError"_s};

} // namespace

class PopoverViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every section in order with its first texts; filled to the brim, the panel keeps its size.
    void initialPanelThenFullModels()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(view.size(), QSize(520, 720));
        const QStringList sections = {u"header"_s,     u"headerDivider"_s,  u"connectionsCard"_s,
                                      u"statusCard"_s, u"printerSection"_s, u"logHeader"_s,
                                      u"logView"_s,    u"footer"_s};
        int previousBottom = 0;
        for (const QString &name : sections) {
            QWidget *section = find(view, name);
            QVERIFY2(section->isVisible() && section->y() >= previousBottom, qPrintable(name));
            previousBottom = section->geometry().bottom();
        }
        QVERIFY(previousBottom <= 720 - 14);

        QCOMPARE(textOf(view, u"headerTitle"_s), u"Korvel Printer"_s);
        QCOMPARE(textOf(view, u"apiLabel"_s), u"API :9020"_s);
        QCOMPARE(textOf(view, u"serviceStateLabel"_s), u"Unknown: not checked yet"_s);
        QCOMPARE(textOf(view, u"healthLabel"_s), u"Health endpoint not reachable"_s);
        QVERIFY(!find<StatusDot>(view, u"statusDot"_s)->running());
        QCOMPARE(textOf(view, u"printerPlaceholder"_s), u"Loading…"_s);
        QCOMPARE(visibleOf(view, printerParts), QStringList{u"printerPlaceholder"_s});
        QCOMPARE(textOf(view, u"connectionsTitle"_s), u"Kết nối máy in"_s);
        QCOMPARE(visibleOf(view, {u"configSpinner"_s, u"configError"_s}), QStringList());
        QStringList names;
        for (QWidget *row : find(view, u"slotRows"_s)
                                ->findChildren<QWidget *>(QRegularExpression(u"^slotRow-"_s))) {
            names.append(textOf(*row, u"slotName"_s));
            QCOMPARE(textOf(*row, u"slotUnassigned"_s), u"Chưa chọn"_s);
            QCOMPARE(visibleOf(*row, {u"slotUnassigned"_s, u"slotPrinter"_s, u"slotReverse"_s}),
                     QStringList{u"slotUnassigned"_s});
        }
        QCOMPARE(names, (QStringList{u"Phiếu tạm tính"_s, u"Phiếu đơn hàng"_s,
                                     u"Phiếu thanh toán"_s, u"Nhãn tem"_s}));

        rig.setLaunchctl(QByteArray(600, '\xff'));
        QStringList printers;
        for (int i = 0; i < 40; ++i)
            printers.append(u"\"Printer with a rather long name number %1\""_s.arg(i));
        rig.setPrinters("{\"data\":[" + printers.join(u',').toUtf8() + "]}");
        rig.setConfig(configBody);
        rig.writeLog(QStringList(300, QString(200, u'x')));
        rig.serviceStatus->start();
        rig.logTailer->start();
        QVERIFY(rig.fetchAll());
        QTRY_COMPARE(rig.logTailer->lines().size(), 300);
        QTRY_VERIFY(textOf(view, u"serviceStateLabel"_s).startsWith(u"Unknown: "_s));
        QCOMPARE(view.size(), QSize(520, 720));
        for (const QString &name : sections)
            QVERIFY2(QRect(0, 0, 520, 720).contains(find(view, name)->geometry()),
                     qPrintable(name));
        auto *printerScroll = find<QScrollArea>(view, u"printerScroll"_s);
        QVERIFY(printerScroll->height() <= 90);
        QTRY_VERIFY(printerScroll->verticalScrollBar()->maximum() > 0);
    }

    void statusCard_data()
    {
        QTest::addColumn<QByteArray>("launchctlOutput");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("healthStatus");
        QTest::addColumn<bool>("green");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("health");

        // The labels themselves are the monitor's; here: which text goes where, and the dot.
        QTest::newRow("running, healthy")
            << QByteArray("{\n\t\"PID\" = 412;\n\t\"Label\" = \"com.korvel.printer\";\n};\n") << 0
            << 200 << true << u"Running (pid 412)"_s << u"Health endpoint OK"_s;
        QTest::newRow("stopped, healthy") << QByteArray("{\n};\n") << 0 << 200 << false
                                          << u"Stopped"_s << u"Health endpoint OK"_s;
        QTest::newRow("not installed, no health")
            << QByteArray() << 113 << 500 << false << u"Not installed"_s
            << u"Health endpoint not reachable"_s;
    }

    // Restart stays enabled and runs once per press whatever the state.
    void statusCard()
    {
        QFETCH(QByteArray, launchctlOutput);
        QFETCH(int, exitCode);
        QFETCH(int, healthStatus);
        QFETCH(bool, green);
        QFETCH(QString, state);
        QFETCH(QString, health);

        PanelRig rig;
        rig.setLaunchctl(launchctlOutput, exitCode);
        rig.server.setResponse(u"/health"_s, {healthStatus, "{}"});
        PopoverView &view = rig.showView();
        rig.serviceStatus->start();
        QTRY_COMPARE(textOf(view, u"serviceStateLabel"_s), state);
        QTRY_COMPARE(rig.server.requestCount(u"/health"_s), 1);
        QTRY_COMPARE(textOf(view, u"healthLabel"_s), health);
        QCOMPARE(find<StatusDot>(view, u"statusDot"_s)->running(), green);

        auto *restart = find<QAbstractButton>(view, u"restartButton"_s);
        restart->click();
        restart->click();
        QTRY_COMPARE(rig.restartRuns(), 2);
        QVERIFY(restart->isEnabled());
    }

    // Loading, the rows of an answer, an error in place of the rows, and recovery.
    void connectionsCard()
    {
        PanelRig rig;
        rig.server.setResponse(u"/config"_s, {200, configBody, 400});
        PopoverView &view = rig.showView();
        auto *spinner = find<Spinner>(view, u"configSpinner"_s);
        auto *button = find<QAbstractButton>(view, u"openConfigButton"_s);
        QVERIFY(!spinner->isAnimating());
        rig.configSummary->refresh();
        QTRY_VERIFY(spinner->isVisible() && spinner->isAnimating());
        button->click();
        QCOMPARE(rig.openConfigCalls, 1);
        QTRY_VERIFY(!spinner->isVisible());
        QVERIFY(!spinner->isAnimating());

        QWidget *payment = find(view, u"slotRow-payment"_s);
        QCOMPARE(find<ElidedLabel>(*payment, u"slotPrinter"_s)->text(), u"Epson TM-T82"_s);
        const QStringList rowParts = {u"slotPrinterGlyph"_s, u"slotUnassigned"_s, u"slotReverse"_s};
        QCOMPARE(visibleOf(*payment, rowParts), QStringList{u"slotPrinterGlyph"_s});
        // A blank name is a printer; only the label slot shows its reverse flag.
        QWidget *complete = find(view, u"slotRow-complete"_s);
        QCOMPARE(find<ElidedLabel>(*complete, u"slotPrinter"_s)->text(), u" "_s);
        QCOMPARE(visibleOf(*complete, rowParts), QStringList{u"slotPrinterGlyph"_s});
        QWidget *label = find(view, u"slotRow-label"_s);
        QCOMPARE(visibleOf(*label, rowParts),
                 (QStringList{u"slotPrinterGlyph"_s, u"slotReverse"_s}));
        QCOMPARE(textOf(*label, u"slotReverse"_s), u"đảo tem"_s);
        QVERIFY(find(*label, u"slotReverse"_s)->geometry().right() >= label->width() - 2);

        // A long name is elided in the middle and the row stays inside the card.
        QWidget *kitchen = find(view, u"slotRow-kitchen"_s);
        QCOMPARE(visibleOf(*kitchen, rowParts), QStringList{u"slotPrinterGlyph"_s});
        auto *printer = find<ElidedLabel>(*kitchen, u"slotPrinter"_s);
        QCOMPARE(printer->text(), longName);
        QCOMPARE(printer->toolTip(), longName);
        QTRY_VERIFY(printer->displayedText().contains(u'…'));
        QVERIFY(printer->displayedText().startsWith(u"Start-"_s));
        QVERIFY(printer->displayedText().endsWith(u"-End"_s));
        QCOMPARE(find(*kitchen, u"slotName"_s)->width(), 120);
        QVERIFY(kitchen->geometry().right() < find(view, u"connectionsCard"_s)->width());

        const QStringList cardParts = {u"slotRows"_s, u"configError"_s};
        rig.setConfig("[]");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, cardParts), QStringList{u"configError"_s});
        QCOMPARE(textOf(view, u"configError"_s),
                 u"Không đọc được cấu hình: Invalid response from /config"_s);
        button->click();
        QCOMPARE(rig.openConfigCalls, 2);

        rig.setConfig(configBody);
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, cardParts), QStringList{u"slotRows"_s});
    }

    void printerSectionStates()
    {
        PanelRig rig;
        rig.setPrinters(R"({"success":true,"data":["Zebra","<b>Epson</b>","Zebra"]})");
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts),
                 (QStringList{u"printerCount"_s, u"printerAge"_s, u"printerScroll"_s}));
        QCOMPARE(textOf(view, u"printerCount"_s), u"(3)"_s);
        QCOMPARE(textOf(view, u"printerAge"_s), u"just now"_s);
        QStringList rows;
        for (WrappingText *label : view.findChildren<WrappingText *>(u"printerName"_s)) {
            rows.append(label->text());
            QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        }
        QCOMPARE(rows, (QStringList{u"Zebra"_s, u"<b>Epson</b>"_s, u"Zebra"_s}));

        rig.setPrinters(R"({"data":["Solo"]})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(textOf(view, u"printerCount"_s), u"(1)"_s);
        QCOMPARE(view.findChildren<WrappingText *>(u"printerName"_s).size(), 1);

        // A long name without a space wraps inside the list, which grows to show all of it.
        const QString longer(300, u'm'); // five lines
        rig.setPrinters("{\"data\":[\"" + longer.toUtf8() + "\"]}");
        QVERIFY(rig.fetchAll());
        auto *name = find<WrappingText>(view, u"printerName"_s);
        QCOMPARE(name->text(), longer);
        QTRY_VERIFY(name->height() >= 5 * name->fontMetrics().lineSpacing());
        auto *scroll = find<QScrollArea>(view, u"printerScroll"_s);
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        QTRY_VERIFY(scroll->viewport()->rect().contains(
            QRect(name->mapTo(scroll->viewport(), QPoint()), name->size())));
        QVERIFY(name->document()->size().height() <= name->height());

        rig.setPrinters(R"({"data":[]})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts),
                 (QStringList{u"printerAge"_s, u"printerPlaceholder"_s}));
        QVERIFY(textOf(view, u"printerPlaceholder"_s).startsWith(u"No printers detected."_s));

        rig.setPrinters(R"({"success":false,"error":"paper jam"})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts.mid(1)),
                 (QStringList{u"printerAge"_s, u"printerError"_s}));
        QCOMPARE(textOf(view, u"printerError"_s), u"Could not fetch printers: paper jam"_s);
    }

    void refreshIsDisabledAndSpinsWhileLoading()
    {
        PanelRig rig;
        rig.server.setResponse(u"/printers"_s, {200, R"({"data":["A"]})", 400});
        PopoverView &view = rig.showView();
        auto *refresh = find<RefreshButton>(view, u"refreshButton"_s);
        QVERIFY(refresh->isEnabled() && !refresh->isAnimating());

        refresh->click();
        QTRY_VERIFY(!refresh->isEnabled());
        QVERIFY(refresh->isSpinning() && refresh->isAnimating());
        QTRY_VERIFY(refresh->isEnabled());
        QVERIFY(!refresh->isSpinning());
        QCOMPARE(rig.server.requestCount(u"/printers"_s), 1);
        // Settles back to rest, then nothing animates while idle.
        QTRY_VERIFY(!refresh->isAnimating());
    }

    void ageMovesOnWhenAnotherModelChanges()
    {
        PanelRig rig;
        rig.setPrinters(R"({"data":["A"]})");
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());
        QTest::qWait(5100);
        QCOMPARE(textOf(view, u"printerAge"_s), u"just now"_s);
        rig.setLaunchctl({}, 113);
        rig.serviceStatus->start();
        QTRY_COMPARE(textOf(view, u"serviceStateLabel"_s), u"Not installed"_s);
        QCOMPARE(textOf(view, u"printerAge"_s), u"5s ago"_s);
    }

    void quitShortcutEndsTheEventLoop()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        view.activateWindow();
        QTimer::singleShot(0, &view,
                           [&view] { QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier); });
        // A safety net: the loop would otherwise run on with a failing exit code.
        QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(PopoverViewTest)
#include "tst_popover_view.moc"
