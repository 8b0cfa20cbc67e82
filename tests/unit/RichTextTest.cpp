#include "core/media/RichText.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

#include <chrono>

using media::rtfToDocument;
using media::rtfToPlainText;

namespace {

QString plain(const char* rtf, bool* ok = nullptr) {
    return rtfToPlainText(QByteArray(rtf), ok);
}

// The character format of the first fragment whose text contains `needle`.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& needle) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(needle))
                return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment holds " << needle.toStdString();
    return {};
}

QTextBlock blockWith(const QTextDocument& doc, const QString& needle) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().contains(needle))
            return b;
    ADD_FAILURE() << "no paragraph holds " << needle.toStdString();
    return {};
}

} // namespace

TEST(RichTextPlain, TextThatIsNotRtfPassesThroughUnchanged) {
    const QByteArray names("Smith,John,Junior\r\nJones {Mary}\\n\r\n\tTab\r\n");
    bool ok = false;
    EXPECT_EQ(rtfToPlainText(names, &ok), QString::fromLocal8Bit(names));
    EXPECT_TRUE(ok);
    // Only a document that starts with the RTF signature is read as RTF.
    EXPECT_EQ(rtfToPlainText(" {\\rtf1 x}"), QStringLiteral(" {\\rtf1 x}"));
    EXPECT_EQ(rtfToPlainText(QByteArray()), QString());

    QTextDocument doc;
    EXPECT_TRUE(rtfToDocument(names, doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromLocal8Bit(names).replace(QStringLiteral("\r"), ""));
}

TEST(RichTextPlain, ParagraphsLinesTabsAndEscapes) {
    bool ok = false;
    EXPECT_EQ(plain("{\\rtf1\\ansi Smith\\par Jones\\line Brown\\tab x\\par}", &ok),
              QStringLiteral("Smith\nJones\nBrown\tx\n"));
    EXPECT_TRUE(ok);
    // Line ends in the source are not text; a backslash before one is a paragraph.
    EXPECT_EQ(plain("{\\rtf1 one\r\ntwo\\\nthree}"), QStringLiteral("onetwo\nthree"));
    // Literal braces and backslash; the blank after a control word is its delimiter.
    EXPECT_EQ(plain("{\\rtf1 a\\{b\\}c\\\\d \\b bold\\b0  x}"), QStringLiteral("a{b}c\\d bold x"));
    // Hex escapes are code page 1252 unless the document names another.
    EXPECT_EQ(plain("{\\rtf1\\ansi Caf\\'e9 \\'80 \\'93q\\'94}"),
              QStringLiteral(u"Caf\u00e9 \u20ac \u201cq\u201d"));
    EXPECT_EQ(plain("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}"), QStringLiteral(u"\u0410\u0431"));
    EXPECT_EQ(plain("{\\rtf1 \\bullet\\~\\endash\\emdash\\lquote\\rquote}"),
              QStringLiteral(u"\u2022\u00a0\u2013\u2014\u2018\u2019"));
}

TEST(RichTextPlain, UnicodeEscapesSkipTheirFallbackText) {
    // \uN counts from -32768; \ucN says how many fallback characters follow.
    EXPECT_EQ(plain("{\\rtf1 \\u8364?x}"), QStringLiteral(u"\u20acx"));
    EXPECT_EQ(plain("{\\rtf1 \\uc2\\u20320\\'c4\\'e3!}"), QStringLiteral(u"\u4f60!"));
    EXPECT_EQ(plain("{\\rtf1 \\uc0\\u233 e}"), QStringLiteral(u"\u00e9e"));
    EXPECT_EQ(plain("{\\rtf1 \\u-3913?}"), QStringLiteral(u"\uf0b7"));
    // The fallback ends at the end of its group.
    EXPECT_EQ(plain("{\\rtf1 {\\uc3\\u233 a}bc}"), QStringLiteral(u"\u00e9bc"));
    // \ucN belongs to its group.
    EXPECT_EQ(plain("{\\rtf1 {\\uc0 x}\\u233 ab}"), QStringLiteral(u"x\u00e9b"));
}

TEST(RichTextPlain, NestedGroupsAndSkippedDestinations) {
    const char* doc = "{\\rtf1\\ansi\\deff0"
                      "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Symbol;}}"
                      "{\\colortbl;\\red0\\green0\\blue0;}"
                      "{\\stylesheet{\\s0 Normal;}}"
                      "{\\info{\\title Secret}{\\author Someone}}"
                      "{\\*\\generator Writer 1.0;}"
                      "{\\*\\unknowndest hidden {nested hidden}}"
                      "{\\pict\\pngblip 89504e47\\bin4 }{}\\'00}"
                      "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt shown link}}"
                      " outer {inner {deeper} back} end\\par}";
    bool ok = false;
    EXPECT_EQ(plain(doc, &ok), QStringLiteral("shown link outer inner deeper back end\n"));
    EXPECT_TRUE(ok);
}

TEST(RichTextPlain, ListsKeepTheirBullets) {
    const char* doc = "{\\rtf1{\\pntext\\bullet\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}first\\par"
                      "{\\listtext - }second\\par}";
    EXPECT_EQ(plain(doc), QStringLiteral(u"\u2022\tfirst\n- second\n"));
}

TEST(RichTextDocument, CharacterAndParagraphFormatsAreKept) {
    const QByteArray rtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                         "\\pard\\qc\\fs36\\b Title\\b0\\par"
                         "\\pard\\fs24 Plain {\\i italic} {\\ul under\\ul0 lined} "
                         "\\b\\i both\\plain  reset\\par"
                         "\\pard\\li720 indented\\par}");
    QTextDocument doc;
    QString error;
    ASSERT_TRUE(rtfToDocument(rtf, doc, &error)) << error.toStdString();
    EXPECT_EQ(doc.toPlainText(),
              QStringLiteral("Title\nPlain italic underlined both reset\nindented\n"));

    const QTextCharFormat title = formatOf(doc, QStringLiteral("Title"));
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 18.0);
    EXPECT_EQ(blockWith(doc, QStringLiteral("Title")).blockFormat().alignment(), Qt::AlignHCenter);

    const QTextCharFormat plainFmt = formatOf(doc, QStringLiteral("Plain"));
    EXPECT_EQ(plainFmt.fontWeight(), QFont::Normal);
    EXPECT_FALSE(plainFmt.fontItalic());
    EXPECT_DOUBLE_EQ(plainFmt.fontPointSize(), 12.0);

    EXPECT_TRUE(formatOf(doc, QStringLiteral("italic")).fontItalic());
    EXPECT_TRUE(formatOf(doc, QStringLiteral("under")).fontUnderline());
    EXPECT_FALSE(formatOf(doc, QStringLiteral("lined")).fontUnderline());
    const QTextCharFormat both = formatOf(doc, QStringLiteral("both"));
    EXPECT_EQ(both.fontWeight(), QFont::Bold);
    EXPECT_TRUE(both.fontItalic());
    const QTextCharFormat reset = formatOf(doc, QStringLiteral("reset"));
    EXPECT_EQ(reset.fontWeight(), QFont::Normal);
    EXPECT_FALSE(reset.fontItalic());

    EXPECT_EQ(blockWith(doc, QStringLiteral("Plain")).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_DOUBLE_EQ(blockWith(doc, QStringLiteral("indented")).blockFormat().leftMargin(), 48.0);
}

