// The FindWhat session against the fake advertiser site: the exact requests
// of a read and of an update, login reuse, refusals, cancel, pages and rows
// as the site shows them, and the reads that must fail.

#include "SessionFixture.h"
#include "connect/FindWhatSession.h"
#include "fakes/FakeFindWhatSite.h"

#include <QFile>
#include <QTest>
#include <QTimer>

using fake::FakeFindWhatSite;
using namespace connectfix;

namespace {

// The body of one keyword row as the page gives it back.
QString rowBody(int id, const QString &encodedText, const QString &bid, const QString &old) {
    return QStringLiteral("kw_%1=%1&kwtext_%1=%2&bid_%1=%3&old_%1=%4").arg(id).arg(encodedText, bid, old);
}
QString additionalBody(int rows) {
    QStringList parts;
    for (int i = 1; i <= rows; ++i)
        parts << QStringLiteral("add_kw_%1=&add_bid_%1=").arg(i);
    return parts.join(QLatin1Char('&'));
}

const QString kFinalTitle = finalTitle("FindWhat");
const QStringList kLogin = {"GET /login", "POST /login/submit src=fw&username=joe&password=secret"};
// Two web sites, the first over two pages of two keywords.
const QStringList kRead = {
    "GET /manager?view=sites&sort=name", "GET /keywords?site=1", "GET /keywords?site=1&perpage=2",
    "GET /keywords?site=1&page=2",       "GET /keywords?site=2", "GET /keywords?site=2&perpage=2",
};

class FindWhatSessionTest : public SessionTest<FakeFindWhatSite, FindWhatSession> {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        const int shoes = site.addWebSite("www.shoes.example");
        const int hats = site.addWebSite("www.hats.example");
        site.addKeyword(shoes, "red shoes", 25, 3, {100, 90, 50, 25, 10});
        site.addKeyword(shoes, "shoes & boots", 110, 1, {110, 80});
        site.addKeyword(shoes, "sandals", 5, 0, {60, 55, 40, 30, 20});
        site.addKeyword(hats, "straw hat", 40, 2, {45, 40, 35, 30, 25});
    }
    void engineData(const QString &displayMaxNum = "2") {
        QFile::remove(g_sEngineDataFile);
        site.writeEngineData(g_sEngineDataFile, "FindWhat", displayMaxNum);
    }
    void run(const QString &action) { SessionTest::run(action, "FindWhat"); }
};

}  // namespace

TEST_F(FindWhatSessionTest, ReadsEveryPageOfEveryWebSite) {
    engineData();
    auto known = std::make_shared<clsKeyword>();
    known->setKeyword("Straw Hat");
    known->setMaxBid("2.00");
    keywords->Add(known, "Straw Hat");

    run("GetBids");
    EXPECT_EQ(lines(site.requestLines()), lines(kLogin + kRead));
    for (const auto &r : site.server().requests().mid(2))
        EXPECT_FALSE(r.cookie("FWSESSION").isEmpty()) << r.pathAndQuery().toStdString();

    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(session.Caption(), "Retrieve Keyword Bid data from FindWhat");
    EXPECT_EQ(session.Title(), "Retrieve keyword bid data successfully.");
    EXPECT_EQ(session.Status(), "Retrieving keyword bids from your account ...");
    EXPECT_EQ(session.ProgressValue(), 0);
    EXPECT_EQ(session.ProgressMax(), 20 + 2 * 2 + 2 * 1);
    EXPECT_EQ(session.LastLogin(), at("10:00:00"));

    ASSERT_EQ(keywords->Count(), 4);
    EXPECT_EQ(keywords->Item(1), known);
    struct Row { const char *keyword, *curBid, *curPos, *top; };
    const Row rows[] = {
        {"red shoes", "0.25", "3", "$1.00 $0.90 $0.50 $0.25 $0.10"},
        {"shoes & boots", "1.10", "1", "$1.10 $0.80 N/A N/A N/A"},
        {"sandals", "0.05", "", "$0.60 $0.55 $0.40 $0.30 $0.20"},  // no position marked
        {"straw hat", "0.40", "2", "$0.45 $0.40 $0.35 $0.30 $0.25"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.keyword);
        const clsKeyword &k = kw(r.keyword);
        EXPECT_EQ(k.CurBid(), r.curBid);
        EXPECT_EQ(k.NewBid(), r.curBid);
        EXPECT_EQ(k.CurPos(), r.curPos);
        EXPECT_EQ(QStringList({k.FirstBid(), k.SecondBid(), k.ThirdBid(), k.FourthBid(), k.FifthBid()}).join(' '),
                  r.top);
    }
    EXPECT_EQ(known->MaxBid(), "2.00");

    ASSERT_EQ(session.Pages().size(), 3u);
    const clsPage &second = *session.Pages()[1]->record;
    EXPECT_EQ(second.PageURL(), site.server().url("/keywords?site=1&page=2"));
    EXPECT_EQ(second.PostURL(), site.server().url("/keywords/update"));
    EXPECT_EQ(second.KeywordCount(), 1);
    EXPECT_EQ(second.TermCount()->sFieldValue, "1");
    EXPECT_EQ(session.FirstField()->sFieldName, "siteId");
    EXPECT_EQ(session.Fields()->Count(), 4);
}

