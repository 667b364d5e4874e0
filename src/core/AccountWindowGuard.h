#pragma once
// Marks an account's keyword, URL or suggestion window as open for as long
// as the guard lives. A look-up saves at its end the keyword list it read at
// its start, so no look-up of an account starts while such a window may
// change the account's files; look-up starters ask IsOpen first.

#include <QString>

class AccountWindowGuard {
public:
    AccountWindowGuard(const QString &engine, const QString &account);
    ~AccountWindowGuard();
    AccountWindowGuard(const AccountWindowGuard &) = delete;
    AccountWindowGuard &operator=(const AccountWindowGuard &) = delete;

    // True while some window of that account is open. Names compare without
    // regard to letter case, as the account tree compares them.
    static bool IsOpen(const QString &engine, const QString &account);

private:
    QString m_sEngine;
    QString m_sAccount;
};
