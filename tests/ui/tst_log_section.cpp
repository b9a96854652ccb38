#include "PanelRig.h"
#include "ui/LineColouring.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
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

QColor colourOf(const QTextBlock &block)
{
    return block.begin().fragment().charFormat().foreground().color();
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
    QSignalSpy spy(rig.logTailer.get(), &LogTailer::linesChanged);
    return spy.wait(3000);
}

} // namespace

class LogSectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitingThenLinesInTheirColours()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QVERIFY(find(view, u"logWaiting"_s)->isVisible());
        QCOMPARE(find<QLabel>(view, u"logWaiting"_s)->text(), u"Waiting for log output…"_s);
        QVERIFY(find(view, u"exportButton"_s)->isEnabled() &&
                find(view, u"shareButton"_s)->isEnabled());

        const QStringList lines = {u"09:00 PRINT_SUCCESS job 1"_s, u"09:01 ERROR paper out"_s,
                                   u""_s, u"<b>not markup</b>"_s};
        rig.writeLog(lines);
        rig.logTailer->start();
        QVERIFY(nextLines(rig));
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        QVERIFY(edit->isVisible());
        QVERIFY(!find(view, u"logWaiting"_s)->isVisible());
        QCOMPARE(documentLines(edit), lines);
        QVERIFY(edit->isReadOnly());
        QVERIFY(edit->textInteractionFlags() & Qt::TextSelectableByMouse);

        QCOMPARE(colourOf(edit->document()->findBlockByNumber(0)),
                 Theme::toneColour(Tone::green, edit->palette()));
        QCOMPARE(colourOf(edit->document()->findBlockByNumber(1)),
                 Theme::toneColour(Tone::red, edit->palette()));
    }

    void fileErrorHidesTheLinesAndDisablesExportAndShare()
    {
        PanelRig rig;
        QFile::remove(rig.logPath());
        PopoverView &view = rig.showView();
        const auto errorShown = [&] {
            QTRY_VERIFY(find(view, u"logError"_s)->isVisible());
            QCOMPARE(find<QLabel>(view, u"logError"_s)->text(),
                     u"Log file not found: "_s + rig.logPath());
            QVERIFY(!find(view, u"logLines"_s)->isVisible());
            QVERIFY(!find(view, u"logWaiting"_s)->isVisible());
            QVERIFY(!find(view, u"exportButton"_s)->isEnabled());
            QVERIFY(!find(view, u"shareButton"_s)->isEnabled());
            QVERIFY(find(view, u"consoleButton"_s)->isEnabled());
            QVERIFY(find(view, u"revealButton"_s)->isEnabled());
        };
        // Before any line was ever read.
        rig.logTailer->start();
        errorShown();
        if (QTest::currentTestFailed())
            return;

        rig.writeLog({u"a WARN line"_s});
        QTRY_VERIFY(find(view, u"logLines"_s)->isVisible());
        QVERIFY(find(view, u"shareButton"_s)->isEnabled());

        // The tailer still holds the last lines, but only the error shows.
        QFile::remove(rig.logPath());
        errorShown();
    }

    void followsTheEndWhenTheLineCountChanges()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 40));
        PopoverView &view = rig.showView();
        rig.logTailer->start();
        QVERIFY(nextLines(rig));
        QScrollBar *bar = find<QPlainTextEdit>(view, u"logLines"_s)->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());

        bar->setValue(0);
        rig.writeLog(numberedLines(40, 1), true);
        QVERIFY(nextLines(rig));
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    void keepsTheScrollPositionWhenAFullLogMovesOn()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 320));
        PopoverView &view = rig.showView();
        rig.logTailer->start();
        QVERIFY(nextLines(rig));
        QCOMPARE(rig.logTailer->lines().size(), 300);
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        QScrollBar *bar = edit->verticalScrollBar();
        QTRY_COMPARE(bar->value(), bar->maximum());

        const int middle = bar->maximum() / 2;
        bar->setValue(middle);
        rig.writeLog(numberedLines(320, 2), true);
        QVERIFY(nextLines(rig));
        QCOMPARE(rig.logTailer->lines().size(), 300);
        QCOMPARE(documentLines(edit), rig.logTailer->lines());
        QTest::qWait(250);
        QCOMPARE(bar->value(), middle);
    }

    void doesNotScrollWhenFirstShown()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 60));
        rig.logTailer->start();
        QVERIFY(nextLines(rig));
        PopoverView &view = rig.showView();
        QScrollBar *bar = find<QPlainTextEdit>(view, u"logLines"_s)->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTest::qWait(250);
        QCOMPARE(bar->value(), 0);
    }

    void themeChangeRecoloursTheLinesInPlace()
    {
        PanelRig rig;
        rig.writeLog(numberedLines(0, 60) << u"09:00 FATAL cutter jammed"_s);
        PopoverView &view = rig.showView();
        rig.logTailer->start();
        QVERIFY(nextLines(rig));
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        QScrollBar *bar = edit->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        bar->setValue(bar->maximum() / 2);
        const int position = bar->value();
        const QColor lightRed = colourOf(edit->document()->lastBlock());

        QPalette dark = view.palette();
        dark.setColor(QPalette::Window, QColor(0x28, 0x28, 0x2b));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
        view.setPalette(dark);
        const QColor darkRed = colourOf(edit->document()->lastBlock());
        QCOMPARE(darkRed, Theme::toneColour(Tone::red, edit->palette()));
        QVERIFY(darkRed != lightRed);
        QCOMPARE(bar->value(), position);
        QCOMPARE(documentLines(edit), rig.logTailer->lines());
    }

    void shareHandsThePreparedCopyToThePicker()
    {
        PanelRig rig;
        rig.writeLog({u"first"_s, u"second"_s});
        PopoverView &view = rig.showView();
        auto *share = find<QAbstractButton>(view, u"shareButton"_s);
        QWidget *anchor = find(view, u"shareAnchor"_s);
        // Under the Share button, taking none of its clicks.
        QCOMPARE(anchor->parentWidget(), share);
        QVERIFY(anchor->testAttribute(Qt::WA_TransparentForMouseEvents));

        QTest::mouseClick(share, Qt::LeftButton);
        QTRY_COMPARE(rig.sharePicker.shown.size(), 1);
        QCOMPARE(rig.sharePicker.lastAnchor, anchor);
        const QList<QUrl> items = rig.sharePicker.shown.first();
        QCOMPARE(items.size(), 1);
        QCOMPARE(view.shareItems(), items);
        QVERIFY(!view.presentShareSheet());
        QCOMPARE(QFileInfo(items.first().toLocalFile()).dir(), QDir(rig.dir.filePath(u"share"_s)));
        QFile copy(items.first().toLocalFile());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("first\nsecond\n"));

        QTest::mouseClick(share, Qt::LeftButton);
        QTRY_COMPARE(rig.sharePicker.shown.size(), 2);
    }

    void failedShareCopyLeavesTheShareStateAlone()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        // The file goes away before the tailer has noticed, so Share is still enabled.
        QFile::remove(rig.logPath());
        find<QAbstractButton>(view, u"shareButton"_s)->click();
        QTest::qWait(50);
        QCOMPARE(rig.prompts->warnings.size(), 1);
        QVERIFY(rig.prompts->warnings.first().startsWith(u"Could not prepare log for sharing: "_s));
        QVERIFY(rig.sharePicker.shown.isEmpty());
        QVERIFY(view.shareItems().isEmpty());
        QVERIFY(!view.presentShareSheet());
    }

    void fileActionsReachTheTailer()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        find<QAbstractButton>(view, u"exportButton"_s)->click();
        QCOMPARE(rig.prompts->saveDialogs.size(), 1);
        QVERIFY(rig.prompts->saveDialogs.first().startsWith(u"KorvelPrinter-"_s));
        find<QAbstractButton>(view, u"consoleButton"_s)->click();
        QCOMPARE(rig.desktop->openedInLogViewer, QStringList{rig.logPath()});
        find<QAbstractButton>(view, u"revealButton"_s)->click();
        QCOMPARE(rig.desktop->revealed, QStringList{rig.logPath()});
    }
};

QTEST_MAIN(LogSectionTest)
#include "tst_log_section.moc"
