#include "daemon/PrinterListParsing.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Only an array of nothing but strings is a list of printers.
QStringList printerNames(const QJsonValue &data)
{
    QStringList names;
    const QJsonArray array = data.toArray();
    for (const QJsonValue &item : array) {
        if (!item.isString())
            return {};
        names.append(item.toString());
    }
    return names;
}

} // namespace

std::optional<PrinterListUpdate> parsePrinterListAnswer(const DaemonAnswer &answer)
{
    switch (answer.kind) {
    case DaemonAnswer::Kind::cancelled:
        return std::nullopt;
    case DaemonAnswer::Kind::failed:
        return PrinterListUpdate{answer.errorText, {}};
    case DaemonAnswer::Kind::body:
        break;
    }
    const PrinterListUpdate invalid{invalidPrintersText, {}};
    const std::optional<QJsonObject> object = topLevelObject(answer.body);
    if (!object)
        return invalid;

    const QJsonObject &top = *object;
    const std::optional<bool> success = jsonBoolean(top.value("success"_L1));
    if (success == false) {
        // An empty message would leave the user with an empty list and nothing said.
        const QString message = top.value("error"_L1).toString().trimmed();
        return PrinterListUpdate{message.isEmpty() ? unknownDaemonErrorText : message, {}};
    }
    return PrinterListUpdate{std::nullopt, printerNames(top.value("data"_L1))};
}
