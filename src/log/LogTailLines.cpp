#include "log/LogTailLines.h"

#include <QStringDecoder>

namespace {

constexpr qsizetype maxContinuationBytes = 3;

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

// Every separator is in the BMP and none is a surrogate, so UTF-16 units stand for code points.
bool isLineSeparator(QChar c)
{
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

qint64 tailWindowStart(qint64 fileSize, qint64 windowBytes)
{
    return fileSize > windowBytes ? fileSize - windowBytes : 0;
}

std::optional<QString> decodeTailWindow(QByteArrayView window, bool startsPastOffsetZero)
{
    if (startsPastOffsetZero) {
        qsizetype skip = 0;
        while (skip < maxContinuationBytes && skip < window.size() &&
               isContinuationByte(window[skip]))
            ++skip;
        window = window.sliced(skip);
    }
    // Stateless: a character cut off at the end is an error too, not something to wait for.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(window);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> pieces;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineSeparator(text[i]))
            continue;
        pieces.append(text.sliced(lineStart, i - lineStart));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    pieces.append(text.sliced(lineStart));
    return pieces;
}

QStringList keepTailLines(QList<QStringView> pieces, bool startsPastOffsetZero, qint64 maxLines)
{
    qsizetype first = startsPastOffsetZero && !pieces.isEmpty() ? 1 : 0;
    qsizetype end = pieces.size();
    if (end > first && pieces[end - 1].isEmpty())
        --end;
    if (end - first > maxLines)
        first = end - maxLines;

    QStringList lines;
    lines.reserve(end - first);
    for (qsizetype i = first; i < end; ++i)
        lines.append(pieces[i].toString());
    return lines;
}

std::optional<QStringList> linesOfTailWindow(QByteArrayView window, qint64 windowStart,
                                             qint64 maxLines)
{
    const bool pastOffsetZero = windowStart > 0;
    const std::optional<QString> text = decodeTailWindow(window, pastOffsetZero);
    if (!text)
        return std::nullopt;
    return keepTailLines(splitLines(*text), pastOffsetZero, maxLines);
}
