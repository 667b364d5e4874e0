// Full disks, damaged and unreadable stores, foreign line ends and files
// changed behind the ini reader's back.

#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace platform;

namespace {
QString temp(const char *name) { return JoinPath(testenv::tempDir(), QString::fromLatin1(name)); }
}  // namespace

TEST(AtomicWriter, AFileCutShortByASizeLimitFailsAndLeavesTheOldFileWhole) {
    using Writer = std::function<bool(const QString &, const QByteArray &, QString *)>;
    const std::pair<const char *, Writer> writers[] = {
        {"synced", [](const QString &p, const QByteArray &b, QString *e) { return WriteFileAtomic(p, b, false, e); }},
        {"cache", [](const QString &p, const QByteArray &b, QString *e) { return WriteCacheFileAtomic(p, b, e); }},
    };
    const QString path = temp("data.dat");
    const QByteArray old = "old contents\r\n";
    for (const auto &[name, write] : writers) {
        SCOPED_TRACE(name);
        // Under Qt's write buffer (flushed only on commit) and well over it.
        for (int size : {5000, 15000, 100000}) {
            testenv::writeFile(path, old);
            QString error;
            {
                testenv::FileSizeLimit limit(1000);
                EXPECT_FALSE(write(path, QByteArray(size, 'k'), &error)) << size;
            }
            EXPECT_FALSE(error.isEmpty()) << size;
            EXPECT_EQ(testenv::readFile(path), old) << size;
        }
        // Within the limit the write goes through; a missing folder fails.
        {
            testenv::FileSizeLimit limit(1000);
            EXPECT_TRUE(write(path, QByteArray(999, 'x'), nullptr));
        }
        EXPECT_EQ(testenv::readFile(path), QByteArray(999, 'x'));
        EXPECT_FALSE(write(temp("none/k.dat"), "x", nullptr));
        // No temporary file is left behind, whatever happened.
        EXPECT_EQ(QDir(testenv::tempDir()).entryList(QDir::Files), QStringList{QStringLiteral("data.dat")});
    }
}

