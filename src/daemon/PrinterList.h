#pragma once

#include "daemon/FetchModel.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

// The printers the daemon reports at /printers.
class PrinterList : public FetchModel
{
    Q_OBJECT

public:
    explicit PrinterList(const QString &endpoint, QObject *parent = nullptr);

    QStringList printers() const { return m_printers; }
    // When the last answer came, whatever it said.
    std::optional<QDateTime> lastRefreshAt() const { return m_lastRefreshAt; }

private:
    void take(const DaemonAnswer &answer) override;

    QStringList m_printers;
    std::optional<QDateTime> m_lastRefreshAt;
};
