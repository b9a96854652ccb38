#include "log/LogTailLines.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Lines = std::optional<QStringList>;

class LogTailLinesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("window");
        QTest::addColumn<qint64>("windowStart");
        QTest::addColumn<Lines>("expected");
        const auto row = [](const char *name, const QByteArray &window, qint64 start, Lines lines) {
            QTest::newRow(name) << window << start << lines;
        };
        row("empty file", ""_ba, 0, QStringList());
        row("two terminators keep one empty line", "a\n\n"_ba, 0, QStringList{u"a"_s, u""_s});
        row("CR LF is one separator", "a\r\nb\r\n"_ba, 0, QStringList{u"a"_s, u"b"_s});
        row("LF CR is two", "a\n\rb"_ba, 0, QStringList{u"a"_s, u""_s, u"b"_s});
        row("every separator kind", "a\nb\vc\fd\re\r\nf\u0085g\u2028h\u2029i"_ba, 0,
            QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s, u"i"_s});
        row("no separator, whole file", "abc"_ba, 0, QStringList{u"abc"_s});
        row("no separator past offset 0", "abc"_ba, 1, QStringList());
        row("301 lines keep the last 300", "first\n" + QByteArray("x\n").repeated(299) + "last\n",
            0, QStringList(299, u"x"_s) << u"last"_s);
        // The window edge falls inside "ế" (E1 BA BF): its last two bytes open the window.
        row("window starting inside a character", "\xBA\xBF n\xE1\xBB\x97i\nxin ch\xC3\xA0o\n"_ba,
            1, QStringList{u"xin chào"_s});

        row("more continuation bytes than a character has", "\x80\x80\x80\x80\na\n"_ba, 5,
            std::nullopt);
        row("character cut off at the end", "a\n\xE1\xBA"_ba, 0, std::nullopt);
    }
    void lines()
    {
        QFETCH(QByteArray, window);
        QFETCH(qint64, windowStart);
        QFETCH(Lines, expected);
        QCOMPARE(linesOfTailWindow(window, windowStart, 300), expected);
    }
};

QTEST_GUILESS_MAIN(LogTailLinesTest)
#include "tst_log_tail_lines.moc"
