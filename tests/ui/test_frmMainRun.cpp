// Run > AutoBid from the main window: its checks in order, the readiness of
// the account with the offer of the account dialog, one bid window per
// account, the scheduler's bid launch and the program's end.

#include "ProgramFixtures.h"
#include "autobid/BidFixtures.h"

#include "autobid/KeywordsSettingFile.h"
#include "core/clsURL.h"
#include "ui/frmAccount.h"

using fixtures::bidWindows;

namespace {

// Overture accounts: "main" ready, "nourl" without URLs, "empty" without
// keywords, "unready" without login or bid range; "g" of an engine that does not bid.
struct RunAccounts {
    bidfix::ScopedWindows windows;
    RunAccounts() {
        fixtures::writeEngineData({"Overture", "Google", "FindWhat"});
        for (const char *a : {"main", "nourl", "empty"})
            fixtures::saveAccount("Overture", a, "joe", "secret", 0.10f, 1.00f);
        fixtures::saveAccount("Overture", "unready");
        fixtures::saveAccount("Google", "g", "joe", "secret", 0.10f, 1.00f);
        for (const char *a : {"main", "empty", "unready"})
            clsURL::SaveURL("Overture", a, "shop.example\r\n");
        clsURL::SaveURL("Google", "g", "shop.example\r\n");
        for (const char *a : {"main", "nourl", "unready"})
            fixtures::writeKeywords("Overture", a, {"shoes"});
        fixtures::writeKeywords("Google", "g", {"shoes"});
    }
};

struct Program : RunAccounts, fixtures::Program {
    Program()
        : fixtures::Program("[Overture]\r\n1=main\r\n2=nourl\r\n3=empty\r\n4=unready\r\nLast=4\r\n\r\n"
                            "[Google]\r\n1=g\r\nLast=1\r\n\r\n") {}
};

}  // namespace

TEST(RunAutoBid, TheChecksComeInOrderWithTheirTexts) {
    const char *noKeyword = "There is not keyword in the Keyword list.Do you still want to go to Auto Bid screen.";
    const int yesNo = seam::vbYesNo | seam::vbQuestion;
    const struct {
        const char *engine, *account;  // null: the engine node
        int answer;                    // to the box, 0 when none comes
        fixtures::Box box;
        bool opens;
    } cases[] = {
        {"Overture", nullptr, seam::vbOK, {"Please select a Account.", "AutoBid", seam::vbOKOnly | seam::vbInformation},
         false},
        {"Google", "g", 0, {}, false},  // an engine that does not bid
        {"Overture", "nourl", seam::vbOK,
         {"There is not URL in the Web Site URL list. Please enter your web site URLs by click the 'URL' button from "
          "Tool bar.",
          "Auto Bid", seam::vbOKOnly | seam::vbExclamation},
         false},
        {"Overture", "empty", seam::vbNo, {noKeyword, "Auto Bid", yesNo}, false},
        {"Overture", "empty", seam::vbYes, {noKeyword, "Auto Bid", yesNo}, true},
        {"Overture", "main", 0, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.account ? c.account : c.engine) + ", answer " + std::to_string(c.answer));
        testenv::clearShownMsgBoxes();
        Program p;
        c.account ? p.select(c.engine, c.account) : p.select(c.engine);
        if (c.answer)
            testenv::answerMsgBox(c.answer);
        p.form->mnuRunItems_Click(1);
        if (c.answer)
            EXPECT_EQ(fixtures::shownBox(), c.box);
        else
            EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
        const QList<frmAutoBid *> open = bidWindows();
        ASSERT_EQ(open.size(), c.opens ? 1 : 0);
        if (c.opens) {
            EXPECT_TRUE(open.first()->isVisible());
            EXPECT_EQ(open.first()->windowTitle(), QString("AutoBid for Overture - ") + c.account);
            EXPECT_EQ(p.form->m_oBidAccount->AccountName(), c.account);
            EXPECT_EQ(p.form->m_oBidAccount->UserName(), "joe");
        }
    }
}

TEST(RunAutoBid, AnAccountIsReadyWithLoginAndASensibleBidRange) {
    struct Case {
        const char *user;
        const char *password;
        float min, max;
        bool ready;
    };
    const Case cases[] = {
        {"joe", "pw", 0.10f, 1.00f, true},  {"joe", "pw", 0, 1.00f, true},    {"joe", "pw", 0.50f, 0.50f, true},
        {"joe", "pw", 0, 0, false},         {"joe", "pw", 1.00f, 0.50f, false}, {"", "pw", 0.10f, 1.00f, false},
        {"joe", "", 0.10f, 1.00f, false},   {"joe", "pw", 0.10f, 0, false},
    };
    for (const Case &c : cases) {
        clsAccount a;
        a.setUserName(c.user);
        a.setPassword(c.password);
        a.setMinBid(c.min);
        a.setMaxBid(c.max);
        EXPECT_EQ(frmMain::IsAccountReady(a), c.ready) << c.user << "/" << c.password << " " << c.min << "-" << c.max;
    }
}

