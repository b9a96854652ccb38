#pragma once

#include "app/StationReport.h"
#include "daemon/ConfigSummary.h"
#include "daemon/DaemonFetch.h"
#include "daemon/PrinterList.h"

#include <QObject>
#include <QTimer>
#include <memory>

struct AppEnvironment;
class ServiceControl;

// One check of the station through the panel's own models and rules: the service manager and
// the health probe on pool threads, both daemon models, and the log's tail, all at once. It
// reports once, when everything has answered or the bound has passed, whichever is first.
class StatusCheck : public QObject
{
    Q_OBJECT

public:
    enum class Detail { status, diagnostics };

    static constexpr int boundMs = 4500;

    StatusCheck(const AppEnvironment &environment, Detail detail, QObject *parent = nullptr);

    void start();

Q_SIGNALS:
    void finished(const StationReport &report);

private:
    void partDone();

    StationReport m_report;
    Detail m_detail;
    std::shared_ptr<ServiceControl> m_control;
    QUrl m_healthUrl;
    PrinterList m_printerList;
    ConfigSummary m_configSummary;
    DaemonFetch m_rawPrinters;
    DaemonFetch m_rawConfig;
    QTimer m_bound;
    int m_partsLeft = 0;
    bool m_configAnswered = false;
    bool m_done = false;
};
