#pragma once
// The box shown when a capture-control operation fails, on the Setup and the Capture screen
// alike: prefix + error number + " " + description, titled "Error".
#include <QString>

namespace ports {
class ControlError;
class Dialogs;
} // namespace ports

namespace screens {

enum class ErrorNumber { Decimal, Hexadecimal };

// The usual prefix keeps the design's spelling "Eror code: "; one Setup box says "Error code: ".
void showControlError(ports::Dialogs& dialogs, const ports::ControlError& e, ErrorNumber number,
                      const QString& prefix = QStringLiteral("Eror code: "));

} // namespace screens
