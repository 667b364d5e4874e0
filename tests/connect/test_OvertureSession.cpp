// The Overture session against the fake advertiser site: the exact
// requests of a read and of an update, login reuse, refusals, merged
// accounts, cancel, and what lands in the keyword collection.

#include "SessionFixture.h"
#include "connect/OvertureSession.h"
#include "core/modCommon.h"
#include "fakes/FakeOvertureSite.h"

#include <QTest>
#include <QTimer>

using fake::FakeOvertureSite;
using namespace connectfix;

namespace {

const QString kSuffix = QString::fromLatin1(OvertureSession::kUpdateSuffix);
const QString kPageForm = QStringLiteral("&_D:selectedPage=%20");
const QString kBidHidden = QStringLiteral("_dyncharset=ISO-8859-1&_D:bids=%20&");

class OvertureSessionTest : public SessionTest<FakeOvertureSite, OvertureSession> {
protected:
    // The five keywords most tests read: over three pages of two when the
    // keywords-per-page number is 2.
    void fiveKeywords() {
        site.addKeyword("red shoes", 25, "3", 40);
        site.addKeyword("blue & green boots", 110, "1", -1);
        site.addKeyword("sandals", 5, "\r\n 4\r\n", -1);  // a position over lines reads as one
        site.addKeyword("slippers", 100, "2", 100);
        site.addKeyword("clogs", 123456, "7", 123456);
    }
    void engineData(const QString &displayMaxNum = "2", const QString &engine = "Overture") {
        site.writeEngineData(g_sEngineDataFile, engine, displayMaxNum);
    }
    void run(const QString &action, const QString &engine = "Overture") { SessionTest::run(action, engine); }
};

const QStringList kLogin = {
    "GET /login",
    "POST /login/submit src=home&username=joe&password=secret",
};
const QStringList kReadThreePages = {
    "GET /bids/manage?src=nav&view=all",
    "POST /bids/displaymax displayMax=2&_D:displayMax=%20",
    "POST /bids/page selectedPage=2" + kPageForm,
    "POST /bids/page selectedPage=3" + kPageForm,
    "POST /bids/page selectedPage=1" + kPageForm,
};

}  // namespace

TEST_F(OvertureSessionTest, ReadsEveryPageIntoTheCollection) {
    fiveKeywords();
    engineData();
    // A keyword the caller already holds keeps its settings and takes the fresh bids.
    auto known = std::make_shared<clsKeyword>();
    known->setKeyword("Red Shoes");
    known->setMaxBid("2.00");
    known->setStatus("ranked");
    keywords->Add(known, "Red Shoes");

    run("GetBids");
    EXPECT_EQ(lines(site.requestLines()), lines(kLogin + kReadThreePages));
    // Every page after the login carries the session cookie the login set.
    for (const auto &r : site.server().requests().mid(2))
        EXPECT_FALSE(r.cookie("SID").isEmpty()) << r.pathAndQuery().toStdString();

    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(session.Title(), "Keyword bid data has been successfully retrieved");
    ASSERT_EQ(keywords->Count(), 5);
    EXPECT_EQ(keywords->Item(1), known);
    struct Row { const char *keyword, *curBid, *curPos, *firstBid, *newBid; };
    const Row rows[] = {
        {"red shoes", "$0.25", "3", "$0.39", "0.25"},
        {"blue & green boots", "$1.10", "1", "$1.10", "1.10"},  // no top amount at position 1
        {"sandals", "$0.05", "4", "N/A", "0.05"},               // no top amount elsewhere
        {"slippers", "$1.00", "2", "$0.99", "1.00"},
        {"clogs", "$1234.56", "7", "$1234.55", "1234.56"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.keyword);
        const clsKeyword &k = kw(r.keyword);
        EXPECT_EQ(k.CurBid(), r.curBid);
        EXPECT_EQ(k.CurPos(), r.curPos);
        EXPECT_EQ(k.FirstBid(), r.firstBid);
        EXPECT_EQ(k.NewBid(), r.newBid);
    }
    EXPECT_EQ(known->MaxBid(), "2.00");
    EXPECT_EQ(known->Status(), "ranked");

    ASSERT_EQ(session.Pages().size(), 3u);
    EXPECT_EQ(session.Pages()[0]->rows.size(), 2u);
    EXPECT_EQ(session.Pages()[2]->rows.size(), 1u);
    EXPECT_EQ(session.Pages()[1]->actionURL, site.server().url("/bids/update"));
    EXPECT_EQ(session.HiddenFields()->Count(), 2);
    EXPECT_EQ(site.currentPage(), 1);
    EXPECT_EQ(session.LastLogin(), at("10:00:00"));
}

