#pragma once
// Ordered, 1-based collection with optional text keys compared without
// regard to letter case. Adding a key twice raises error 457; reading a
// missing index or key raises error 5 (index) or 5 (key), as callers expect.

#include "platform/VB.h"

#include <QHash>
#include <QString>
#include <vector>

namespace vb {

// A key that hashes and compares without regard to letter case, without
// making a folded copy of the text. The hash is computed once, so growing
// the index does not walk every key's text again.
struct CaselessKey {
    QString text;
    size_t hash = 0;
    explicit CaselessKey(const QString &t) : text(t), hash(foldedHash(t)) {}
    bool operator==(const CaselessKey &o) const {
        return hash == o.hash && text.compare(o.text, Qt::CaseInsensitive) == 0;
    }
    static size_t foldedHash(const QString &t) noexcept {
        size_t h = 0x9e3779b97f4a7c15ULL;
        for (QChar c : t) {
            char16_t u = c.unicode();
            if (u < 0x80)
                u = (u >= 'A' && u <= 'Z') ? char16_t(u | 0x20) : u;
            else
                u = QChar::toCaseFolded(u);
            h = (h ^ u) * 0x100000001b3ULL;
        }
        return h;
    }
};
inline size_t qHash(const CaselessKey &k, size_t base = 0) noexcept { return k.hash ^ base; }

template <typename T>
class Collection {
public:
    int Count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }

    // Adds at the end, or before/after a 1-based position (0 = not given).
    void Add(const T &item, const QString &key = QString(), int before = 0, int after = 0) {
        int pos = Count();
        if (before > 0) {
            checkIndex(before);
            pos = before - 1;
        } else if (after > 0) {
            checkIndex(after);
            pos = after;
        }
        if (!key.isNull()) {
            // One hash look-up: the slot is new exactly when the index grew.
            const auto sizeBefore = m_index.size();
            int &slot = m_index[CaselessKey(key)];
            if (m_index.size() == sizeBefore)
                Raise(errDuplicateKey);
            slot = pos;
        }
        m_items.insert(m_items.begin() + pos, Entry{item, key});
        if (pos != Count() - 1)
            reindex();
    }

    bool Exists(const QString &key) const { return m_index.contains(CaselessKey(key)); }
    // 1-based index of a key; 0 when absent.
    int IndexOf(const QString &key) const {
        auto it = m_index.constFind(CaselessKey(key));
        return it == m_index.constEnd() ? 0 : it.value() + 1;
    }

    T &Item(int index) {
        checkIndex(index);
        return m_items[size_t(index - 1)].item;
    }
    const T &Item(int index) const {
        checkIndex(index);
        return m_items[size_t(index - 1)].item;
    }
    T &Item(const QString &key) { return Item(keyIndex(key)); }
    const T &Item(const QString &key) const { return Item(keyIndex(key)); }
    // Key an item was added with (null when none).
    QString KeyAt(int index) const {
        checkIndex(index);
        return m_items[size_t(index - 1)].key;
    }

    void Remove(int index) {
        checkIndex(index);
        m_items.erase(m_items.begin() + (index - 1));
        reindex();
    }
    void Remove(const QString &key) { Remove(keyIndex(key)); }
    // Removes the items at the marked 0-based positions in one pass: the
    // rest close up in order and the key index is rebuilt once, from the
    // keys as they are (their hashes are kept).
    void RemoveMarked(const std::vector<bool> &marked) {
        std::vector<int> moved(m_items.size(), -1);
        size_t kept = 0;
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (i < marked.size() && marked[i])
                continue;
            if (kept != i)
                m_items[kept] = std::move(m_items[i]);
            moved[i] = int(kept++);
        }
        m_items.erase(m_items.begin() + std::ptrdiff_t(kept), m_items.end());
        QHash<CaselessKey, int> index;
        index.reserve(qsizetype(kept));
        for (auto it = m_index.cbegin(); it != m_index.cend(); ++it)
            if (const int to = moved[size_t(it.value())]; to >= 0)
                index.insert(it.key(), to);
        m_index = std::move(index);
    }
    void Clear() {
        m_items.clear();
        m_index.clear();
    }
    void Reserve(int n) {
        m_items.reserve(size_t(n));
        m_index.reserve(n);
    }

    // Range-for over the items in order.
    struct Entry {
        T item;
        QString key;
    };
    class iterator {
    public:
        explicit iterator(typename std::vector<Entry>::iterator it) : m_it(it) {}
        T &operator*() const { return m_it->item; }
        iterator &operator++() { ++m_it; return *this; }
        bool operator!=(const iterator &o) const { return m_it != o.m_it; }
    private:
        typename std::vector<Entry>::iterator m_it;
    };
    class const_iterator {
    public:
        explicit const_iterator(typename std::vector<Entry>::const_iterator it) : m_it(it) {}
        const T &operator*() const { return m_it->item; }
        const_iterator &operator++() { ++m_it; return *this; }
        bool operator!=(const const_iterator &o) const { return m_it != o.m_it; }
    private:
        typename std::vector<Entry>::const_iterator m_it;
    };
    iterator begin() { return iterator(m_items.begin()); }
    iterator end() { return iterator(m_items.end()); }
    const_iterator begin() const { return const_iterator(m_items.cbegin()); }
    const_iterator end() const { return const_iterator(m_items.cend()); }

private:
    void checkIndex(int index) const {
        if (index < 1 || index > Count())
            Raise(errInvalidCall);
    }
    int keyIndex(const QString &key) const {
        auto it = m_index.constFind(CaselessKey(key));
        if (it == m_index.constEnd())
            Raise(errInvalidCall);
        return it.value() + 1;
    }
    void reindex() {
        m_index.clear();
        for (size_t i = 0; i < m_items.size(); ++i)
            if (!m_items[i].key.isNull())
                m_index.insert(CaselessKey(m_items[i].key), int(i));
    }

    std::vector<Entry> m_items;
    QHash<CaselessKey, int> m_index;
};

}  // namespace vb
