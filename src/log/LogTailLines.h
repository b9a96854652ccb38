#pragma once

#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <QStringView>
#include <optional>

// How one read turns the bytes at the end of the log file into lines.

// Offset of the first byte a read looks at: the last `windowBytes` of the file, or all of it.
qint64 tailWindowStart(qint64 fileSize, qint64 windowBytes);

// The window as text, or nothing when it is not UTF-8. A window that starts past offset 0 may
// begin inside a character: its leading continuation bytes (at most three) belong to the first
// line, which is dropped anyway, so they are skipped rather than failing the whole window.
std::optional<QString> decodeTailWindow(QByteArrayView window, bool startsPastOffsetZero);

// LF, VT, FF, CR, NEL, LS or PS: the characters that end a line.
bool isLineSeparator(QChar c);

// Splits on each line separator, with CR LF as one separator. Empty pieces stay, so
// text ending in a separator has an empty last piece and empty text is one empty piece.
QList<QStringView> splitLines(QStringView text);

// Drops the first piece of a window past offset 0 (it may be a partial line), then the one empty
// piece a final terminator leaves, then all but the last `maxLines`.
QStringList keepTailLines(QList<QStringView> pieces, bool startsPastOffsetZero, qint64 maxLines);

// All of the above: the lines one read publishes, or nothing when the window is not UTF-8.
std::optional<QStringList> linesOfTailWindow(QByteArrayView window, qint64 windowStart,
                                             qint64 maxLines);
