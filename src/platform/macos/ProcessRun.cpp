#include "ProcessRun.h"

#include <QProcess>

ProcessResult runCapturingOutput(const QString &program, const QStringList &arguments,
                                 std::chrono::milliseconds timeout)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    // Unread, a full stderr pipe would stall the child.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return {ProcessResult::End::failedToStart, process.errorString(), 0, {}};

    // waitForFinished keeps draining stdout while it waits.
    if (!process.waitForFinished(static_cast<int>(timeout.count())) &&
        process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        return {ProcessResult::End::timedOut, {}, 0, {}};
    }
    // A child killed by a signal has no exit status of its own; never let it read as success.
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {ProcessResult::End::exited, {}, status, process.readAllStandardOutput()};
}

void runUntilExit(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments);
    if (process.waitForStarted(-1))
        process.waitForFinished(-1);
}
