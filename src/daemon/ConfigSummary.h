#pragma once

#include "daemon/DaemonFetch.h"
#include "daemon/SlotLine.h"

#include <QObject>
#include <QUrl>
#include <optional>

// The daemon's printer-slot configuration from /config, fetched on demand.
class ConfigSummary : public QObject
{
    Q_OBJECT

public:
    explicit ConfigSummary(const QString &endpoint, QObject *parent = nullptr);

    QList<SlotLine> slots() const;
    std::optional<QString> lastError() const;
    bool isLoading() const;
    QUrl url() const;

    void refresh();
    // Cancels the request in flight, if any, and forgets it (closing the popover).
    void cancel();

Q_SIGNALS:
    void slotsChanged();
    void lastErrorChanged();
    void isLoadingChanged();

private:
    void apply(const DaemonAnswer &answer);
    void setLoading(bool loading);

    QList<SlotLine> m_slots = SlotLine::emptySlots();
    std::optional<QString> m_lastError;
    bool m_isLoading = false;
    QUrl m_url;
    DaemonFetch m_fetch;
};
