#include "LookUpFixtures.h"

#include "core/modCommon.h"
#include "lookup/clsRanking.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

using fake::FakeListing;
using fake::FakeResultServer;
using fake::HttpResponse;
using namespace lookupfix;

namespace {

struct RankingTest : ::testing::Test {
    FakeResultServer server;
    std::shared_ptr<clsEngine> engine = engines(server);
    StatusCounter status;

    std::unique_ptr<clsRanking> prepare(const QString &engineName, const QString &account,
                                        const QString &selected = QString(), int *count = nullptr) {
        auto r = std::make_unique<clsRanking>();
        r->setAccountName(account);
        r->setEngineObject(engine);
        r->setCallForm(&status);
        int n = -1;
        const bool ok = r->SetVariable(engine->GetEngineIndex(engineName), selected, &n);
        if (count)
            *count = n;
        return ok ? std::move(r) : nullptr;
    }
    // Runs the look-up to its end.
    void run(clsRanking &r) {
        r.Connect();
        ASSERT_TRUE(QTest::qWaitFor([&] { return r.Complete(); }, 10000));
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

}  // namespace

TEST_F(RankingTest, KeywordsAreSearchedAsTypedExceptForARepeatingBracket) {
    fixtures::writeKeywords("Google", "acme",
                            {"cheap flights (cheap flights)", "(cheap) cheap shoes", "shoes (red)", "boots) (x",
                             "shoes ( shoes )", "red & blue", QStringLiteral("caf\u00e9")});
    auto r = prepare(QStringLiteral("Google"), QStringLiteral("acme"));
    ASSERT_TRUE(r);
    run(*r);
    QStringList sent;
    for (const auto &req : server.http().requests()) {
        EXPECT_EQ(req.method, QByteArray("GET"));
        sent << req.pathAndQuery();
    }
    EXPECT_EQ(sent, (QStringList{"/search?q=cheap+flights+&n=20", "/search?q=+cheap+shoes&n=20",
                                 "/search?q=shoes+(red)&n=20", "/search?q=boots)+(x&n=20",
                                 "/search?q=shoes+(+shoes+)&n=20", "/search?q=red+%26+blue&n=20",
                                 "/search?q=caf%E9&n=20"}));
    EXPECT_EQ(server.terms(), (QStringList{"cheap flights ", " cheap shoes", "shoes (red)", "boots) (x",
                                           "shoes ( shoes )", "red & blue", QStringLiteral("caf\u00e9")}));
    EXPECT_EQ(status.calls, 7);
}

TEST_F(RankingTest, APostEngineSendsItsTemplateWithTheTerm) {
    fixtures::writeKeywords("Ask", "acme", {"cheap flights (cheap flights)", "a+b=c"});
    auto r = prepare(QStringLiteral("Ask"), QStringLiteral("acme"));
    ASSERT_TRUE(r);
    run(*r);
    const auto &reqs = server.http().requests();
    ASSERT_EQ(reqs.size(), 2);
    for (const auto &req : reqs) {
        EXPECT_EQ(req.method, QByteArray("POST"));
        EXPECT_EQ(req.pathAndQuery(), QStringLiteral("/search"));
    }
    EXPECT_EQ(reqs[0].body, QByteArray("q=cheap%20flights%20&src=bm"));
    EXPECT_EQ(reqs[1].body, QByteArray("q=a%2Bb%3Dc&src=bm"));
}

TEST_F(RankingTest, ACompleteLookUpWritesResultsFilesAndKeywordsDat) {
    fixClock();
    writeKeywordLines("Overture(UK)", "acme",
                      "shoes;;;;;;;;;;\r\n"
                      "boots;3;$0.90;;;;;;;1;\r\n"
                      "hats;7;$1.00;$0.50;$1.00;$0.90;;;;1;Fail\r\n");
    ownURLs("Overture(UK)", "acme", QStringLiteral("shop.example\r\n"));
    server.setListings("shoes", {{"a.example", "Alpha shoes", "0.40"},
                                 {"www.shop.example/s", "Our shoes", "0.30"},
                                 {"b.example", "Beta;#shoes", "0.25"},
                                 {"shop.example/t", "More of ours", "0.2"},
                                 {"c.example", "Gamma", QString()},
                                 {"d.example", "Delta", "0.01"}});
    // An error page leaves the keyword's old results as they were.
    server.setAnswer("boots", HttpResponse::error(500, QStringLiteral("<html>Server busy</html>")));
    testenv::writeFile(resultsFile("Overture(UK)", "boots"), "old.example;#Old;#$0.10\r\n");
    server.setAnswer("hats", HttpResponse::page(QStringLiteral("<html>No results section at all</html>")));
    testenv::writeFile(resultsFile("Overture(UK)", "hats"), "old.example;#Old;#$0.10\r\n");

    auto r = prepare(QStringLiteral("Overture(UK)"), QStringLiteral("acme"));
    ASSERT_TRUE(r);
    run(*r);
    EXPECT_EQ(server.http().requestCount(), 3);
    EXPECT_EQ(testenv::readFile(resultsFile("Overture(UK)", "shoes")),
              QByteArray("a.example;#Alpha shoes;#\xa3" "0.40\r\n"
                         "www.shop.example/s;#Our shoes;#\xa3" "0.30\r\n"
                         "b.example;#Beta; #shoes;#\xa3" "0.25\r\n"
                         "shop.example/t;#More of ours;#\xa3" "0.20\r\n"
                         "c.example;#Gamma;#\xa3" "0.00\r\n"
                         "d.example;#Delta;#\xa3" "0.01\r\n"));
    EXPECT_EQ(testenv::readFile(resultsFile("Overture(UK)", "boots")), QByteArray("old.example;#Old;#$0.10\r\n"));
    EXPECT_EQ(testenv::readFile(resultsFile("Overture(UK)", "hats")), QByteArray());
    EXPECT_EQ(keywordsBytes("Overture(UK)", "acme"),
              QByteArray("shoes;;\xa3" "0.30,\xa3" "0.20;\xa3" "0.25;\xa3" "0.40;\xa3" "0.30;\xa3" "0.25;\xa3"
                         "0.20;\xa3" "0.00;2,4;3:41:07 PM\r\n"
                         "boots;3;$0.90;;;;;;;1;Fail\r\n"
                         "hats;7;$1.00;$0.50;$1.00;$0.90;;;;1;3:41:07 PM\r\n"
                         "\r\n"));
    EXPECT_FALSE(clsRanking::IsAccountBeingLookedUp(QStringLiteral("Overture(UK)"), QStringLiteral("acme")));
}

TEST_F(RankingTest, AnEmptyAnswerIsTriedFourTimesThenMarkedFail) {
    writeKeywordLines("Google", "acme", "shoes;;$0.30;$0.20;$0.50;;;;;2;1:00:00 PM\r\n");
    testenv::writeFile(resultsFile("Google", "shoes"), "x.example;#X;#$0.50\r\n");
    server.setAnswer("shoes", HttpResponse::empty());
    auto r = prepare(QStringLiteral("Google"), QStringLiteral("acme"));
    ASSERT_TRUE(r);
    run(*r);
    EXPECT_EQ(server.http().requestCount(), 4);
    EXPECT_EQ(keywordsBytes("Google", "acme"), QByteArray("shoes;;$0.30;$0.20;$0.50;;;;;2;Fail\r\n\r\n"));
    EXPECT_EQ(testenv::readFile(resultsFile("Google", "shoes")), QByteArray("x.example;#X;#$0.50\r\n"));
}

TEST_F(RankingTest, AStoppedLookUpLeavesKeywordsDatByteForByte) {
    const QByteArray before = "one;;;;;;;;;;\r\ntwo;5;$0.10;;;;;;;3;Fail\r\nthree;;;;;;;;;;\r\n";
    writeKeywordLines("Google", "acme", before);
    server.setListings("one", {{"a.example", "A", "1"}});
    server.setAnswer("two", HttpResponse::page(FakeResultServer::Page({})).delayed(5000));
    auto r = prepare(QStringLiteral("Google"), QStringLiteral("acme"));
    ASSERT_TRUE(r);
    r->Connect();
    ASSERT_TRUE(server.http().waitForRequests(2));
    r->Disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return r->Disconnected(); }, 5000));
    QTest::qWait(50);
    EXPECT_FALSE(r->Complete());
    EXPECT_EQ(server.http().requestCount(), 2);
    EXPECT_EQ(keywordsBytes("Google", "acme"), before);
    // The answered keyword's results file stands; the stopped one has none.
    EXPECT_EQ(testenv::readFile(resultsFile("Google", "one")), QByteArray("a.example;#A;#$1.00\r\n"));
    EXPECT_FALSE(QFileInfo::exists(resultsFile("Google", "two")));
    EXPECT_FALSE(clsRanking::IsAccountBeingLookedUp(QStringLiteral("Google"), QStringLiteral("acme")));
}

