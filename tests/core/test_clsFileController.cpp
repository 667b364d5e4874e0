#include "core/clsFileController.h"
#include "platform/Folders.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QListWidget>
#include <gtest/gtest.h>

TEST(clsFileController, SaveAddsOneLineEndAndOpenReturnsItUnchanged) {
    clsFileController files;
    const QString path = testenv::tempDir() + "/t.txt";
    EXPECT_TRUE(files.saveTextFile(path, "a\r\nb"));
    EXPECT_EQ(testenv::readFile(path), "a\r\nb\r\n");
    EXPECT_EQ(files.openTextFile(path), "a\r\nb\r\n");

    // Windows-1252 both ways: the pound sign is one byte.
    EXPECT_TRUE(files.saveTextFile(path, QString(QChar(0xA3)) + "5\n" + QChar(0x20AC)));
    EXPECT_EQ(testenv::readFile(path), "\xA3" "5\n\x80\r\n");
    EXPECT_EQ(files.openTextFile(path), QString(QChar(0xA3)) + "5\n" + QChar(0x20AC) + "\r\n");

    EXPECT_EQ(files.openTextFile(testenv::tempDir() + "/missing.txt"), "");
    EXPECT_FALSE(files.saveTextFile("", "x"));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}

TEST(clsFileController, AsksBeforeReplacingOnlyWhenToldAndTheFileExists) {
    clsFileController files;
    const QString path = testenv::tempDir() + "/r.txt";
    EXPECT_TRUE(files.saveTextFile(path, "new", true));  // no file yet: no question
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    testenv::answerMsgBox(seam::vbNo);
    EXPECT_FALSE(files.saveTextFile(path, "other", true));
    EXPECT_EQ(testenv::readFile(path), "new\r\n");
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    const seam::MessageBoxRequest &box = testenv::shownMsgBoxes().first();
    EXPECT_EQ(box.text, "The file " + path + " already existing, do you want to replace it?");
    EXPECT_EQ(box.title, "Save File");
    EXPECT_EQ(box.style, seam::vbYesNo | seam::vbQuestion);

    testenv::answerMsgBox(seam::vbYes);
    EXPECT_TRUE(files.saveTextFile(path, "other", true));
    EXPECT_EQ(testenv::readFile(path), "other\r\n");
    EXPECT_TRUE(files.saveTextFile(path, "third"));  // no flag: no question
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 2);
}

TEST(clsFileController, FileDialogRequestAndFilterIndex) {
    const QString filter = "Text files (*.txt)|*.txt|All Files (*.*)|*.*";
    clsFileController files;

    testenv::answerFileDialog(testenv::tempDir() + "/in.txt");
    EXPECT_EQ(files.GetFileName(0, filter, "ignored.txt"), testenv::tempDir() + "/in.txt");
    ASSERT_EQ(testenv::fileDialogs().size(), 1);
    const seam::FileDialogRequest open = testenv::fileDialogs().first();
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.filter, filter);
    EXPECT_EQ(open.filterIndex, 1);
    EXPECT_EQ(open.fileName, "");
    EXPECT_EQ(open.initialDir, platform::ProgramFolder());

    // The user picks the second filter in the save dialog.
    seam::FileDialogRequest seen;
    seam::setFileDialogHandler([&seen](const seam::FileDialogRequest &r) {
        seen = r;
        r.selectedFilterIndex = 2;
        return QStringLiteral("/chosen/out.csv");
    });
    int index = 1;
    EXPECT_EQ(files.GetFileName(1, filter, "report.txt", &index), "/chosen/out.csv");
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.fileName, "report.txt");

    // Cancelled: "" and the index is left alone.
    seam::setFileDialogHandler([](const seam::FileDialogRequest &r) {
        r.selectedFilterIndex = 1;
        return QString();
    });
    index = 2;
    EXPECT_EQ(files.GetFileName(1, filter, QString(), &index), "");
    EXPECT_EQ(index, 2);
}

TEST(clsFileController, ValidFileNames) {
    EXPECT_TRUE(clsFileController::isValidFileName("report 2024.txt"));
    for (const char *bad : {"a\\b", "a/b", "c:", "a*", "a?", "\"a\"", "<a", "a>", "a|b"})
        EXPECT_FALSE(clsFileController::isValidFileName(QString::fromLatin1(bad))) << bad;
}

TEST(clsFileController, ListFilesReadCommaItemsAtEveryLineEndAndWriteOnePerLine) {
    const QString in = testenv::tempDir() + "/list.csv";
    clsFileController files;
    for (const char *eol : {"\r\n", "\n", "\r"}) {
        const QByteArray e(eol);
        testenv::writeFile(in, "one, \"two, three\" ,four" + e + "\"five\"" + e + "six, seven" + e);
        QListWidget box;
        box.setEnabled(false);
        files.openListFile(in, &box);
        QStringList got;
        for (int i = 0; i < box.count(); ++i)
            got << box.item(i)->text();
        EXPECT_EQ(got, (QStringList{"one", "two, three", "four", "five", "six", "seven"}))
            << testing::PrintToString(eol);
        EXPECT_TRUE(box.isEnabled());

        const QString out = testenv::tempDir() + "/out.txt";
        files.saveListFile(out, &box);
        EXPECT_EQ(testenv::readFile(out), "one\r\ntwo, three\r\nfour\r\nfive\r\nsix\r\nseven\r\n");
    }
}

TEST(clsFileController, ListFileStopsAfterTheListBoxIsFull) {
    QByteArray bytes;
    for (int i = 0; i < 32010; ++i)
        bytes += QByteArray::number(i) + "\r\n";
    testenv::writeFile(testenv::tempDir() + "/big.txt", bytes);
    clsFileController files;
    QListWidget box;
    files.openListFile(testenv::tempDir() + "/big.txt", &box);
    EXPECT_EQ(box.count(), 32001);
}

TEST(clsFileController, ReadAndWriteFailuresNameTheFile) {
    clsFileController files;
    const QString path = testenv::tempDir() + "/secret.txt";
    testenv::writeFile(path, "old");
    {
        testenv::Unreadable guard(path);
        testenv::answerMsgBox(seam::vbOK);
        bool ok = true;
        EXPECT_EQ(files.openFileBytes(path, &ok), QByteArray());
        EXPECT_FALSE(ok);
        testenv::answerMsgBox(seam::vbOK);
        QListWidget box;
        files.openListFile(path, &box);
    }
    {
        testenv::FileSizeLimit limit(10);
        testenv::answerMsgBox(seam::vbOK);
        EXPECT_FALSE(files.saveTextFile(path, "a text longer than the limit"));
    }
    EXPECT_EQ(testenv::readFile(path), "old");
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 3);
    for (const auto &box : testenv::shownMsgBoxes())
        EXPECT_TRUE(box.text.startsWith(path + ": ")) << box.text.toStdString();
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Open File");
    EXPECT_EQ(testenv::shownMsgBoxes()[2].title, "Save File");
    // A missing folder fails the same way.
    testenv::answerMsgBox(seam::vbOK);
    EXPECT_FALSE(files.saveTextFile(testenv::tempDir() + "/no/such/folder/x.txt", "x"));
    EXPECT_EQ(testenv::shownMsgBoxes().last().title, "Save File");
    EXPECT_EQ(testenv::shownMsgBoxes().last().icon(), seam::vbExclamation);
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    bool ok = false;
    files.openFileBytes(testenv::tempDir() + "/missing.txt", &ok);
    EXPECT_TRUE(ok);  // a missing file is not a failed read
}
