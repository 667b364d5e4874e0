#include "core/AccountWindowGuard.h"

#include <QHash>
#include <QPair>

namespace {
using AccountKey = QPair<QString, QString>;

// Windows may nest (a message over a dialog opening another), so each
// account keeps a count.
QHash<AccountKey, int> &openWindows() {
    static QHash<AccountKey, int> windows;
    return windows;
}

AccountKey keyOf(const QString &engine, const QString &account) {
    return {engine.toCaseFolded(), account.toCaseFolded()};
}
}  // namespace

AccountWindowGuard::AccountWindowGuard(const QString &engine, const QString &account)
    : m_sEngine(engine), m_sAccount(account) {
    ++openWindows()[keyOf(engine, account)];
}

AccountWindowGuard::~AccountWindowGuard() {
    auto &windows = openWindows();
    const auto it = windows.find(keyOf(m_sEngine, m_sAccount));
    if (it == windows.end())
        return;
    if (--it.value() <= 0)
        windows.erase(it);
}

bool AccountWindowGuard::IsOpen(const QString &engine, const QString &account) {
    return openWindows().contains(keyOf(engine, account));
}