TEST(RichTextDocument, GroupsRestoreTheFormatAround) {
    QTextDocument doc;
    ASSERT_TRUE(rtfToDocument("{\\rtf1 \\b a{\\b0\\i b}c}", doc));
    EXPECT_EQ(formatOf(doc, "a").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(doc, "b").fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatOf(doc, "b").fontItalic());
    EXPECT_EQ(formatOf(doc, "c").fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatOf(doc, "c").fontItalic());
}

TEST(RichTextMalformed, UnterminatedGroupsFailButKeepTheText) {
    bool ok = true;
    EXPECT_EQ(plain("{\\rtf1 Smith\\par {\\b Jones", &ok), QStringLiteral("Smith\nJones"));
    EXPECT_FALSE(ok);

    QTextDocument doc;
    QString error;
    EXPECT_FALSE(rtfToDocument("{\\rtf1 Smith\\par {\\b Jones", doc, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Smith\nJones"));

    // A backslash at the very end, a broken hex escape.
    EXPECT_EQ(plain("{\\rtf1 a\\'4", &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(plain("{\\rtf1 a\\'zz}", &ok), QStringLiteral("azz"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(plain("{\\rtf1 a\\", &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);
}

TEST(RichTextMalformed, WhatFollowsTheDocumentIsIgnored) {
    bool ok = false;
    EXPECT_EQ(plain("{\\rtf1 a}}}} trailing {junk", &ok), QStringLiteral("a"));
    EXPECT_TRUE(ok);
}

TEST(RichTextMalformed, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    QByteArray deep("{\\rtf1 start");
    deep += QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}";
    bool ok = true;
    const QString text = rtfToPlainText(deep, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(text, QStringLiteral("start"));

    QTextDocument doc;
    QString error;
    EXPECT_FALSE(rtfToDocument(deep, doc, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("deep"))) << error.toStdString();

    // Nesting within the limit is fine.
    QByteArray fine("{\\rtf1 ");
    fine += QByteArray(media::kMaxRtfDepth - 1, '{') + "x" +
            QByteArray(media::kMaxRtfDepth - 1, '}') + "}";
    EXPECT_EQ(rtfToPlainText(fine, &ok), QStringLiteral("x"));
    EXPECT_TRUE(ok);
}

TEST(RichTextMalformed, OverlongControlWordsAndNumbersAreRefused) {
    bool ok = true;
    QByteArray word("{\\rtf1 a\\");
    word += QByteArray(1000000, 'q') + " b}";
    EXPECT_EQ(rtfToPlainText(word, &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);

    QByteArray number("{\\rtf1 a\\fs");
    number += QByteArray(1000, '9') + " b}";
    EXPECT_EQ(rtfToPlainText(number, &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);

    // A word of the longest allowed length is read (and, being unknown, ignored).
    QByteArray longest("{\\rtf1 a\\");
    longest += QByteArray(media::kMaxRtfWordLength, 'q') + "-2147483648 b}";
    EXPECT_EQ(rtfToPlainText(longest, &ok), QStringLiteral("ab"));
    EXPECT_TRUE(ok);
}

TEST(RichTextMalformed, BinaryJunkEndsQuicklyWithBoundedOutput) {
    // A fixed pseudo-random generator, so that a failure can be reproduced.
    quint32 state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<char>(state >> 24);
    };
    const char alphabet[] = "{}\\'*ubinparfs0123456789-abcdef ";
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 200; ++round) {
        QByteArray junk("{\\rtf1 ");
        for (int i = 0; i < 5000; ++i) {
            const char c = next();
            junk += (c & 1) ? c : alphabet[static_cast<unsigned char>(c) % (sizeof alphabet - 1)];
        }
        const QString text = rtfToPlainText(junk);
        EXPECT_LE(text.size(), junk.size());
        QTextDocument doc;
        rtfToDocument(junk, doc);
        EXPECT_LE(doc.characterCount(), junk.size() + 1);
    }
    // \bin with a length past the end, a negative length and one of ten digits.
    bool ok = true;
    EXPECT_EQ(plain("{\\rtf1 a\\bin999999 xyz}", &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(plain("{\\rtf1 a\\bin-5 b}", &ok), QStringLiteral("ab"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(plain("{\\rtf1 a\\bin2147483647 b}", &ok), QStringLiteral("a"));
    EXPECT_FALSE(ok);
    // Not a timing goal: a guard against a reader that loops on junk.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST(RichTextMalformed, OversizedInputIsRefusedUnread) {
    QByteArray huge(media::kMaxRtfInputBytes + 1, 'a');
    bool ok = true;
    EXPECT_TRUE(rtfToPlainText(huge, &ok).isEmpty());
    EXPECT_FALSE(ok);
    QTextDocument doc;
    QString error;
    EXPECT_FALSE(rtfToDocument(huge, doc, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("larger")));
}

TEST(RichTextDocument, TheShippedManualReadsWithoutAFault) {
    QFile f(QStringLiteral(SKIVANE_SOURCE_DIR "/resources/SKV04Manual.rtf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QTextDocument doc;
    QString error;
    ASSERT_TRUE(rtfToDocument(f.readAll(), doc, &error)) << error.toStdString();
    const QString text = doc.toPlainText();
    for (const char* heading : {"Setting up", "Recording a run", "Timing a run", "Barefoot",
                                "Reading the log", "Files and folders"})
        EXPECT_TRUE(text.contains(QLatin1String(heading))) << heading;
    EXPECT_FALSE(text.contains(QLatin1Char('\\'))); // no control word shown as text
    EXPECT_FALSE(text.contains(QLatin1Char('{')));
    EXPECT_EQ(formatOf(doc, QStringLiteral("Operator's Manual")).fontWeight(), QFont::Bold);
}
