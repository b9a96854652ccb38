#include "daemon/ConfigSummary.h"

#include "core/Dispatch.h"
#include "daemon/ConfigParsing.h"
#include "daemon/DaemonAddress.h"

ConfigSummary::ConfigSummary(const QString &endpoint, QObject *parent)
    : QObject(parent)
    , m_url(endpointUrl(endpoint, QUrl(DaemonAddress::endpoint(DaemonAddress::configPath))))
    , m_fetch(this)
{}

QList<SlotLine> ConfigSummary::slots() const
{
    return m_slots;
}

std::optional<QString> ConfigSummary::lastError() const
{
    return m_lastError;
}

bool ConfigSummary::isLoading() const
{
    return m_isLoading;
}

QUrl ConfigSummary::url() const
{
    return m_url;
}

void ConfigSummary::refresh()
{
    m_fetch.cancel();
    Dispatch::toMain(this, [this] { setLoading(true); });
    m_fetch.start(m_url, [this](const DaemonAnswer &answer) { apply(answer); });
}

void ConfigSummary::cancel()
{
    m_fetch.cancel();
}

// Every answer is assigned, also when the values are the same as before; failures keep the rows.
void ConfigSummary::apply(const DaemonAnswer &answer)
{
    setLoading(false);
    const std::optional<ConfigUpdate> update = parseConfigAnswer(answer);
    if (!update)
        return;
    m_lastError = update->error;
    Q_EMIT lastErrorChanged();
    if (!update->slots)
        return;
    m_slots = *update->slots;
    Q_EMIT slotsChanged();
}

void ConfigSummary::setLoading(bool loading)
{
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}