TEST_F(FindWhatSessionTest, AnUpdateFiveMinutesLaterPostsEachPageWithoutALogin) {
    site.setAdditionalRows(3);  // not the five the site once had
    engineData();
    run("GetBids");
    ASSERT_FALSE(session.Cancelled());
    const int before = site.server().requestCount();
    kw("red shoes").setNewBid("0.30");
    kw("straw hat").setNewBid("0.55");

    testenv::setNow(at("10:05:00"));
    run("Update");
    const QString add = additionalBody(3);
    const QStringList expected = {
        "GET /keywords?site=1&perpage=2",
        "POST /keywords/update " + rowBody(101, "red%20shoes", "0.30", "0.25") + "&" +
            rowBody(102, "shoes%20%26%20boots", "1.10", "1.10") + "&" + add + "&siteId=1&termCount=2",
        "GET /keywords?site=1&page=2",
        "POST /keywords/update " + rowBody(103, "sandals", "0.05", "0.05") + "&" + add + "&siteId=1&termCount=1",
        "GET /keywords?site=2&perpage=2",
        "POST /keywords/update " + rowBody(104, "straw%20hat", "0.55", "0.40") + "&" + add + "&siteId=2&termCount=1",
        "GET /keywords?site=1&perpage=2",
        "GET /keywords?site=1&page=2",
        "GET /keywords?site=2&perpage=2",
    };
    EXPECT_EQ(lines(requestsFrom(before)), lines(expected));
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_TRUE(site.refused().isEmpty());
    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(session.Caption(), "Update Bids in FindWhat");
    EXPECT_EQ(session.Title(), "Keyword bids have been updated successfully.");
    EXPECT_EQ(session.Status(), "Retrieve new bid data from the server");
    EXPECT_EQ(site.bidOf("red shoes"), "0.30");
    EXPECT_EQ(site.bidOf("straw hat"), "0.55");
    EXPECT_EQ(site.bidOf("sandals"), "0.05");
    // The bids read back after the post.
    EXPECT_EQ(kw("red shoes").CurBid(), "0.30");
    EXPECT_EQ(kw("straw hat").CurBid(), "0.55");
    EXPECT_EQ(session.Pages().size(), 3u);
    // A post does not renew the login's age.
    EXPECT_EQ(session.LastLogin(), at("10:00:00"));
}

