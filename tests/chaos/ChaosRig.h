#pragma once

#include "StallMeter.h"
#include "daemon/ConfigSummary.h"
#include "daemon/PrinterList.h"
#include "log/LogTailer.h"
#include "service/ServiceStatus.h"

#include <QJsonObject>
#include <memory>

class PopoverView;
class SharePicker;

// Where the rig's models look; the chaos driver points them at fakes it controls.
struct ChaosTargets
{
    QString logPath;
    QString launchctlPath;
    QString osascriptPath;
    QString daemonBase;
};

// The four models and the panel that shows them, working as when the popover is open, plus
// what the chaos driver reads: the published values, the panel's texts, the longest event-loop
// stall and the process's memory.
class ChaosRig : public QObject
{
    Q_OBJECT

public:
    explicit ChaosRig(const ChaosTargets &targets, QObject *parent = nullptr);
    ~ChaosRig() override;

    // Answers one command of the driver: snapshot, refresh, restart or reset.
    QJsonObject handle(const QString &command);

private:
    QJsonObject snapshot() const;
    QJsonObject panelTexts() const;

    LogTailer m_logTailer;
    ServiceStatus m_serviceStatus;
    PrinterList m_printerList;
    ConfigSummary m_configSummary;
    std::unique_ptr<SharePicker> m_sharePicker;
    std::unique_ptr<PopoverView> m_view;
    StallMeter m_stallMeter;
};
