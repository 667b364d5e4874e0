#include "platform/Registry.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QStandardPaths>

namespace platform {

namespace {
QString g_storeFile;

QString defaultStoreFile() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/quillbeck-ambrivex/registry.json");
}

// Key paths compare without case and ignore doubled or edge separators.
QString normalKey(const QString &path) {
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\')).toCaseFolded();
}
}  // namespace

struct Registry::Impl {
    bool loaded = false;
    // The store exists but could not be read: writing would replace every
    // value the user had with the few set in this run.
    bool unreadable = false;
    struct Value {
        QString name;
        QString data;
    };
    struct Key {
        QString path;                 // as first created
        QMap<QString, Value> values;  // by case-folded name
        QStringList order;            // case-folded names in creation order
    };
    QMap<QString, Key> keys;  // by normalised path
};

Registry &Registry::instance() {
    static Registry r;
    if (!r.d)
        r.d = new Impl;
    return r;
}

void Registry::setStoreFile(const QString &path) {
    g_storeFile = path;
    Registry &r = instance();
    r.d->keys.clear();
    r.d->loaded = false;
    r.d->unreadable = false;
}

QString Registry::storeFile() { return g_storeFile.isEmpty() ? defaultStoreFile() : g_storeFile; }

void Registry::load() {
    if (d->loaded)
        return;
    d->loaded = true;
    d->unreadable = false;
    d->keys.clear();
    const QString file = storeFile();
    QByteArray bytes;
    if (!ReadFileBytes(file, &bytes)) {
        d->unreadable = QFileInfo::exists(file);
        return;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        // A damaged store is read as empty; its bytes stay beside it so the
        // next save does not take the user's settings with it.
        if (!bytes.isEmpty() && KeepDamagedCopy(file, bytes).isEmpty() &&
            !QFileInfo::exists(file + QStringLiteral(".bad")))
            d->unreadable = true;  // no copy could be kept: leave the store as it is
        return;
    }
    const QJsonArray keys = doc.object().value(QStringLiteral("keys")).toArray();
    for (const auto &kv : keys) {
        const QJsonObject ko = kv.toObject();
        Impl::Key key;
        key.path = ko.value(QStringLiteral("path")).toString();
        for (const auto &vv : ko.value(QStringLiteral("values")).toArray()) {
            const QJsonObject vo = vv.toObject();
            const QString name = vo.value(QStringLiteral("name")).toString();
            const QString folded = name.toCaseFolded();
            if (!key.values.contains(folded))
                key.order.append(folded);
            key.values.insert(folded, {name, vo.value(QStringLiteral("data")).toString()});
        }
        d->keys.insert(normalKey(key.path), key);
    }
}

bool Registry::save() {
    if (d->unreadable)
        return false;
    QJsonArray keys;
    for (const auto &key : std::as_const(d->keys)) {
        QJsonArray values;
        for (const QString &folded : key.order) {
            const auto &v = key.values[folded];
            values.append(QJsonObject{{QStringLiteral("name"), v.name}, {QStringLiteral("data"), v.data}});
        }
        keys.append(QJsonObject{{QStringLiteral("path"), key.path}, {QStringLiteral("values"), values}});
    }
    const QString file = storeFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    // The store holds passwords: owner-only.
    return WriteFileAtomic(file, QJsonDocument(QJsonObject{{QStringLiteral("keys"), keys}}).toJson(), true);
}

bool Registry::keyExists(const QString &keyPath) {
    load();
    return d->keys.contains(normalKey(keyPath));
}

bool Registry::createKey(const QString &keyPath) {
    load();
    const QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    if (keyExists(keyPath))
        return true;
    const auto before = d->keys;
    QString path;
    for (const QString &p : parts) {
        path = path.isEmpty() ? p : path + QLatin1Char('\\') + p;
        const QString n = normalKey(path);
        if (!d->keys.contains(n)) {
            Impl::Key k;
            k.path = path;
            d->keys.insert(n, k);
        }
    }
    if (!save())
        d->keys = before;  // memory keeps matching the file
    return false;
}

std::optional<QString> Registry::value(const QString &keyPath, const QString &name) {
    load();
    auto it = d->keys.constFind(normalKey(keyPath));
    if (it == d->keys.constEnd())
        return std::nullopt;
    auto vit = it->values.constFind(name.toCaseFolded());
    if (vit == it->values.constEnd())
        return std::nullopt;
    return vit->data;
}

namespace {
// Applies a change to one key and saves; when either fails the key is left
// as it was, so memory keeps matching the file.
template <typename Key, typename Change, typename Save>
bool changeKey(Key &key, Change change, Save save) {
    const Key before = key;
    if (change(key) && save())
        return true;
    key = before;
    return false;
}
}  // namespace

bool Registry::setValue(const QString &keyPath, const QString &name, const QString &value) {
    load();
    auto it = d->keys.find(normalKey(keyPath));
    if (it == d->keys.end())
        return false;
    return changeKey(*it, [&](Impl::Key &key) {
        const QString folded = name.toCaseFolded();
        auto vit = key.values.find(folded);
        if (vit == key.values.end()) {
            key.order.append(folded);
            key.values.insert(folded, {name, value});
        } else {
            vit->data = value;
        }
        return true;
    }, [this] { return save(); });
}

bool Registry::deleteValue(const QString &keyPath, const QString &name) {
    load();
    auto it = d->keys.find(normalKey(keyPath));
    if (it == d->keys.end())
        return false;
    return changeKey(*it, [&](Impl::Key &key) {
        const QString folded = name.toCaseFolded();
        if (!key.values.remove(folded))
            return false;
        key.order.removeAll(folded);
        return true;
    }, [this] { return save(); });
}

}  // namespace platform