TEST_F(FindWhatSessionTest, AnUpdateLogsInFirstWhenTheLoginIsNotRecent) {
    engineData();
    struct Case { const char *name; QDateTime login, update; bool cancelBetween; bool logsIn; };
    const Case cases[] = {
        {"12 minute boundaries", at("10:00:59"), at("10:12:59"), false, false},
        {"13 minute boundaries", at("10:00:59"), at("10:13:00"), false, true},
        {"after a cancelled run", at("10:00:00"), at("10:02:00"), true, true},
        // The wall clock says 40 minutes earlier; 20 minutes have passed.
        {"summer time ended", at("02:50:00", 7200), at("02:10:00", 3600), false, true},
        {"the clock was put back", at("10:00:00"), at("09:58:00"), false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::setNow(c.login);
        run("GetBids");
        ASSERT_FALSE(session.Cancelled());
        if (c.cancelBetween) {
            session.setAction("GetBids");
            session.Prepare("FindWhat", false);
            session.CancelConnect();  // in its start wait: nothing is sent
        }
        testenv::setNow(c.update);
        const int before = site.server().requestCount();
        const int logins = site.loginCount();
        kw("sandals").setNewBid("0.07");
        run("Update");
        const QStringList sent = requestsFrom(before);
        EXPECT_EQ(site.loginCount(), logins + (c.logsIn ? 1 : 0));
        if (c.logsIn) {
            EXPECT_EQ(lines(sent.mid(0, 8)), lines(kLogin + kRead));
        }
        EXPECT_EQ(sent.size(), (c.logsIn ? 8 : 0) + 9);
        // The read of the login did not overwrite the caller's new bid.
        EXPECT_EQ(site.bidOf("sandals"), "0.07");
        EXPECT_FALSE(session.Cancelled());
        site.server().clearRequests();
    }
}

TEST_F(FindWhatSessionTest, ARefusedLoginIsTriedTwiceThenCancelled) {
    engineData();
    account->setPassword("wrong");
    run("GetBids");
    const QStringList attempt = {"GET /login", "POST /login/submit src=fw&username=joe&password=wrong"};
    EXPECT_EQ(lines(site.requestLines()), lines(attempt));
    EXPECT_EQ(session.Title(), kRetryTitle);
    EXPECT_EQ(session.Status(), "Login failed or System Temporarily Unavailable.");
    EXPECT_EQ(session.RetryInterval(), 6000);
    ASSERT_TRUE(session.RetryPending());

    session.FireRetryTimer();
    EXPECT_EQ(lines(site.requestLines()), lines(attempt + attempt));
    EXPECT_EQ(session.Title(), kFinalTitle);
    EXPECT_EQ(session.Status(), "Login Failed");
    EXPECT_FALSE(session.Cancelled());
    EXPECT_EQ(finished, 0);
    // The final message stands for the retry wait, then the run cancels.
    ASSERT_TRUE(session.RetryPending());
    session.FireRetryTimer();
    EXPECT_TRUE(session.Cancelled());
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(session.Active());
    EXPECT_EQ(site.server().requestCount(), 4);
    EXPECT_EQ(site.loginCount(), 0);
}

TEST_F(FindWhatSessionTest, APageWithoutAcknowledgementEndsTheUpdate) {
    site.setUnacknowledgedPage(1, 2);
    engineData();
    run("GetBids");
    const int before = site.server().requestCount();
    kw("red shoes").setNewBid("0.33");
    kw("straw hat").setNewBid("0.66");
    testenv::setNow(at("10:05:00"));
    run("Update");
    const QStringList attempt = {
        "GET /keywords?site=1&perpage=2",
        "POST /keywords/update " + rowBody(101, "red%20shoes", "0.33", "0.25"),
        "GET /keywords?site=1&page=2",
        "POST /keywords/update " + rowBody(103, "sandals", "0.05", "0.05"),
    };
    auto posted = [&] {
        QStringList sent = requestsFrom(before);
        for (QString &line : sent)
            line = line.section('&', 0, 3);  // the first row is enough to tell the pages apart
        return sent;
    };
    EXPECT_EQ(lines(posted()), lines(attempt));
    EXPECT_EQ(session.Title(), kRetryTitle);
    ASSERT_TRUE(session.RetryPending());
    session.FireRetryTimer();  // the same posts once more, on the same login
    EXPECT_EQ(lines(posted()), lines(attempt + attempt));
    EXPECT_EQ(session.Title(), kFinalTitle);
    session.FireRetryTimer();
    EXPECT_TRUE(session.Cancelled());
    EXPECT_EQ(site.loginCount(), 1);
    // Pages before the refused one stay posted; the later web site was not reached.
    EXPECT_EQ(site.bidOf("red shoes"), "0.33");
    EXPECT_EQ(site.bidOf("straw hat"), "0.40");
}

TEST_F(FindWhatSessionTest, AFailedReReadIsNotTriedAgain) {
    engineData();
    run("GetBids");
    kw("red shoes").setNewBid("0.44");
    // Once every page is posted, the site answers with its login page.
    site.setPageFilter([this](const fake::HttpRequest &, const QString &html) {
        return site.updateCount() >= 3 ? site.loginPage() : html;
    });
    testenv::setNow(at("10:05:00"));
    run("Update");
    EXPECT_EQ(site.bidOf("red shoes"), "0.44");
    EXPECT_EQ(session.Title(),
              "Unable to retrieve new bid data from the server. Please try again by clicking the 'Get Bids' button.");
    EXPECT_EQ(session.Status(), "Fail to retrieve new bid data");
    EXPECT_EQ(session.UpdateAttempt(), 3);
    const int sent = site.server().requestCount();
    ASSERT_TRUE(session.RetryPending());
    session.FireRetryTimer();
    EXPECT_TRUE(session.Cancelled());
    EXPECT_EQ(site.server().requestCount(), sent);
    EXPECT_EQ(site.updateCount(), 3);
}

TEST_F(FindWhatSessionTest, PagesAsTheSiteShowsThem) {
    // The site opens the web site on its last page, and offers no link for
    // the configured keywords per page: the page list is read as it stands.
    site.setPerPage(2);
    site.setStartPage(1, 2);
    site.setPerPageChoices({10, 25});
    engineData("100");
    run("GetBids");
    EXPECT_FALSE(session.Cancelled());
    const QStringList expected = {
        "GET /manager?view=sites&sort=name",
        "GET /keywords?site=1&page=2",
        "GET /keywords?site=1&page=1",
        "GET /keywords?site=1&page=2",
        "GET /keywords?site=2",
    };
    EXPECT_EQ(lines(requestsFrom(2)), lines(expected));
    EXPECT_EQ(keywords->Count(), 4);
    EXPECT_EQ(session.Pages().size(), 3u);
}

TEST_F(FindWhatSessionTest, AKeywordOnTwoWebSitesKeepsItsFirstRow) {
    site.addKeyword(2, "Red Shoes", 70, 1, {70});
    engineData();
    run("GetBids");
    ASSERT_FALSE(session.Cancelled());
    EXPECT_EQ(keywords->Count(), 4);
    EXPECT_EQ(kw("red shoes").CurBid(), "0.25");
    EXPECT_EQ(kw("red shoes").CurPos(), "3");
    EXPECT_TRUE(testenv::errorLog().contains(
        "frmConnectFindWhat_RetrieveKeywordAndField error: This key is already associated with an element of this "
        "collection"));
    const int before = site.server().requestCount();
    kw("red shoes").setNewBid("0.35");
    run("Update");
    EXPECT_FALSE(session.Cancelled());
    EXPECT_TRUE(site.refused().isEmpty());
    EXPECT_EQ(site.bidOf("red shoes", 1), "0.35");
    EXPECT_EQ(site.bidOf("Red Shoes", 2), "0.70");
    // Its second row went back as the page gave it.
    EXPECT_EQ(requestsFrom(before).filter("bid_105=0.70&old_105=0.70").size(), 1);
}

TEST_F(FindWhatSessionTest, CancelSendsNothingMore) {
    engineData();
    // In the start wait.
    session.setAction("GetBids");
    session.Prepare("FindWhat", true);
    session.setKeywordsCollection(keywords);
    session.CancelConnect();
    EXPECT_FALSE(session.StartPending());
    session.FireStartTimer();
    EXPECT_EQ(site.server().requestCount(), 0);
    EXPECT_TRUE(session.Cancelled());

    // In the middle of an answer, of a read and of a post.
    struct Case { const char *action; QString path; };
    const Case cases[] = {{"GetBids", "/keywords"}, {"Update", "/keywords/update"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.action);
        run("GetBids");
        ASSERT_FALSE(session.Cancelled());
        site.setDelay(c.path, 300);
        int cancelledAt = -1;
        site.setOnRequest([&](const fake::HttpRequest &r) {
            if (r.path == c.path && cancelledAt < 0) {
                cancelledAt = site.server().requestCount();
                QTimer::singleShot(20, &session, [this] { session.CancelConnect(); });
            }
        });
        run(c.action);
        EXPECT_TRUE(session.Cancelled());
        EXPECT_FALSE(session.Active());
        ASSERT_GT(cancelledAt, 0);
        QTest::qWait(400);  // the slow answer arrives; nothing follows it
        EXPECT_EQ(site.server().requestCount(), cancelledAt);
        site.setDelay(c.path, 0);
        site.setOnRequest(nullptr);
    }
}

TEST_F(FindWhatSessionTest, ReadsThatCannotBeWholeAreFailedAttempts) {
    auto upperLinks = [](const fake::HttpRequest &, const QString &html) {
        return QString(html).replace("<a href=\"/keywords?site=1&amp;page=", "<A HREF=\"/keywords?site=1&amp;page=");
    };
    auto openLinks = [](const fake::HttpRequest &, const QString &html) {
        // The last link of the page-link table loses its end.
        QString page = html;
        const int table = int(page.indexOf("<table class=\"pages\">"));
        const int last = int(page.lastIndexOf("</a>", page.indexOf("</table>", table)));
        return last > table ? page.remove(last, 4) : page;
    };
    auto lostSite = [this](const fake::HttpRequest &r, const QString &html) {
        return r.query.startsWith("site=2") ? site.loginPage() : html;
    };
    struct Case {
        const char *name;
        QString displayMaxNum;
        std::function<QString(const fake::HttpRequest &, const QString &)> filter;
        std::function<void(const fake::HttpRequest &)> onRequest;
        const char *log;
    };
    const Case cases[] = {
        {"a page size that is not a number", "hundred", nullptr, nullptr,
         "frmConnectFindwhat_Prepare Error:  Type mismatch"},
        {"no page size", QString(), nullptr, nullptr, "frmConnectFindwhat_Prepare Error:  Type mismatch"},
        {"page links in capitals", "2", upperLinks, nullptr,
         "frmConnectFindwhat_GetEveryPageURLs error: a page link is not closed."},
        {"a page link without its end", "2", openLinks, nullptr,
         "frmConnectFindwhat_GetEveryPageURLs error: a page link is not closed."},
        {"a web site that can't be read", "2", lostSite, nullptr,
         "frmConnectFindWhat_GetPageKeywordBids error: m_sKeywordFormStart or m_sKeywordFormEnd."},
        {"the session ends at the second web site", "2", nullptr,
         [this](const fake::HttpRequest &r) {
             if (r.query.startsWith("site=2"))
                 site.expireSessions();
         },
         "frmConnectFindWhat_GetPageKeywordBids error: m_sKeywordFormStart or m_sKeywordFormEnd."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        engineData(c.displayMaxNum);
        site.setPageFilter(c.filter);
        site.setOnRequest(c.onRequest);
        keywords = std::make_shared<KeywordCollection>();
        const int logged = int(testenv::errorLog().size());
        run("GetBids");
        EXPECT_EQ(session.Title(), kRetryTitle);
        ASSERT_TRUE(session.RetryPending());
        session.FireRetryTimer();
        EXPECT_EQ(session.Title(), kFinalTitle);
        session.FireRetryTimer();
        EXPECT_TRUE(session.Cancelled());
        EXPECT_FALSE(session.Active());
        EXPECT_TRUE(testenv::errorLog().mid(logged).contains(c.log)) << testenv::errorLog().mid(logged).toStdString();
        if (c.displayMaxNum != "2") {
            EXPECT_EQ(site.server().requestCount(), 0);  // nothing is sent on bad engine data
        }
        site.server().clearRequests();
    }
    site.setPageFilter(nullptr);
    site.setOnRequest(nullptr);
}

using FindWhatEmptyAccountTest = SessionTest<FakeFindWhatSite, FindWhatSession>;

TEST_F(FindWhatEmptyAccountTest, AnAccountWithoutWebSitesReadsAndUpdatesNothing) {
    site.writeEngineData(g_sEngineDataFile);
    auto kept = std::make_shared<clsKeyword>();
    kept->setKeyword("old keyword");
    kept->setCurBid("0.12");
    keywords->Add(kept, "old keyword");
    for (const char *action : {"GetBids", "Update"}) {
        SCOPED_TRACE(action);
        run(action, "FindWhat");
        EXPECT_FALSE(session.Cancelled());
        EXPECT_FALSE(session.RetryPending());
    }
    EXPECT_EQ(keywords->Count(), 1);
    EXPECT_EQ(kept->CurBid(), "0.12");
    EXPECT_TRUE(session.Pages().empty());
    EXPECT_EQ(site.updateCount(), 0);
    EXPECT_EQ(site.loginCount(), 1);
}
