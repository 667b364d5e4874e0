#include "core/RegistryAPI.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("Software\\Test Maker\\Test App\\Preference");

// Re-reads the store from its file, so a check sees what was really written.
std::optional<QString> storedValue(const QString &key, const QString &name) {
    platform::Registry::setStoreFile(platform::Registry::storeFile());
    return platform::Registry::instance().value(key, name);
}

// Makes the store's folder unusable while the store keeps its loaded keys.
void breakStoreFolder() {
    const QString folder = QFileInfo(platform::Registry::storeFile()).absolutePath();
    QDir(folder).removeRecursively();
    testenv::writeFile(folder, "not a folder");
}

}  // namespace

TEST(RegistryAPI, MissingKeyOrValueReadsAsDefault) {
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "dflt"), "dflt");
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "dflt"), "dflt");
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "");
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "dflt"), "");
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "proxy.example.com");
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "proxy", REG_SZ, "dflt"), "proxy.example.com");
    EXPECT_EQ(GetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Proxy", REG_SZ, "dflt"), "dflt");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(RegistryAPI, ValueMustFitTheReadBuffer) {
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    const QString fits(1023, QLatin1Char('x'));
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, fits);
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, "dflt"), fits);
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, fits + "y");
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, "dflt"), "dflt");
}

TEST(RegistryAPI, UnsupportedTypeIsLoggedWithTrace) {
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", 7, "dflt"), "dflt");
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.startsWith("RegistryAPI_GetRegistryValue: Unsupported value type\r\nlog1 ")) << log.constData();
    EXPECT_TRUE(log.contains(kKey.toLatin1()));
    EXPECT_TRUE(log.endsWith("\r\n\r\nGetRegistryValue End\r\n")) << log.constData();
}

TEST(RegistryAPI, SetNeverCreatesTheKey) {
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "x"));
    EXPECT_FALSE(platform::Registry::instance().keyExists(kKey));
    EXPECT_FALSE(storedValue(kKey, "Proxy").has_value());
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(RegistryAPI, CreateReportsWhetherTheKeyExisted) {
    EXPECT_FALSE(CreateRegistryKey(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Test Maker")));
    EXPECT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Port", REG_SZ, "8080"));
    EXPECT_EQ(storedValue(kKey, "Port").value_or("missing"), "8080");
}

TEST(RegistryAPI, FailedWriteIsLoggedAndNotReportedAsWritten) {
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    breakStoreFolder();
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Port", REG_SZ, "8080"));
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.startsWith("RegistryAPI_SetRegistryValue:  Cannot write the settings store")) << log.constData();
    EXPECT_TRUE(log.contains("\r\nKeyName= " + kKey.toLatin1() + "  ValueName=  Port\r\nlog1 "));
    EXPECT_TRUE(log.contains("log2 Port\r\n"));
    EXPECT_FALSE(log.contains("log3"));
    EXPECT_TRUE(log.endsWith("end fo procedure\r\n")) << log.constData();
}
