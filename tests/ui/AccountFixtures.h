#pragma once
// Files the account tree and the account dialog read: the engine data file,
// the project file, keyword lists and account files.

#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/EngineDataText.h"
#include "platform/Folders.h"
#include "support/TestEnv.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace fixtures {

// Engines in list order; each with a site and login address, and a "MinBid"
// when one is given for it.
inline void writeEngineData(const QStringList &engines, const QMap<QString, QString> &minBids = {}) {
    QByteArray text = fake::NumberedSection("OvertureEngines", engines);
    for (const QString &e : engines) {
        text += "\r\n" + fake::ExampleEngineSection(e);
        if (minBids.contains(e))
            text += "MinBid=" + minBids.value(e).toLatin1() + "\r\n";
    }
    testenv::writeFile(g_sEngineDataFile, text);
}

inline QString projectFile() { return platform::JoinPath(testenv::programDir(), "Account.zqp"); }
inline void writeProject(const QByteArray &bytes) { testenv::writeFile(projectFile(), bytes); }
inline QByteArray readProject() { return testenv::readFile(projectFile()); }

inline QString accountFolder(const QString &engine, const QString &account) {
    return platform::JoinPath(testenv::programDir(), "Accounts", engine, account);
}
inline QString accountFile(const QString &engine, const QString &account, const QString &file) {
    return platform::JoinPath(accountFolder(engine, account), file);
}
// A Keywords.dat with one record line (11 fields) per entry ("" gives an empty line).
inline void writeKeywords(const QString &engine, const QString &account, const QStringList &keywords) {
    QByteArray lines;
    for (const QString &k : keywords)
        lines += (k.isEmpty() ? QByteArray() : k.toLatin1() + ";;;;;;;;;;") + "\r\n";
    testenv::writeFile(accountFile(engine, account, "Keywords.dat"), lines);
}

inline clsAccount accountOf(const QString &engine, const QString &name) {
    clsAccount a;
    a.setEngine(engine);
    a.setAccountName(name);
    return a;
}
inline QString settingsFile(const QString &engine, const QString &name) {
    return accountOf(engine, name).SettingsFile();
}
// Writes an account file as the account dialog does; returns its path.
inline QString saveAccount(const QString &engine, const QString &name, const QString &user = {},
                           const QString &password = {}, float minBid = 0, float maxBid = 0) {
    clsAccount a = accountOf(engine, name);
    a.setUserName(user);
    a.setPassword(password);
    a.setMinBid(minBid);
    a.setMaxBid(maxBid);
    a.SaveSettings();
    return a.SettingsFile();
}

// An account file with the scheduler's values, the last look-up as stored text.
inline void writeScheduledAccount(const QString &engine, const QString &account, const QString &enable,
                                  const QString &hours, const QString &lastLookup,
                                  const QString &sentReport = "False") {
    testenv::writeFile(settingsFile(engine, account),
                       ("[Login Detail]\r\nUserName=u\r\nPassWord=p\r\nAccountID=\r\nMaxBid=1\r\nMinBid=0.1\r\n"
                        "SchedlerEnable=" + enable + "\r\nHours=" + hours + "\r\nLastLookup=" + lastLookup +
                        "\r\nSentReport=" + sentReport + "\r\n").toLatin1());
}
inline QString storedLastLookup(const QString &engine, const QString &account) {
    const QByteArray bytes = testenv::readFile(settingsFile(engine, account));
    const int at = int(bytes.indexOf("LastLookup="));
    return at < 0 ? QString() : QString::fromLatin1(bytes.mid(at + 11, bytes.indexOf("\r\n", at) - at - 11));
}

}  // namespace fixtures
