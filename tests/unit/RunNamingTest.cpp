// Run naming: characters a skier name may hold, the run file name, the pass advance, the "X"
// rule and the skier list file.
#include "core/run/RunNaming.h"
#include "core/app/Paths.h"
#include "core/run/PassTiming.h"

#include <gtest/gtest.h>

using namespace run;

namespace {
QString sep() {
    return QString(app::nativeSeparator());
}
QString path(const QString& folder, const QString& name) {
    return folder + sep() + name;
}
} // namespace

TEST(RunNamingCharacters, CommaSeparatorsAndFileNameCharactersAreForbidden) {
    for (const char16_t c : {u',', u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|', u'\t',
                             u'\n', u'\r', char16_t(0), char16_t(0x1f), char16_t(0x7f)})
        EXPECT_TRUE(isForbiddenNameChar(QChar(c))) << int(c);
    for (const char16_t c : {u'A', u' ', u'.', u'-', u'\'', u'(', u'&', u'X', u'\u00e9'})
        EXPECT_FALSE(isForbiddenNameChar(QChar(c))) << int(c);
    // The pass text may hold a comma (it never splits the list) but no path character.
    EXPECT_FALSE(isForbiddenPathChar(u','));
    EXPECT_TRUE(isForbiddenPathChar(u'/'));
}

TEST(RunNamingCharacters, FirstForbiddenCharacterIsNamedInTheBox) {
    EXPECT_EQ(firstForbiddenNameChar(QStringLiteral("Lee,Ann/x")), QChar(u','));
    EXPECT_EQ(firstForbiddenNameChar(QStringLiteral("../up")), QChar(u'/'));
    EXPECT_FALSE(firstForbiddenNameChar(QStringLiteral("Ann Lee")).has_value());
    EXPECT_EQ(firstForbiddenPathChar(QStringLiteral("1,2\\3")), QChar(u'\\'));

    EXPECT_EQ(inputErrorText(u','),
              QStringLiteral("Sorry, you cannot use the \",\" character in this box"));
    EXPECT_EQ(inputErrorText(u'/'),
              QStringLiteral("Sorry, you cannot use the \"/\" character in this box"));
    EXPECT_EQ(inputErrorText(u'\t'),
              QStringLiteral("Sorry, you cannot use the control character 9 in this box"));
    EXPECT_EQ(replacedBySpace(QStringLiteral(",a,,b,"), u','), QStringLiteral(" a  b "));
}

TEST(RunNamingCharacters, NameProblemsAreNamedOnceAndAllMended) {
    const QString tooLong(300, QChar(u'a'));
    const QString longest(kMaxSkierNameBytes, QChar(u'a'));
    const struct {
        QString name;
        QString message; // empty: no problem
        QString mended;
    } cases[] = {
        {"Ann Lee", "", ""},
        {longest, "", ""},
        {"Lee,Ann/x", "Sorry, you cannot use the \",\" character in this box", "Lee Ann x"},
        {".",
         "Sorry, a skier name cannot start with \".\": the run would be a hidden file. The "
         "dot was removed.",
         ""},
        {"..",
         "Sorry, a skier name cannot start with \".\": the run would be a hidden file. "
         "The dot was removed.",
         ""},
        {".Ann",
         "Sorry, a skier name cannot start with \".\": the run would be a hidden file. "
         "The dot was removed.",
         "Ann"},
        {tooLong, "Sorry, the skier name is too long for a run file name; it was cut to 229 bytes.",
         longest},
        {QString(120, QChar(u'\u00e9')),
         "Sorry, the skier name is too long for a run file name; "
         "it was cut to 229 bytes.",
         QString(114, QChar(u'\u00e9'))},
    };
    for (const auto& c : cases) {
        const auto problem = skierNameProblem(c.name);
        ASSERT_EQ(problem.has_value(), !c.message.isEmpty()) << c.name.toStdString();
        if (!problem)
            continue;
        EXPECT_EQ(problem->message, c.message) << c.name.toStdString();
        EXPECT_EQ(problem->mended, c.mended) << c.name.toStdString();
        EXPECT_FALSE(skierNameProblem(problem->mended).has_value()) << c.name.toStdString();
    }
}

TEST(RunNamingFileName, FolderSkierAndTrimmedPassWithoutSeparatorBeforePass) {
    const QString folder = QStringLiteral("/runs");
    EXPECT_EQ(composeCaptureFileName(folder, QStringLiteral("Ann Lee"), QStringLiteral(" 2")),
              path(folder, QStringLiteral("Ann Leepass2.avi")));
    // The skier name is used as typed, blanks included; the pass text only loses its blanks.
    EXPECT_EQ(composeCaptureFileName(folder, QStringLiteral(" Ann "), QStringLiteral("  3b  ")),
              path(folder, QStringLiteral(" Ann pass3b.avi")));
    // An empty name still makes a file inside the folder.
    EXPECT_EQ(composeCaptureFileName(folder, QString(), QStringLiteral("1")),
              path(folder, QStringLiteral("pass1.avi")));
    EXPECT_EQ(trimSpaces(QStringLiteral("\t1 ")), QStringLiteral("\t1"));
}

