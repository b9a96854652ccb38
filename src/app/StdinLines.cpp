#include "app/StdinLines.h"

#include <cerrno>
#include <unistd.h>

namespace {

// A line longer than this is not one the app writes; it is dropped.
constexpr qsizetype maxLine = 4096;

} // namespace

StdinLines::StdinLines(QObject *parent)
    : QObject(parent)
    , m_notifier(STDIN_FILENO, QSocketNotifier::Read)
{
    connect(&m_notifier, &QSocketNotifier::activated, this, &StdinLines::readAvailable);
}

void StdinLines::readAvailable()
{
    char buffer[1024];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        m_notifier.setEnabled(false);
        Q_EMIT ended();
        return;
    }
    m_pending.append(buffer, count);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        Q_EMIT lineRead(line);
    }
    if (m_pending.size() > maxLine)
        m_pending.clear();
}
