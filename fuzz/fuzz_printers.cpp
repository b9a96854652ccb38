#include "DaemonAnswerInput.h"
#include "daemon/PrinterListParsing.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const DaemonAnswer answer = takeDaemonAnswer(input);

    const std::optional<PrinterListUpdate> update = parsePrinterListAnswer(answer);
    if (answer.kind == DaemonAnswer::Kind::cancelled) {
        FUZZ_CHECK(!update);
        return 0;
    }
    FUZZ_CHECK(update.has_value());
    if (update->error)
        FUZZ_CHECK(update->printers.isEmpty());
    if (answer.kind == DaemonAnswer::Kind::failed) {
        FUZZ_CHECK(update->error == answer.errorText);
        return 0;
    }
    if (!answer.body || !QJsonDocument::fromJson(*answer.body).isObject())
        FUZZ_CHECK(update->error == invalidPrintersText);
    return 0;
}
