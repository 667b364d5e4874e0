#pragma once
// A connection session against its fake advertiser site for the account
// "joe"/"secret": whole runs (Prepare, then the start wait ends), the
// requests sent and the keywords read.

#include "connect/ConnectRunControl.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace connectfix {

inline const QString kRetryTitle = QStringLiteral("Connection failed. Please wait while re-trying again ...");

// The final message of an engine's failed run.
inline QString finalTitle(const QString &engine) {
    return "Unable to connect to your " + engine + " account. The System Temporarily Unavailable or your login " +
           "name and password are incorrect. Please check " + engine + " with your web browser, and also make " +
           "sure your login name and password are correct, then try again at another time.";
}

// A time of day on a fixed date, `offsetSeconds` ahead of UTC.
inline QDateTime at(const QString &time, int offsetSeconds = 0) {
    return QDateTime(QDate(2024, 10, 27), QTime::fromString(time, QStringLiteral("hh:mm:ss")), Qt::OffsetFromUTC,
                     offsetSeconds);
}

inline std::string lines(const QStringList &list, const char *separator = "\n") {
    return list.join(QLatin1String(separator)).toStdString();
}

template <class Site, class Session>
class SessionTest : public ::testing::Test {
protected:
    Site site;
    Session session;
    std::shared_ptr<clsAccount> account = std::make_shared<clsAccount>();
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    int finished = 0;

    void SetUp() override {
        account->setUserName("joe");
        account->setPassword("secret");
        session.setAccount(account);
        QObject::connect(&session, &ConnectRunControl::finished, [this] { ++finished; });
        testenv::setNow(at("10:00:00"));
    }
    void run(const QString &action, const QString &engine, bool load = true) {
        session.setAction(action);
        session.Prepare(engine, load);
        session.setKeywordsCollection(keywords);
        session.FireStartTimer();
    }
    QStringList requestsFrom(int first) const { return site.requestLines().mid(first); }
    clsKeyword &kw(const QString &text) { return *keywords->Item(text); }
};

}  // namespace connectfix
