#pragma once
// An account's files and the fake engine a look-up test works against.

#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "fakes/FakeResultServer.h"
#include "lookup/IRankingCaller.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"
#include "ui/AccountFixtures.h"

#include <QDateTime>
#include <memory>

namespace lookupfix {

// "Google" and "Overture(UK)" search by GET, "Ask" by POST.
inline std::shared_ptr<clsEngine> engines(fake::FakeResultServer &server, const QString &decodeEngine = QString()) {
    server.writeEngineData({{QStringLiteral("Google"), false}, {QStringLiteral("Overture(UK)"), false},
                            {QStringLiteral("Ask"), true}},
                           decodeEngine);
    auto e = std::make_shared<clsEngine>();
    e->loadEngineData();
    return e;
}

inline QString keywordsFile(const QString &engine, const QString &account) {
    return fixtures::accountFile(engine, account, QStringLiteral("Keywords.dat"));
}
inline QByteArray keywordsBytes(const QString &engine, const QString &account) {
    return testenv::readFile(keywordsFile(engine, account));
}
inline void writeKeywordLines(const QString &engine, const QString &account, const QByteArray &lines) {
    testenv::writeFile(keywordsFile(engine, account), lines);
}
inline QString resultsFile(const QString &engine, const QString &keyword) {
    return clsKeywords::ResultsFile(engine, keyword);
}
inline void ownURLs(const QString &engine, const QString &account, const QString &text) {
    clsURL::SaveURL(engine, account, text);
}
// 3:41:07 PM, the time a look-up stamps on each answered keyword.
inline void fixClock() { testenv::setNow(QDateTime(QDate(2024, 5, 6), QTime(15, 41, 7))); }
inline const char *stamp() { return "3:41:07 PM"; }

struct StatusCounter : IRankingCaller {
    int calls = 0;
    void SetStatus() override { ++calls; }
};

}  // namespace lookupfix
