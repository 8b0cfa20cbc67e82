#include "core/run/RunNaming.h"

#include "core/app/ForeignText.h"
#include "core/app/Paths.h"
#include "core/app/TextNumbers.h"

namespace run {

bool isForbiddenPathChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7f)
        return true;
    switch (u) {
    case u'/':
    case u'\\':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return false;
    }
}

bool isForbiddenNameChar(QChar c) {
    return c == u',' || isForbiddenPathChar(c);
}

namespace {
std::optional<QChar> firstMatching(const QString& text, bool (*forbidden)(QChar)) {
    for (const QChar c : text)
        if (forbidden(c))
            return c;
    return std::nullopt;
}
} // namespace

std::optional<QChar> firstForbiddenNameChar(const QString& text) {
    return firstMatching(text, isForbiddenNameChar);
}

std::optional<QChar> firstForbiddenPathChar(const QString& text) {
    return firstMatching(text, isForbiddenPathChar);
}

QString replacedBySpace(const QString& text, QChar c) {
    QString out = text;
    out.replace(c, QChar(u' '));
    return out;
}

QString inputErrorText(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7f)
        return QStringLiteral("Sorry, you cannot use the control character %1 in this box")
            .arg(static_cast<int>(u));
    return QStringLiteral("Sorry, you cannot use the \"") + c +
           QStringLiteral("\" character in this box");
}

std::optional<NameProblem> skierNameProblem(const QString& name) {
    std::optional<NameProblem> problem;
    auto found = [&problem](const QString& message) {
        if (!problem)
            problem = NameProblem{message, QString()};
    };
    QString mended = name;
    for (QChar& c : mended) {
        if (isForbiddenNameChar(c)) {
            found(inputErrorText(c));
            c = QChar(u' ');
        }
    }
    if (mended.startsWith(QLatin1Char('.'))) {
        found(QStringLiteral("Sorry, a skier name cannot start with \".\": the run would be a "
                             "hidden file. The dot was removed."));
        while (mended.startsWith(QLatin1Char('.')))
            mended.remove(0, 1);
    }
    if (mended.toUtf8().size() > kMaxSkierNameBytes) {
        found(QStringLiteral("Sorry, the skier name is too long for a run file name; it was cut "
                             "to %1 bytes.")
                  .arg(kMaxSkierNameBytes));
        while (mended.toUtf8().size() > kMaxSkierNameBytes)
            mended.chop(1);
    }
    if (problem)
        problem->mended = mended;
    return problem;
}

QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

QString composeCaptureFileName(const QString& folder, const QString& skier,
                               const QString& passText) {
    return app::joinPath(folder, skier + QStringLiteral("pass") + trimSpaces(passText) +
                                     QStringLiteral(".avi"));
}

std::optional<QString> passTextProblem(const QString& passText) {
    if (const auto bad = firstForbiddenPathChar(passText))
        return inputErrorText(*bad);
    const QString pass = trimSpaces(passText);
    if (pass.isEmpty() || pass.size() > kMaxPassTextLength)
        return QStringLiteral(
                   "The pass must be 1 to %1 characters, such as 2 or 2a; \"%2\" is not. "
                   "Nothing was recorded.")
            .arg(kMaxPassTextLength)
            .arg(passText);
    return std::nullopt;
}

QString nextPassText(const QString& passText) {
    return app::SignedNumberText(app::numericValue(passText) + 1.0);
}

PassAdvance advancePastExisting(const QString& folder, const QString& skier,
                                const QString& passText, const FileTest& exists) {
    PassAdvance r{passText, composeCaptureFileName(folder, skier, passText), false};
    while (exists(r.fileName)) {
        const QString next = nextPassText(r.passText);
        if (next == r.passText) // a pass too large to count on; stop rather than loop
            break;
        r.passText = next;
        r.changed = true;
        r.fileName = composeCaptureFileName(folder, skier, r.passText);
    }
    return r;
}

FreeName freeNameForRecording(const QString& folder, const QString& skier, const QString& passText,
                              const FileTest& exists) {
    FreeName r{skier, passText, composeCaptureFileName(folder, skier, passText), false};
    while (exists(r.fileName)) {
        r.skier += u'X';
        r.passText = QStringLiteral("1");
        r.changed = true;
        r.fileName = composeCaptureFileName(folder, r.skier, r.passText);
    }
    return r;
}

QString nameChangedWarning(const QString& newSkier) {
    return QStringLiteral("WARNING! Skier Name has been changed to ") + newSkier +
           QStringLiteral(" to prevent duplicate files");
}

QString skierListEntry(const QString& line) {
    QString out = line;
    out.replace(u',', u' ');
    return out;
}

namespace {
// The file's text (UTF-8, or the code page of a list saved by a Windows program) in lines ended
// by LF or CR LF; a last line without an end counts.
QStringList lines(const QByteArray& data) {
    QStringList out = app::foreignText(data).split(u'\n');
    if (!out.isEmpty() && out.back().isEmpty())
        out.pop_back(); // the end of the last line, not an empty line
    for (QString& l : out)
        if (l.endsWith(u'\r'))
            l.chop(1);
    return out;
}
} // namespace

QStringList skierListFromText(const QByteArray& fileContents) {
    QStringList names;
    for (const QString& l : lines(fileContents))
        if (!l.isEmpty())
            names.append(skierListEntry(l));
    return names;
}

QString firstSkierName(const QByteArray& fileContents) {
    const QStringList all = lines(fileContents);
    if (all.isEmpty())
        return QString();
    return skierListEntry(all.front());
}

} // namespace run
