#include "ServiceState.h"

using namespace Qt::StringLiterals;

QString ServiceState::label() const
{
    switch (m_kind) {
    case Kind::running:
        return u"Running (pid "_s + QString::number(m_pid) + u')';
    case Kind::unknown:
        return u"Unknown: "_s + m_reason;
    case Kind::stopped:
        return u"Stopped"_s;
    case Kind::notInstalled:
        return u"Not installed"_s;
    }
    Q_UNREACHABLE();
    return {};
}