TEST(AtomicWriter, DamagedCopyIsKeptOnceAndOwnerOnly) {
    const QString path = temp("Keywords.dat");
    EXPECT_EQ(KeepDamagedCopy(path, "first"), path + QStringLiteral(".bad"));
    EXPECT_EQ(KeepDamagedCopy(path, "second"), QString());
    EXPECT_EQ(testenv::readFile(path + QStringLiteral(".bad")), "first");
    EXPECT_EQ(QFileInfo(path + QStringLiteral(".bad")).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
}

TEST(Registry, AFullDiskOrAnUnwritableStoreKeepsTheStoredSettings) {
    Registry &r = Registry::instance();
    const QString key = QStringLiteral("Software\\Maker\\Product\\Preference");
    r.createKey(key);
    ASSERT_TRUE(r.setValue(key, QStringLiteral("Proxy"), QStringLiteral("proxy.example")));
    const QByteArray before = testenv::readFile(Registry::storeFile());
    {
        testenv::FileSizeLimit limit(before.size() + 10);
        EXPECT_FALSE(r.setValue(key, QStringLiteral("SMTPServer"), QString(4000, QLatin1Char('s'))));
    }
    EXPECT_EQ(testenv::readFile(Registry::storeFile()), before);
    // A restart reads what was there.
    Registry::setStoreFile(Registry::storeFile());
    Registry &again = Registry::instance();
    EXPECT_EQ(again.value(key, QStringLiteral("Proxy")).value_or(QString()), "proxy.example");
    EXPECT_FALSE(again.value(key, QStringLiteral("SMTPServer")).has_value());

    // A folder where the store file should be: every write fails, even for
    // root, and the values in memory stay.
    QFile::remove(Registry::storeFile());
    QDir().mkpath(Registry::storeFile());
    EXPECT_FALSE(again.setValue(key, QStringLiteral("Proxy"), QStringLiteral("new")));
    EXPECT_EQ(again.value(key, QStringLiteral("Proxy")).value_or(QString()), "proxy.example");
    EXPECT_FALSE(again.createKey(QStringLiteral("Software\\Other")));
    EXPECT_FALSE(again.keyExists(QStringLiteral("Software\\Other")));
    QDir().rmdir(Registry::storeFile());
}

TEST(Registry, ADamagedStoreIsKeptBesideItBeforeTheFirstSave) {
    const QByteArray damaged = "{\"keys\":[{\"path\":\"Software\\\\A\",\"values\":[{\"name\":\"Proxy\",\"da";
    for (const QByteArray &bytes : {damaged, QByteArray("\0\0\0\0", 4), QByteArray("[1,2]")}) {
        testenv::writeFile(Registry::storeFile(), bytes);
        QFile::remove(Registry::storeFile() + QStringLiteral(".bad"));
        Registry::setStoreFile(Registry::storeFile());
        Registry &r = Registry::instance();
        EXPECT_FALSE(r.keyExists(QStringLiteral("Software\\A")));
        r.createKey(QStringLiteral("Software\\B"));
        EXPECT_TRUE(r.setValue(QStringLiteral("Software\\B"), QStringLiteral("x"), QStringLiteral("1")));
        EXPECT_EQ(testenv::readFile(Registry::storeFile() + QStringLiteral(".bad")), bytes);
    }
}

TEST(Registry, AnUnreadableStoreIsNeverOverwritten) {
    Registry &r = Registry::instance();
    const QString key = QStringLiteral("Software\\Maker\\Product\\Setting");
    r.createKey(key);
    ASSERT_TRUE(r.setValue(key, QStringLiteral("Version"), QStringLiteral("1.1.13")));
    const QByteArray before = testenv::readFile(Registry::storeFile());
    {
        testenv::Unreadable guard(Registry::storeFile());
        Registry::setStoreFile(Registry::storeFile());
        Registry &again = Registry::instance();
        EXPECT_FALSE(again.keyExists(key));
        EXPECT_FALSE(again.createKey(key));
        EXPECT_FALSE(again.setValue(key, QStringLiteral("Version"), QStringLiteral("9")));
    }
    EXPECT_EQ(testenv::readFile(Registry::storeFile()), before);
}

TEST(Ini, EveryLineEndIsALineEnd) {
    const QString path = temp("ends.ini");
    for (const char *eol : {"\r\n", "\n", "\r"}) {
        const QByteArray e(eol);
        testenv::writeFile(path, "[A]" + e + "x=1" + e + "[B]" + e + "y=2" + e + "z=3");
        EXPECT_EQ(GetProfileString(path, QStringLiteral("A"), QStringLiteral("x"), QString(), 560), "1") << eol;
        EXPECT_EQ(GetProfileString(path, QStringLiteral("A"), QStringLiteral("y"), QStringLiteral("d"), 560), "d");
        EXPECT_EQ(GetProfileString(path, QStringLiteral("B"), QStringLiteral("z"), QString(), 560), "3") << eol;
        EXPECT_EQ(GetProfileKeys(path, QStringLiteral("b")), (QStringList{QStringLiteral("y"), QStringLiteral("z")}));
        // The writer keeps the lines and writes CR LF.
        ASSERT_TRUE(WriteProfileString(path, QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("9")));
        EXPECT_EQ(testenv::readFile(path), "[A]\r\nx=9\r\n[B]\r\ny=2\r\nz=3\r\n") << eol;
    }
}

TEST(Ini, ChangesOfTheFileAreSeenAtOnce) {
    const QString path = temp("live.ini");
    auto read = [&path](const char *key) {
        return GetProfileString(path, QStringLiteral("S"), QString::fromLatin1(key), QStringLiteral("-"), 560);
    };
    testenv::writeFile(path, "[S]\r\nk=aaaa\r\n");
    EXPECT_EQ(read("k"), "aaaa");
    // Rewritten in place with the same size in the same instant.
    testenv::writeFile(path, "[S]\r\nk=bbbb\r\n");
    EXPECT_EQ(read("k"), "bbbb");
    // Replaced by another file, or grown.
    WriteFileAtomic(path, "[S]\r\nk=cccc\r\n");
    EXPECT_EQ(read("k"), "cccc");
    testenv::writeFile(path, "[S]\r\nk=cccc\r\nm=1\r\n");
    EXPECT_EQ(read("m"), "1");
    // A write through the profile writer is what the next read sees.
    ASSERT_TRUE(WriteProfileString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("dddd")));
    EXPECT_EQ(read("k"), "dddd");
    // Removed, then back.
    QFile::remove(path);
    EXPECT_EQ(read("k"), "-");
    EXPECT_TRUE(GetProfileSections(path).isEmpty());
    testenv::writeFile(path, "[S]\r\nk=eeee\r\n");
    EXPECT_EQ(read("k"), "eeee");
    // Unreadable: nothing comes from an earlier copy, and nothing is written over it.
    {
        testenv::Unreadable guard(path);
        EXPECT_EQ(read("k"), "-");
        EXPECT_FALSE(WriteProfileString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("x")));
    }
    EXPECT_EQ(testenv::readFile(path), "[S]\r\nk=eeee\r\n");
}

TEST(Ini, HugeValueIsCutToTheBufferAndTheFileStaysIntact) {
    const QString path = temp("huge.ini");
    const QByteArray big(3 * 1024 * 1024, 'v');
    testenv::writeFile(path, "[OvertureEngines]\r\n1=A\r\n[A]\r\nEngineURL=" + big + "\r\nLoginURL=  l  \r\n");
    EXPECT_EQ(GetProfileString(path, QStringLiteral("a"), QStringLiteral("engineurl"), QString(), 560),
              QString(559, QLatin1Char('v')));
    EXPECT_EQ(GetProfileString(path, QStringLiteral("A"), QStringLiteral("LoginURL"), QString(), 560), "l");
    ASSERT_TRUE(WriteProfileString(path, QStringLiteral("A"), QStringLiteral("New"), QStringLiteral("n")));
    EXPECT_EQ(testenv::readFile(path),
              "[OvertureEngines]\r\n1=A\r\n[A]\r\nEngineURL=" + big + "\r\nLoginURL=  l  \r\nNew=n\r\n");
}

TEST(Ini, OneSectionHeaderRule) {
    struct Case { const char *line; bool header; const char *name; } cases[] = {
        {"[Overture]", true, "Overture"},     {"  [ Overture ]  ", true, "Overture"},
        {"\t[Overture\t]", true, "Overture"}, {"[Overture\f]", true, "Overture\f"},
        {"[Overture", true, "Overture"},      {"[]", true, ""},
        {"x=[y]", false, ""},                 {"\f[Overture]", false, ""},
    };
    for (const auto &c : cases) {
        QString name;
        EXPECT_EQ(IniSectionHeader(QString::fromLatin1(c.line), &name), c.header) << c.line;
        if (c.header) {
            EXPECT_EQ(name, QString::fromLatin1(c.name)) << c.line;
        }
    }
}