TEST_F(OvertureSessionTest, AnUpdateFiveMinutesLaterPostsEachPageWithoutALogin) {
    fiveKeywords();
    engineData();
    run("GetBids");
    const int before = site.server().requestCount();
    kw("red shoes").setNewBid("0.30");
    kw("slippers").setNewBid("1.05");

    testenv::setNow(at("10:05:00"));
    run("Update");
    const QStringList expected = {
        "POST /bids/update " + kBidHidden + "kw_101=101&bid_101=0.30&kw_102=102&bid_102=1.10" + kSuffix,
        "POST /bids/page selectedPage=2" + kPageForm,
        "POST /bids/update " + kBidHidden + "kw_103=103&bid_103=0.05&kw_104=104&bid_104=1.05" + kSuffix,
        "POST /bids/page selectedPage=3" + kPageForm,
        "POST /bids/update " + kBidHidden + "kw_105=105&bid_105=1234.56" + kSuffix,
        "POST /bids/page selectedPage=1" + kPageForm,
    };
    EXPECT_EQ(lines(requestsFrom(before)), lines(expected));
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(session.Title(), "Keyword bids have been successfully updated");
    EXPECT_EQ(session.Status(), "Keyword bids have been successfully updated");
    EXPECT_EQ(site.bidOf("red shoes"), "0.30");
    EXPECT_EQ(site.bidOf("slippers"), "1.05");
    EXPECT_EQ(site.bidOf("sandals"), "0.05");
    EXPECT_TRUE(site.refused().isEmpty());
    // The answers were read back: the collection shows the bids now standing.
    EXPECT_EQ(kw("red shoes").CurBid(), "$0.30");
    EXPECT_EQ(kw("slippers").CurBid(), "$1.05");
    EXPECT_EQ(session.LastLogin(), at("10:05:00"));
}

TEST_F(OvertureSessionTest, AnUpdateLogsInFirstAfterThirteenMinutesOrACancelledRun) {
    fiveKeywords();
    engineData();
    for (const char *why : {"thirteen minute boundaries", "cancelled run"}) {
        SCOPED_TRACE(why);
        testenv::setNow(at("10:00:00"));
        run("GetBids");
        if (QString(why) == "cancelled run") {
            run("GetBids");
            session.CancelConnect();  // in its start wait: nothing was sent
            testenv::setNow(at("10:02:00"));
        } else {
            testenv::setNow(at("10:13:00"));
        }
        const int before = site.server().requestCount();
        const int logins = site.loginCount();
        kw("sandals").setNewBid("0.07");
        run("Update");
        const QStringList sent = requestsFrom(before);
        EXPECT_EQ(lines(sent.mid(0, 7)), lines(kLogin + kReadThreePages));
        EXPECT_EQ(sent.size(), 13);
        EXPECT_TRUE(sent.value(7).startsWith("POST /bids/update "));
        EXPECT_EQ(site.loginCount(), logins + 1);
        // The read of the login did not overwrite the caller's new bid.
        EXPECT_EQ(site.bidOf("sandals"), "0.07");
        EXPECT_FALSE(session.Cancelled());
    }
}

