#pragma once
// The screens are designed for MS Sans Serif 8.25 pt. Where that face is missing, the closest
// sans-serif face of the same width is used, so that captions fit the designed control sizes.
#include <QFont>

namespace app {

inline QFont designFont(double points = 8.25, bool bold = false) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("Helvetica")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace app
