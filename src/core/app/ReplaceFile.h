#pragma once
// Writing a whole file that may replace another: through a temporary file beside it and an
// atomic rename, so a failure leaves the previous file (or none) intact and never half a file.
#include <QByteArray>
#include <QString>
#include <optional>

namespace app {

// Creates or replaces `path` with `bytes`. Empty on success, else the reason.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

} // namespace app
