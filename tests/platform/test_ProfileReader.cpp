// The one-read settings reader and the general date form read without the
// locale's parser: both must answer exactly as the readers they stand in for.

#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/VB.h"
#include "support/TestEnv.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(ProfileReader, AnswersEveryKeyAsTheProfileReaderDoes) {
    const QString file = platform::JoinPath(testenv::programDir(), "a.ini");
    testenv::writeFile(file, "Key=before any section\r\n"
                             "[Login Detail]\r\n"
                             "  UserName  =  joe  \r\n"
                             "username=second\r\n"
                             "Hours=\t24\n"
                             "[Other]\r"
                             "Hours=1\r\n"
                             "[login detail]\r\n"
                             "SentReport=True\r\n"
                             "Long=" + QByteArray(600, 'x') + "\r\n");
    const platform::ProfileReader reader(file);
    ASSERT_TRUE(reader.FileRead());
    const struct {
        const char *section;
        const char *key;
    } cases[] = {{"Login Detail", "UserName"}, {"LOGIN DETAIL", "USERNAME"}, {"Login Detail", "Hours"},
                 {"Other", "Hours"},           {"Login Detail", "SentReport"}, {"login detail", "Long"},
                 {"Missing", "Hours"},         {"", "Key"}};
    for (const auto &c : cases)
        for (int buffer : {560, 3})
            EXPECT_EQ(reader.GetString(c.section, c.key, "-", buffer),
                      platform::GetProfileString(file, c.section, c.key, "-", buffer))
                << c.section << "/" << c.key << " " << buffer;
    EXPECT_EQ(reader.GetString("Login Detail", "UserName", "-", 560), "joe");
    EXPECT_EQ(reader.GetString("Login Detail", "SentReport", "-", 560), "-");  // only the first section counts

    const platform::ProfileReader missing(platform::JoinPath(testenv::programDir(), "none.ini"));
    EXPECT_FALSE(missing.FileRead());
    EXPECT_EQ(missing.GetString("Login Detail", "UserName", "d", 560), "d");
}

TEST(ProfileReader, GeneralDateFormReadsAsTheLocaleParserReadsIt) {
    const char *const texts[] = {"3/5/2024 1:02:03 PM", "12/31/2023 12:00:00 AM", "1/1/2024 12:30:59 PM",
                                 "03/05/2024 01:02:03 AM", "2/29/2024 11:59:59 PM"};
    for (const char *text : texts) {
        QDateTime fast;
        ASSERT_TRUE(vb::ParseDate(text, &fast)) << text;
        const QDateTime slow = QLocale::c().toDateTime(text, "M/d/yyyy h:mm:ss AP");
        EXPECT_EQ(fast, slow) << text;
    }
    for (const char *text : {"2/30/2024 1:00:00 PM", "3/5/2024 13:00:00 PM", "3/5/24 1:00:00 PM"})
        EXPECT_EQ(vb::IsDate(text), QLocale::c().toDateTime(text, "M/d/yyyy h:mm:ss AP").isValid()) << text;
}
