#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace platform;

namespace {
QString iniPath() { return JoinPath(testenv::tempDir(), QStringLiteral("test.ini")); }
}

TEST(Ini, ReadsWithoutCaseTrimmedAndCut) {
    testenv::writeFile(iniPath(), "[Engine]\r\n  Name =  Overture  \r\nname=second\r\n[engine]\r\nOther=x\r\n"
                                  "[Long]\r\nV=" + QByteArray(600, 'a') + "\r\n");
    EXPECT_EQ(GetProfileString(iniPath(), QStringLiteral("ENGINE"), QStringLiteral("NAME"), QString(), 560),
              QStringLiteral("Overture"));
    // Only the first matching section is searched.
    EXPECT_EQ(GetProfileString(iniPath(), QStringLiteral("engine"), QStringLiteral("Other"), QStringLiteral("d"), 560),
              QStringLiteral("d"));
    EXPECT_EQ(GetProfileString(iniPath(), QStringLiteral("Long"), QStringLiteral("V"), QString(), 560).size(), 559);
    EXPECT_EQ(GetProfileString(iniPath(), QStringLiteral("Missing"), QStringLiteral("V"), QStringLiteral("d"), 560),
              QStringLiteral("d"));
    EXPECT_EQ(GetProfileString(iniPath(), QStringLiteral("Engine"), QStringLiteral("Missing"), QString(), 560),
              QString());
    EXPECT_EQ(GetProfileString(iniPath() + QStringLiteral("x"), QStringLiteral("Engine"), QStringLiteral("Name"),
                               QStringLiteral("d"), 560),
              QStringLiteral("d"));
    EXPECT_EQ(GetProfileSections(iniPath()),
              (QStringList{QStringLiteral("Engine"), QStringLiteral("engine"), QStringLiteral("Long")}));
}

