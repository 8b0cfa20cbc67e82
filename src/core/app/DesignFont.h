#pragma once
// The screens are designed for MS Sans Serif 8.25 pt. Where that face is missing, the first
// installed face of the same width is used (Liberation Sans on a fresh Debian machine), so that
// captions fit the designed control sizes; the font matcher's own substitute for a missing face
// is often a wider one.
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace app {

inline QString designFamily() {
    static const QString family = [] {
        const QStringList wanted{QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                                 QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("Helvetica")};
        const QStringList installed = QFontDatabase::families();
        for (const QString& name : wanted)
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        return wanted.first();
    }();
    return family;
}

inline QFont designFont(double points = 8.25, bool bold = false) {
    QFont f(designFamily());
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace app
