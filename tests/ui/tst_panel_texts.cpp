#include "ui/LineAlignment.h"
#include "ui/LineColouring.h"
#include "ui/PanelTexts.h"
#include "ui/RelativeTime.h"

#include <QTest>

using namespace Qt::StringLiterals;

class PanelTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the colour fuzzer's corpus (fuzz/corpus/colorforline) does not show: each keyword and
    // the precedence are its lines.
    void lineColour_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Tone>("tone");

        QTest::newRow("warn alone") << u"WARN slow printer"_s << Tone::orange;
        QTest::newRow("keyword inside a word") << u"XERRORX"_s << Tone::red;
        QTest::newRow("mixed-case warn") << u"Warn: paper low"_s << Tone::primary;
    }

    void lineColour()
    {
        QFETCH(QString, line);
        QFETCH(Tone, tone);
        QCOMPARE(colorForLine(line), tone);
    }

    void relativeTime_data()
    {
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("text");

        QTest::newRow("4.9 s") << qint64(4900) << u"just now"_s;
        QTest::newRow("5 s") << qint64(5000) << u"5s ago"_s;
        QTest::newRow("60 s") << qint64(60000) << u"1m ago"_s;
        QTest::newRow("3600 s") << qint64(3600000) << u"1h ago"_s;
        QTest::newRow("1000 h, no grouping") << qint64(1000) * 3600000 << u"1000h ago"_s;
        QTest::newRow("future") << qint64(-120000) << u"just now"_s;
    }

    void relativeTime()
    {
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, text);
        const QDateTime from(QDate(2026, 3, 1), QTime(9, 0));
        QCOMPARE(relativeTimeString(from, from.addMSecs(elapsedMs)), text);
    }

    void cardTexts()
    {
        // Placeholders in the data are not expanded again.
        QCOMPARE(PanelTexts::configErrorText(u"%1 %2"_s), u"Không đọc được cấu hình: %1 %2"_s);
        // Rich text: markup in the text is escaped, an unpaired backtick kept as it is.
        QCOMPARE(PanelTexts::inlineCodeToHtml(u"<b>a</b> `x<y`"_s),
                 u"&lt;b&gt;a&lt;/b&gt; <code>x&lt;y</code>"_s);
        QCOMPARE(PanelTexts::inlineCodeToHtml(u"a `b"_s), u"a `b"_s);
    }

    void linesToDrop_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<qsizetype>("drop");

        QTest::newRow("same") << QStringList{u"a"_s, u"b"_s} << QStringList{u"a"_s, u"b"_s}
                              << qsizetype(0);
        QTest::newRow("repeated lines") << QStringList{u"x"_s, u"x"_s, u"y"_s}
                                        << QStringList{u"x"_s, u"y"_s, u"x"_s} << qsizetype(1);
        QTest::newRow("middle line changed") << QStringList{u"a"_s, u"b"_s, u"c"_s}
                                             << QStringList{u"a"_s, u"B"_s, u"c"_s} << qsizetype(3);
    }

    void linesToDrop()
    {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, next);
        QFETCH(qsizetype, drop);
        QCOMPARE(::linesToDrop(shown, next), drop);
    }
};

QTEST_GUILESS_MAIN(PanelTextsTest)
#include "tst_panel_texts.moc"