TEST(RunNamingPass, NextPassCountsOnFromTheLeadingNumber) {
    EXPECT_EQ(nextPassText(QStringLiteral("1")), QStringLiteral(" 2"));
    EXPECT_EQ(nextPassText(QStringLiteral(" 2")), QStringLiteral(" 3"));
    EXPECT_EQ(nextPassText(QStringLiteral("2a")), QStringLiteral(" 3"));
    EXPECT_EQ(nextPassText(QStringLiteral("abc")), QStringLiteral(" 1"));
    EXPECT_EQ(nextPassText(QString()), QStringLiteral(" 1"));
    EXPECT_EQ(nextPassText(QStringLiteral("-3")), QStringLiteral("-2"));
}

TEST(RunNamingPass, OneToThreeCharactersSoThatEveryRunIsLogged) {
    struct Case {
        const char* pass;
        bool accepted;
        const char* next; // the pass after the run
    };
    for (const Case& c : {Case{"1", true, " 2"}, Case{" 2", true, " 3"}, Case{"2a", true, " 3"},
                          Case{"2R", true, " 3"}, Case{"999", true, " 1000"},
                          Case{" 12 ", true, " 13"}, Case{"a", true, " 1"}, Case{"0", true, " 1"},
                          Case{"1000", false, ""}, Case{" 32767", false, ""}, Case{"", false, ""},
                          Case{"   ", false, ""}, Case{"2/", false, ""}, Case{"abcd", false, ""}}) {
        SCOPED_TRACE(c.pass);
        const QString pass = QString::fromLatin1(c.pass);
        const auto problem = passTextProblem(pass);
        EXPECT_EQ(!problem.has_value(), c.accepted);
        if (!c.accepted)
            continue;
        EXPECT_EQ(nextPassText(pass), QString::fromLatin1(c.next));
        // The run's name gives its skier and pass back to the log.
        const run::RunName parsed =
            run::parseRunName(composeCaptureFileName("/v", "Ann Compass", pass));
        EXPECT_TRUE(parsed.standard);
        EXPECT_EQ(parsed.skier, "Ann Compass");
        EXPECT_EQ(parsed.pass, trimSpaces(pass));
    }
    EXPECT_EQ(passTextProblem("1000"),
              std::optional<QString>("The pass must be 1 to 3 characters, such as 2 or 2a; "
                                     "\"1000\" is not. Nothing was recorded."));
    EXPECT_EQ(passTextProblem("2/"),
              std::optional<QString>("Sorry, you cannot use the \"/\" character in this box"));
}

TEST(RunNamingSkierList, CommasEmptyLinesAndBlanks) {
    const QByteArray file("Lee,Ann\r\n\r\nSmith, Bob\r\n  Pat  \nA,B,C\n\n");
    const QStringList names = skierListFromText(file);
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names[0], QStringLiteral("Lee Ann"));
    EXPECT_EQ(names[1], QStringLiteral("Smith  Bob"));
    EXPECT_EQ(names[2], QStringLiteral("  Pat  "));
    EXPECT_EQ(names[3], QStringLiteral("A B C"));
    // A last line without its line end still counts; an empty file lists nothing.
    EXPECT_EQ(skierListFromText(QByteArray("One\r\nTwo")), (QStringList{"One", "Two"}));
    EXPECT_TRUE(skierListFromText(QByteArray()).isEmpty());
}

TEST(RunNamingSkierList, AListThatIsNotUtf8ReadsAsWindows1252) {
    EXPECT_EQ(skierListFromText(QByteArray("M\xfcller,J\xf6rg\r\n\x80uro\r\n")),
              (QStringList{QString::fromUtf8("Müller Jörg"), QString::fromUtf8("€uro")}));
    // Valid UTF-8 stays UTF-8.
    EXPECT_EQ(skierListFromText(QString::fromUtf8("Müller\n").toUtf8()),
              (QStringList{QString::fromUtf8("Müller")}));
    EXPECT_EQ(firstSkierName(QByteArray("Fran\xe7oise\r\n")), QString::fromUtf8("Françoise"));
}

TEST(RunNamingSkierList, DefaultNameIsTheFirstLineOnly) {
    EXPECT_EQ(firstSkierName(QByteArray("Lee,Ann\r\nSmith\r\n")), QStringLiteral("Lee Ann"));
    EXPECT_EQ(firstSkierName(QByteArray("Solo")), QStringLiteral("Solo"));
    // An empty first line gives no name, even when later lines have one.
    EXPECT_TRUE(firstSkierName(QByteArray("\r\nSmith\r\n")).isEmpty());
    EXPECT_TRUE(firstSkierName(QByteArray()).isEmpty());
}
