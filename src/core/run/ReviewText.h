#pragma once
// Texts of the review screen built from values: the free-space read-out and the notices.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace run {

// Whole megabytes (10^6 bytes, fraction dropped) of a free byte count; an unknown count is 0.
qint64 freeMegabytes(std::optional<quint64> freeBytes);
// " 199 MB": signed number text of the megabytes and " MB".
QString diskSpaceText(qint64 megabytes);
// Below 200 MB free the low-space warning shows.
bool diskSpaceLow(qint64 megabytes);

inline const QString kMeasuredTitle = QStringLiteral("Start Already Measured Warning");
// "File already measured - start frame is " and the stored start as signed number text.
QString alreadyMeasuredText(double startFrame);

inline const QString kFixNameTitle = QStringLiteral("Fix the skier's name");
QString fixNamePrompt();
QString mustInputNamePrompt();
QString existingFilePrompt();

} // namespace run
