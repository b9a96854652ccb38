#include "daemon/PrinterList.h"

#include "core/Dispatch.h"
#include "daemon/DaemonAddress.h"
#include "daemon/PrinterListParsing.h"

PrinterList::PrinterList(const QString &endpoint, QObject *parent)
    : QObject(parent)
    , m_url(endpointUrl(endpoint, QUrl(DaemonAddress::endpoint(DaemonAddress::printersPath))))
    , m_fetch(this)
{}

QStringList PrinterList::printers() const
{
    return m_printers;
}

std::optional<QString> PrinterList::lastError() const
{
    return m_lastError;
}

std::optional<QDateTime> PrinterList::lastRefreshAt() const
{
    return m_lastRefreshAt;
}

bool PrinterList::isLoading() const
{
    return m_isLoading;
}

QUrl PrinterList::url() const
{
    return m_url;
}

void PrinterList::refresh()
{
    m_fetch.cancel();
    Dispatch::toMain(this, [this] { setLoading(true); });
    m_fetch.start(m_url, [this](const DaemonAnswer &answer) { apply(answer); });
}

void PrinterList::cancel()
{
    m_fetch.cancel();
}

// Every answer is assigned, also when the values are the same as before.
void PrinterList::apply(const DaemonAnswer &answer)
{
    setLoading(false);
    m_lastRefreshAt = QDateTime::currentDateTime();
    Q_EMIT lastRefreshAtChanged();
    const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(answer);
    if (!update)
        return;
    m_lastError = update->error;
    Q_EMIT lastErrorChanged();
    m_printers = update->printers;
    Q_EMIT printersChanged();
}

void PrinterList::setLoading(bool loading)
{
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}
