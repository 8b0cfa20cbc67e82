#include "core/run/ReviewText.h"

#include "core/app/TextNumbers.h"

namespace run {

qint64 freeMegabytes(std::optional<quint64> freeBytes) {
    return freeBytes ? static_cast<qint64>(*freeBytes / 1000000u) : 0;
}

QString diskSpaceText(qint64 megabytes) {
    return app::SignedNumberText(static_cast<double>(megabytes)) + QStringLiteral(" MB");
}

bool diskSpaceLow(qint64 megabytes) {
    return megabytes < 200;
}

QString alreadyMeasuredText(double startFrame) {
    return QStringLiteral("File already measured - start frame is ") +
           app::SignedNumberText(startFrame);
}

QString fixNamePrompt() {
    return QStringLiteral("The skier's name was changed to prevent overwriting ") +
           QStringLiteral("an existing file. You can change the skier's name here if you want. ") +
           QStringLiteral("Just modify it in the input box to what it should be. ");
}

QString mustInputNamePrompt() {
    return QStringLiteral("You must input a name. ") + QStringLiteral("Please try again ");
}

QString existingFilePrompt() {
    return QStringLiteral("I am sorry, there is ") +
           QStringLiteral("an existing file using that name and pass.  ") +
           QStringLiteral("Please try again ");
}

} // namespace run
