#include "platform/RichText.h"

namespace platform {

// Placeholder until the RTF reader lands: the text is taken over unchanged.
QString rtfToPlainText(const QByteArray& data, bool* ok) {
    if (ok)
        *ok = true;
    return QString::fromLocal8Bit(data);
}

} // namespace platform
