#pragma once

#include "daemon/FetchModel.h"
#include "daemon/SlotLine.h"

// The daemon's printer-slot configuration from /config.
class ConfigSummary : public FetchModel
{
    Q_OBJECT

public:
    explicit ConfigSummary(const QString &endpoint, QObject *parent = nullptr);

    QList<SlotLine> slots() const { return m_slots; }

private:
    void take(const DaemonAnswer &answer) override;

    QList<SlotLine> m_slots = SlotLine::emptySlots();
};
