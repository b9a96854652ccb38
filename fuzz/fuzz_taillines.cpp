#include "FuzzInput.h"
#include "log/LogTailLines.h"

#include <algorithm>
#include <limits>

namespace {

bool containsSeparator(const QString &line)
{
    return std::any_of(line.begin(), line.end(), isLineSeparator);
}

void checkWindowStart(qint64 fileSize, qint64 windowBytes)
{
    const qint64 start = tailWindowStart(fileSize, windowBytes);
    FUZZ_CHECK(start >= 0 && start <= fileSize);
    FUZZ_CHECK(fileSize - start <= windowBytes || start == 0);
    FUZZ_CHECK((start == 0) == (fileSize <= windowBytes));
}

} // namespace

// Layout: the line limit, the window's offset in the file (a third of the values map to 0, the
// whole file), then the window's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const qint64 maxLines = input.takeByte();
    const uint64_t rawStart = input.takeUint64();
    const qint64 windowStart =
        rawStart % 3 == 0 ? 0 : qint64(rawStart >> 2); // never negative, never overflows below
    const QByteArrayView window = input.rest();

    checkWindowStart(windowStart + window.size(), window.size());
    checkWindowStart(qint64(rawStart >> 1), qint64(rawStart % 65537));

    const std::optional<QStringList> lines = linesOfTailWindow(window, windowStart, maxLines);
    FUZZ_CHECK(lines.has_value() == decodeTailWindow(window, windowStart > 0).has_value());
    if (!lines)
        return 0;
    FUZZ_CHECK(lines->size() <= maxLines);
    qsizetype characters = 0;
    for (const QString &line : *lines) {
        FUZZ_CHECK(!containsSeparator(line));
        characters += line.size();
    }
    FUZZ_CHECK(characters <= window.size());

    // A window read from the file's first byte loses no line but the final terminator's piece.
    if (windowStart == 0 && maxLines == std::numeric_limits<uint8_t>::max()) {
        const QList<QStringView> pieces = splitLines(*decodeTailWindow(window, false));
        const qsizetype kept = pieces.size() - (pieces.size() > 0 && pieces.back().isEmpty());
        FUZZ_CHECK(lines->size() == std::min<qsizetype>(kept, maxLines));
    }
    return 0;
}
