#include "daemon/ConfigParsing.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

std::optional<ConfigUpdate> parseConfigAnswer(const DaemonAnswer &answer)
{
    switch (answer.kind) {
    case DaemonAnswer::Kind::cancelled:
        return std::nullopt;
    case DaemonAnswer::Kind::failed:
        return ConfigUpdate{answer.errorText, std::nullopt};
    case DaemonAnswer::Kind::body:
        break;
    }
    const ConfigUpdate invalid{invalidConfigText, std::nullopt};
    const std::optional<QJsonObject> top = topLevelObject(answer.body);
    if (!top)
        return invalid;
    const QJsonValue data = top->value("data"_L1);
    const QJsonValue slotMap = data.toObject().value("printers"_L1);
    if (!data.isObject() || !slotMap.isObject())
        return invalid;

    // Values of the wrong JSON type read as absent: toObject and toString give the empty value
    // for them.
    QList<SlotLine> rows;
    for (const auto &[key, name] : SlotLine::order) {
        const QJsonObject entry = slotMap.toObject().value(key).toObject();
        rows.append({key, name, entry.value("printer_name"_L1).toString(),
                     jsonBoolean(entry.value("reverse"_L1)).value_or(false)});
    }
    return ConfigUpdate{std::nullopt, rows};
}
