// The FindWhat connection window driven as the bid window drives it:
// through the connection-window contract and a modal show.

#include "connect/FindWhatSession.h"
#include "connect/frmConnectFindWhat.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/FakeFindWhatSite.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using fake::FakeFindWhatSite;

namespace {

class FindWhatWindowTest : public ::testing::Test {
protected:
    FakeFindWhatSite site;
    frmConnectFindWhat window;
    IConnectWindow &contract = window;
    std::shared_ptr<clsAccount> account = std::make_shared<clsAccount>();
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    int maxProgressSeen = 0;

    void SetUp() override {
        site.addKeywords(site.addWebSite("www.shoes.example"), 5);
        site.addKeywords(site.addWebSite("www.hats.example"), 2, "hat");
        site.writeEngineData(g_sEngineDataFile, "FindWhat", "2");
        account->setUserName("joe");
        account->setPassword("secret");
        contract.setAccount(account);
        // The waits end as soon as the modal loop runs.
        window.Session().setStartInterval(0);
        window.Session().setRetryInterval(0);
        QObject::connect(window.prgProgress, &QProgressBar::valueChanged,
                         [this](int v) { maxProgressSeen = qMax(maxProgressSeen, v); });
    }
    void runModal(const QString &action) {
        contract.setAction(action);
        contract.Prepare("FindWhat", true);
        contract.setKeywordsCollection(keywords);
        contract.ShowModal(nullptr);
    }
};

}  // namespace

TEST_F(FindWhatWindowTest, AModalReadAndUpdateOnOneLogin) {
    EXPECT_EQ(window.windowTitle(), "Connect to  FindWhat...");
    EXPECT_EQ(window.lblTitle->text(), "Please wait for processing...");
    runModal("GetBids");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(keywords->Count(), 7);
    EXPECT_EQ(window.windowTitle(), "Retrieve Keyword Bid data from FindWhat");
    EXPECT_EQ(window.lblTitle->text(), "Retrieve keyword bid data successfully.");
    EXPECT_GT(maxProgressSeen, 0);
    EXPECT_EQ(window.prgProgress->value(), 0);

    testenv::setNow(QDateTime::currentDateTime().addSecs(60));
    keywords->Item("keyword 4")->setNewBid("0.77");
    runModal("Update");
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_EQ(site.bidOf("keyword 4"), "0.77");
    EXPECT_EQ(keywords->Item("keyword 4")->CurBid(), "0.77");
    EXPECT_EQ(window.windowTitle(), "Update Bids in FindWhat");
    EXPECT_EQ(window.lblTitle->text(), "Keyword bids have been updated successfully.");
}

TEST_F(FindWhatWindowTest, TheCloseBoxCancelsMidAnswerAndKeepsTheWindow) {
    site.setDelay("/keywords", 400);
    int requestsAtClose = -1;
    site.setOnRequest([&](const fake::HttpRequest &r) {
        if (r.path == "/keywords" && requestsAtClose < 0)
            QTimer::singleShot(30, &window, [&] {
                requestsAtClose = site.server().requestCount();
                window.close();
            });
    });
    QPointer<frmConnectFindWhat> alive(&window);
    runModal("GetBids");
    ASSERT_TRUE(alive);
    EXPECT_TRUE(contract.Cancelled());
    EXPECT_FALSE(window.isVisible());
    QTest::qWait(450);
    EXPECT_EQ(site.server().requestCount(), requestsAtClose);

    // The next run on the same window logs in again and succeeds.
    site.setOnRequest(nullptr);
    site.setDelay("/keywords", 0);
    runModal("GetBids");
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(site.loginCount(), 2);
}

TEST_F(FindWhatWindowTest, ARefusedLoginEndsCancelledWithItsFinalMessage) {
    account->setPassword("wrong");
    runModal("GetBids");
    EXPECT_TRUE(contract.Cancelled());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.lblTitle->text().startsWith("Unable to connect to your FindWhat account. "));
    EXPECT_EQ(window.lblStatus->text(), "Login Failed");
    EXPECT_EQ(site.server().requestCount(), 4);
}