TEST_F(RankingTest, WhatGetsQueued) {
    fixtures::writeKeywords("Google", "acme", {"shoes", "boots", "hats"});
    int n = 0;
    auto one = prepare(QStringLiteral("Google"), QStringLiteral("acme"), QStringLiteral("boots"), &n);
    ASSERT_TRUE(one);
    EXPECT_EQ(n, 3);
    ASSERT_EQ(one->Requests().size(), 1);
    EXPECT_TRUE(one->Requests()[0].URL().endsWith(QStringLiteral("/search?q=boots&n=20")));
    EXPECT_EQ(one->EngineName(), QStringLiteral("Google"));
    one.reset();

    // The selected keyword must match in letter case.
    EXPECT_FALSE(prepare(QStringLiteral("Google"), QStringLiteral("acme"), QStringLiteral("BOOTS"), &n));
    EXPECT_EQ(n, 3);
    // No keywords at all.
    EXPECT_FALSE(prepare(QStringLiteral("Google"), QStringLiteral("nobody"), QString(), &n));
    EXPECT_EQ(n, 0);
    // An engine that is not loaded.
    EXPECT_FALSE(prepare(QStringLiteral("Lycos"), QStringLiteral("acme")));
    EXPECT_TRUE(testenv::errorLog().contains("clsranking_SetVariable error:  Subscript out of range\r\n"));

    // Nothing queued: complete at once, without a status call or a request.
    clsRanking empty;
    empty.setCallForm(&status);
    empty.Connect();
    EXPECT_TRUE(empty.Complete());
    EXPECT_EQ(status.calls, 0);
    EXPECT_EQ(server.http().requestCount(), 0);
}