TEST(RunAutoBid, AnAccountThatIsNotReadyIsOfferedTheAccountDialogUntilDeclined) {
    Program p;
    p.select("Overture", "unready");
    // Each account dialog that comes up is handled by the next step; a
    // handled dialog is hidden at once, so it is never seen twice.
    std::vector<std::function<void(frmAccount *)>> steps = {
        [](frmAccount *d) { d->reject(); },  // cancelled: the offer comes again
        [](frmAccount *d) {                  // the login filled in: ready now
            d->Account()->setUserName("joe");
            d->Account()->setPassword("pw");
            d->Account()->setMaxBid(1.0f);
            d->reject();
        },
    };
    size_t handled = 0;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *d = qobject_cast<frmAccount *>(QApplication::activeModalWidget());
        if (!d || handled >= steps.size())
            return;
        EXPECT_EQ(d->Account()->AccountName(), "unready");
        steps[handled++](d);
    });
    poll.start();
    testenv::answerMsgBox(seam::vbYes);
    testenv::answerMsgBox(seam::vbYes);
    p.form->mnuRunItems_Click(1);
    poll.stop();
    EXPECT_EQ(handled, 2u);
    EXPECT_EQ(fixtures::shownBox(2), (fixtures::Box{"You have to set up your Account details before doing AutoBid. "
                                                    "Do you want to set up it now?",
                                                    "AutoBid", seam::vbYesNo | seam::vbInformation}));
    EXPECT_EQ(bidWindows().size(), 1);

    // Declining ends it.
    qDeleteAll(bidWindows());
    p.form->m_oBidAccount->setUserName("");
    testenv::answerMsgBox(seam::vbNo);
    p.form->MenuBid(p.form->m_oBidAccount);
    EXPECT_TRUE(bidWindows().isEmpty());
}

TEST(RunAutoBid, ASecondAutoBidOnTheSameAccountRaisesItsWindow) {
    Program p;
    p.select("Overture", "main");
    p.form->mnuRunItems_Click(1);
    ASSERT_EQ(bidWindows().size(), 1);
    QPointer<frmAutoBid> first = bidWindows().first();
    p.form->mnuRunItems_Click(1);
    EXPECT_EQ(bidWindows().size(), 1);
    EXPECT_EQ(bidWindows().first(), first.data());
    // The scheduler leaves that account alone meanwhile.
    auto account = std::make_shared<clsAccount>(fixtures::accountOf("overture", "MAIN"));
    account->GetSettings();
    EXPECT_EQ(p.form->AutoBid(account), nullptr);
    EXPECT_EQ(bidWindows().size(), 1);
    // Nor may it be renamed or deleted under the open window, which saves into its folder.
    EXPECT_TRUE(p.form->IsAccountLookingUp("Overture", "main"));
    delete first.data();
    EXPECT_FALSE(p.form->IsAccountLookingUp("Overture", "main"));
}

TEST(RunAutoBid, TheSchedulerOpensAPassOnlyForAnAccountThatCanBeBidNow) {
    Program p;
    auto load = [](const char *name) {
        auto a = std::make_shared<clsAccount>(fixtures::accountOf("Overture", name));
        a->GetSettings();
        return a;
    };
    EXPECT_EQ(p.form->AutoBid(load("unready")), nullptr);
    g_bAutoBidRunning = true;
    EXPECT_EQ(p.form->AutoBid(load("main")), nullptr);
    g_bAutoBidRunning = false;
    EXPECT_TRUE(bidWindows().isEmpty());

    QPointer<frmAutoBid> w = p.form->AutoBid(load("main"));
    ASSERT_TRUE(w);
    EXPECT_EQ(p.form->m_frmAutoBid.data(), w.data());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->tmrScheduler->isActive());
}

TEST(RunAutoBid, TheProgramsEndKeepsTheSettingsOfAnOpenBidWindow) {
    Program p;
    p.select("Overture", "main");
    p.form->mnuRunItems_Click(1);
    ASSERT_EQ(bidWindows().size(), 1);
    frmAutoBid *w = bidWindows().first();
    auto k = std::make_shared<clsKeyword>();
    k->setKeyword("shoes");
    k->setBidTo("2");
    w->Manager().State().m_colKeywords->Add(k, "shoes");
    testenv::answerMsgBox(seam::vbYes);  // "Are you sure you want to exit?"
    p.form->close();
    EXPECT_EQ(testenv::endProgramCount(), 1);
    EXPECT_EQ(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")), "shoes;1;0.1;;;;;;2;\r\n\r\n");
}
