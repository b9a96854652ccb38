#include "DaemonAnswerInput.h"
#include "daemon/ConfigParsing.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool hasSlotMap(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    return document.isObject() && document.object().value(QLatin1String("data")).isObject() &&
           document.object()
               .value(QLatin1String("data"))
               .toObject()
               .value(QLatin1String("printers"))
               .isObject();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const DaemonAnswer answer = takeDaemonAnswer(input);

    const std::optional<ConfigUpdate> update = parseConfigAnswer(answer);
    if (answer.kind == DaemonAnswer::Kind::cancelled) {
        FUZZ_CHECK(!update);
        return 0;
    }
    FUZZ_CHECK(update.has_value());
    // Either an error with the old rows kept, or the four rows rebuilt without an error.
    FUZZ_CHECK(update->error.has_value() != update->slots.has_value());
    if (answer.kind == DaemonAnswer::Kind::failed) {
        FUZZ_CHECK(update->error == answer.errorText);
        return 0;
    }
    FUZZ_CHECK(update->slots.has_value() == (answer.body && hasSlotMap(*answer.body)));
    if (update->error) {
        FUZZ_CHECK(update->error == invalidConfigText);
        return 0;
    }

    const QList<SlotLine> empty = SlotLine::emptySlots();
    FUZZ_CHECK(update->slots->size() == empty.size());
    for (qsizetype i = 0; i < empty.size(); ++i) {
        FUZZ_CHECK(update->slots->at(i).id == empty[i].id);
        FUZZ_CHECK(update->slots->at(i).name == empty[i].name);
    }
    return 0;
}
