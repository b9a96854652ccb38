#include "FuzzInput.h"
#include "platform/macos/LaunchctlParsing.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

// Layout: how the process ended, its exit status, then its standard output (also used as the
// start error's text).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    ProcessResult result;
    result.end = static_cast<ProcessResult::End>(input.takeByte() % 3);
    result.exitStatus = static_cast<int8_t>(input.takeByte());
    result.standardOutput = input.rest().toByteArray();
    if (result.end == ProcessResult::End::failedToStart)
        result.startError = QString::fromUtf8(result.standardOutput);

    const ServiceState state = stateFromLaunchctlResult(result);
    const QString label = state.label();

    if (result.end != ProcessResult::End::exited) {
        FUZZ_CHECK(state.kind() == ServiceState::Kind::unknown);
        return 0;
    }
    if (result.exitStatus != 0) {
        FUZZ_CHECK(state == ServiceState::notInstalled());
        return 0;
    }
    switch (state.kind()) {
    case ServiceState::Kind::running: {
        const QString prefix = u"Running (pid "_s;
        FUZZ_CHECK(label.startsWith(prefix) && label.endsWith(u')'));
        const qint64 pid = label.mid(prefix.size(), label.size() - prefix.size() - 1).toLongLong();
        FUZZ_CHECK(pid > 0 && state == ServiceState::running(pid));
        FUZZ_CHECK(result.standardOutput.contains("\"PID\""));
        break;
    }
    case ServiceState::Kind::unknown:
        FUZZ_CHECK(state == ServiceState::unknown(u"non-utf8 launchctl output"_s));
        FUZZ_CHECK(!isUtf8(result.standardOutput));
        break;
    case ServiceState::Kind::stopped:
        FUZZ_CHECK(isUtf8(result.standardOutput));
        FUZZ_CHECK(label == u"Stopped"_s);
        break;
    // launchd reports no passing states.
    case ServiceState::Kind::notInstalled:
    case ServiceState::Kind::starting:
    case ServiceState::Kind::stopping:
        FUZZ_CHECK(false);
    }
    return 0;
}
