#include "PanelRig.h"
#include "ui/ElidedLabel.h"
#include "ui/RefreshButton.h"
#include "ui/Spinner.h"
#include "ui/StatusDot.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QByteArray configBody = R"({"success":true,"data":{"printers":{
    "payment":{"printer_name":"Epson TM-T82","reverse":false},
    "kitchen":{"printer_name":"Xprinter XP-80","reverse":true},
    "complete":{"printer_name":" "},
    "label":{"printer_name":"Zebra GK420d","reverse":true}}}})";

QString labelText(QWidget &root, const QString &name)
{
    return find<QLabel>(root, name)->text();
}

bool shown(QWidget &root, const QString &name)
{
    return find(root, name)->isVisible();
}

} // namespace

class PopoverViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialPanelShowsEverySectionInOrder()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(view.size(), QSize(520, 720));

        const QStringList order = {u"header"_s,     u"headerDivider"_s,  u"connectionsCard"_s,
                                   u"statusCard"_s, u"printerSection"_s, u"logHeader"_s,
                                   u"logView"_s,    u"footer"_s};
        int previousBottom = 0;
        for (const QString &name : order) {
            QWidget *section = find(view, name);
            QVERIFY2(section->isVisible(), qPrintable(name));
            QVERIFY2(section->y() >= previousBottom, qPrintable(name));
            previousBottom = section->geometry().bottom();
        }
        QVERIFY(previousBottom <= 720 - 14);

        QCOMPARE(labelText(view, u"headerTitle"_s), u"Korvel Printer"_s);
        QCOMPARE(labelText(view, u"apiLabel"_s), u"API :9020"_s);
        QCOMPARE(labelText(view, u"serviceStateLabel"_s), u"Unknown: not checked yet"_s);
        QCOMPARE(labelText(view, u"healthLabel"_s), u"Health endpoint not reachable"_s);
        QVERIFY(!find<StatusDot>(view, u"statusDot"_s)->running());
        QCOMPARE(labelText(view, u"printerPlaceholder"_s), u"Loading…"_s);
        QVERIFY(!shown(view, u"printerCount"_s) && !shown(view, u"printerAge"_s));
    }

    void panelKeepsItsSizeWhateverTheModelsHold()
    {
        PanelRig rig;
        rig.setLaunchctl(QByteArray(600, '\xff'));
        QStringList names;
        for (int i = 0; i < 40; ++i)
            names.append(u"\"Printer with a rather long name number %1\""_s.arg(i));
        rig.setPrinters("{\"data\":[" + names.join(u',').toUtf8() + "]}");
        rig.setConfig(configBody);
        rig.writeLog(QStringList(300, QString(200, u'x')));
        PopoverView &view = rig.showView();
        rig.serviceStatus->start();
        rig.logTailer->start();
        QVERIFY(rig.fetchAll());
        QTRY_COMPARE(rig.logTailer->lines().size(), 300);
        QTRY_VERIFY(labelText(view, u"serviceStateLabel"_s).startsWith(u"Unknown: "_s));

        QCOMPARE(view.size(), QSize(520, 720));
        for (const QString &name : {u"connectionsCard"_s, u"statusCard"_s, u"printerSection"_s,
                                    u"logView"_s, u"footer"_s}) {
            const QRect geometry = find(view, name)->geometry();
            QVERIFY2(QRect(0, 0, 520, 720).contains(geometry), qPrintable(name));
        }
        auto *printers = find<QScrollArea>(view, u"printerScroll"_s);
        QVERIFY(printers->height() <= 90);
        QTRY_VERIFY(printers->verticalScrollBar()->maximum() > 0);
    }

    void statusCard_data()
    {
        QTest::addColumn<QByteArray>("launchctlOutput");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("healthStatus");
        QTest::addColumn<bool>("green");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("health");

        const QByteArray running =
            "{\n\t\"PID\" = 412;\n\t\"Label\" = \"com.korvel.printer\";\n};\n";
        QTest::newRow("running, healthy")
            << running << 0 << 200 << true << u"Running (pid 412)"_s << u"Health endpoint OK"_s;
        QTest::newRow("running, health answers 204")
            << running << 0 << 204 << true << u"Running (pid 412)"_s
            << u"Health endpoint not reachable"_s;
        QTest::newRow("stopped") << QByteArray("{\n};\n") << 0 << 200 << false << u"Stopped"_s
                                 << u"Health endpoint OK"_s;
        QTest::newRow("not installed") << QByteArray() << 113 << 500 << false << u"Not installed"_s
                                       << u"Health endpoint not reachable"_s;
        QTest::newRow("unknown") << QByteArray("\xff\xfe") << 0 << 500 << false
                                 << u"Unknown: non-utf8 launchctl output"_s
                                 << u"Health endpoint not reachable"_s;
    }

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
        QTRY_COMPARE(labelText(view, u"serviceStateLabel"_s), state);
        QTRY_COMPARE(rig.server.requestCount(u"/health"_s), 1);
        QTRY_COMPARE(labelText(view, u"healthLabel"_s), health);
        QCOMPARE(find<StatusDot>(view, u"statusDot"_s)->running(), green);
        QVERIFY(find(view, u"restartButton"_s)->isEnabled());
    }

    void restartRunsOncePerPressWhateverTheState()
    {
        PanelRig rig;
        rig.setLaunchctl({}, 113);
        PopoverView &view = rig.showView();
        rig.serviceStatus->start();
        QTRY_COMPARE(labelText(view, u"serviceStateLabel"_s), u"Not installed"_s);

        auto *restart = find<QAbstractButton>(view, u"restartButton"_s);
        restart->click();
        restart->click();
        QTRY_COMPARE(rig.restartRuns(), 2);
        QVERIFY(restart->isEnabled());
    }

    void connectionsCardInitialSlots()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(labelText(view, u"connectionsTitle"_s), u"Kết nối máy in"_s);
        QStringList names;
        for (QWidget *row : find(view, u"slotRows"_s)
                                ->findChildren<QWidget *>(QRegularExpression(u"^slotRow-"_s))) {
            names.append(labelText(*row, u"slotName"_s));
            QCOMPARE(labelText(*row, u"slotUnassigned"_s), u"Chưa chọn"_s);
            QVERIFY(shown(*row, u"slotUnassigned"_s) && !shown(*row, u"slotPrinter"_s));
            QVERIFY(!shown(*row, u"slotReverse"_s));
        }
        QCOMPARE(names, (QStringList{u"Phiếu tạm tính"_s, u"Phiếu đơn hàng"_s,
                                     u"Phiếu thanh toán"_s, u"Nhãn tem"_s}));
        QVERIFY(!shown(view, u"configSpinner"_s));
        QVERIFY(!shown(view, u"configError"_s));
    }

    void connectionsCardShowsPrintersAndTheReverseMarkerOfTheLabelSlotOnly()
    {
        PanelRig rig;
        rig.setConfig(configBody);
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());

        QWidget *payment = find(view, u"slotRow-payment"_s);
        QCOMPARE(find<ElidedLabel>(*payment, u"slotPrinter"_s)->text(), u"Epson TM-T82"_s);
        QVERIFY(shown(*payment, u"slotPrinterGlyph"_s));
        QVERIFY(!shown(*payment, u"slotUnassigned"_s));
        QVERIFY(!shown(*find(view, u"slotRow-kitchen"_s), u"slotReverse"_s));
        QWidget *complete = find(view, u"slotRow-complete"_s);
        QCOMPARE(find<ElidedLabel>(*complete, u"slotPrinter"_s)->text(), u" "_s);
        QVERIFY(shown(*complete, u"slotPrinterGlyph"_s));
        QWidget *label = find(view, u"slotRow-label"_s);
        QVERIFY(shown(*label, u"slotReverse"_s));
        QCOMPARE(labelText(*label, u"slotReverse"_s), u"đảo tem"_s);
        // The marker sits at the trailing end of its row.
        QVERIFY(find(*label, u"slotReverse"_s)->geometry().right() >= label->width() - 2);
    }

    void longPrinterNameIsElidedInTheMiddle()
    {
        PanelRig rig;
        const QString name = u"Start-"_s + QString(150, u'm') + u"-End"_s;
        rig.setConfig(R"({"data":{"printers":{"payment":{"printer_name":")" + name.toUtf8() +
                      R"("}}}})");
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());

        QWidget *row = find(view, u"slotRow-payment"_s);
        auto *printer = find<ElidedLabel>(*row, u"slotPrinter"_s);
        QCOMPARE(printer->text(), name);
        QTRY_VERIFY(printer->displayedText().contains(u'…'));
        const QString displayed = printer->displayedText();
        QVERIFY(displayed.startsWith(u"Start-"_s));
        QVERIFY(displayed.endsWith(u"-End"_s));
        QCOMPARE(printer->toolTip(), name);
        QCOMPARE(find(*row, u"slotName"_s)->width(), 120);
        QVERIFY(row->geometry().right() < find(view, u"connectionsCard"_s)->width());
    }

    void connectionsCardLoadingErrorAndRecovery()
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
        QVERIFY(shown(view, u"slotRows"_s));

        rig.setConfig("[]");
        QVERIFY(rig.fetchAll());
        QVERIFY(!shown(view, u"slotRows"_s));
        QCOMPARE(labelText(view, u"configError"_s),
                 u"Không đọc được cấu hình: Invalid response from /config"_s);
        button->click();
        QCOMPARE(rig.openConfigCalls, 2);

        rig.setConfig(configBody);
        QVERIFY(rig.fetchAll());
        QVERIFY(shown(view, u"slotRows"_s));
        QVERIFY(!shown(view, u"configError"_s));
    }

    void printerSectionStates()
    {
        PanelRig rig;
        rig.setPrinters(R"({"success":true,"data":["Zebra","<b>Epson</b>","Zebra"]})");
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());

        QCOMPARE(labelText(view, u"printerCount"_s), u"(3)"_s);
        QVERIFY(shown(view, u"printerCount"_s));
        QCOMPARE(labelText(view, u"printerAge"_s), u"just now"_s);
        QVERIFY(shown(view, u"printerScroll"_s));
        QVERIFY(!shown(view, u"printerPlaceholder"_s));
        QStringList rows;
        for (QLabel *label : view.findChildren<QLabel *>(u"printerName"_s)) {
            rows.append(label->text());
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        }
        QCOMPARE(rows, (QStringList{u"Zebra"_s, u"<b>Epson</b>"_s, u"Zebra"_s}));

        rig.setPrinters(R"({"data":["Solo"]})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(labelText(view, u"printerCount"_s), u"(1)"_s);
        QCOMPARE(view.findChildren<QLabel *>(u"printerName"_s).size(), 1);

        rig.setPrinters(R"({"data":[]})");
        QVERIFY(rig.fetchAll());
        QVERIFY(!shown(view, u"printerCount"_s));
        QVERIFY(!shown(view, u"printerScroll"_s));
        QVERIFY(shown(view, u"printerAge"_s));
        QVERIFY(labelText(view, u"printerPlaceholder"_s).startsWith(u"No printers detected."_s));

        rig.setPrinters(R"({"success":false,"error":"paper jam"})");
        QVERIFY(rig.fetchAll());
        QVERIFY(shown(view, u"printerError"_s));
        QCOMPARE(labelText(view, u"printerError"_s), u"Could not fetch printers: paper jam"_s);
        QVERIFY(!shown(view, u"printerPlaceholder"_s));
        QVERIFY(shown(view, u"printerAge"_s));
    }

    void refreshIsDisabledAndSpinsWhileLoading()
    {
        PanelRig rig;
        rig.server.setResponse(u"/printers"_s, {200, R"({"data":["A"]})", 400});
        PopoverView &view = rig.showView();
        auto *refresh = find<RefreshButton>(view, u"refreshButton"_s);
        QVERIFY(refresh->isEnabled());
        QVERIFY(!refresh->isAnimating());

        refresh->click();
        QTRY_VERIFY(!refresh->isEnabled());
        QVERIFY(refresh->isSpinning());
        QVERIFY(refresh->isAnimating());
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
        QCOMPARE(labelText(view, u"printerAge"_s), u"just now"_s);
        QTest::qWait(5100);
        QCOMPARE(labelText(view, u"printerAge"_s), u"just now"_s);
        rig.setLaunchctl({}, 113);
        rig.serviceStatus->start();
        QTRY_COMPARE(labelText(view, u"serviceStateLabel"_s), u"Not installed"_s);
        QCOMPARE(labelText(view, u"printerAge"_s), u"5s ago"_s);
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
