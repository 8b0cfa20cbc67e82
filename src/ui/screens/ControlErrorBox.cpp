#include "ui/screens/ControlErrorBox.h"

#include "core/app/TextNumbers.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"

namespace screens {

void showControlError(ports::Dialogs& dialogs, const ports::ControlError& e, ErrorNumber number,
                      const QString& prefix) {
    const QString digits = number == ErrorNumber::Hexadecimal ? app::hexErrorNumber(e.number())
                                                              : QString::number(e.number());
    dialogs.message(prefix + digits + QLatin1Char(' ') + e.description(), QStringLiteral("Error"));
}

} // namespace screens
