#include "daemon/ConfigSummary.h"

#include "daemon/ConfigParsing.h"
#include "daemon/DaemonAddress.h"

ConfigSummary::ConfigSummary(const QString &endpoint, QObject *parent)
    : FetchModel(endpointUrl(endpoint, QUrl(DaemonAddress::endpoint(DaemonAddress::configPath))),
                 parent)
{}

// Every answer is assigned, also when the values are the same as before; failures keep the rows.
void ConfigSummary::take(const DaemonAnswer &answer)
{
    const std::optional<ConfigUpdate> update = parseConfigAnswer(answer);
    if (!update)
        return;
    setLastError(update->error);
    if (update->slots)
        m_slots = *update->slots;
}
