// The main window against the fake FindWhat site: a bid run (Run >
// AutoBid, Get Bids, one New Bid typed in the grid, Update: the site
// changes exactly that bid and the grid shows the bids read back), and
// Retrieve Keywords from Account, which keeps the list when a web site
// can't be read.

#include "ProgramFixtures.h"

#include "connect/FindWhatSession.h"
#include "connect/frmConnectFindWhat.h"
#include "core/clsURL.h"
#include "fakes/FakeFindWhatSite.h"

using fixtures::gridRow;

TEST(RunAutoBidFindWhat, TheSiteChangesExactlyTheTypedBid) {
    fake::FakeFindWhatSite site;
    const int shoes = site.addWebSite("www.shoes.example");
    const int hats = site.addWebSite("www.hats.example");
    site.addKeyword(shoes, "shoes", 50, 2, {80, 50, 45, 30, 20});
    site.addKeyword(shoes, "boots", 30, 1, {30, 25, 20, 15, 10});
    site.addKeyword(shoes, "sandals", 20, 4, {60, 45, 30, 20, 15});
    site.addKeyword(hats, "hats", 90, 3, {120, 95, 90, 40, 30});
    testenv::writeFile(g_sEngineDataFile, "[OvertureEngines]\r\n1=FindWhat\r\n\r\n");
    site.writeEngineData(g_sEngineDataFile, "FindWhat", "2");
    fixtures::saveAccount("FindWhat", "main", "joe", "secret", 0.10f, 1.00f);
    clsURL::SaveURL("FindWhat", "main", "shop.example\r\n");
    // The last look-up: next bids one cent under the bids, so the rules
    // leave every bid as it is.
    testenv::writeFile(fixtures::accountFile("FindWhat", "main", "Keywords.dat"),
                       "shoes;10;$0.50;$0.49;$0.80;$0.50;$0.45;$0.30;$0.20;2;ok\r\n"
                       "boots;5;$0.30;$0.29;$0.30;$0.25;$0.20;$0.15;$0.10;1;ok\r\n"
                       "sandals;4;$0.20;$0.19;$0.60;$0.45;$0.30;$0.20;$0.15;4;ok\r\n"
                       "hats;7;$0.90;$0.89;$1.20;$0.95;$0.90;$0.40;$0.30;3;ok\r\n\r\n");
    fixtures::CountedLookUps lookUps;
    fixtures::Program p("[FindWhat]\r\n1=main\r\nLast=1\r\n\r\n", "FindWhat", "main");

    p.item("Run", 1)->trigger();
    ASSERT_EQ(fixtures::bidWindows().size(), 1);
    frmAutoBid *w = fixtures::bidWindows().first();
    auto *connect = dynamic_cast<frmConnectFindWhat *>(w->Manager().ConnectWindow());
    ASSERT_NE(connect, nullptr);
    connect->Session().setStartInterval(0);
    connect->Session().setRetryInterval(0);
    BidGrid &grid = w->Manager().Grid();

    // Get Bids, without a look-up first.
    testenv::answerMsgBox(seam::vbNo);
    w->toolButton("GetBid")->trigger();
    EXPECT_FALSE(connect->Cancelled());
    EXPECT_EQ(site.loginCount(), 1);
    ASSERT_EQ(grid.Rows(), 5);
    for (const char *k : {"shoes", "boots", "sandals", "hats"})
        EXPECT_GT(gridRow(grid, k), 0) << k;
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "hats"), BidGrid::colPosition), "3");
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "shoes"), BidGrid::colFirstBid), "$0.80");

    // The user types 0.35 for boots; the other rows keep their New Bid.
    grid.setCurrentCell(gridRow(grid, "boots"), 0);
    w->GridEdit();
    w->txtEdit->setText("0.35");
    QTest::keyClick(w->txtEdit, Qt::Key_Return);
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "boots"), BidGrid::colNewBid), "0.35");

    // Update: one login served both runs; the site's notice is shown.
    testenv::answerMsgBox(seam::vbOK);
    w->toolButton("Update")->trigger();
    EXPECT_FALSE(connect->Cancelled());
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_TRUE(site.refused().isEmpty());
    for (const auto &[keyword, bid] :
         {std::pair{"boots", "0.35"}, {"shoes", "0.50"}, {"sandals", "0.20"}, {"hats", "0.90"}})
        EXPECT_EQ(site.bidOf(keyword), bid) << keyword;
    EXPECT_EQ(site.updateCount(), 3);  // every page, each with its own rows
    ASSERT_FALSE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_TRUE(testenv::shownMsgBoxes().last().text.startsWith("Findwhat has received your bid change request."));
    // The grid shows the bids read back after the post.
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "boots"), BidGrid::colCurBid), "0.35");
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "hats"), BidGrid::colCurBid), "0.90");
}

TEST(RetrieveKeywordsFindWhat, EveryWebSitesKeywordsOrNothing) {
    fake::FakeFindWhatSite site;
    const int shoes = site.addWebSite("www.shoes.example");
    const int hats = site.addWebSite("www.hats.example");
    site.addKeyword(shoes, "red shoes", 35, 2, {50, 35});
    site.addKeyword(shoes, "boots", 20, 1, {20});
    site.addKeyword(hats, "straw hat", 40, 3, {60, 50, 40});
    testenv::writeFile(g_sEngineDataFile, "[OvertureEngines]\r\n1=FindWhat\r\n\r\n");
    site.writeEngineData(g_sEngineDataFile, "FindWhat", "2");
    fixtures::saveAccount("FindWhat", "acme", "joe", "secret");
    const QString file = fixtures::accountFile("FindWhat", "acme", "Keywords.dat");
    testenv::writeFile(file, "local only;;;;;;;;;;\r\n\r\n");
    fixtures::Program p("[FindWhat]\r\n1=acme\r\nLast=1\r\n\r\n", "FindWhat", "acme");
    int made = 0;
    p.form->m_connectWindowMaker = [&made](const QString &engine, QWidget *owner) -> IConnectWindow * {
        EXPECT_EQ(engine, "FindWhat");
        ++made;
        auto *w = new frmConnectFindWhat(owner);
        w->Session().setStartInterval(0);
        w->Session().setRetryInterval(0);
        return w;
    };

    // The second web site can't be read: the list and its file stay as they were.
    site.setPageFilter([&site](const fake::HttpRequest &r, const QString &html) {
        return r.query.startsWith("site=2") ? site.loginPage() : html;
    });
    p.form->DownLoadKeywords();
    EXPECT_EQ(testenv::readFile(file), "local only;;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(p.keywords(), QStringList({"local only"}));
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    // Every web site read: the engine's keywords replace the list.
    site.setPageFilter(nullptr);
    testenv::answerMsgBox(seam::vbNo);  // no look-up now
    p.form->DownLoadKeywords();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(p.keywords(), QStringList({"red shoes", "boots", "straw hat"}));
    EXPECT_EQ(testenv::readFile(file),
              "red shoes;;0.35;;$0.50;$0.35;N/A;N/A;N/A;2;\r\n"
              "boots;;0.20;;$0.20;N/A;N/A;N/A;N/A;1;\r\n"
              "straw hat;;0.40;;$0.60;$0.50;$0.40;N/A;N/A;3;\r\n\r\n");
}
