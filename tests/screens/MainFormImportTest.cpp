// Import of the skier names file.
#include "MainFormFixture.h"
#include "ui/screens/capture/PreviewForm.h"

#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class SkierImport : public setuptest::StartedSetup {
protected:
    void SetUp() override {
        start();
        env.capture().txtSkierName->setText("Typed Before");
    }
    QString listPath() const { return env.appDir() + "/SkierNames.txt"; }
    QString skierBox() { return env.capture().txtSkierName->text(); }
    void import(const QString& path) {
        env.dialogs.files = {path};
        env.setup().cmdImport_Click();
    }
};

TEST_F(SkierImport, FirstLineCommasBecomeBlanksAndTheWholeListIsKept) {
    const QString src =
        env.writeFile(env.root() + "/names.txt", "Smith,John,Junior\nAnn Lee\r\nBob, Jr\n");
    import(src);
    ASSERT_EQ(env.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(env.dialogs.fileCalls[0].initialFolder, env.appDir());
    EXPECT_EQ(env.dialogs.fileCalls[0].filter, "");
    EXPECT_EQ(env.dialogs.fileCalls[0].title, "");
    EXPECT_EQ(skierBox(), "Smith John Junior");
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Smith,John,Junior\r\nAnn Lee\r\nBob, Jr\r\n"));
    EXPECT_TRUE(env.dialogs.boxes.empty());
}

TEST_F(SkierImport, AListSavedByAWindowsProgramIsReadAsWindows1252) {
    // "Müller,Jörg", "Françoise" and "Œdipe" with curly quotes, one byte a letter.
    const QString src =
        env.writeFile(env.root() + "/names.txt", "M\xfcller,J\xf6rg\r\nFran\xe7oise\r\n\x8c"
                                                 "dipe \x93"
                                                 "Ed\x94\r\n");
    import(src);
    EXPECT_TRUE(env.dialogs.boxes.empty()) << env.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(skierBox(), QString::fromUtf8("Müller Jörg"));
    EXPECT_EQ(env.readFile(listPath()),
              QString::fromUtf8("Müller,Jörg\r\nFrançoise\r\nŒdipe “Ed”\r\n").toLocal8Bit());
}

TEST_F(SkierImport, ABinaryFileGivesOneBoxAndKeepsTheOldList) {
    const QString old = env.writeFile(listPath(), "Ann\r\n");
    QByteArray binary("\x7f"
                      "ELF\x02\x01\x01");
    binary.append(QByteArray(64, '\0')).append("\x01\x02/:*,\x03\xff\xfe");
    const QString src = env.writeFile(env.root() + "/a.out", binary);
    import(src);
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"The skier names file is not a text file; nothing was imported and the "
                          "skier list is unchanged: " +
                          src});
    EXPECT_EQ(env.readFile(old), QByteArray("Ann\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");
}

TEST_F(SkierImport, RichTextBecomesPlainLines) {
    const QString src = env.writeFile(
        env.root() + "/names.rtf",
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Smith,John}\\par Ann Lee\\par}");
    import(src);
    EXPECT_EQ(skierBox(), "Smith John");
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Smith,John\r\nAnn Lee\r\n"));
}

TEST_F(SkierImport, BrokenRichTextSaysSoAndKeepsTheOldList) {
    env.writeFile(listPath(), "Old Name\r\n");
    import(env.writeFile(env.root() + "/broken.rtf", "{\\rtf1 {\\b Smith"));
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");
}

TEST_F(SkierImport, NewImportReplacesTheOldList) {
    env.writeFile(listPath(), "Old Name\r\n");
    import(env.writeFile(env.root() + "/day2.txt", "New Name"));
    EXPECT_EQ(env.readFile(listPath()), QByteArray("New Name\r\n"));
    EXPECT_EQ(skierBox(), "New Name");
}

TEST_F(SkierImport, CancelDoesNothing) {
    env.writeFile(listPath(), "Old Name\r\n");
    import(QString());
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");
    EXPECT_TRUE(env.dialogs.boxes.empty());
}

TEST_F(SkierImport, UnreadableFileSaysSoAndKeepsTheOldList) {
    env.writeFile(listPath(), "Old Name\r\n");
    import(env.root() + "/no-such-file.txt");
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The skier names file could not be read: "));
    EXPECT_TRUE(env.dialogs.boxes[0].text.contains("no-such-file.txt"));
    EXPECT_EQ(env.dialogs.boxes[0].icon, ports::Icon::Exclamation);
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");

    env.dialogs.clear();
    import(env.videoDir()); // a folder
    EXPECT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
}

TEST_F(SkierImport, EmptyFileImportsNothing) {
    env.writeFile(listPath(), "Old Name\r\n");
    import(env.writeFile(env.root() + "/empty.txt", ""));
    EXPECT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");
}

TEST_F(SkierImport, ApplicationFolderGoneSaysSoAndChangesNothing) {
    const QString src = env.writeFile(env.root() + "/names.txt", "New Name\n");
    env.services.appDir = env.root() + "/gone";
    import(src);
    ASSERT_EQ(env.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The skier list could not be written: "));
    EXPECT_FALSE(QFile::exists(env.root() + "/gone/SkierNames.txt"));
    EXPECT_EQ(skierBox(), "Typed Before");
}

TEST_F(SkierImport, FailedWriteKeepsTheOldList) {
    env.writeFile(listPath(), "Old Name\r\n");
    // The application folder cannot take new files.
    QFile::setPermissions(env.appDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    import(env.writeFile(env.root() + "/names.txt", "New Name\n"));
    QFile::setPermissions(env.appDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (env.dialogs.boxes.empty())
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_TRUE(env.dialogs.boxes[0].text.startsWith("The skier list could not be written: "));
    EXPECT_EQ(env.readFile(listPath()), QByteArray("Old Name\r\n"));
    EXPECT_EQ(skierBox(), "Typed Before");
}

} // namespace
