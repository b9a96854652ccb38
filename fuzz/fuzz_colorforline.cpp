#include "FuzzInput.h"
#include "ui/LineColouring.h"

#include <QLatin1StringView>
#include <initializer_list>

namespace {

bool containsAny(const QString &line, std::initializer_list<const char *> keywords)
{
    for (const char *keyword : keywords) {
        if (line.contains(QLatin1StringView(keyword), Qt::CaseSensitive))
            return true;
    }
    return false;
}

// The colour a reader of the log expects: red beats green, green beats orange.
Tone expectedTone(const QString &line)
{
    if (containsAny(line, {"ERROR", "FATAL", "PRINT_IOKIT_FAIL"}))
        return Tone::red;
    if (containsAny(line, {"PRINT_SUCCESS", "PRINT_IOKIT_OK", "PRINT_CUPS_OK", "Health check"}))
        return Tone::green;
    if (containsAny(line, {"WARN", "PRINT_IOKIT_FALLBACK"}))
        return Tone::orange;
    return Tone::primary;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const QString line = QString::fromUtf8(input.rest());
    FUZZ_CHECK(colorForLine(line) == expectedTone(line));
    return 0;
}
