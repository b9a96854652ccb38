#include "PanelRig.h"
#include "ui/LineColouring.h"

#include <QAbstractButton>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace {

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

const QStringList logParts = {u"logWaiting"_s, u"logLines"_s, u"logError"_s};

} // namespace

class LogSectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Lines are shown verbatim, in their keywords' colours.
    void waitingThenLinesInTheirColours()
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
    }

    void fileErrorHidesTheLinesAndDisablesExportAndShare()
    {
        PanelRig rig;
        QFile::remove(rig.logPath());
        PopoverView &view = rig.showView();
        rig.models->logTailer.start();
        QTRY_COMPARE(visibleOf(view, logParts), QStringList{u"logError"_s});
        QVERIFY(!find(view, u"exportButton"_s)->isEnabled());
        QVERIFY(!find(view, u"shareButton"_s)->isEnabled());
        QVERIFY(find(view, u"consoleButton"_s)->isEnabled() &&
                find(view, u"revealButton"_s)->isEnabled());
    }

    // Not moved when first shown; to the end when the line count changes; left where the user
    // put it when a full log moves on.
    void scrollFollowsTheEndOnlyWhenTheLineCountChanges()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 299));
        rig.models->logTailer.start();
        QVERIFY(nextLines(rig));
        PopoverView &view = rig.showView();
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        QScrollBar *bar = edit->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTest::qWait(250);
        QCOMPARE(bar->value(), 0);

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
        QTest::qWait(250);
        QCOMPARE(bar->value(), middle);
    }

    // A press in the middle of Share reaches the button, not the anchor under it; a copy that
    // fails leaves the share state alone.
    void shareHandsThePreparedCopyToThePicker()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        auto *share = find<QAbstractButton>(view, u"shareButton"_s);
        QTest::mouseClick(share, Qt::LeftButton);
        QTRY_COMPARE(rig.sharePicker.shown.size(), 1);
        QCOMPARE(rig.sharePicker.anchors.last(), find(view, u"shareAnchor"_s));
        const QList<QUrl> items = rig.sharePicker.shown.first();
        QCOMPARE(view.shareItems(), items);
        QVERIFY(!view.presentShareSheet());
        QCOMPARE(QFileInfo(items.first().toLocalFile()).dir(), QDir(rig.dir.filePath(u"share"_s)));

        QFile::remove(rig.logPath());
        share->click();
        QCOMPARE(rig.prompts->warnings.size(), 1);
        QCOMPARE(view.shareItems(), items);
        QVERIFY(!view.presentShareSheet());
    }

    void fileActionsReachTheTailer()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        find<QAbstractButton>(view, u"exportButton"_s)->click();
        QCOMPARE(rig.prompts->saveDialogs.size(), 1);
        find<QAbstractButton>(view, u"consoleButton"_s)->click();
        QCOMPARE(rig.desktop->openedInLogViewer, QStringList{rig.logPath()});
        find<QAbstractButton>(view, u"revealButton"_s)->click();
        QCOMPARE(rig.desktop->revealed, QStringList{rig.logPath()});
    }
};

QTEST_MAIN(LogSectionTest)
#include "tst_log_section.moc"
