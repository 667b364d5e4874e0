#include "core/RegistryAPI.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("Software\\Test Maker\\Test App\\Preference");

QString get(const QString &name, int type = REG_SZ, long root = HKEY_CURRENT_USER) {
    return GetRegistryValue(root, kKey, name, type, "dflt");
}

// Re-reads the store from its file, so a check sees what was really written.
std::optional<QString> storedValue(const QString &name) {
    platform::Registry::setStoreFile(platform::Registry::storeFile());
    return platform::Registry::instance().value(kKey, name);
}

}  // namespace

TEST(RegistryAPI, KeysAreCreatedOnlyByCreateAndValuesReadAsStored) {
    EXPECT_EQ(get("Proxy"), "dflt");
    // Set never creates the key.
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "x"));
    EXPECT_FALSE(platform::Registry::instance().keyExists(kKey));
    EXPECT_FALSE(storedValue("Proxy").has_value());
    // Create reports whether the key existed.
    EXPECT_FALSE(CreateRegistryKey(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Test Maker")));
    EXPECT_EQ(get("Proxy"), "dflt");
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "");
    EXPECT_EQ(get("Proxy"), "");
    EXPECT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Proxy", REG_SZ, "proxy.example.com"));
    EXPECT_EQ(get("proxy"), "proxy.example.com");
    EXPECT_EQ(storedValue("Proxy").value_or("missing"), "proxy.example.com");
    EXPECT_EQ(get("Proxy", REG_SZ, HKEY_LOCAL_MACHINE), "dflt");
    // A value must fit the read buffer.
    const QString fits(1023, QLatin1Char('x'));
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, fits);
    EXPECT_EQ(get("Long"), fits);
    SetRegistryValue(HKEY_CURRENT_USER, kKey, "Long", REG_SZ, fits + "y");
    EXPECT_EQ(get("Long"), "dflt");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(RegistryAPI, UnsupportedTypeIsLoggedWithTrace) {
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(get("Proxy", 7), "dflt");
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.startsWith("RegistryAPI_GetRegistryValue: Unsupported value type\r\nlog1 ")) << log.constData();
    EXPECT_TRUE(log.contains(kKey.toLatin1()));
    EXPECT_TRUE(log.endsWith("\r\n\r\nGetRegistryValue End\r\n")) << log.constData();
}

TEST(RegistryAPI, FailedWriteIsLoggedAndNotReportedAsWritten) {
    CreateRegistryKey(HKEY_CURRENT_USER, kKey);
    // The store's folder becomes a file while the store keeps its loaded keys.
    const QString folder = QFileInfo(platform::Registry::storeFile()).absolutePath();
    QDir(folder).removeRecursively();
    testenv::writeFile(folder, "not a folder");
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, kKey, "Port", REG_SZ, "8080"));
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.startsWith("RegistryAPI_SetRegistryValue:  Cannot write the settings store")) << log.constData();
    EXPECT_TRUE(log.contains("\r\nKeyName= " + kKey.toLatin1() + "  ValueName=  Port\r\nlog1 "));
    EXPECT_TRUE(log.contains("log2 Port\r\n"));
    EXPECT_FALSE(log.contains("log3"));
    EXPECT_TRUE(log.endsWith("end fo procedure\r\n")) << log.constData();
}
