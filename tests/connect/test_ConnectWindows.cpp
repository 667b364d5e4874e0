// The Overture and FindWhat connection windows driven as the bid window
// drives them: through the connection-window contract and a modal show.

#include "connect/ConnectRunControl.h"
#include "connect/frmConnectFindWhat.h"
#include "connect/frmConnectOverture.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/FakeFindWhatSite.h"
#include "fakes/FakeOvertureSite.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// What differs between the engines' windows.
struct OvertureWindow {
    using Window = frmConnectOverture;
    using Site = fake::FakeOvertureSite;
    static inline const QString engine = "Overture";
    static void fill(Site &site) {
        site.addKeywords(5);
        site.setPerPage(2);
        site.writeEngineData(g_sEngineDataFile, engine, "40");
    }
    static constexpr int keywords = 5;
    static constexpr const char *edited = "keyword 2", *readBack = "$0.77", *slowPath = "/bids/manage";
    static constexpr const char *bidPostPath = "/bids/update";
    static constexpr int postsPerCall = 2;  // PostToServer sends an unanswered post once more
    static constexpr const char *readTitle = "Keyword bid data has been successfully retrieved";
    static constexpr const char *readStatus = "Retrieving keyword bid data ... ";
    static constexpr const char *updateTitle = "Keyword bids have been successfully updated";
};

struct FindWhatWindow {
    using Window = frmConnectFindWhat;
    using Site = fake::FakeFindWhatSite;
    static inline const QString engine = "FindWhat";
    static void fill(Site &site) {
        site.addKeywords(site.addWebSite("www.shoes.example"), 5);
        site.addKeywords(site.addWebSite("www.hats.example"), 2, "hat");
        site.writeEngineData(g_sEngineDataFile, engine, "2");
    }
    static constexpr int keywords = 7;
    static constexpr const char *edited = "keyword 4", *readBack = "0.77", *slowPath = "/keywords";
    static constexpr const char *bidPostPath = "/keywords/update";
    static constexpr int postsPerCall = 1;
    static constexpr const char *readTitle = "Retrieve keyword bid data successfully.";
    static constexpr const char *readStatus = "Retrieving keyword bids from your account ...";
    static constexpr const char *updateTitle = "Keyword bids have been updated successfully.";
};

template <class E>
class ConnectWindowTest : public ::testing::Test {
protected:
    typename E::Site site;
    typename E::Window window;
    IConnectWindow &contract = window;
    std::shared_ptr<clsAccount> account = std::make_shared<clsAccount>();
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    int maxProgressSeen = 0;

    void SetUp() override {
        E::fill(site);
        account->setUserName("joe");
        account->setPassword("secret");
        contract.setAccount(account);
        // The waits end as soon as the modal loop runs.
        window.RunControl().setStartInterval(0);
        window.RunControl().setRetryInterval(0);
        QObject::connect(window.prgProgress, &QProgressBar::valueChanged,
                         [this](int v) { maxProgressSeen = qMax(maxProgressSeen, v); });
    }
    // What a caller does for one run.
    void runModal(const QString &action) {
        contract.setAction(action);
        contract.Prepare(E::engine, true);
        contract.setKeywordsCollection(keywords);
        contract.ShowModal(nullptr);
    }
};

using Windows = ::testing::Types<OvertureWindow, FindWhatWindow>;
TYPED_TEST_SUITE(ConnectWindowTest, Windows);

}  // namespace

