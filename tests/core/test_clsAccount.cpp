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

QString accountFile(const QString &engine, const QString &account) {
    return testenv::programDir() + "/Accounts/" + engine + "/" + account + "/" + account + ".dat";
}

bool ownerOnly(const QString &path) {
    // Only the owner/group/other bits; Qt adds "user" bits that mirror the owner ones.
    return (QFile::permissions(path) & QFileDevice::Permissions(0x7077)) ==
           (QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

clsAccount named(const QString &engine, const QString &account) {
    clsAccount a;
    a.setEngine(engine);
    a.setAccountName(account);
    return a;
}

clsAccount sample() {
    clsAccount a = named("Overture", "My Shop");
    a.setUserName("jane");
    a.setPassword("s3cret");
    a.setMaxBid(1.5f);
    a.setMinBid(0.1f);
    a.setHours(24);
    a.setSchedulerEnable(true);
    a.setLastLookup(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    return a;
}

// The sample's file with this last look-up.
QByteArray sampleFile(const QByteArray &lastLookup) {
    return "[Login Detail]\r\nUserName=jane\r\nPassWord=s3cret\r\nAccountID=\r\nMaxBid=1.5\r\nMinBid=0.1\r\n"
           "SchedlerEnable=True\r\nHours=24\r\nLastLookup=" +
           lastLookup + "\r\nSentReport=False\r\n";
}

// The fields a load sets, but the last look-up.
std::string fieldsOf(const clsAccount &a) {
    return QStringList{a.UserName(), a.Password(), a.AccountID(), QString::number(a.MaxBid()),
                       QString::number(a.MinBid()), QString::number(a.Hours()),
                       a.SchedulerEnable() ? "True" : "False", a.SentReport() ? "True" : "False"}
        .join('|')
        .toStdString();
}

}  // namespace

TEST(clsAccount, SaveWritesTheKeysInOrderOwnerOnlyAndReadsBack) {
    clsAccount a = sample();
    a.SaveSettings();
    const QString file = accountFile("Overture", "My Shop");
    EXPECT_EQ(testenv::readFile(file), sampleFile("3/5/2024 2:07:09 PM"));
    EXPECT_TRUE(ownerOnly(file));

    clsAccount b = named("Overture", "My Shop");
    b.GetSettings();
    EXPECT_EQ(fieldsOf(b), "jane|s3cret||1.5|0.1|24|True|False");
    EXPECT_EQ(b.LastLookup(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));

    // The look-up time alone is written, whatever else changed.
    a.setUserName("changed, not saved");
    a.setLastLookup(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 0)));
    a.SaveLastLookupTime();
    EXPECT_EQ(testenv::readFile(file), sampleFile("12/31/2024 11:59:00 PM"));
    EXPECT_TRUE(ownerOnly(file));
}

TEST(clsAccount, SaveReplacesTheWholeOldFile) {
    testenv::writeFile(accountFile("FindWhat", "A"), "[Other]\r\nx=1\r\n[Login Detail]\r\nUserName=old\r\nExtra=1\r\n");
    clsAccount a = named("FindWhat", "A");
    a.setMaxBid(10);
    a.setMinBid(0.25f);
    a.SaveSettings();
    // A never looked-up account writes the zero date as its time alone.
    EXPECT_EQ(testenv::readFile(accountFile("FindWhat", "A")),
              "[Login Detail]\r\nUserName=\r\nPassWord=\r\nAccountID=\r\nMaxBid=10\r\nMinBid=0.25\r\n"
              "SchedlerEnable=False\r\nHours=0\r\nLastLookup=12:00:00 AM\r\nSentReport=False\r\n");
    EXPECT_TRUE(ownerOnly(accountFile("FindWhat", "A")));
    clsAccount b = named("FindWhat", "A");
    b.setLastLookup(QDateTime(QDate(2020, 1, 1), QTime(1, 0)));
    b.GetSettings();
    EXPECT_EQ(b.LastLookup(), clsAccount::ZeroDate());
}

TEST(clsAccount, MissingBooleanRaisesAfterTheFieldsBeforeIt) {
    testenv::writeFile(accountFile("Overture", "A"), "[login detail]\r\nusername=u\r\nPASSWORD=p\r\nAccountID=77\r\n"
                                                     "MaxBid=2.5abc\r\nMinBid=x\r\nHours=6\r\n");
    clsAccount a = named("Overture", "A");
    a.setHours(3);
    try {
        a.GetSettings();
        FAIL() << "no conversion error";
    } catch (const vb::VBError &e) {
        EXPECT_EQ(e.Number(), vb::errTypeMismatch);
    }
    EXPECT_EQ(fieldsOf(a), "u|p|77|2.5|0|3|False|False");  // Hours not reached
}

TEST(clsAccount, BadLastLookupReadsAsNowAndBooleansTakeNumbers) {
    const QDateTime now(QDate(2024, 6, 1), QTime(9, 30, 0));
    testenv::setNow(now);
    testenv::writeFile(accountFile("Overture", "A"),
                       "[Login Detail]\r\nSchedlerEnable=-1\r\nLastLookUp=never\r\nSentReport=true\r\n");
    clsAccount a = named("Overture", "A");
    a.GetSettings();
    EXPECT_EQ(a.LastLookup(), now);
    EXPECT_TRUE(a.SchedulerEnable());
    EXPECT_TRUE(a.SentReport());

    clsAccount missing = named("Overture", "Nobody");
    missing.setUserName("kept");
    missing.GetSettings();  // no file: nothing changes
    EXPECT_EQ(missing.UserName(), "kept");
    EXPECT_EQ(missing.LastLookup(), clsAccount::ZeroDate());
}

TEST(clsAccount, SaveLastLookupTimeNeedsTheAccountFolder) {
    clsAccount gone = named("Overture", "Deleted");
    EXPECT_NO_THROW(gone.SaveLastLookupTime());
    EXPECT_FALSE(QFileInfo::exists(testenv::programDir() + "/Accounts/Overture/Deleted"));

    // Folder without a file: a new owner-only file with the one key.
    QDir().mkpath(testenv::programDir() + "/Accounts/Overture/Bare");
    named("Overture", "Bare").SaveLastLookupTime();
    EXPECT_EQ(testenv::readFile(accountFile("Overture", "Bare")), "[Login Detail]\r\nLastLookup=12:00:00 AM\r\n");
    EXPECT_TRUE(ownerOnly(accountFile("Overture", "Bare")));
}

TEST(clsAccount, UnsafeNamesStayInsideTheAccountsFolder) {
    named("Over:ture", "../../evil").SaveSettings();
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
    clsAccount b = named("Overture", "Keywords");
    b.GetSettings();
    EXPECT_EQ(b.Password(), "s3cret");
    // Other names keep their plain file name.
    EXPECT_EQ(named("Overture", "Keywords2").SettingsFile(), accountFile("Overture", "Keywords2"));
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
        clsAccount a = named("Overture", "Shop");
        a.GetSettings();
        EXPECT_EQ(a.MaxBid(), c.value) << c.text;
        EXPECT_EQ(a.MinBid(), c.value) << c.text;
        // Every stored bid can be shown as an amount.
        EXPECT_NO_THROW(vb::Format00(double(a.MaxBid()))) << c.text;
    }
    // Hours is no amount: only what a single can't hold is dropped.
    testenv::writeFile(accountFile("Overture", "Shop"),
                       "[Login Detail]\r\nSchedlerEnable=False\r\nHours=1e20\r\nSentReport=False\r\n");
    clsAccount a = named("Overture", "Shop");
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
