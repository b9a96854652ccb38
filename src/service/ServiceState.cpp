#include "ServiceState.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

QString ServiceState::label() const
{
    switch (m_kind) {
    case Kind::running:
        return u"Running (pid "_s + QString::number(m_pid) + u')';
    case Kind::unknown:
        return u"Unknown: "_s + m_reason;
    case Kind::stopped:
        return m_reason.isEmpty()
                   ? u"Stopped"_s
                   : QCoreApplication::translate("ServiceState", "Failed (%1)").arg(m_reason);
    case Kind::notInstalled:
        return u"Not installed"_s;
    case Kind::starting:
        return QCoreApplication::translate("ServiceState", "Starting…");
    case Kind::stopping:
        return QCoreApplication::translate("ServiceState", "Stopping…");
    }
    Q_UNREACHABLE();
    return {};
}