TYPED_TEST(ConnectWindowTest, AModalReadAndAnUpdateOnOneLogin) {
    using E = TypeParam;
    EXPECT_EQ(this->window.windowTitle(), "Connect to  " + E::engine + "...");
    EXPECT_EQ(this->window.lblTitle->text(), "Please wait for processing...");
    this->runModal("GetBids");
    EXPECT_FALSE(this->window.isVisible());
    EXPECT_FALSE(this->contract.Cancelled());
    EXPECT_EQ(this->keywords->Count(), E::keywords);
    EXPECT_EQ(this->window.windowTitle(), "Retrieve Keyword Bid data from " + E::engine);
    EXPECT_EQ(this->window.lblTitle->text(), E::readTitle);
    EXPECT_EQ(this->window.lblStatus->text(), E::readStatus);
    EXPECT_GT(this->maxProgressSeen, 0);
    EXPECT_EQ(this->window.prgProgress->value(), 0);

    // The same window serves the update a minute later without a login.
    testenv::setNow(QDateTime::currentDateTime().addSecs(60));
    this->keywords->Item(E::edited)->setNewBid("0.77");
    this->runModal("Update");
    EXPECT_FALSE(this->contract.Cancelled());
    EXPECT_EQ(this->site.loginCount(), 1);
    EXPECT_EQ(this->site.bidOf(E::edited), "0.77");
    EXPECT_EQ(this->keywords->Item(E::edited)->CurBid(), E::readBack);
    EXPECT_EQ(this->window.windowTitle(), "Update Bids in " + E::engine);
    EXPECT_EQ(this->window.lblTitle->text(), E::updateTitle);

    // Nothing prepared: the show returns at once.
    this->contract.ShowModal(nullptr);
    EXPECT_FALSE(this->window.isVisible());
}

TYPED_TEST(ConnectWindowTest, CancelCloseAndEscapeCancelTheRunAndKeepTheWindow) {
    using E = TypeParam;
    using W = typename E::Window;
    const std::pair<const char *, std::function<void(W &)>> ways[] = {
        {"Cancel button", [](W &w) { QTest::mouseClick(w.cmdCancel, Qt::LeftButton); }},
        {"close box", [](W &w) { w.close(); }},
        {"Esc", [](W &w) { QTest::keyClick(&w, Qt::Key_Escape); }},
    };
    auto &site = this->site;
    site.setDelay(E::slowPath, 400);
    for (const auto &[how, act] : ways) {
        SCOPED_TRACE(how);
        site.server().clearRequests();
        int requestsAtCancel = -1;
        site.setOnRequest([&, act = act](const fake::HttpRequest &r) {
            if (r.path == E::slowPath && requestsAtCancel < 0)
                QTimer::singleShot(30, &this->window, [&, act] {
                    requestsAtCancel = site.server().requestCount();
                    act(this->window);
                });
        });
        QPointer<W> alive(&this->window);
        this->runModal("GetBids");
        ASSERT_TRUE(alive);
        EXPECT_TRUE(this->contract.Cancelled());
        EXPECT_FALSE(this->window.isVisible());
        EXPECT_FALSE(this->window.RunControl().Active());
        QTest::qWait(450);
        EXPECT_EQ(site.server().requestCount(), requestsAtCancel);
    }
    // A cancelled run makes the next update log in again.
    site.setOnRequest(nullptr);
    site.setDelay(E::slowPath, 0);
    const int logins = site.loginCount();
    this->runModal("Update");
    EXPECT_FALSE(this->contract.Cancelled());
    EXPECT_EQ(site.loginCount(), logins + 1);
}

// A bid post the site never answered may still have been placed: it goes out
// only as often as the window's two attempts and its own re-send allow. A
// page read whose connection drops is asked once an attempt, and once more
// only when it went out on a kept-alive connection.
TYPED_TEST(ConnectWindowTest, ADroppedConnectionIsSentAgainOnlyByTheWindowsOwnRetries) {
    using E = TypeParam;
    auto &server = this->site.server();
    this->runModal("GetBids");
    ASSERT_FALSE(this->contract.Cancelled());
    server.on("POST", E::bidPostPath, fake::HttpResponse::dropped());
    this->keywords->Item(E::edited)->setNewBid("0.77");
    this->runModal("Update");
    EXPECT_TRUE(this->contract.Cancelled());
    EXPECT_EQ(server.requestsTo(E::bidPostPath).size(), 2 * E::postsPerCall);
    EXPECT_NE(this->site.bidOf(E::edited), "0.77");

    server.on("GET", "/login", fake::HttpResponse::dropped());
    server.clearRequests();
    this->runModal("GetBids");
    EXPECT_TRUE(this->contract.Cancelled());
    // The first attempt met the connection the bid read left open.
    const QList<fake::HttpRequest> logins = server.requestsTo("/login");
    ASSERT_EQ(logins.size(), 3);
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_LT(logins[0].connection, logins[1].connection);
    EXPECT_LT(logins[1].connection, logins[2].connection);
}
