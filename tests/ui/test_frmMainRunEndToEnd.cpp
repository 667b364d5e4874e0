// A bid run from the main window against the fake Overture site: Run >
// AutoBid, Get Bids, a New Bid typed in the grid, a keyword's rule set in
// the settings dialog, Update: the site receives exactly those bids.

#include "ProgramFixtures.h"

#include "autobid/KeywordsSettingFile.h"
#include "autobid/frmKeywordSetting.h"
#include "connect/OvertureSession.h"
#include "connect/frmConnectOverture.h"
#include "core/clsURL.h"
#include "fakes/FakeOvertureSite.h"
#include "platform/Ini.h"

using fixtures::gridColumn;
using fixtures::gridRow;

namespace {

// One Overture account "main" on the fake site, looked up last time.
struct Site {
    fake::FakeOvertureSite site;
    fixtures::CountedLookUps lookUps;  // the look-ups around the runs are not these tests' matter
    Site() {
        fixtures::addShoesBootsHats(site);
        testenv::writeFile(g_sEngineDataFile, "[OvertureEngines]\r\n1=Overture\r\n\r\n");
        site.writeEngineData(g_sEngineDataFile, "Overture");
        platform::WriteProfileString(g_sEngineDataFile, "Overture", "MinBid", "0.05");
        fixtures::saveAccount("Overture", "main", "joe", "secret", 0.10f, 1.00f);
        clsURL::SaveURL("Overture", "main", "shop.example\r\n");
        fixtures::writeShoesBootsHatsLookUp("Overture", "main");
    }
};

struct SiteProgram : Site, fixtures::Program {
    SiteProgram() : fixtures::Program("[Overture]\r\n1=main\r\nLast=1\r\n\r\n") {}
    // The window's connection window starts and retries at once.
    static void noWaits(frmAutoBid *w) {
        auto *connect = dynamic_cast<frmConnectOverture *>(w->Manager().ConnectWindow());
        ASSERT_NE(connect, nullptr);
        connect->Session().setStartInterval(0);
        connect->Session().setRetryInterval(0);
    }
    QStringList posts() const { return site.requestLines().filter(QRegularExpression("^POST /bids/update")); }
};

}  // namespace

TEST(RunAutoBidEndToEnd, TheSiteReceivesTheBidsTheRulesAndTheUserChose) {
    SiteProgram p;
    fake::FakeOvertureSite &site = p.site;
    p.select("Overture", "main");

    // Run > AutoBid opens the account's bid window.
    p.item("Run", 1)->trigger();
    ASSERT_EQ(fixtures::bidWindows().size(), 1);
    frmAutoBid *w = fixtures::bidWindows().first();
    SiteProgram::noWaits(w);
    BidGrid &grid = w->Manager().Grid();

    // Get Bids, without a look-up first.
    testenv::answerMsgBox(seam::vbNo);
    w->toolButton("GetBid")->trigger();
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_EQ(w->stbPanel1->text(), "Completed.");
    EXPECT_EQ(gridColumn(grid, BidGrid::colKeyword), (QStringList{"shoes", "boots", "hats"}));
    EXPECT_EQ(gridColumn(grid, BidGrid::colCurBid), (QStringList{"$0.50", "$0.30", "$0.90"}));
    EXPECT_EQ(gridColumn(grid, BidGrid::colPosition), (QStringList{"2", "1", "3"}));
    EXPECT_EQ(gridColumn(grid, BidGrid::colNextBid), (QStringList{"$0.40", "$0.29", "$0.10"}));
    EXPECT_EQ(gridColumn(grid, BidGrid::colNewBid), (QStringList{"0.41", "0.30", "0.11"}));
    EXPECT_TRUE(w->toolButton("Update")->isEnabled());

    // The user types 0.35 for boots.
    grid.setCurrentCell(gridRow(grid, "boots"), 0);
    w->GridEdit();
    w->txtEdit->setText("0.35");
    QTest::keyClick(w->txtEdit, Qt::Key_Return);
    EXPECT_FALSE(w->txtEdit->isVisible());

    // hats gets the rule "target position 2" in the settings dialog.
    grid.setCurrentCell(gridRow(grid, "hats"), 0);
    bool dialogSeen = false;
    fixtures::inModal<frmKeywordSetting>([&](frmKeywordSetting *d) {
        dialogSeen = true;
        EXPECT_EQ(d->windowTitle(), "Keyword Property");
        EXPECT_EQ(d->txtMaxBid->text(), "1.00");
        d->optTarget(1)->click();
        d->cboTargetPosition->setCurrentIndex(d->cboTargetPosition->findText("2"));
        d->cmdOK->click();
        if (d->isVisible())
            d->reject();
    });
    w->toolButton("Property")->trigger();
    ASSERT_TRUE(dialogSeen);
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 1);  // only the offer of a look-up
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "hats"), BidGrid::colTarget), "2");
    EXPECT_EQ(grid.TextMatrix(gridRow(grid, "hats"), BidGrid::colNewBid), "0.96");

    // Update posts the three bids on the login of the fetch.
    w->toolButton("Update")->trigger();
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_TRUE(site.refused().isEmpty());
    EXPECT_EQ(site.bidOf("shoes"), "0.41");
    EXPECT_EQ(site.bidOf("boots"), "0.35");
    EXPECT_EQ(site.bidOf("hats"), "0.96");
    EXPECT_EQ(p.lookUps.count, 1);
    EXPECT_TRUE(w->stbLastUpdate->text().startsWith("Last update: "));
    // The rule was saved before the update ran.
    EXPECT_TRUE(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")).contains("hats;1.00;0.10;False;;;;;2;"));
    EXPECT_EQ(p.posts().size(), 1);
}

