#include "core/clsAccount.h"
#include "core/clsKeywords.h"
#include "platform/VB.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString accountFile(const QString &engine, const QString &account) {
    return testenv::programDir() + "/Accounts/" + engine + "/" + account + "/" + account + ".dat";
}

QFileDevice::Permissions permissionsOf(const QString &path) {
    // Only the owner/group/other bits; Qt adds "user" bits that mirror the owner ones.
    return QFile::permissions(path) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                       QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

clsAccount sample() {
    clsAccount a;
    a.setEngine("Overture");
    a.setAccountName("My Shop");
    a.setUserName("jane");
    a.setPassword("s3cret");
    a.setAccountID("");
    a.setMaxBid(1.5f);
    a.setMinBid(0.1f);
    a.setHours(24);
    a.setSchedulerEnable(true);
    a.setSentReport(false);
    a.setLastLookup(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    return a;
}

}  // namespace

TEST(clsAccount, SaveWritesTheKeysInOrderOwnerOnlyAndReadsBack) {
    clsAccount a = sample();
    a.SaveSettings();
    const QString file = accountFile("Overture", "My Shop");
    EXPECT_EQ(testenv::readFile(file), "[Login Detail]\r\n"
                                       "UserName=jane\r\n"
                                       "PassWord=s3cret\r\n"
                                       "AccountID=\r\n"
                                       "MaxBid=1.5\r\n"
                                       "MinBid=0.1\r\n"
                                       "SchedlerEnable=True\r\n"
                                       "Hours=24\r\n"
                                       "LastLookup=3/5/2024 2:07:09 PM\r\n"
                                       "SentReport=False\r\n");
    EXPECT_EQ(permissionsOf(file), kOwnerOnly);

    clsAccount b;
    b.setEngine("Overture");
    b.setAccountName("My Shop");
    b.GetSettings();
    EXPECT_EQ(b.UserName(), "jane");
    EXPECT_EQ(b.Password(), "s3cret");
    EXPECT_EQ(b.AccountID(), "");
    EXPECT_EQ(b.MaxBid(), 1.5f);
    EXPECT_EQ(b.MinBid(), 0.1f);
    EXPECT_EQ(b.Hours(), 24.0f);
    EXPECT_TRUE(b.SchedulerEnable());
    EXPECT_FALSE(b.SentReport());
    EXPECT_EQ(b.LastLookup(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
}

TEST(clsAccount, SaveReplacesTheWholeOldFile) {
    testenv::writeFile(accountFile("FindWhat", "A"), "[Other]\r\nx=1\r\n[Login Detail]\r\nUserName=old\r\nExtra=1\r\n");
    clsAccount a;
    a.setEngine("FindWhat");
    a.setAccountName("A");
    a.setMaxBid(10);
    a.setMinBid(0.25f);
    a.SaveSettings();
    // A never looked-up account writes the zero date as its time alone.
    EXPECT_EQ(testenv::readFile(accountFile("FindWhat", "A")), "[Login Detail]\r\n"
                                                               "UserName=\r\n"
                                                               "PassWord=\r\n"
                                                               "AccountID=\r\n"
                                                               "MaxBid=10\r\n"
                                                               "MinBid=0.25\r\n"
                                                               "SchedlerEnable=False\r\n"
                                                               "Hours=0\r\n"
                                                               "LastLookup=12:00:00 AM\r\n"
                                                               "SentReport=False\r\n");
    EXPECT_EQ(permissionsOf(accountFile("FindWhat", "A")), kOwnerOnly);
    clsAccount b;
    b.setEngine("FindWhat");
    b.setAccountName("A");
    b.setLastLookup(QDateTime(QDate(2020, 1, 1), QTime(1, 0)));
    b.GetSettings();
    EXPECT_EQ(b.LastLookup(), clsAccount::ZeroDate());
}

TEST(clsAccount, MissingBooleanRaisesAfterTheFieldsBeforeIt) {
    testenv::writeFile(accountFile("Overture", "A"), "[login detail]\r\n"
                                                     "username=u\r\n"
                                                     "PASSWORD=p\r\n"
                                                     "AccountID=77\r\n"
                                                     "MaxBid=2.5abc\r\n"
                                                     "MinBid=x\r\n"
                                                     "Hours=6\r\n");
    clsAccount a;
    a.setEngine("Overture");
    a.setAccountName("A");
    a.setHours(3);
    try {
        a.GetSettings();
        FAIL() << "no conversion error";
    } catch (const vb::VBError &e) {
        EXPECT_EQ(e.Number(), vb::errTypeMismatch);
    }
    EXPECT_EQ(a.UserName(), "u");
    EXPECT_EQ(a.Password(), "p");
    EXPECT_EQ(a.AccountID(), "77");
    EXPECT_EQ(a.MaxBid(), 2.5f);
    EXPECT_EQ(a.MinBid(), 0.0f);
    EXPECT_EQ(a.Hours(), 3.0f);  // not reached
}

TEST(clsAccount, BadLastLookupReadsAsNowAndBooleansTakeNumbers) {
    const QDateTime now(QDate(2024, 6, 1), QTime(9, 30, 0));
    testenv::setNow(now);
    testenv::writeFile(accountFile("Overture", "A"), "[Login Detail]\r\n"
                                                     "SchedlerEnable=-1\r\n"
                                                     "LastLookUp=never\r\n"
                                                     "SentReport=true\r\n");
    clsAccount a;
    a.setEngine("Overture");
    a.setAccountName("A");
    a.GetSettings();
    EXPECT_EQ(a.LastLookup(), now);
    EXPECT_TRUE(a.SchedulerEnable());
    EXPECT_TRUE(a.SentReport());

    clsAccount missing;
    missing.setEngine("Overture");
    missing.setAccountName("Nobody");
    missing.setUserName("kept");
    missing.GetSettings();  // no file: nothing changes
    EXPECT_EQ(missing.UserName(), "kept");
    EXPECT_EQ(missing.LastLookup(), clsAccount::ZeroDate());
}

TEST(clsAccount, SaveLastLookupTimeWritesOnlyThatKey) {
    clsAccount a = sample();
    a.SaveSettings();
    a.setUserName("changed, not saved");
    a.setLastLookup(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 0)));
    a.SaveLastLookupTime();
    const QString file = accountFile("Overture", "My Shop");
    EXPECT_EQ(testenv::readFile(file), "[Login Detail]\r\n"
                                       "UserName=jane\r\n"
                                       "PassWord=s3cret\r\n"
                                       "AccountID=\r\n"
                                       "MaxBid=1.5\r\n"
                                       "MinBid=0.1\r\n"
                                       "SchedlerEnable=True\r\n"
                                       "Hours=24\r\n"
                                       "LastLookup=12/31/2024 11:59:00 PM\r\n"
                                       "SentReport=False\r\n");
    EXPECT_EQ(permissionsOf(file), kOwnerOnly);
}

TEST(clsAccount, SaveLastLookupTimeNeedsTheAccountFolder) {
    clsAccount gone;
    gone.setEngine("Overture");
    gone.setAccountName("Deleted");
    EXPECT_NO_THROW(gone.SaveLastLookupTime());
    EXPECT_FALSE(QFileInfo::exists(testenv::programDir() + "/Accounts/Overture/Deleted"));

    // Folder without a file: a new owner-only file with the one key.
    QDir().mkpath(testenv::programDir() + "/Accounts/Overture/Bare");
    clsAccount bare;
    bare.setEngine("Overture");
    bare.setAccountName("Bare");
    bare.SaveLastLookupTime();
    EXPECT_EQ(testenv::readFile(accountFile("Overture", "Bare")), "[Login Detail]\r\nLastLookup=12:00:00 AM\r\n");
    EXPECT_EQ(permissionsOf(accountFile("Overture", "Bare")), kOwnerOnly);
}

TEST(clsAccount, UnsafeNamesStayInsideTheAccountsFolder) {
    clsAccount a;
    a.setEngine("Over:ture");
    a.setAccountName("../../evil");
    a.SaveSettings();
    EXPECT_TRUE(QFileInfo::exists(testenv::programDir() + "/Accounts/Over%3Ature/..%2F..%2Fevil/..%2F..%2Fevil.dat"));
    EXPECT_EQ(QDir(testenv::programDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"Accounts"});
}

TEST(clsAccount, AccountNamedLikeItsKeywordFileKeepsBothFiles) {
    clsAccount a = sample();
    a.setAccountName("Keywords");
    a.SaveSettings();
    clsKeywords list;
    list.setEngine("Overture");
    list.setAccountName("Keywords");
    list.Add("Keyshoes", "shoes");
    list.SaveKeywords();

    const QString folder = testenv::programDir() + "/Accounts/Overture/Keywords/";
    EXPECT_EQ(testenv::readFile(folder + "Keywords.dat"), "shoes;;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(a.SettingsFile(), folder + "%4Beywords.dat");
    clsAccount b;
    b.setEngine("Overture");
    b.setAccountName("Keywords");
    b.GetSettings();
    EXPECT_EQ(b.Password(), "s3cret");
    // Other names keep their plain file name.
    b.setAccountName("Keywords2");
    EXPECT_EQ(b.SettingsFile(), testenv::programDir() + "/Accounts/Overture/Keywords2/Keywords2.dat");
}

TEST(clsAccount, StoredNumbersOutOfRangeReadAsNoNumber) {
    struct Case { const char *text; float value; } bids[] = {
        {"1.5", 1.5f}, {"1e39", 0}, {"-1e39", 0}, {"999999999999999", 0}, {"1e400", 0},
        {"922337203685477", 922337203685477.0f}, {"abc", 0},
    };
    for (const Case &c : bids) {
        testenv::writeFile(accountFile("Overture", "Shop"),
                           QByteArray("[Login Detail]\r\nMaxBid=") + c.text + "\r\nMinBid=" + c.text +
                               "\r\nSchedlerEnable=False\r\nHours=" + c.text + "\r\nSentReport=False\r\n");
        clsAccount a;
        a.setEngine("Overture");
        a.setAccountName("Shop");
        a.GetSettings();
        EXPECT_EQ(a.MaxBid(), c.value) << c.text;
        EXPECT_EQ(a.MinBid(), c.value) << c.text;
        // Every stored bid can be shown as an amount.
        EXPECT_NO_THROW(vb::Format00(double(a.MaxBid()))) << c.text;
    }
    // Hours is no amount: only what a single can't hold is dropped.
    testenv::writeFile(accountFile("Overture", "Shop"),
                       "[Login Detail]\r\nSchedlerEnable=False\r\nHours=1e20\r\nSentReport=False\r\n");
    clsAccount a;
    a.setEngine("Overture");
    a.setAccountName("Shop");
    a.GetSettings();
    EXPECT_EQ(a.Hours(), 1e20f);
}

TEST(clsAccount, SaveOnAFullDiskRaisesAndKeepsTheOldFile) {
    clsAccount a = sample();
    a.SaveSettings();
    const QByteArray before = testenv::readFile(accountFile("Overture", "My Shop"));
    a.setUserName(QString(3000, 'u'));
    {
        testenv::FileSizeLimit limit(before.size() + 10);
        EXPECT_THROW(a.SaveSettings(), vb::VBError);
    }
    EXPECT_EQ(testenv::readFile(accountFile("Overture", "My Shop")), before);
}
