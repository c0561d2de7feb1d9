// kivoctl's inputs from outside: the backup file "restore" reads (anyone can
// hand a user one), the macro text file of "set", and the messages a running
// program takes from its local socket (length-framed JSON).
#include "kivoctl/kivoctl_backup.h"
#include "kivoctl/kivoctl_macrotext.h"
#include "kivoctl/kivoctl_message.h"
#include "kivoctl/kivoctl_request.h"
#include "quiet.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdlib>

// Qt has no frame pointers: only the slow unwinder reaches QJsonDocument::fromJson,
// which the suppression of its duplicate-key leak names.
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kivoctl;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));

    Request backup;
    if (parse_backup(bytes, &backup).isEmpty()) {
        // A backup that passed every check travels to the program unchanged.
        Request back;
        if (!from_message(to_message(backup), &back)) std::abort();
        if (to_message(back) != to_message(backup)) std::abort();
    }

    QVector<MacroEvent> events;
    bool delays = false;
    if (parse_macro_text(QString::fromUtf8(bytes), &events, &delays).isEmpty() &&
        events.size() > kMaxMacroEvents)
        std::abort();

    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    Request message;
    if (doc.isObject()) from_message(doc.object(), &message);

    // The socket's stream: whole messages off the front until one is missing.
    QByteArray buffer = bytes;
    QByteArray json;
    bool bad = false;
    for (int guard = 0; guard < 64 && take_message(&buffer, &json, &bad); ++guard) {
        if (json.size() > kMaxMessage) std::abort();
        const QJsonDocument d = QJsonDocument::fromJson(json);
        if (d.isObject()) from_message(d.object(), &message);
    }
    return 0;
}
