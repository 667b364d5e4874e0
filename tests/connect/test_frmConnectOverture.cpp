// The Overture connection window driven as a caller drives it: through the
// connection-window contract and a modal show.

#include "connect/OvertureSession.h"
#include "connect/frmConnectOverture.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/FakeOvertureSite.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using fake::FakeOvertureSite;

namespace {

class ConnectWindowTest : public ::testing::Test {
protected:
    FakeOvertureSite site;
    frmConnectOverture window;
    IConnectWindow &contract = window;
    std::shared_ptr<clsAccount> account = std::make_shared<clsAccount>();
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    int maxProgressSeen = 0;

    void SetUp() override {
        site.addKeywords(5);
        site.setPerPage(2);
        site.writeEngineData(g_sEngineDataFile, "Overture", "40");
        account->setUserName("joe");
        account->setPassword("secret");
        contract.setAccount(account);
        // The waits end as soon as the modal loop runs.
        window.Session().setStartInterval(0);
        window.Session().setRetryInterval(0);
        QObject::connect(window.prgProgress, &QProgressBar::valueChanged,
                         [this](int v) { maxProgressSeen = qMax(maxProgressSeen, v); });
    }
    // What a caller does for one run.
    void runModal(const QString &action) {
        contract.setAction(action);
        contract.Prepare("Overture", true);
        contract.setKeywordsCollection(keywords);
        contract.ShowModal(nullptr);
    }
};

}  // namespace

TEST_F(ConnectWindowTest, AModalReadFillsTheCollectionAndHides) {
    EXPECT_EQ(window.windowTitle(), "Connect to  Overture...");
    EXPECT_EQ(window.lblTitle->text(), "Please wait for processing...");
    runModal("GetBids");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(keywords->Count(), 5);
    EXPECT_EQ(window.windowTitle(), "Retrieve Keyword Bid data from Overture");
    EXPECT_EQ(window.lblTitle->text(), "Keyword bid data has been successfully retrieved");
    EXPECT_EQ(window.lblStatus->text(), "Retrieving keyword bid data ... ");
    EXPECT_GT(maxProgressSeen, 0);
    EXPECT_EQ(window.prgProgress->value(), 0);

    // The same window serves the update a minute later without a login.
    testenv::setNow(QDateTime::currentDateTime().addSecs(60));
    keywords->Item("keyword 2")->setNewBid("0.77");
    runModal("Update");
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_EQ(site.bidOf("keyword 2"), "0.77");
    EXPECT_EQ(window.lblTitle->text(), "Keyword bids have been successfully updated");

    // Nothing prepared: the show returns at once.
    contract.ShowModal(nullptr);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ConnectWindowTest, AFailedRunEndsCancelledWithItsFinalMessage) {
    account->setPassword("wrong");
    runModal("GetBids");
    EXPECT_TRUE(contract.Cancelled());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.lblTitle->text().startsWith("Unable to connect to your Overture account. "));
    EXPECT_EQ(window.lblStatus->text(), "Connect Failed");
    EXPECT_EQ(site.loginCount(), 0);
    EXPECT_EQ(site.server().requestCount(), 2);
}

TEST_F(ConnectWindowTest, CancelCloseAndEscapeCancelTheRunAndKeepTheWindow) {
    struct Case {
        const char *how;
        std::function<void(frmConnectOverture &)> act;
    };
    const Case cases[] = {
        {"Cancel button", [](frmConnectOverture &w) { QTest::mouseClick(w.cmdCancel, Qt::LeftButton); }},
        {"close box", [](frmConnectOverture &w) { w.close(); }},
        {"Esc", [](frmConnectOverture &w) { QTest::keyClick(&w, Qt::Key_Escape); }},
    };
    site.setDelay("/bids/manage", 400);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        site.server().clearRequests();
        int requestsAtCancel = -1;
        site.setOnRequest([&](const fake::HttpRequest &r) {
            if (r.path == "/bids/manage")
                QTimer::singleShot(30, &window, [&] {
                    requestsAtCancel = site.server().requestCount();
                    c.act(window);
                });
        });
        QPointer<frmConnectOverture> alive(&window);
        runModal("GetBids");
        ASSERT_TRUE(alive);
        EXPECT_TRUE(contract.Cancelled());
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.Session().Active());
        QTest::qWait(450);
        EXPECT_EQ(site.server().requestCount(), requestsAtCancel);
    }
    // A cancelled run makes the next update log in again.
    site.setOnRequest(nullptr);
    site.setDelay("/bids/manage", 0);
    const int logins = site.loginCount();
    runModal("Update");
    EXPECT_FALSE(contract.Cancelled());
    EXPECT_EQ(site.loginCount(), logins + 1);
}
