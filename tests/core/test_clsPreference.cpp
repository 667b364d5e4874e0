#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/clsPreference.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

class PreferenceTest : public ::testing::Test {
protected:
    void SetUp() override { app::SetGlobalPaths(); }

    static std::optional<QString> stored(const QString &key, const QString &name) {
        platform::Registry::setStoreFile(platform::Registry::storeFile());
        return platform::Registry::instance().value(key, name);
    }
    static void put(const QString &key, const QString &name, const QString &value) {
        CreateRegistryKey(HKEY_CURRENT_USER, key);
        SetRegistryValue(HKEY_CURRENT_USER, key, name, REG_SZ, value);
    }
    // Value names of a key in the order the store file holds them.
    static QStringList storedNames(const QString &key) {
        const QJsonArray keys = QJsonDocument::fromJson(testenv::readFile(platform::Registry::storeFile()))
                                    .object()
                                    .value("keys")
                                    .toArray();
        QStringList names;
        for (const auto &k : keys)
            if (k.toObject().value("path").toString().compare(key, Qt::CaseInsensitive) == 0)
                for (const auto &v : k.toObject().value("values").toArray())
                    names << v.toObject().value("name").toString();
        return names;
    }
    // Every value, "|"-joined in the order of the save.
    static std::string valuesOf(const clsPreference &p) {
        return QStringList{QString::number(p.AccessType()), p.Proxy(), p.Port(), p.TimeOut(), p.ConfirmConnection(),
                           p.SMTPServer(), p.SMTPPort(), p.HTTPUserName(), p.HTTPPassword(), p.HTTPLogin(),
                           QString::number(p.Authentication()), p.ReporterName(), p.CompanyName(), p.Email(),
                           p.WebSite(), p.LogoURL(), p.LogoPosition(), p.SchedulerEnable() ? "True" : "False"}
            .join('|')
            .toStdString();
    }
};

}  // namespace

TEST_F(PreferenceTest, FreshProfileGivesDefaultsAndWritesNothing) {
    clsPreference p;
    p.GetSettings();
    EXPECT_EQ(valuesOf(p), "1||8080|30|1||25||||0||||||Top|True");
    // Without the Setting key the stamps are not written, and no key is created.
    EXPECT_FALSE(platform::Registry::instance().keyExists(g_sSettingKey));
    EXPECT_FALSE(platform::Registry::instance().keyExists(g_sPreferenceKey));
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    // Under an existing Setting key the version and location are stamped.
    put(g_sSettingKey, "Version", "1.1.12");
    put(g_sSettingKey, "Location", "/old/place");
    p.GetSettings();
    EXPECT_EQ(stored(g_sSettingKey, "Version").value_or(""), "1.1.13");
    EXPECT_EQ(stored(g_sSettingKey, "Location").value_or(""), platform::ProgramFolder());
}

TEST_F(PreferenceTest, SaveThenGetRoundTripsEveryValue) {
    clsPreference p;
    p.GetSettings();
    p.setAccessType(2);
    p.setProxy("proxy.example.com");
    p.setPort("3128");
    p.setTimeOut("45");
    p.setConfirmConnection("0");
    p.setSMTPServer("mail.example.com");
    p.setSMTPPort("2525");
    p.setHTTPUserName("alice");
    p.setHTTPPassword("s3cret");
    p.setAuthentication(1);
    p.setReporterName("Alice Example");
    p.setCompanyName("Example Co");
    p.setEmail("alice@example.com");
    p.setWebSite("http://www.example.com/");
    p.setLogoURL("http://www.example.com/logo.gif");
    p.setLogoPosition("Bottom");
    p.setSchedulerEnable(false);
    p.SaveSettings();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    // Every value as text, under its stored name, in the save order.
    EXPECT_EQ(storedNames(g_sPreferenceKey),
              QStringList({"AccessType", "Proxy", "Port", "TimeOut", "ConfirmConnection", "SMTPServer", "SMTPPort",
                           "Auth_Username", "Auth_Password", "Authentication", "ReporterName", "CompanyName", "Email",
                           "WebSite", "LogoURL", "LogoPosition", "SchedlerEnable"}));
    EXPECT_EQ(stored(g_sPreferenceKey, "SchedlerEnable").value_or(""), "False");
    EXPECT_EQ(stored(g_sPreferenceKey, "AccessType").value_or(""), "2");
    EXPECT_EQ(stored(g_sPreferenceKey, "Auth_Password").value_or(""), "s3cret");

    clsPreference q;
    q.GetSettings();
    EXPECT_EQ(valuesOf(q), "2|proxy.example.com|3128|45|0|mail.example.com|2525|alice|s3cret|YWxpY2U6czNjcmV0|1|"
                           "Alice Example|Example Co|alice@example.com|http://www.example.com/|"
                           "http://www.example.com/logo.gif|Bottom|False");
}

