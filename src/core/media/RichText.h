#pragma once
// A small RTF reader of our own: enough of the format for the program's manual and for skier
// name lists saved by a word processor. Paragraphs, line breaks, tabs, bold, italic, underline,
// font size, alignment, left indent and simple bullet lists are kept; pictures, fields'
// instructions, font and colour tables and every other destination are skipped.
//
// Input that does not start with "{\rtf" is plain text and is taken over unchanged: as plain
// text it is decoded by app::foreignText (UTF-8, or Windows-1252 when it is not valid UTF-8), as a
// document in the locale's 8-bit encoding.
//
// The work is bounded: the input is limited to kMaxRtfInputBytes, groups to kMaxRtfDepth levels
// and control words to kMaxRtfWordLength letters; the output is never longer than the input.
// Malformed input (unterminated groups, stray characters, binary junk) never crashes or hangs:
// it ends with a failure and the text read up to that point.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace media {

constexpr qsizetype kMaxRtfInputBytes = 64 * 1024 * 1024;
constexpr int kMaxRtfDepth = 512;
constexpr int kMaxRtfWordLength = 32;

// True when `data` starts with "{\rtf" (the reader's choice between RTF and plain text).
bool isRtf(const QByteArray& data);

// The text of the document, paragraphs ended by "\n". Plain text passes through unchanged.
// `ok` becomes false when the RTF is malformed; the text read up to the fault is returned.
QString rtfToPlainText(const QByteArray& data, bool* ok = nullptr);

// Replaces the content of `doc` with the document, formatted. Plain text passes through
// unchanged. Returns false with a reason in `error` when the RTF is malformed; `doc` then holds
// the part read up to the fault.
bool rtfToDocument(const QByteArray& data, QTextDocument& doc, QString* error = nullptr);

} // namespace media
