#include "LaunchctlParsing.h"

#include <QStringDecoder>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool isBlank(char32_t c)
{
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

QStringView trimmedOfBlanks(QStringView line)
{
    // Every space separator is in the BMP, so code units are enough here.
    while (!line.isEmpty() && isBlank(line.front().unicode()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back().unicode()))
        line.chop(1);
    return line;
}

std::optional<qint64> pidFromLine(QStringView rawLine)
{
    const QStringView line = trimmedOfBlanks(rawLine);
    if (!line.startsWith(u"\"PID\""))
        return std::nullopt;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;

    // Whole code points, so that a numeric character outside the BMP is seen (and rejected)
    // rather than dropped as two non-numeric surrogates.
    QByteArray digits;
    for (char32_t c : line.sliced(equals + 1).toUcs4()) {
        if (!QChar::isNumber(c))
            continue;
        if (c < U'0' || c > U'9')
            return std::nullopt;
        digits.append(static_cast<char>(c));
    }
    if (digits.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 pid = digits.toLongLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace

ServiceState stateFromLaunchctlResult(const ProcessResult &result)
{
    switch (result.end) {
    case ProcessResult::End::failedToStart:
        return ServiceState::unknown(result.startError);
    case ProcessResult::End::timedOut:
        return ServiceState::unknown(u"launchctl timed out"_s);
    case ProcessResult::End::exited:
        break;
    }
    if (result.exitStatus != 0)
        return ServiceState::notInstalled();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(result.standardOutput);
    if (decoder.hasError())
        return ServiceState::unknown(u"non-utf8 launchctl output"_s);

    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        if (const std::optional<qint64> pid = pidFromLine(line))
            return ServiceState::running(*pid);
    }
    return ServiceState::stopped();
}
