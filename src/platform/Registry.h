#pragma once
// Per-user store of string values under key paths, standing in for the
// current-user registry hive. Key paths use "\" between levels; key and
// value names compare without regard to letter case. Backed by one file
// (owner-only, written atomically on every change).

#include <QString>
#include <optional>

namespace platform {

class Registry {
public:
    // The store every caller shares; its file lives under the XDG config home
    // unless setStoreFile() pointed it elsewhere (tests).
    static Registry &instance();
    static void setStoreFile(const QString &path);  // also drops the cached contents
    static QString storeFile();

    bool keyExists(const QString &keyPath);
    // Creates the key and its missing parents. Returns true when it already existed.
    bool createKey(const QString &keyPath);
    // The value, or nothing when the key or the value is missing.
    std::optional<QString> value(const QString &keyPath, const QString &name);
    // Writes only into an existing key; false when the key is missing or the store can't be written.
    bool setValue(const QString &keyPath, const QString &name, const QString &value);
    bool deleteValue(const QString &keyPath, const QString &name);

private:
    Registry() = default;
    void load();
    bool save();
    struct Impl;
    Impl *d = nullptr;
};

}  // namespace platform
