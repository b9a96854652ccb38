#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>

// How a child process ended and what it wrote to standard output.
struct ProcessResult
{
    enum class End { exited, failedToStart, timedOut };

    End end = End::exited;
    QString startError;
    int exitStatus = 0;
    QByteArray standardOutput;
};

// Blocking; for pool threads. Runs `program` with `arguments` (no shell), captures standard
// output, discards standard error, and kills the child once `timeout` has passed.
ProcessResult runCapturingOutput(const QString &program, const QStringList &arguments,
                                 std::chrono::milliseconds timeout);

// Blocking; for pool threads. Runs `program` with the application's own standard streams and
// waits for its end however long that takes. A start failure is dropped.
void runUntilExit(const QString &program, const QStringList &arguments);
