#include "core/RegistryAPI.h"

#include "core/modCommon.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <exception>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kReadBufferBytes = 1024;
constexpr int errUnsupportedType = 1001;
const char *const kUnsupportedType = "Unsupported value type";
const char *const kGetLabel = "RegistryAPI_GetRegistryValue: ";
const char *const kSetLabel = "RegistryAPI_SetRegistryValue:  ";
const char *const kCreateLabel = "RegistryAPI_CreateRegistryKey:  ";

// Stand-in for the handle of an opened key; it only appears in traces.
constexpr long kOpenedKeyHandle = 1;


}  // namespace

QString GetRegistryValue(long rootKey, const QString &keyPath, const QString &valueName,
                         int valueType, const QString &defaultValue) {
    QString result = defaultValue;
    QString trace;
    try {
        if (rootKey != HKEY_CURRENT_USER)
            return result;
        platform::Registry &reg = platform::Registry::instance();
        if (!reg.keyExists(keyPath))
            return result;
        trace += QStringLiteral("log1 ") + QString::number(kOpenedKeyHandle) + QLatin1Char(' ') +
                 keyPath + kCrLf;
        if (valueType != REG_SZ)
            vb::Raise(errUnsupportedType, QString::fromLatin1(kUnsupportedType));
        trace += QStringLiteral("log2 ") + valueName + kCrLf;
        const std::optional<QString> stored = reg.value(keyPath, valueName);
        if (stored) {
            // The platform reports the length with the terminating NUL; a value
            // that does not fit the buffer cannot be read.
            const int length = int(platform::ToAnsi(*stored).size()) + 1;
            if (length <= kReadBufferBytes)
                result = *stored;
            trace += QStringLiteral("log3 ") + valueName + QLatin1Char(' ') + result +
                     QLatin1Char(' ') + QString::number(length) + kCrLf;
        }
        trace += QStringLiteral("log4") + kCrLf;
        trace += QStringLiteral("log5") + kCrLf;
    } catch (const std::exception &e) {
        WriteErrorLog(QString::fromLatin1(kGetLabel) + vb::Describe(e) + kCrLf + trace + kCrLf +
                      QStringLiteral("GetRegistryValue End"));
    }
    return result;
}

bool SetRegistryValue(long rootKey, const QString &keyPath, const QString &valueName,
                      int valueType, const QString &value) {
    QString trace;
    try {
        if (rootKey != HKEY_CURRENT_USER)
            return false;
        platform::Registry &reg = platform::Registry::instance();
        // Never creates the key: callers rely on writes into a missing key doing nothing.
        if (!reg.keyExists(keyPath))
            return false;
        trace += QStringLiteral("log1 ") + QString::number(kOpenedKeyHandle) + QLatin1Char(' ') +
                 keyPath + kCrLf;
        if (valueType != REG_SZ)
            vb::Raise(errUnsupportedType, QString::fromLatin1(kUnsupportedType));
        trace += QStringLiteral("log2 ") + valueName + kCrLf;
        if (!reg.setValue(keyPath, valueName, value))
            vb::Raise(vb::errPermissionDenied,
                      QStringLiteral("Cannot write the settings store ") +
                          platform::Registry::storeFile());
        trace += QStringLiteral("log3 ") + valueName + kCrLf;
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(QString::fromLatin1(kSetLabel) + vb::Describe(e) + kCrLf +
                      QStringLiteral("KeyName= ") + keyPath + QStringLiteral("  ValueName=  ") +
                      valueName + kCrLf + trace + QStringLiteral("end fo procedure"));
        return false;
    }
}

bool CreateRegistryKey(long rootKey, const QString &keyPath) {
    QString trace;
    try {
        if (rootKey != HKEY_CURRENT_USER)
            vb::Raise(vb::errPermissionDenied);
        platform::Registry &reg = platform::Registry::instance();
        const bool existed = reg.keyExists(keyPath);
        if (!existed) {
            reg.createKey(keyPath);
            if (!reg.keyExists(keyPath))
                vb::Raise(vb::errPermissionDenied,
                          QStringLiteral("Cannot create the key in the settings store ") +
                              platform::Registry::storeFile());
        }
        trace += QStringLiteral("log2") + kCrLf;
        return existed;
    } catch (const std::exception &e) {
        WriteErrorLog(QString::fromLatin1(kCreateLabel) + vb::Describe(e) + kCrLf + trace +
                      kCrLf + QStringLiteral("CreateRegistryKey End"));
        return false;
    }
}