TEST_F(PreferenceTest, HTTPLoginNeedsBothUserAndPassword) {
    const struct { const char *user, *password, *login; } cases[] = {
        {"alice", "", ""}, {"", "s3cret", ""}, {"user", "pass", "dXNlcjpwYXNz"}};
    for (const auto &c : cases) {
        clsPreference p;
        p.setHTTPUserName(c.user);
        p.setHTTPPassword(c.password);
        EXPECT_EQ(p.HTTPLogin(), c.login) << c.user;
    }
}

TEST_F(PreferenceTest, BadSchedulerValueShowsBoxAndKeepsEarlierValue) {
    put(g_sPreferenceKey, "LogoPosition", "Bottom");
    put(g_sPreferenceKey, "SchedlerEnable", "yes");
    testenv::answerMsgBox(seam::vbOK);
    clsPreference p;
    p.GetSettings();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, "Type mismatch");
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "GetSetting Preference");
    EXPECT_EQ(testenv::shownMsgBoxes()[0].style, seam::vbOKOnly);
    EXPECT_EQ(p.LogoPosition(), "Bottom");  // read before the bad value
    EXPECT_FALSE(p.SchedulerEnable());
    EXPECT_EQ(testenv::errorLog(),
              "clsPreference_GetsettingType mismatch\r\nBegin\r\nLog1\r\nLog2\r\nLog3\r\n\r\nGetsetting End\r\n");
}

TEST_F(PreferenceTest, BadAccessTypeStopsBeforeTheLaterValues) {
    put(g_sPreferenceKey, "AccessType", "direct");
    put(g_sPreferenceKey, "Proxy", "proxy.example.com");
    testenv::answerMsgBox(seam::vbOK);
    clsPreference p;
    p.setProxy("earlier");
    p.GetSettings();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(p.Proxy(), "earlier");
    EXPECT_EQ(p.Port(), "");
    EXPECT_EQ(testenv::errorLog(), "clsPreference_GetsettingType mismatch\r\nBegin\r\n\r\nGetsetting End\r\n");
}

TEST_F(PreferenceTest, FailedSaveIsReportedNotSilent) {
    clsPreference p;
    p.GetSettings();
    // The store's folder turns into a file: nothing can be written any more.
    const QString folder = QFileInfo(platform::Registry::storeFile()).absolutePath();
    QDir(folder).removeRecursively();
    testenv::writeFile(folder, "not a folder");
    testenv::answerMsgBox(seam::vbOK);
    p.SaveSettings();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "SaveSetting Preference");
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, "Cannot save the setting AccessType");
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.startsWith("RegistryAPI_CreateRegistryKey:  ")) << log.constData();
    EXPECT_TRUE(log.endsWith("clsPreference_SaveSettings: Cannot save the setting AccessType\r\n"
                             "Begin\r\nafter CreateRegistryKey\r\n\r\nSaveSettings End\r\n"))
        << log.constData();
}
