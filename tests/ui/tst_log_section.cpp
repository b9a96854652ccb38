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
    QSignalSpy spy(&rig.models->logTailer, &LogTailer::linesChanged);
    return spy.wait(3000);
}

const QStringList logParts = {u"logWaiting"_s, u"logLines"_s, u"logError"_s};

QStringList enabledButtons(QWidget &view)
{
    QStringList enabled;
    for (const QString &name :
         {u"exportButton"_s, u"shareButton"_s, u"consoleButton"_s, u"revealButton"_s}) {
        if (find(view, name)->isEnabled())
            enabled.append(name);
    }
    return enabled;
}

} // namespace

class LogSectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Lines are coloured by their keywords and recoloured in place when the theme changes.
    void waitingThenLinesInTheirColours()
    {
        PanelRig rig;
        PopoverView &view = rig.showView();
        QCOMPARE(visibleOf(view, logParts), QStringList{u"logWaiting"_s});
        QCOMPARE(enabledButtons(view).size(), 4);

        QStringList lines = QStringList{u"09:00 PRINT_SUCCESS job 1"_s, u"09:01 ERROR paper out"_s,
                                        u""_s, u"<b>not markup</b>"_s, u"a\uFDD0b\uFDD1c"_s} +
                            numberedLines(0, 60);
        rig.writeLog(lines);
        rig.models->logTailer.start();
        QVERIFY(nextLines(rig));
        QCOMPARE(visibleOf(view, logParts), QStringList{u"logLines"_s});
        auto *edit = find<QPlainTextEdit>(view, u"logLines"_s);
        lines[4] = u"a\uFFFDb\uFFFDc"_s; // one row, not split where the layout would
        QCOMPARE(documentLines(edit), lines);
        QVERIFY(edit->isReadOnly());
        QVERIFY(edit->textInteractionFlags() & Qt::TextSelectableByMouse);
        const auto colourAt = [edit](int line) {
            return colourOf(edit->document()->findBlockByNumber(line));
        };
        QCOMPARE(colourAt(0), Theme::toneColour(Tone::green, edit->palette()));
        const QColor lightRed = colourAt(1);
        QCOMPARE(lightRed, Theme::toneColour(Tone::red, edit->palette()));

        QScrollBar *bar = edit->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        bar->setValue(bar->maximum() / 2);
        const int position = bar->value();
        QPalette dark = view.palette();
        dark.setColor(QPalette::Window, QColor(0x28, 0x28, 0x2b));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
        view.setPalette(dark);
        QCOMPARE(colourAt(1), Theme::toneColour(Tone::red, edit->palette()));
        QVERIFY(colourAt(1) != lightRed);
        QCOMPARE(bar->value(), position);
        QCOMPARE(documentLines(edit), lines);
    }

    void fileErrorHidesTheLinesAndDisablesExportAndShare()
    {
        PanelRig rig;
        QFile::remove(rig.logPath());
        PopoverView &view = rig.showView();
        const auto errorShown = [&] {
            QTRY_COMPARE(visibleOf(view, logParts), QStringList{u"logError"_s});
            QCOMPARE(enabledButtons(view), (QStringList{u"consoleButton"_s, u"revealButton"_s}));
        };
        // Before any line was ever read.
        rig.models->logTailer.start();
        errorShown();
        if (QTest::currentTestFailed())
            return;

        rig.writeLog({u"a WARN line"_s});
        QTRY_COMPARE(visibleOf(view, logParts), QStringList{u"logLines"_s});
        QCOMPARE(enabledButtons(view).size(), 4);

        // The tailer still holds the last lines, but only the error shows.
        QFile::remove(rig.logPath());
        errorShown();
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

    void shareHandsThePreparedCopyToThePickerOrWarns()
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
        QCOMPARE(rig.sharePicker.anchors.last(), anchor);
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
        // A copy that fails warns and leaves the share state alone. The file goes away before
        // the tailer has noticed, so Share is still enabled.
        const QList<QUrl> shared = view.shareItems();
        QFile::remove(rig.logPath());
        share->click();
        QTest::qWait(50);
        QCOMPARE(rig.prompts->warnings.size(), 1);
        QCOMPARE(rig.sharePicker.shown.size(), 2);
        QCOMPARE(view.shareItems(), shared);
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
