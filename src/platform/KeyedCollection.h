#pragma once
// Ordered, 1-based collection with optional text keys compared without
// regard to letter case. Adding a key twice raises error 457; reading a
// missing index or key raises error 5 (index) or 5 (key), as callers expect.

#include "platform/VB.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
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
    static size_t foldedHash(QStringView t) noexcept {
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
        insertEntry(Entry{item, key, 0}, before, after);
    }
    void Add(T &&item, const QString &key = QString(), int before = 0, int after = 0) {
        insertEntry(Entry{std::move(item), key, 0}, before, after);
    }

    // An item with its key, ready for Append: the key's hash is taken now,
    // while its text is at hand.
    struct Entry;
    static Entry Keyed(T item, QString key) {
        const size_t hash = CaselessKey::foldedHash(key);
        return Entry{std::move(item), std::move(key), hash};
    }
    // Adds the entries at the end in order, as Add would one by one, except
    // that an entry whose key is already present (or came earlier among
    // them) is left out instead of raising 457. The positions go into the
    // index one right after the other, the slot of a later entry already on
    // its way from memory: a large list costs one pass, not a wait for memory
    // per item. Returns the 0-based places in `entries` of those left out.
    std::vector<size_t> Append(std::vector<Entry> &&entries) {
        std::vector<size_t> left;
        m_items.reserve(m_items.size() + entries.size());
        if (slotsFor(m_keyed + entries.size()) > m_slots.size())
            rehash(slotsFor(m_keyed + entries.size()));
        constexpr size_t kAhead = 8;
        for (size_t j = 0; j < entries.size(); ++j) {
            if (j + kAhead < entries.size() && !entries[j + kAhead].key.isNull())
                __builtin_prefetch(&m_slots[slotOf(entries[j + kAhead].hash)]);
            Entry &e = entries[j];
            if (!e.key.isNull()) {
                if (find(e.key, e.hash) >= 0) {
                    left.push_back(j);
                    continue;
                }
                place(e.hash, Count());
            }
            m_items.push_back(std::move(e));
        }
        return left;
    }

    bool Exists(const QString &key) const { return find(key, CaselessKey::foldedHash(key)) >= 0; }
    // 1-based index of a key; 0 when absent.
    int IndexOf(const QString &key) const { return find(key, CaselessKey::foldedHash(key)) + 1; }

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
    // hashes the entries keep, without reading a key's text.
    void RemoveMarked(const std::vector<bool> &marked) {
        size_t kept = 0;
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (i < marked.size() && marked[i])
                continue;
            if (kept != i)
                m_items[kept] = std::move(m_items[i]);
            ++kept;
        }
        if (kept == m_items.size())
            return;
        m_items.erase(m_items.begin() + std::ptrdiff_t(kept), m_items.end());
        reindex();
    }
    void Clear() {
        m_items.clear();
        m_slots.clear();
        m_keyed = 0;
    }
    void Reserve(int n) {
        m_items.reserve(size_t(n));
        if (slotsFor(size_t(n)) > m_slots.size())
            rehash(slotsFor(size_t(n)));
    }

    // Range-for over the items in order.
    struct Entry {
        T item;
        QString key;
        size_t hash;  // of the key, when there is one
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
    // The key index: open addressing over the entries' positions. A slot is
    // eight bytes (a tag of the hash and the position), so a look-up touches
    // one slot and, only when the tag matches, the entry itself.
    struct Slot {
        uint32_t tag = 0;
        int32_t at = 0;  // 1-based position; 0 = empty
    };

    void insertEntry(Entry &&entry, int before, int after) {
        int pos = Count();
        if (before > 0) {
            checkIndex(before);
            pos = before - 1;
        } else if (after > 0) {
            checkIndex(after);
            pos = after;
        }
        const bool keyed = !entry.key.isNull();
        if (keyed) {
            entry.hash = CaselessKey::foldedHash(entry.key);
            if (find(entry.key, entry.hash) >= 0)
                Raise(errDuplicateKey);
        }
        m_items.insert(m_items.begin() + pos, std::move(entry));
        if (pos != Count() - 1) {
            reindex();
        } else if (keyed) {
            if (slotsFor(m_keyed + 1) > m_slots.size())
                rehash(slotsFor(m_keyed + 1));
            place(m_items.back().hash, pos);
        }
    }
    void checkIndex(int index) const {
        if (index < 1 || index > Count())
            Raise(errInvalidCall);
    }
    int keyIndex(const QString &key) const {
        const int at = find(key, CaselessKey::foldedHash(key));
        if (at < 0)
            Raise(errInvalidCall);
        return at + 1;
    }
    static uint32_t tagOf(size_t hash) { return uint32_t(hash ^ (hash >> 32)); }
    // Multiplying spreads every bit of the hash into the top bits the slot is taken from.
    size_t slotOf(size_t hash) const { return size_t((hash * 0x9e3779b97f4a7c15ULL) >> m_shift); }
    // At most half the slots are used, so a probe meets an empty slot soon.
    static size_t slotsFor(size_t keys) {
        size_t n = 16;
        while (n < keys * 2)
            n *= 2;
        return n;
    }
    // 0-based position of the key's entry; -1 when absent.
    int find(QStringView key, size_t hash) const {
        if (m_slots.empty())
            return -1;
        const uint32_t tag = tagOf(hash);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = slotOf(hash);; i = (i + 1) & mask) {
            const Slot &s = m_slots[i];
            if (s.at == 0)
                return -1;
            if (s.tag == tag) {
                const Entry &e = m_items[size_t(s.at - 1)];
                if (e.hash == hash && QStringView(e.key).compare(key, Qt::CaseInsensitive) == 0)
                    return s.at - 1;
            }
        }
    }
    void place(size_t hash, int pos) {
        const size_t mask = m_slots.size() - 1;
        size_t i = slotOf(hash);
        while (m_slots[i].at != 0)
            i = (i + 1) & mask;
        m_slots[i] = Slot{tagOf(hash), int32_t(pos + 1)};
        ++m_keyed;
    }
    void rehash(size_t slots) {
        m_slots.assign(slots, Slot{});
        m_shift = 64;
        for (size_t n = slots; n > 1; n /= 2)
            --m_shift;
        m_keyed = 0;
        for (size_t i = 0; i < m_items.size(); ++i)
            if (!m_items[i].key.isNull())
                place(m_items[i].hash, int(i));
    }
    void reindex() {
        size_t keyed = 0;
        for (const Entry &e : m_items)
            keyed += e.key.isNull() ? 0 : 1;
        if (keyed == 0) {
            m_slots.clear();
            m_keyed = 0;
            return;
        }
        rehash(slotsFor(keyed));
    }

    std::vector<Entry> m_items;
    std::vector<Slot> m_slots;
    size_t m_keyed = 0;
    int m_shift = 64;
};

}  // namespace vb
