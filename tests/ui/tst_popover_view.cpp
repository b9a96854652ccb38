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
const QStringList sections = {u"header"_s,     u"headerDivider"_s,  u"connectionsCard"_s,
                              u"statusCard"_s, u"printerSection"_s, u"logHeader"_s,
                              u"logView"_s,    u"footer"_s};

} // namespace

class PopoverViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every section in order; empty, the slots are unassigned; filled to the brim with long
    // texts, the panel keeps its size and the printer list scrolls.
    void initialPanelThenFullModels()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(view.size(), QSize(520, 720));
        int previousBottom = 0;
        for (const QString &name : sections) {
            QWidget *section = find(view, name);
            QVERIFY2(section->isVisible() && section->y() >= previousBottom, qPrintable(name));
            previousBottom = section->geometry().bottom();
        }
        QVERIFY(!find<StatusDot>(view, u"statusDot"_s)->running());
        QCOMPARE(visibleOf(view, printerParts), QStringList{u"printerPlaceholder"_s});
        const auto rows =
            find(view, u"slotRows"_s)->findChildren<QWidget *>(QRegularExpression(u"^slotRow-"_s));
        QCOMPARE(rows.size(), 4);
        for (QWidget *row : rows)
            QCOMPARE(visibleOf(*row, {u"slotUnassigned"_s, u"slotPrinter"_s, u"slotReverse"_s}),
                     QStringList{u"slotUnassigned"_s});

        rig.control->answer = [](int) { return ServiceState::unknown(QString(600, u'x')); };
        QStringList printers;
        for (int i = 0; i < 40; ++i)
            printers.append(u"\"Printer with a rather long name number %1\""_s.arg(i));
        rig.setPrinters("{\"data\":[" + printers.join(u',').toUtf8() + "]}");
        rig.setConfig(configBody);
        rig.writeLog(QStringList(300, QString(200, u'x')));
        rig.models->start();
        QVERIFY(rig.fetchAll());
        QTRY_COMPARE(rig.models->logTailer.lines().size(), 300);
        QTRY_VERIFY(textOf(view, u"serviceStateLabel"_s).startsWith(u"Unknown: xxx"_s));
        QCOMPARE(view.size(), QSize(520, 720));
        for (const QString &name : sections)
            QVERIFY2(QRect(0, 0, 520, 720).contains(find(view, name)->geometry()),
                     qPrintable(name));
        auto *printerScroll = find<QScrollArea>(view, u"printerScroll"_s);
        QVERIFY(printerScroll->height() <= 90);
        QTRY_VERIFY(printerScroll->verticalScrollBar()->maximum() > 0);
    }

    // Which text goes where and the dot (the running panel is checked end to end), and Restart
    // enabled and run once per press whatever the state.
    void statusCardWhenNotInstalled()
    {
        PanelRig rig;
        rig.control->answer = [](int) { return ServiceState::notInstalled(); };
        rig.server.setResponse(u"/health"_s, {500, "{}"});
        PopoverView &view = rig.showView();
        rig.models->serviceStatus.start();
        QTRY_COMPARE(textOf(view, u"serviceStateLabel"_s), ServiceState::notInstalled().label());
        QTRY_COMPARE(rig.server.requestCount(u"/health"_s), 1);
        QVERIFY(textOf(view, u"healthLabel"_s).contains(u"not reachable"_s));
        QVERIFY(!find<StatusDot>(view, u"statusDot"_s)->running());
        auto *restart = find<QAbstractButton>(view, u"restartButton"_s);
        restart->click();
        restart->click();
        QTRY_COMPARE(rig.control->restarts.load(), 2);
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
        rig.models->configSummary.refresh();
        QTRY_VERIFY(spinner->isVisible() && spinner->isAnimating());
        button->click();
        QCOMPARE(rig.openConfigCalls, 1);
        QTRY_VERIFY(!spinner->isVisible());
        QVERIFY(!spinner->isAnimating());

        // A blank name is a printer; only the label slot shows its reverse flag, at the right.
        const QStringList rowParts = {u"slotPrinterGlyph"_s, u"slotUnassigned"_s, u"slotReverse"_s};
        for (const QString &slot : {u"payment"_s, u"complete"_s, u"kitchen"_s})
            QCOMPARE(visibleOf(*find(view, u"slotRow-"_s + slot), rowParts),
                     QStringList{u"slotPrinterGlyph"_s});
        QWidget *label = find(view, u"slotRow-label"_s);
        QCOMPARE(visibleOf(*label, rowParts),
                 (QStringList{u"slotPrinterGlyph"_s, u"slotReverse"_s}));
        QVERIFY(find(*label, u"slotReverse"_s)->geometry().right() >= label->width() - 2);

        // A long name is elided in the middle and the row stays inside the card.
        QWidget *kitchen = find(view, u"slotRow-kitchen"_s);
        auto *printer = find<ElidedLabel>(*kitchen, u"slotPrinter"_s);
        QCOMPARE(printer->toolTip(), longName);
        QTRY_VERIFY(printer->displayedText().contains(u'…'));
        QVERIFY(printer->displayedText().startsWith(u"Start-"_s));
        QVERIFY(printer->displayedText().endsWith(u"-End"_s));
        QVERIFY(kitchen->geometry().right() < find(view, u"connectionsCard"_s)->width());

        const QStringList cardParts = {u"slotRows"_s, u"configError"_s};
        rig.setConfig("[]");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, cardParts), QStringList{u"configError"_s});
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
        QStringList rows;
        for (WrappingText *label : view.findChildren<WrappingText *>(u"printerName"_s))
            rows.append(label->text());
        QCOMPARE(rows, (QStringList{u"Zebra"_s, u"<b>Epson</b>"_s, u"Zebra"_s}));

        // A long name without a space wraps inside the list, which grows to show all of it.
        const QString longer(300, u'm'); // five lines
        rig.setPrinters("{\"data\":[\"" + longer.toUtf8() + "\"]}");
        QVERIFY(rig.fetchAll());
        QCOMPARE(view.findChildren<WrappingText *>(u"printerName"_s).size(), 1);
        auto *name = find<WrappingText>(view, u"printerName"_s);
        QTRY_VERIFY(name->height() >= 5 * name->fontMetrics().lineSpacing());
        auto *scroll = find<QScrollArea>(view, u"printerScroll"_s);
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        QTRY_VERIFY(scroll->viewport()->rect().contains(
            QRect(name->mapTo(scroll->viewport(), QPoint()), name->size())));

        rig.setPrinters(R"({"data":[]})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts),
                 (QStringList{u"printerAge"_s, u"printerPlaceholder"_s}));
        rig.setPrinters(R"({"success":false,"error":"paper jam"})");
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts.mid(1)),
                 (QStringList{u"printerAge"_s, u"printerError"_s}));
        QVERIFY(textOf(view, u"printerError"_s).endsWith(u": paper jam"_s));
    }

    // Disabled and spinning while loading; back at rest, nothing animates.
    void refreshWhileLoading()
    {
        PanelRig rig;
        rig.server.setResponse(u"/printers"_s, {200, R"({"data":["A"]})", 400});
        PopoverView &view = rig.showView();
        auto *refresh = find<RefreshButton>(view, u"refreshButton"_s);
        refresh->click();
        QTRY_VERIFY(!refresh->isEnabled());
        QVERIFY(refresh->isSpinning() && refresh->isAnimating());
        QTRY_VERIFY(refresh->isEnabled());
        QVERIFY(!refresh->isSpinning());
        QCOMPARE(rig.server.requestCount(u"/printers"_s), 1);
        QTRY_VERIFY(!refresh->isAnimating());
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