TEST(Ini, WriterKeepsEveryOtherLine) {
    testenv::writeFile(iniPath(), "; note\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(WriteProfileString(iniPath(), QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("9")));
    ASSERT_TRUE(WriteProfileString(iniPath(), QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3")));
    ASSERT_TRUE(WriteProfileString(iniPath(), QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(testenv::readFile(iniPath()), QByteArray("; note\r\n[A]\r\nX=9\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nk=v\r\n"));
    // A new file is created, but not its folder.
    const QString fresh = JoinPath(testenv::tempDir(), QStringLiteral("new.ini"));
    ASSERT_TRUE(WriteProfileString(fresh, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(testenv::readFile(fresh), QByteArray("[S]\r\nk=v\r\n"));
    EXPECT_FALSE(WriteProfileString(JoinPath(testenv::tempDir(), QStringLiteral("no/dir.ini")), QStringLiteral("S"),
                                    QStringLiteral("k"), QStringLiteral("v")));
    // Windows-1252 bytes both ways.
    ASSERT_TRUE(WriteProfileString(fresh, QStringLiteral("S"), QStringLiteral("p"), QStringLiteral("\u00A3") + QStringLiteral("1")));
    EXPECT_TRUE(testenv::readFile(fresh).contains("p=\xA3" "1\r\n"));
    EXPECT_EQ(GetProfileString(fresh, QStringLiteral("S"), QStringLiteral("p"), QString(), 560),
              QStringLiteral("\u00A3") + QStringLiteral("1"));
}

TEST(Registry, KeysValuesAndTheStoreFile) {
    Registry &r = Registry::instance();
    const QString key = QStringLiteral("Software\\Maker\\Product\\Setting");
    EXPECT_FALSE(r.keyExists(key));
    EXPECT_FALSE(r.setValue(key, QStringLiteral("Version"), QStringLiteral("1.1.13")));  // never creates the key
    EXPECT_FALSE(r.createKey(key));
    EXPECT_TRUE(r.createKey(QStringLiteral("software\\maker\\PRODUCT\\setting")));
    EXPECT_TRUE(r.keyExists(QStringLiteral("Software\\Maker")));
    const QString big(5000, QLatin1Char('v'));
    EXPECT_TRUE(r.setValue(key, QStringLiteral("Version"), big));
    EXPECT_EQ(r.value(key, QStringLiteral("VERSION")).value_or(QString()), big);
    EXPECT_FALSE(r.value(key, QStringLiteral("Other")).has_value());
    // Survives a reload from the file, which only the owner may read.
    Registry::setStoreFile(Registry::storeFile());
    EXPECT_EQ(Registry::instance().value(key, QStringLiteral("version")).value_or(QString()), big);
    EXPECT_EQ(QFileInfo(Registry::storeFile()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
}

TEST(TextFiles, AnsiAtomicWritesAndSafeNames) {
    const QString text = QStringLiteral("\u00A3\u20AC\u00E9x");
    EXPECT_EQ(ToAnsi(text), QByteArray("\xA3\x80\xE9x"));
    EXPECT_EQ(FromAnsi(QByteArray("\xA3\x80\xE9x")), text);
    EXPECT_EQ(ToAnsi(QStringLiteral("\u4E2D")), QByteArray("?"));
    // Long texts go in blocks: a character that is not its own byte
    // (0x80-0x9F, above 0xFF, a code page character) at every place of a
    // block and of the tail, among ordinary ones.
    for (const char16_t odd : {u'\u0080', u'\u0081', u'\u009F', u'\u0100', u'\u20AC', u'\u4E2D', u'\uFFFF'}) {
        for (int at = 0; at < 40; ++at) {
            QString text = QStringLiteral("0123456789abcdef\u00A3\u00FF\u007F\u00A0 ghijklmnopqrstuvwxyz");
            text[at] = QChar(odd);
            QByteArray expected = QByteArrayLiteral("0123456789abcdef\xA3\xFF\x7F\xA0 ghijklmnopqrstuvwxyz");
            expected[at] = ToAnsi(QString(QChar(odd))).at(0);
            EXPECT_EQ(ToAnsi(text), expected) << int(odd) << " at " << at;
        }
    }
    EXPECT_EQ(ToAnsi(QString(QChar(u'\u0081'))), QByteArray("\x81"));
    EXPECT_EQ(ToAnsi(QString(QChar(u'\u0080'))), QByteArray("?"));
    for (int b = 0; b < 256; ++b) {
        const QByteArray all = QByteArray(40, char(b));
        EXPECT_EQ(ToAnsi(FromAnsi(all)), all) << b;
    }

    const QString path = JoinPath(testenv::tempDir(), QStringLiteral("a.txt"));
    ASSERT_TRUE(WriteAnsiFileAtomic(path, QStringLiteral("one\r\n"), true));
    EXPECT_EQ(testenv::readFile(path), QByteArray("one\r\n"));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    EXPECT_FALSE(WriteFileAtomic(JoinPath(testenv::tempDir(), QStringLiteral("none/a.txt")), "x"));

    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\rd\r\n")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));

    for (const char *plain : {"Overture", "Overture(UK)", "my account 2", "bid manager", "x.y"})
        EXPECT_EQ(SafePathComponent(QString::fromLatin1(plain)), QString::fromLatin1(plain));
    EXPECT_EQ(SafePathComponent(QStringLiteral("..")), QStringLiteral("%2E%2E"));
    EXPECT_EQ(SafePathComponent(QStringLiteral("a/b")), QStringLiteral("a%2Fb"));
    EXPECT_EQ(SafePathComponent(QStringLiteral("a%2Fb")), QStringLiteral("a%252Fb"));
    EXPECT_EQ(SafePathComponent(QStringLiteral("a\\b:c\n")), QStringLiteral("a%5Cb%3Ac%0A"));
    EXPECT_FALSE(SafePathComponent(QString()).isEmpty());
}

TEST(Seams, ShellOpenTakesOnlyWebMailAndOwnFiles) {
    const QString own = JoinPath(ProgramFolder(), QStringLiteral("reports/r.html"));
    testenv::writeFile(own, "x");
    const QString outside = JoinPath(testenv::tempDir(), QStringLiteral("r.html"));
    testenv::writeFile(outside, "x");
    EXPECT_TRUE(seam::ShellOpen(QStringLiteral("http://example.com/a")));
    EXPECT_TRUE(seam::ShellOpen(QStringLiteral("https://example.com")));
    EXPECT_TRUE(seam::ShellOpen(QStringLiteral("mailto:someone@example.com")));
    EXPECT_TRUE(seam::ShellOpen(own));
    EXPECT_FALSE(seam::ShellOpen(outside));
    EXPECT_FALSE(seam::ShellOpen(JoinPath(ProgramFolder(), QStringLiteral("../temp/r.html"))));
    EXPECT_FALSE(seam::ShellOpen(QStringLiteral("file:///etc/passwd")));
    EXPECT_FALSE(seam::ShellOpen(QStringLiteral("javascript:alert(1)")));
    EXPECT_FALSE(seam::ShellOpen(QStringLiteral("www.example.com")));
    EXPECT_EQ(testenv::shellOpened().size(), 4);
}
