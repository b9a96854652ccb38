#include "daemon/PrinterList.h"

#include "daemon/DaemonAddress.h"
#include "daemon/PrinterListParsing.h"

PrinterList::PrinterList(const QString &endpoint, QObject *parent)
    : FetchModel(endpointUrl(endpoint, QUrl(DaemonAddress::endpoint(DaemonAddress::printersPath))),
                 parent)
{}

// Every answer is assigned, also when the values are the same as before.
void PrinterList::take(const DaemonAnswer &answer)
{
    m_lastRefreshAt = QDateTime::currentDateTime();
    const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(answer);
    if (!update)
        return;
    setLastError(update->error);
    m_printers = update->printers;
}