TEST_F(RankingTest, OneLookUpPerAccountAtATime) {
    fixtures::writeKeywords("Google", "acme", {"shoes"});
    auto first = prepare(QStringLiteral("Google"), QStringLiteral("acme"));
    ASSERT_TRUE(first);
    EXPECT_TRUE(clsRanking::IsAccountBeingLookedUp(QStringLiteral("google"), QStringLiteral("ACME")));

    auto second = std::make_unique<clsRanking>();
    second->setAccountName(QStringLiteral("acme"));
    second->setEngineObject(engine);
    int n = 0;
    EXPECT_FALSE(second->SetVariable(engine->GetEngineIndex(QStringLiteral("Google")), QString(), &n));
    EXPECT_TRUE(second->RefusedBusyAccount());
    EXPECT_EQ(n, 1);
    // Another account of the engine is free.
    fixtures::writeKeywords("Google", "other", {"hats"});
    EXPECT_TRUE(prepare(QStringLiteral("Google"), QStringLiteral("other")));

    // Completing releases the account, and so does releasing the object.
    run(*first);
    EXPECT_TRUE(second->SetVariable(engine->GetEngineIndex(QStringLiteral("Google"))));
    EXPECT_FALSE(second->RefusedBusyAccount());
    EXPECT_FALSE(prepare(QStringLiteral("Google"), QStringLiteral("acme")));
    second.reset();
    EXPECT_TRUE(prepare(QStringLiteral("Google"), QStringLiteral("acme")));
}
