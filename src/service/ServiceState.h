#pragma once

#include <QString>
#include <QtGlobal>

// The daemon's state as the service manager reports it. Only systemd reports the passing
// states starting and stopping, and why a stopped service failed.
class ServiceState
{
public:
    enum class Kind { running, unknown, stopped, notInstalled, starting, stopping };

    static ServiceState running(qint64 pid) { return ServiceState(Kind::running, pid, {}); }
    static ServiceState unknown(const QString &reason)
    {
        return ServiceState(Kind::unknown, 0, reason);
    }
    static ServiceState stopped() { return ServiceState(Kind::stopped, 0, {}); }
    // Stopped, with the manager's word for why ("exit-code").
    static ServiceState failed(const QString &result)
    {
        return ServiceState(Kind::stopped, 0, result);
    }
    static ServiceState starting() { return ServiceState(Kind::starting, 0, {}); }
    static ServiceState stopping() { return ServiceState(Kind::stopping, 0, {}); }
    static ServiceState notInstalled() { return ServiceState(Kind::notInstalled, 0, {}); }

    Kind kind() const { return m_kind; }
    qint64 pid() const { return m_pid; }
    QString label() const;

    bool operator==(const ServiceState &) const = default;

private:
    ServiceState(Kind kind, qint64 pid, const QString &reason)
        : m_kind(kind)
        , m_pid(pid)
        , m_reason(reason)
    {}

    Kind m_kind;
    qint64 m_pid;
    QString m_reason;
};
