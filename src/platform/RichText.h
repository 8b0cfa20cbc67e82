#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

// The plain text of a rich-text (RTF) document; any other input is taken over unchanged.
// `ok` is false when the data cannot be read as text.
QString rtfToPlainText(const QByteArray& data, bool* ok = nullptr);

} // namespace platform
