#pragma once
// Files the account tree and the account dialog read: the engine data file,
// the project file, keyword lists and account files.

#include "core/Globals.h"
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

}  // namespace fixtures
