#pragma once
// Registry procedures of the whole program: string values under key paths of
// the current-user hive ("\" between key levels), over platform::Registry.
// Each keeps a trace of its steps and writes it to the error log only when an
// error is raised inside it.

#include <QString>

// Root keys. Only the current-user hive exists; any other root reads as a
// key that cannot be opened.
constexpr long HKEY_CLASSES_ROOT = long(0x80000000L);
constexpr long HKEY_CURRENT_USER = long(0x80000001L);
constexpr long HKEY_LOCAL_MACHINE = long(0x80000002L);

// Value type codes. Every caller passes REG_SZ; the other forms are not supported.
constexpr int REG_SZ = 1;
constexpr int REG_BINARY = 3;
constexpr int REG_DWORD = 4;

// The value, or `defaultValue` when the key or the value is missing, or the
// value does not fit the 1024-byte read buffer. Never raises.
QString GetRegistryValue(long rootKey, const QString &keyPath, const QString &valueName,
                         int valueType, const QString &defaultValue);

// Stores a string value into an existing key; a missing key is left alone
// without a report. Returns true only when the value was written (callers may
// ignore it). Never raises.
bool SetRegistryValue(long rootKey, const QString &keyPath, const QString &valueName,
                      int valueType, const QString &value);

// Creates the key with any missing parents. True when it already existed,
// false when it was created now or could not be created. Never raises.
bool CreateRegistryKey(long rootKey, const QString &keyPath);
