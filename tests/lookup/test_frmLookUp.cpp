#include "LookUpFixtures.h"

#include "lookup/clsRanking.h"
#include "lookup/frmLookUp.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

using fake::FakeResultServer;
using fake::HttpResponse;
using namespace lookupfix;

namespace {

struct LookUpWindowTest : ::testing::Test {
    FakeResultServer server;
    std::shared_ptr<clsEngine> engine = engines(server);

    std::unique_ptr<frmLookUp> window(const QString &engineName, const QString &account) {
        auto f = std::make_unique<frmLookUp>();
        f->setAccountName(account);
        f->setEngineObject(engine);
        f->setEngine(engineName);
        for (QTimer *t : {f->tmrstartLookUp, f->tmrSearchComplete, f->tmrDisConnect})
            t->setInterval(1);
        return f;
    }
    // Runs `action` on the window once the request with that 0-based index has arrived.
    void whenRequest(int index, const std::function<void()> &action) {
        QObject::connect(&server.http(), &fake::FakeHttpServer::requestReceived, &server.http(), [=](int i) {
            if (i == index)
                QTimer::singleShot(0, action);
        });
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

}  // namespace

TEST_F(LookUpWindowTest, StartErrorsShowTheirTextAndEndCancelled) {
    fixtures::writeKeywords("Google", "acme", {"shoes"});
    // A look-up that holds the account already.
    fixtures::writeKeywords("Google", "busy", {"hats"});
    clsRanking holder;
    holder.setAccountName(QStringLiteral("busy"));
    holder.setEngineObject(engine);
    ASSERT_TRUE(holder.SetVariable(engine->GetEngineIndex(QStringLiteral("Google"))));

    struct Case { const char *engine, *account, *status; };
    const Case cases[] = {
        {"Lycos", "acme", "Lycos engine does not exist."},
        {"Google", "nobody", "There is not keyword to look up"},
        {"Google", "BUSY", "The keywords of this account are being looked up already."},
    };
    for (const Case &c : cases) {
        auto f = window(QString::fromLatin1(c.engine), QString::fromLatin1(c.account));
        f->exec();
        EXPECT_TRUE(f->Cancelled()) << c.status;
        EXPECT_FALSE(f->isVisible()) << c.status;
        EXPECT_EQ(f->lblStatus->text(), QString::fromLatin1(c.status));
    }
    EXPECT_EQ(server.http().requestCount(), 0);
}

TEST_F(LookUpWindowTest, ProgressCountsOneStepPerKeywordAndTheWindowEndsByItself) {
    fixClock();
    fixtures::writeKeywords("Google", "acme", {"k1", "k2", "k3", "k4", "k5"});
    auto f = window(QStringLiteral("Google"), QStringLiteral("acme"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Keyword Look Up"));
    EXPECT_EQ(f->lblStatus->text(), QStringLiteral("Connect..."));
    f->exec();
    EXPECT_FALSE(f->Cancelled());
    EXPECT_EQ(f->prgProgress->maximum(), 6);
    EXPECT_EQ(f->prgProgress->value(), 5);
    EXPECT_EQ(f->lblStatus->text(), QStringLiteral("Please wait while retrieving ranking results from the search engine ..."));
    EXPECT_EQ(server.terms(), (QStringList{"k1", "k2", "k3", "k4", "k5"}));
    EXPECT_EQ(keywordsBytes("Google", "acme").count(stamp()), 5);
}

TEST_F(LookUpWindowTest, CancelCloseBoxAndEscapeStopTheLookUp) {
    const QByteArray before = "k1;;;;;;;;;;\r\nk2;;;;;;;;;;\r\nk3;;;;;;;;;;\r\nk4;;;;;;;;;;\r\nk5;;;;;;;;;;\r\n";
    server.setAnswer("k3", HttpResponse::page(FakeResultServer::Page({})).delayed(5000));
    struct Case {
        const char *how;
        std::function<void(frmLookUp *)> cancel;
    };
    const Case cases[] = {
        {"Cancel button", [](frmLookUp *f) { f->cmdCancel->click(); }},
        {"close box", [](frmLookUp *f) { f->close(); }},
        {"Escape", [](frmLookUp *f) { f->reject(); }},
    };
    for (const Case &c : cases) {
        writeKeywordLines("Google", "acme", before);
        server.http().clearRequests();
        auto f = window(QStringLiteral("Google"), QStringLiteral("acme"));
        frmLookUp *w = f.get();
        bool visibleAfterCancel = false;
        QObject::disconnect(&server.http(), &fake::FakeHttpServer::requestReceived, nullptr, nullptr);
        whenRequest(2, [&] {
            c.cancel(w);
            visibleAfterCancel = w->isVisible();
        });
        f->exec();
        EXPECT_TRUE(visibleAfterCancel) << c.how;  // it hides once the stop has ended
        EXPECT_TRUE(f->Cancelled()) << c.how;
        EXPECT_FALSE(f->InSearch()) << c.how;
        EXPECT_EQ(server.http().requestCount(), 3) << c.how;
        EXPECT_EQ(keywordsBytes("Google", "acme"), before) << c.how;
        EXPECT_FALSE(clsRanking::IsAccountBeingLookedUp(QStringLiteral("Google"), QStringLiteral("acme"))) << c.how;
    }
}

TEST_F(LookUpWindowTest, ACancelBeforeTheStartStartsNothing) {
    fixtures::writeKeywords("Google", "acme", {"k1"});
    auto f = window(QStringLiteral("Google"), QStringLiteral("acme"));
    f->tmrstartLookUp->setInterval(60000);
    QTimer::singleShot(0, f.get(), [&] { f->cmdCancel->click(); });
    f->exec();
    EXPECT_TRUE(f->Cancelled());
    EXPECT_EQ(f->Ranking(), nullptr);
    EXPECT_EQ(server.http().requestCount(), 0);
}
