// libFuzzer target for the RTF reader: any input must end without a crash, a hang or a leak,
// and the text must never be longer than the input.
#include "core/media/RichText.h"

#include <QByteArray>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bool ok = false;
    const QString text = media::rtfToPlainText(bytes, &ok);
    if (media::isRtf(bytes) && text.size() > bytes.size())
        std::abort();

    // The document form only for RTF input, where the reader does the work.
    if (media::isRtf(bytes)) {
        QTextDocument doc;
        QString error;
        if (!media::rtfToDocument(bytes, doc, &error) && error.isEmpty())
            std::abort(); // a failure always says why
    }
    return 0;
}
