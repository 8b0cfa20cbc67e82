#pragma once
// Run naming rules of the Capture screen, free of widgets: which characters a skier name may
// hold, how the run file name is made, how the pass number moves on, and how the skier list
// file reads. Every run file is <video folder>/<skier>pass<pass>.avi.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace run {

// A character the skier name may not hold: the comma (the skier list's separator), a folder
// separator ("/" or "\"), a character no file name may hold (: * ? " < > |) or a control
// character. Each of them would split the list or put the run outside the video folder.
bool isForbiddenNameChar(QChar c);
// As isForbiddenNameChar, but the comma is allowed: the rule for the pass text, which goes into
// the file name as well.
bool isForbiddenPathChar(QChar c);

// The first forbidden character of the text, if any.
std::optional<QChar> firstForbiddenNameChar(const QString& text);
std::optional<QChar> firstForbiddenPathChar(const QString& text);

// Every occurrence of `c` replaced by one space.
QString replacedBySpace(const QString& text, QChar c);

// The "Input Error" box text naming the character:
// Sorry, you cannot use the "," character in this box
// A control character is named by its code instead of being printed.
QString inputErrorText(QChar c);
inline const QString kInputErrorTitle = QStringLiteral("Input Error");

// The longest skier name, in UTF-8 bytes: a file name holds at most 255 bytes, and the run's
// "pass32767.avi.info" and a few "X" of the name rule must still fit.
inline constexpr int kMaxSkierNameBytes = 255 - 18 - 8;

// What is wrong with a skier name, and the name mended: every character a file name cannot
// hold made a blank, leading dots removed (".", ".." and ".Ann" would be hidden or no files),
// and the end cut off beyond kMaxSkierNameBytes. The message names the first problem found.
struct NameProblem {
    QString message;
    QString mended;
};
std::optional<NameProblem> skierNameProblem(const QString& name);

// Blanks (spaces only) removed at both ends, as the pass text is trimmed in the file name.
QString trimSpaces(const QString& text);

// The run file: folder + separator + skier (as typed) + "pass" + pass text (trimmed) + ".avi".
// `folder` must already be without its trailing separator.
QString composeCaptureFileName(const QString& folder, const QString& skier,
                               const QString& passText);

// The pass text a recording may take: 1 to 3 characters once the blanks around it are trimmed,
// none of them a character no file name may hold. The log's run-name parse reads at most three
// characters of pass text, so a run named with a longer one would never be logged when marked.
// Empty when the text may be used, else the "Input Error" box text.
inline constexpr int kMaxPassTextLength = 3;
std::optional<QString> passTextProblem(const QString& passText);

// The pass text after one more run: numeric value + 1, written with a leading blank for zero
// and positive values (" 2"). A text without a number counts as 0; "2a" gives " 3".
QString nextPassText(const QString& passText);

using FileTest = std::function<bool(const QString& path)>;

// Arrival check: the pass text moved past every pass whose file exists already.
struct PassAdvance {
    QString passText;
    QString fileName;
    bool changed = false;
};
PassAdvance advancePastExisting(const QString& folder, const QString& skier,
                                const QString& passText, const FileTest& exists);

// Name for recording: while the run file exists, an "X" is appended to the skier name and the
// pass goes back to "1" (*Ann* pass 3 with *Annpass3.avi* present gives *AnnX* pass 1).
struct FreeName {
    QString skier;
    QString passText;
    QString fileName;
    bool changed = false;
};
FreeName freeNameForRecording(const QString& folder, const QString& skier, const QString& passText,
                              const FileTest& exists);

// The warning shown under the naming boxes after the name had to change.
QString nameChangedWarning(const QString& newSkier);

// The pass warnings of the arrival check.
inline const QString kDuplicatePassText = QStringLiteral(
    "Warning, the pass number was changed because a file for that pass already existed.  You "
    "may need to change the skier name");
inline const QString kDuplicatePassTitle = QStringLiteral("Duplicate File Warning");
inline const QString kHighPassText = QStringLiteral(
    "Warning, the pass number is greater than 2.  You may need to change the skier name");
inline const QString kHighPassTitle = QStringLiteral("Possible Name Change Warning");

// Skier list file SkierNames.txt: one entry per line, CR LF or LF line ends. Empty lines are
// skipped; every comma becomes one space; other blanks stay as they are. A list that is not
// valid UTF-8 (saved by a Windows program) reads as Windows-1252 (app::foreignText).
inline const QString kSkierNamesFile = QStringLiteral("SkierNames.txt");
QString skierListEntry(const QString& line);
QStringList skierListFromText(const QByteArray& fileContents);
// The first line of the file as the default skier name (commas made spaces); empty when the
// first line is empty.
QString firstSkierName(const QByteArray& fileContents);

} // namespace run
