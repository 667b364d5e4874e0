#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/clsDealerInfo.h"
#include "core/modCommon.h"
#include "core/modStartUp.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct StartUp : ::testing::Test {
    QStringList calls;
    modStartUp::Hooks hooks() {
        modStartUp::Hooks h;
        h.runWizard = [this] { calls << QStringLiteral("wizard"); };
        h.showSplash = [this] { calls << QStringLiteral("splash"); };
        h.closeSplash = [this] { calls << QStringLiteral("closeSplash"); };
        h.display = [this] { calls << QStringLiteral("display"); };
        return h;
    }
    void runMain() {
        app::SetTitle(QStringLiteral("Quillbeck Ambrivex"));
        modStartUp::Main(hooks());
    }
    QString logPath() const { return platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Error.log")); }
    void TearDown() override {
        delete g_oDealerInfo;
        g_oDealerInfo = nullptr;
        app::SetTitle(QStringLiteral("Quillbeck Ambrivex"));
    }
};

}  // namespace

TEST_F(StartUp, FirstStartRunsTheWizardThenCreatesTheSettingKey) {
    testenv::setNow(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 1)));
    runMain();
    EXPECT_EQ(calls, (QStringList{QStringLiteral("wizard"), QStringLiteral("splash"), QStringLiteral("display")}));
    EXPECT_TRUE(platform::Registry::instance().keyExists(g_sSettingKey));
    EXPECT_EQ(g_sSettingKey, QStringLiteral("Software\\Morvaine\\Zentrova Quillbeck Ambrivex For Overture\\Setting"));
    EXPECT_TRUE(g_sEngineDataFile.endsWith(QStringLiteral("/zqaeng.dat")));
    EXPECT_EQ(app::Title(), QStringLiteral("Quillbeck Ambrivex For Overture"));
    ASSERT_NE(g_oDealerInfo, nullptr);
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Hourglass);
    EXPECT_EQ(testenv::errorLog(),
              QByteArray("\r\nQuillbeck Ambrivex For Overture - Version: 1.1.13\r\n Time: 12/7/2026 9:05:01 AM\r\n") +
                  QByteArray(36, '-') + "\r\n");
}

TEST_F(StartUp, VersionDecisions) {
    struct Case { const char *stored; bool fileExists; bool wizard; } cases[] = {
        {"", true, true},        {"1.1.12", true, true},  {"1.1.13", true, false}, {"1.2.0", true, false},
        {"1.1.9", true, true},   {"2.0.0", true, false},  {"10.1.1", true, false}, {"1.1.13", false, true},
        {"garbage", true, true}, {"1.1", true, true},     {"1.1.14", true, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(modStartUp::WizardNeeded(QString::fromLatin1(c.stored), c.fileExists), c.wizard) << c.stored;

    // Through the whole start-up: a current version with the file present skips it, even when the file is empty.
    testenv::writeFile(g_sEngineDataFile, "");
    platform::Registry::instance().createKey(g_sSettingKey);
    SetRegistryValue(HKEY_CURRENT_USER, g_sSettingKey, QStringLiteral("Version"), REG_SZ, QStringLiteral("1.1.13"));
    runMain();
    EXPECT_FALSE(calls.contains(QStringLiteral("wizard")));
}

TEST_F(StartUp, ErrorLogIsTrimmedOnlyAboveTheLimit) {
    testenv::writeFile(logPath(), QByteArray(32000, 'x'));
    runMain();
    EXPECT_TRUE(testenv::errorLog().startsWith(QByteArray(32000, 'x') + "\r\nQuillbeck"));

    ResetErrorLogForTests();
    testenv::writeFile(logPath(), QByteArray(32001, 'x'));
    delete g_oDealerInfo;
    g_oDealerInfo = nullptr;
    runMain();
    EXPECT_TRUE(testenv::errorLog().startsWith("\r\nQuillbeck Ambrivex For Overture - Version: 1.1.13\r\n"));
}

TEST_F(StartUp, AFailingStepIsLoggedAndClosesTheSplash) {
    modStartUp::Hooks h = hooks();
    h.display = [] { vb::Raise(5); };
    app::SetTitle(QStringLiteral("Quillbeck Ambrivex"));
    modStartUp::Main(h);
    EXPECT_TRUE(testenv::errorLog().endsWith("modStartUp_Main error:  Invalid procedure call or argument\r\n"));
    EXPECT_EQ(calls.last(), QStringLiteral("closeSplash"));
}
