#include "ui/LineColouring.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

Tone colorForLine(const QString &line)
{
    static const std::array<std::pair<QString, Tone>, 10> keywords = {{
        {u"ERROR"_s, Tone::red},
        {u"FATAL"_s, Tone::red},
        {u"PRINT_ERROR"_s, Tone::red},
        {u"PRINT_IOKIT_FAIL"_s, Tone::red},
        {u"PRINT_SUCCESS"_s, Tone::green},
        {u"PRINT_IOKIT_OK"_s, Tone::green},
        {u"PRINT_CUPS_OK"_s, Tone::green},
        {u"Health check"_s, Tone::green},
        {u"WARN"_s, Tone::orange},
        {u"PRINT_IOKIT_FALLBACK"_s, Tone::orange},
    }};
    for (const auto &[keyword, tone] : keywords) {
        if (line.contains(keyword, Qt::CaseSensitive))
            return tone;
    }
    return Tone::primary;
}
