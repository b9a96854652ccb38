#pragma once

#include <functional>

class ConfigSummary;
class LogTailer;
class PrinterList;
class ServiceStatus;

// What the popover's panel is built from: the delegate's four models and the action that opens
// the configuration window.
struct PopoverContent
{
    LogTailer *logTailer = nullptr;
    ServiceStatus *serviceStatus = nullptr;
    PrinterList *printerList = nullptr;
    ConfigSummary *configSummary = nullptr;
    std::function<void()> openConfig;
};
