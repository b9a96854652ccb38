#include "FuzzInput.h"
#include "daemon/PrinterListParsing.h"

#include <QJsonDocument>

// Layout: what the request came to (a body, no body, a transport error, a cancellation), then
// the body bytes (or the error text).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t kind = input.takeByte() % 4;
    const QByteArray bytes = input.rest().toByteArray();

    DaemonAnswer answer;
    switch (kind) {
    case 0:
        answer.body = bytes;
        break;
    case 1:
        break;
    case 2:
        answer.kind = DaemonAnswer::Kind::failed;
        answer.errorText = QString::fromUtf8(bytes);
        break;
    case 3:
        answer.kind = DaemonAnswer::Kind::cancelled;
        break;
    }

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