TEST_F(OvertureSessionTest, RefusedLoginsEndAfterOneAttempt) {
    struct Case { const char *name; bool unavailable; QString password; QStringList requests; };
    const Case cases[] = {
        {"wrong password", false, "wrong", {"GET /login", "POST /login/submit src=home&username=joe&password=wrong"}},
        {"temporarily unavailable", true, "secret", {"GET /login"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        site.server().clearRequests();
        site.setUnavailable(c.unavailable);
        engineData();
        account->setPassword(c.password);
        run("GetBids");
        EXPECT_EQ(lines(site.requestLines()), lines(c.requests));
        EXPECT_EQ(session.Title(), finalTitle("Overture"));
        EXPECT_EQ(session.Status(), "Connect Failed");
        EXPECT_EQ(session.RetryInterval(), 6000);
        ASSERT_TRUE(session.RetryPending());
        EXPECT_EQ(finished, 0);
        session.FireRetryTimer();
        EXPECT_TRUE(session.Cancelled());
        EXPECT_EQ(finished, 1);
        EXPECT_EQ(site.requestLines().size(), c.requests.size());
        finished = 0;
    }
}

TEST_F(OvertureSessionTest, MergedAccountsSelectTheAccountsID) {
    const QString invalid = QStringLiteral(
        "Unable to connect to your Overture account.\r\nError: The Account Id you have entered is invalid. Please "
        "check your Account ID carefully and make sure to specify a correct Account ID for your 'Account' then try "
        "again.");
    struct Case {
        const char *name;
        QStringList listed;
        QString accountID;
        QStringList afterLogin;  // requests after the two of the login
        QString active;          // the site's account afterwards
        QString finalTitle;      // "" for success
        int attempts;
    };
    const Case cases[] = {
        {"already selected", {"1001", "1002"}, "1001", {"GET /bids/manage?src=nav&view=all"}, "1001", "", 1},
        {"another one", {"1001", "1002"}, "1002",
         {"POST /account/select accountId=1002&_D:accountId=%20", "GET /bids/manage?src=nav&view=all"}, "1002", "", 1},
        // Only the beginning of a listed ID.
        {"unknown", {"1001", "1002"}, "100", {}, "1001", invalid, 1},
        {"no list on the page", {}, "1001", kLogin, "",
         "Unable to connect to your Overture account.\r\nError: Failed to login.", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeOvertureSite merged;
        merged.setMergedAccounts(c.listed, c.listed.value(0));
        merged.addKeyword("red shoes", 25, "3", 40);
        QFile::remove(g_sEngineDataFile);
        merged.writeEngineData(g_sEngineDataFile, "Overture", "40");
        account->setAccountID(c.accountID);
        run("GetBids");
        if (c.attempts == 2)
            session.FireRetryTimer();
        const QStringList sent = merged.requestLines();
        EXPECT_EQ(lines(sent.mid(0, 2)), lines(kLogin));
        EXPECT_EQ(lines(sent.mid(2, c.afterLogin.size())), lines(c.afterLogin));
        EXPECT_EQ(merged.activeAccount(), c.active);
        if (c.finalTitle.isEmpty()) {
            EXPECT_FALSE(session.Cancelled());
            EXPECT_TRUE(keywords->Exists("red shoes"));
        } else {
            EXPECT_EQ(sent.size(), 2 * c.attempts);
            EXPECT_EQ(session.Title(), c.finalTitle);
            session.FireRetryTimer();
            EXPECT_TRUE(session.Cancelled());
        }
    }
}

TEST_F(OvertureSessionTest, CancelDuringASlowAnswerSendsNothingMore) {
    fiveKeywords();
    engineData();
    for (const char *path : {"/bids/page", "/bids/update"}) {
        SCOPED_TRACE(path);
        run("GetBids");
        kw("red shoes").setNewBid("0.41");
        site.setDelay(path, 300);
        int cancelledAt = -1;
        site.setOnRequest([&](const fake::HttpRequest &r) {
            if (r.path == path && cancelledAt < 0) {
                cancelledAt = site.server().requestCount();
                QTimer::singleShot(20, &session, [this] { session.CancelConnect(); });
            }
        });
        run(QString(path) == "/bids/page" ? "GetBids" : "Update");
        EXPECT_TRUE(session.Cancelled());
        EXPECT_FALSE(session.Active());
        ASSERT_GT(cancelledAt, 0);
        QTest::qWait(400);  // the slow answer arrives; nothing follows it
        EXPECT_EQ(site.server().requestCount(), cancelledAt);
        site.setDelay(path, 0);
        site.setOnRequest(nullptr);
    }
    EXPECT_TRUE(testenv::errorLog().contains("frmConnectOverture_PostToServer error:  The operation was cancelled"));
}

TEST_F(OvertureSessionTest, TheUKSiteShowsPoundAmounts) {
    site.setPound(true);
    site.addKeyword("tea cosy", 25, "3", 125);
    site.addKeyword("scone", 200, "1", -1);
    engineData("40", "Overture(UK)");
    run("GetBids", "Overture(UK)");
    ASSERT_FALSE(session.Cancelled());
    EXPECT_EQ(kw("tea cosy").CurBid(), PoundSign() + "0.25");
    EXPECT_EQ(kw("tea cosy").FirstBid(), PoundSign() + "1.24");
    EXPECT_EQ(kw("scone").FirstBid(), PoundSign() + "2.00");
    EXPECT_EQ(session.Caption(), "Retrieve Keyword Bid data from Overture(UK)");
}

TEST_F(OvertureSessionTest, TheReadStartsOnPageOneAndPostsOnlyWhatItMust) {
    site.addKeywords(5);
    site.setPerPage(2);
    site.setCurrentPage(3);
    engineData("40");  // the site's own page size: no keywords-per-page post
    site.setEmptyAnswers("/bids/page", 1);
    run("GetBids");
    const QStringList expected = {
        "GET /bids/manage?src=nav&view=all",
        "POST /bids/page selectedPage=1" + kPageForm,
        "POST /bids/page selectedPage=1" + kPageForm,  // the empty answer is asked again
        "POST /bids/page selectedPage=2" + kPageForm,
        "POST /bids/page selectedPage=3" + kPageForm,
        "POST /bids/page selectedPage=1" + kPageForm,
    };
    EXPECT_EQ(lines(requestsFrom(2)), lines(expected));
    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(keywords->Count(), 5);
    EXPECT_EQ(session.ProgressMax(), 12 + 2 + 2 * 2 + 2);
}

TEST_F(OvertureSessionTest, EachPageIsPostedWithItsOwnRows) {
    // The site keeps three rows a page whatever the keywords-per-page post asks.
    site.addKeywords(7);
    site.setPerPage(3);
    site.setIgnoreDisplayMax(true);
    engineData("5");
    run("GetBids");
    ASSERT_FALSE(session.Cancelled());
    const int before = site.server().requestCount();
    for (int i = 1; i <= 7; ++i)
        kw(QStringLiteral("keyword %1").arg(i)).setNewBid(QStringLiteral("0.%1").arg(50 + i));
    run("Update");
    EXPECT_FALSE(session.Cancelled());
    QList<int> rowsPerPost;
    for (const QString &line : requestsFrom(before))
        if (line.startsWith("POST /bids/update"))
            rowsPerPost.append(int(line.count("bid_")));
    EXPECT_EQ(rowsPerPost, (QList<int>{3, 3, 1}));
    EXPECT_TRUE(site.refused().isEmpty());
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(site.bidOf(QStringLiteral("keyword %1").arg(i)), QStringLiteral("0.%1").arg(50 + i));
}

TEST_F(OvertureSessionTest, AKeywordListedTwiceKeepsItsFirstRow) {
    site.addKeyword("shoes", 25, "3", 40);
    site.addKeyword("boots", 30, "2", 45);
    site.addKeyword("shoes", 70, "1", -1);
    site.setPerPage(2);
    engineData("40");
    run("GetBids");
    ASSERT_FALSE(session.Cancelled());
    EXPECT_EQ(keywords->Count(), 2);
    EXPECT_EQ(kw("shoes").CurBid(), "$0.25");
    EXPECT_TRUE(testenv::errorLog().contains(
        "frmConnectOverTure_GetKeywordAndFieldFromRow error: This key is already associated with an element of "
        "this collectionsKeyword=shoes"));
    const int before = site.server().requestCount();
    kw("shoes").setNewBid("0.33");
    run("Update");
    const QStringList sent = requestsFrom(before);
    EXPECT_TRUE(sent.value(0).contains("bid_101=0.33"));
    EXPECT_TRUE(sent.value(2).contains("kw_103=103&bid_103=0.70"));  // its later row as the page gave it
    EXPECT_EQ(site.requestLines().filter("bid_103=0.33").size(), 0);
}

TEST_F(OvertureSessionTest, FailuresOfTheReadAreFailedAttempts) {
    // Keywords per page that is not a number: logged, tried twice, cancelled.
    {
        site.addKeywords(3);
        engineData("forty");
        run("GetBids");
        EXPECT_TRUE(session.RetryPending());
        session.FireRetryTimer();
        session.FireRetryTimer();
        EXPECT_TRUE(session.Cancelled());
        EXPECT_EQ(site.loginCount(), 2);
        EXPECT_EQ(site.requestLines().filter("/bids/displaymax").size(), 0);
        EXPECT_TRUE(testenv::errorLog().contains("frmConnectOverTure_GetBids error: Type mismatch"));
    }
    // A session that ends in the middle of the read: the page without a bid
    // form fails the attempt and the retry reads everything.
    {
        FakeOvertureSite expiring;
        expiring.addKeywords(5);
        expiring.setPerPage(2);
        QFile::remove(g_sEngineDataFile);
        expiring.writeEngineData(g_sEngineDataFile, "Overture", "40");
        bool expired = false;
        expiring.setOnRequest([&](const fake::HttpRequest &r) {
            if (r.path == "/bids/page" && !expired) {
                expired = true;
                expiring.expireSessions();
            }
        });
        keywords = std::make_shared<KeywordCollection>();
        run("GetBids");
        EXPECT_EQ(session.Title(), kRetryTitle);
        session.FireRetryTimer();
        EXPECT_FALSE(session.Cancelled());
        EXPECT_EQ(expiring.loginCount(), 2);
        EXPECT_EQ(keywords->Count(), 5);
        EXPECT_TRUE(testenv::errorLog().contains(
            "frmConnectOverture_GetPageKeywordBids error MbFormStart or MbFormEnd not find."));
    }
}

TEST_F(OvertureSessionTest, PrepareMovesAnOvertureLoginToTheAlternateHost) {
    testenv::writeFile(g_sEngineDataFile,
                       "[Overture]\r\nLoginURL=https://secure.overture.example/s/login?from=secure.overture\r\n"
                       "[FindWhat]\r\nLoginURL=https://secure.findwhat.example/login\r\n");
    session.Prepare("Overture", true);
    EXPECT_EQ(session.LoginURL(), "https://a-secure.overture.example/s/login?from=secure.overture");
    session.Prepare("FindWhat", true);
    EXPECT_EQ(session.LoginURL(), "https://secure.findwhat.example/login");
    session.CancelConnect();
}

TEST(OverturePageReader, FirstBidIsOneCentUnderThePositionOneAmountInExactCents) {
    const QString pound = PoundSign();
    struct Case { QString amount, curBid, position; bool pound; QString firstBid; };
    const Case cases[] = {
        {"$1.25", "$0.80", "3", false, "$1.24"},
        {"1,234.50", "$0.80", "3", false, "$1234.49"},
        // Single precision would give 262143.98 here.
        {"$262144.01", "$0.80", "3", false, "$262144.00"},
        {"$0.00", "$0.00", "2", false, "-$0.01"},
        {pound + "1.25", pound + "0.80", "3", true, pound + "1.24"},
        {"N/A", "$1.10", "1", false, "$1.10"},  // at position 1 the keyword's own bid
        {"N/A", "$1.10", "2", false, "N/A"},
        {"", "$1.10", "4", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.amount.toStdString());
        EXPECT_EQ(OverturePageReader::FirstBid(c.amount, c.curBid, c.position, c.pound).toStdString(),
                  c.firstBid.toStdString());
    }
}
