#include "PanelRig.h"
#include "ui/LineAlignment.h"
#include "ui/LineColouring.h"
#include "ui/PanelTexts.h"
#include "ui/RefreshButton.h"
#include "ui/RelativeTime.h"
#include "ui/Spinner.h"
#include "ui/WidgetAccessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QTextBlock>

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
const QStringList logParts = {u"logWaiting"_s, u"logLines"_s, u"logError"_s};

QStringList numberedLines(int from, int count)
{
    QStringList lines;
    for (int i = from; i < from + count; ++i)
        lines.append(u"2026-03-01 09:00:%1 line %2 "_s.arg(i % 60).arg(i) + QString(60, u'-'));
    return lines;
}

QStringList documentLines(QPlainTextEdit *edit)
{
    QStringList lines;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

// Waits for the tailer's next published change of its lines.
bool nextLines(PanelRig &rig)
{
    QSignalSpy spy(&rig.models->logTailer, &LogTailer::linesChanged);
    return spy.wait(3000);
}

} // namespace

class PanelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts()
    {
        // What the colour fuzzer's corpus (fuzz/corpus/colorforline) does not show.
        QCOMPARE(colorForLine(u"WARN slow printer"_s), Tone::orange);
        QCOMPARE(colorForLine(u"XERRORX"_s), Tone::red);

        const QDateTime from(QDate(2026, 3, 1), QTime(9, 0));
        const auto ago = [&](qint64 ms) { return relativeTimeString(from, from.addMSecs(ms)); };
        QCOMPARE(ago(4900), u"just now"_s);
        QCOMPARE(ago(5000), u"5s ago"_s);
        QCOMPARE(ago(60000), u"1m ago"_s);
        QCOMPARE(ago(3600000), u"1h ago"_s);
        QCOMPARE(ago(qint64(1000) * 3600000), u"1000h ago"_s); // no grouping
        QCOMPARE(ago(-120000), u"just now"_s);

        // Placeholders in the data are not expanded again.
        QCOMPARE(PanelTexts::configErrorText(u"%1 %2"_s), u"Không đọc được cấu hình: %1 %2"_s);
        // Rich text: markup in the text is escaped, an unpaired backtick kept as it is.
        QCOMPARE(PanelTexts::inlineCodeToHtml(u"<b>a</b> `x<y`"_s),
                 u"&lt;b&gt;a&lt;/b&gt; <code>x&lt;y</code>"_s);
        QCOMPARE(PanelTexts::inlineCodeToHtml(u"a `b"_s), u"a `b"_s);

        const QStringList ab{u"a"_s, u"b"_s};
        QCOMPARE(linesToDrop(ab, ab), 0);
        QCOMPARE(linesToDrop({u"x"_s, u"x"_s, u"y"_s}, {u"x"_s, u"y"_s, u"x"_s}), 1);
        QCOMPARE(linesToDrop({u"a"_s, u"b"_s, u"c"_s}, {u"a"_s, u"B"_s, u"c"_s}), 3);
    }

    // Empty, the slots are unassigned; filled to the brim with long texts, every section stays
    // inside the fixed panel and the printer list scrolls. Every control and every piece of
    // information is then read with a role and a name (containers are walked, the printer list's
    // rows are its own); Tab goes round the controls in reading order, and Enter presses the
    // focused button.
    void overfullPanelStaysInsideAndReadable()
    {
        WidgetAccessible::installFactory();
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(visibleOf(view, printerParts), QStringList{u"printerPlaceholder"_s});
        QCOMPARE(visibleOf(*find(view, u"slotRow-label"_s),
                           {u"slotUnassigned"_s, u"slotPrinter"_s, u"slotReverse"_s}),
                 QStringList{u"slotUnassigned"_s});

        rig.control->answer = [](int) { return ServiceState::unknown(QString(600, u'x')); };
        QStringList printers;
        for (int i = 0; i < 40; ++i)
            printers.append(u"\"Printer with a rather long name number %1\""_s.arg(i));
        rig.server.setResponse(u"/printers"_s,
                               {200, "{\"data\":[" + printers.join(u',').toUtf8() + "]}"});
        rig.server.setResponse(u"/config"_s, {200, configBody});
        rig.writeLog(QStringList(300, QString(200, u'x')));
        rig.models->start();
        QVERIFY(rig.fetchAll());
        QTRY_COMPARE(rig.models->logTailer.lines().size(), 300);
        QTRY_VERIFY(
            find<QLabel>(view, u"serviceStateLabel"_s)->text().startsWith(u"Unknown: xxx"_s));
        for (const QString &name : {u"header"_s, u"connectionsCard"_s, u"statusCard"_s,
                                    u"printerSection"_s, u"logHeader"_s, u"logView"_s, u"footer"_s})
            QVERIFY2(view.rect().contains(find(view, name)->geometry()), qPrintable(name));
        QTRY_VERIFY(find<QListView>(view, u"printerScroll"_s)->verticalScrollBar()->maximum() > 0);

        QStringList unread;
        const std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            const QAccessible::Role role = node->role();
            const bool container = (role == QAccessible::Client || role == QAccessible::Grouping) &&
                                   node->object()->objectName() != u"printerScroll"_s;
            if (node->state().invisible || role == QAccessible::Separator ||
                node->rect().width() < 2)
                return;
            if (container && !node->state().focusable && node->childCount() > 0) {
                for (int i = 0; i < node->childCount(); ++i)
                    walk(node->child(i));
            } else if (container || node->text(QAccessible::Name).trimmed().isEmpty()) {
                unread.append(node->object()->objectName());
            }
        };
        walk(QAccessible::queryAccessibleInterface(&view));
        QCOMPARE(unread, QStringList());

        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        find(view, u"quitButton"_s)->setFocus(Qt::TabFocusReason);
        QStringList order;
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(order, (QStringList{u"openConfigButton"_s, u"restartButton"_s, u"refreshButton"_s,
                                     u"printerScroll"_s, u"exportButton"_s, u"shareButton"_s,
                                     u"consoleButton"_s, u"revealButton"_s, u"logLines"_s,
                                     u"quitButton"_s}));
        find(view, u"restartButton"_s)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(rig.control->restarts, 1);
    }

    // The card's spinner and Refresh spin while loading, and at rest nothing animates; a blank
    // name is a printer; only the label slot shows its reverse flag; an error replaces the rows.
    void connectionsCard()
    {
        PanelRig rig;
        rig.server.setResponse(u"/config"_s, {200, configBody, 400});
        rig.server.setResponse(u"/printers"_s, {200, R"({"data":["A"]})", 400});
        PopoverView &view = rig.showView();
        auto *spinner = find<Spinner>(view, u"configSpinner"_s);
        auto *refresh = find<RefreshButton>(view, u"refreshButton"_s);
        rig.models->configSummary.refresh();
        refresh->click();
        QTRY_VERIFY(spinner->isVisible() && spinner->isAnimating());
        QTRY_VERIFY(!refresh->isEnabled() && refresh->isAnimating());
        QTRY_VERIFY(!spinner->isVisible() && !spinner->isAnimating() && refresh->isEnabled() &&
                    !refresh->isAnimating());

        const QStringList rowParts = {u"slotPrinterGlyph"_s, u"slotUnassigned"_s, u"slotReverse"_s};
        for (const QString &slot : {u"payment"_s, u"complete"_s, u"kitchen"_s})
            QCOMPARE(visibleOf(*find(view, u"slotRow-"_s + slot), rowParts),
                     QStringList{u"slotPrinterGlyph"_s});
        QCOMPARE(visibleOf(*find(view, u"slotRow-label"_s), rowParts),
                 (QStringList{u"slotPrinterGlyph"_s, u"slotReverse"_s}));

        rig.server.setResponse(u"/config"_s, {200, "[]"});
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, {u"slotRows"_s, u"configError"_s}), QStringList{u"configError"_s});
    }

    // Names as given, markup and repeats included, copied one a line; a long name without a space
    // wraps inside the list, which grows to show all of it.
    void printerSectionStates()
    {
        PanelRig rig;
        rig.server.setResponse(u"/printers"_s,
                               {200, R"({"data":["Zebra","<b>Epson</b>","Zebra"]})"});
        PopoverView &view = rig.showView();
        QVERIFY(rig.fetchAll());
        QCOMPARE(visibleOf(view, printerParts),
                 (QStringList{u"printerCount"_s, u"printerAge"_s, u"printerScroll"_s}));
        QCOMPARE(find<QLabel>(view, u"printerAge"_s)->text(), u"just now"_s);
        auto *list = find<QListView>(view, u"printerScroll"_s);
        const QStringList names{u"Zebra"_s, u"<b>Epson</b>"_s, u"Zebra"_s};
        QCOMPARE(qobject_cast<QStringListModel *>(list->model())->stringList(), names);
        list->setFocus();
        list->selectAll();
        QTest::keySequence(list, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), names.join(u'\n'));

        const QString longer(300, u'm'); // five lines
        rig.server.setResponse(u"/printers"_s, {200, "{\"data\":[\"" + longer.toUtf8() + "\"]}"});
        QVERIFY(rig.fetchAll());
        const QModelIndex name = list->model()->index(0, 0);
        QTRY_VERIFY(list->visualRect(name).height() >= 5 * list->fontMetrics().lineSpacing());
        QTRY_VERIFY(list->viewport()->rect().contains(list->visualRect(name)));
    }

    // Lines are shown verbatim, in their keywords' colours; a file error hides them and disables
    // Export and Share.
    void waitingThenLinesThenFileError()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(visibleOf(view, logParts), QStringList{u"logWaiting"_s});

        QStringList lines = QStringList{u"09:00 PRINT_SUCCESS job 1"_s, u"09:01 ERROR paper out"_s,
                                        u""_s, u"<b>not markup</b>"_s, u"a\uFDD0b\uFDD1c"_s};
        rig.writeLog(lines);
        rig.models->logTailer.start();
        QVERIFY(nextLines(rig));
        QCOMPARE(visibleOf(view, logParts), QStringList{u"logLines"_s});
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        lines[4] = u"a\uFFFDb\uFFFDc"_s; // one row, not split where the layout would
        QCOMPARE(documentLines(edit), lines);
        const auto colourAt = [edit](int line) {
            const QTextBlock block = edit->document()->findBlockByNumber(line);
            return block.begin().fragment().charFormat().foreground().color();
        };
        QCOMPARE(colourAt(0), Theme::toneColour(Tone::green, edit->palette()));
        QCOMPARE(colourAt(1), Theme::toneColour(Tone::red, edit->palette()));

        QFile::remove(rig.logPath);
        QTRY_COMPARE(visibleOf(view, logParts), QStringList{u"logError"_s});
        QVERIFY(!find(view, u"exportButton"_s)->isEnabled());
        QVERIFY(!find(view, u"shareButton"_s)->isEnabled());
    }

    // To the end when the line count changes; left where the user put it when a full log moves
    // on.
    void scrollFollowsTheEndOnlyWhenTheLineCountChanges()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 299));
        rig.models->logTailer.start();
        QVERIFY(nextLines(rig));
        PopoverView &view = rig.showView();
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        QScrollBar *bar = edit->verticalScrollBar();

        rig.writeLog(numberedLines(299, 1), true);
        QVERIFY(nextLines(rig));
        QCOMPARE(rig.models->logTailer.lines().size(), 300);
        QTRY_COMPARE(bar->value(), bar->maximum());

        const int middle = bar->maximum() / 2;
        bar->setValue(middle);
        rig.writeLog(numberedLines(300, 2), true);
        QVERIFY(nextLines(rig));
        QCOMPARE(rig.models->logTailer.lines().size(), 300);
        QCOMPARE(documentLines(edit), rig.models->logTailer.lines());
        QTest::qWait(250); // a scroll animation (150 ms, private to the view) would have moved it
        QCOMPARE(bar->value(), middle);
    }

    // The log's buttons reach the tailer. A press in the middle of Share reaches the button, not
    // the anchor under it; a copy that fails leaves the share state alone. (Where the copy goes
    // is tst_log's shareCopies.)
    void logActions()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        find<QAbstractButton>(view, u"exportButton"_s)->click();
        QCOMPARE(rig.prompts->saveDialogs.size(), 1);
        find<QAbstractButton>(view, u"consoleButton"_s)->click();
        QCOMPARE(rig.desktop->openedInLogViewer, QStringList{rig.logPath});
        find<QAbstractButton>(view, u"revealButton"_s)->click();
        QCOMPARE(rig.desktop->revealed, QStringList{rig.logPath});
        auto *share = find<QAbstractButton>(view, u"shareButton"_s);
        QTest::mouseClick(share, Qt::LeftButton);
        QTRY_COMPARE(rig.sharePicker.shown.size(), 1);
        QCOMPARE(rig.sharePicker.anchors.last(), find(view, u"shareAnchor"_s));
        const QList<QUrl> items = rig.sharePicker.shown.first();
        QCOMPARE(view.shareItems(), items);
        QVERIFY(!view.presentShareSheet());

        QFile::remove(rig.logPath);
        share->click();
        QCOMPARE(rig.prompts->warnings.size(), 1);
        QCOMPARE(view.shareItems(), items);
        QVERIFY(!view.presentShareSheet());
    }
};

QTEST_MAIN(PanelTest)
#include "tst_panel.moc"