TEST(RunAutoBidEndToEnd, AScheduledPassPostsWhatTheRulesChoseAndWithdrawsASeventhChange) {
    testenv::setNow(QDateTime(QDate(2024, 6, 12), QTime(12, 30)));
    // shoes changed six times, the first ten minutes ago: allowed to be
    // computed (same clock hour), but its change is withdrawn; hats may
    // change; boots has AutoBid off.
    testenv::writeFile(KeywordsSettingFile::FilePath("Overture", "main"),
                       "shoes;1;0.1;True;;;2024-06-12 12:20:00;6;;\r\n"
                       "boots;1;0.1;False;;;;0;;\r\n"
                       "hats;1;0.1;True;;;;0;;\r\n\r\n");
    SiteProgram p;
    auto account = std::make_shared<clsAccount>(fixtures::accountOf("Overture", "main"));
    account->GetSettings();
    QPointer<frmAutoBid> w = p.form->AutoBid(account);
    ASSERT_TRUE(w);
    SiteProgram::noWaits(w);
    QSignalSpy completed(w.data(), &frmAutoBid::Completed);
    QObject::connect(w.data(), &frmAutoBid::Completed, w.data(), [&] { w->close(); });
    w->tmrScheduler->setInterval(0);
    ASSERT_TRUE(completed.wait(10000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(completed.count(), 1);
    EXPECT_FALSE(w);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    EXPECT_EQ(p.site.bidOf("shoes"), "0.50");
    EXPECT_EQ(p.site.bidOf("boots"), "0.30");
    EXPECT_EQ(p.site.bidOf("hats"), "0.11");
    EXPECT_TRUE(p.site.refused().isEmpty());
    // shoes was computed at 0.41, then handed over at its current bid.
    ASSERT_EQ(p.posts().size(), 1);
    const QString post = p.posts().first();
    EXPECT_TRUE(post.contains("=0.5&") || post.endsWith("=0.5")) << post.toStdString();
    EXPECT_TRUE(post.contains("=0.11")) << post.toStdString();
    EXPECT_FALSE(post.contains("=0.41")) << post.toStdString();
    // The counters went to the settings file when the window closed.
    EXPECT_EQ(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")),
              "shoes;1;0.1;True;;;2024-06-12 12:20:00;6;;\r\n"
              "boots;1;0.1;False;;;;0;;\r\n"
              "hats;1;0.1;True;;;2024-06-12 12:30:00;1;;\r\n\r\n");
}
