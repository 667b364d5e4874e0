#include "ProgramFixtures.h"

#include "core/clsEngine.h"
#include "ui/frmAccount.h"

using fixtures::Box;

namespace {

const int kInfo = seam::vbOKOnly | seam::vbInformation;
const int kCritical = seam::vbOKOnly | seam::vbCritical;

// The main window's tree as the dialog sees it, built from a project file.
struct Env {
    explicit Env(const QStringList &engines, const QMap<QString, QString> &minBids = {},
                 const QByteArray &project = QByteArray()) {
        fixtures::writeEngineData(engines, minBids);
        if (!project.isNull())
            fixtures::writeProject(project);
        engine.loadEngineData();
        main.setTree(&tree);
        main.setEngineObject(&engine);
        EXPECT_TRUE(main.loadProject());
    }
    // A dialog for a new account of the engine, or for an existing one.
    std::unique_ptr<frmAccount> dialog(const QString &engineName, const QString &account = QString()) {
        auto acc = std::make_shared<clsAccount>(fixtures::accountOf(engineName, account));
        if (!account.isEmpty())
            acc->GetSettings();
        auto dlg = std::make_unique<frmAccount>(nullptr, &tree);
        dlg->setAccount(acc);
        dlg->show();
        return dlg;
    }
    QTreeWidgetItem *node(const QString &e, const QString &a = QString()) {
        return treenode::FindNode(&tree, a.isNull() ? treenode::EngineKey(e) : treenode::AccountKey(e, a));
    }
    QTreeWidget tree;
    clsEngine engine;
    clsMain main;
};

void fill(frmAccount &d, const QString &name, const QString &user, const QString &password, const QString &maxBid,
          const QString &minBid) {
    d.txtAccountName->setText(name);
    d.txtUserID->setText(user);
    d.txtPassword->setText(password);
    d.txtMaxBid->setText(maxBid);
    d.txtMinBid->setText(minBid);
}

// Clicks OK with one scripted answer: the one box shown; the dialog stays
// open with the focus on `focus`.
Box refusal(frmAccount &d, QWidget *focus) {
    testenv::clearShownMsgBoxes();
    testenv::answerMsgBox(seam::vbOK);
    d.cmdOK->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.focusWidget(), focus) << "focus on "
                                      << (d.focusWidget() ? d.focusWidget()->objectName().toStdString() : "none");
    return fixtures::shownBox();
}

// Clicks OK expecting no box and a closed, accepted dialog.
::testing::AssertionResult acceptedOnOK(frmAccount &d) {
    testenv::clearShownMsgBoxes();
    d.cmdOK->click();
    if (!testenv::shownMsgBoxes().isEmpty())
        return ::testing::AssertionFailure() << "box: " << testenv::shownMsgBoxes().front().text.toStdString();
    if (d.result() != QDialog::Accepted || d.isVisible())
        return ::testing::AssertionFailure() << "not accepted";
    return ::testing::AssertionSuccess();
}

QByteArray accountFileBytes(const QString &engine, const QString &account) {
    return testenv::readFile(fixtures::settingsFile(engine, account));
}

}  // namespace

TEST(frmAccountLoad, ControlsCaptionHoursAndEngineMinimumInEditMode) {
    Env env({"Overture"}, {{"Overture", "0.10"}}, "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n");
    testenv::writeFile(fixtures::settingsFile("Overture", "Shop"),
                       "[Login Detail]\r\nUserName=me\r\nPassWord=pw\r\nAccountID=42\r\nMaxBid=1.5\r\nMinBid=0.05\r\n"
                       "SchedlerEnable=True\r\nHours=6\r\nSentReport=True\r\n");

    auto d = env.dialog("Overture", "Shop");
    EXPECT_EQ(d->windowTitle(), "Account - Overture");
    EXPECT_FALSE(d->IsAddMode());
    EXPECT_EQ(d->txtAccountName->text(), "Shop");
    EXPECT_EQ(d->txtAccountID->text(), "42");
    EXPECT_EQ(d->txtUserID->text(), "me");
    EXPECT_EQ(d->txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d->txtPassword->displayText(), "**");
    EXPECT_EQ(d->txtMaxBid->text(), "1.50");
    // The stored minimum is below the engine's: the box shows the engine's.
    EXPECT_EQ(d->txtMinBid->text(), "0.10");
    EXPECT_TRUE(d->chkSchedulerEnable->isChecked());
    EXPECT_TRUE(d->chkSentReport->isChecked());
    EXPECT_EQ(d->cboHours->currentText(), "6");
    ASSERT_EQ(d->cboHours->count(), 24);
    EXPECT_EQ(d->cboHours->itemText(0), "1");
    EXPECT_EQ(d->cboHours->itemText(23), "24");

    auto add = env.dialog("Overture");
    EXPECT_TRUE(add->IsAddMode());
    EXPECT_EQ(add->cboHours->currentText(), "1");
    EXPECT_TRUE(add->txtMaxBid->text().isEmpty());
}

TEST(frmAccountValidate, BiddingEngineChecksInOrderWithTextsIconsAndFocus) {
    Env env({"Overture"}, {{"Overture", "0.10"}});
    auto d = env.dialog("Overture");
    const QString caption = "Account - Overture";
    // Each refusal is mended (or the next fault set up) before the next OK.
    EXPECT_EQ(refusal(*d, d->txtAccountName), (Box{"Please enter an Account Name.", "Account", kInfo}));
    fill(*d, "Shop", "", "", "", "");
    EXPECT_EQ(refusal(*d, d->txtUserID), (Box{"Please enter your User name.", caption, kInfo}));
    d->txtUserID->setText("me");
    EXPECT_EQ(refusal(*d, d->txtPassword), (Box{"Please enter your Password.", caption, kInfo}));
    d->txtPassword->setText("pw");
    d->txtMaxBid->setText("lots");
    EXPECT_EQ(refusal(*d, d->txtMaxBid),
              (Box{"Please enter a valid value for the Maximum Bid. For example: 1.00.", caption, kInfo}));
    d->txtMaxBid->setText("1.50");
    EXPECT_EQ(refusal(*d, d->txtMinBid),
              (Box{"Please enter a valid value for the Minimum Bid. For example: 0.05", caption, kInfo}));
    d->txtMinBid->setText("0.05");
    EXPECT_EQ(refusal(*d, d->txtMinBid), (Box{"The Minimum Bid you have entered is smaller than engine server "
                                              "required. please enter a value bigger than 0.10.",
                                              caption, kInfo}));
    d->txtMinBid->setText("2.00");
    EXPECT_EQ(refusal(*d, d->txtMaxBid), (Box{"The Maximum Bid is smaller then Minimum Bid, please specify a "
                                              "correct bid range and try again.",
                                              caption, kInfo}));
    d->txtMaxBid->setText("10.00");
    d->chkSchedulerEnable->setChecked(true);
    d->cboHours->setEditText("soon");
    EXPECT_EQ(refusal(*d, d->cboHours), (Box{"Invalid value. Please enter a valid time value.", caption, kCritical}));
    d->cboHours->setEditText("25");
    EXPECT_EQ(refusal(*d, d->cboHours), (Box{"The time duration must be between 0 - 24.", caption, kCritical}));
    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Overture", "Shop")));

    // Hours 0 is accepted, and so is a minimum equal to the engine's.
    d->cboHours->setEditText("0");
    d->txtMinBid->setText("0.10");
    EXPECT_TRUE(acceptedOnOK(*d));
}

TEST(frmAccountValidate, ChecksThatDoNotApplyAreSkipped) {
    Env env({"Google", "FindWhat"}, {{"FindWhat", "n/a"}});
    // Other engines only check the hours, and only when scheduled.
    auto google = env.dialog("Google");
    google->txtAccountName->setText("Plain");
    google->cboHours->setEditText("99");
    EXPECT_TRUE(acceptedOnOK(*google));
    EXPECT_NE(env.node("Google", "Plain"), nullptr);
    // No numeric engine minimum: nothing to compare the minimum bid with.
    auto findWhat = env.dialog("FindWhat");
    fill(*findWhat, "Shop", "me", "pw", "1.00", "0.01");
    EXPECT_TRUE(acceptedOnOK(*findWhat));
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(frmAccountAdd, SavesTheFileAddsTheSelectedNodeAndStoresWhatWasAccepted) {
    Env env({"Overture"}, {{"Overture", "0.10"}}, "[Overture]\r\n1=Zed\r\nLast=1\r\n\r\n");
    testenv::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    env.tree.setCurrentItem(env.node("Overture", "Zed"));
    env.main.setSelectNode(env.node("Overture", "Zed"));
    auto d = env.dialog("Overture");
    fill(*d, "  Big Shop  ", "me", "pw", "1,000.00", "$1.00");
    d->txtAccountID->setText("77");
    d->chkSchedulerEnable->setChecked(true);
    d->cboHours->setEditText("12");
    EXPECT_TRUE(acceptedOnOK(*d));

    EXPECT_EQ(accountFileBytes("Overture", "Big Shop"),
              QByteArray("[Login Detail]\r\nUserName=me\r\nPassWord=pw\r\nAccountID=77\r\nMaxBid=1000\r\n"
                         "MinBid=1\r\nSchedlerEnable=True\r\nHours=12\r\nLastLookup=3/5/2024 2:07:09 PM\r\n"
                         "SentReport=False\r\n"));
    QTreeWidgetItem *node = env.node("Overture", "Big Shop");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), "Big Shop");
    EXPECT_EQ(env.tree.currentItem(), node);
    EXPECT_EQ(treenode::NodeImage(node), "AccountFolderOpen");
    EXPECT_EQ(treenode::NodeImage(env.node("Overture", "Zed")), "AccountFolder");
    env.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Overture]\r\n1=Big Shop\r\n2=Zed\r\nLast=2\r\n\r\n\r\n"));
}

TEST(frmAccountAdd, RefusesDuplicatesIgnoringCaseAndBlanksAndNamesThatCannotBeFolders) {
    Env env({"Google"}, {}, "[Google]\r\n1=Shop\r\nLast=1\r\n\r\n");
    auto d = env.dialog("Google");
    for (const char *dup : {" Shop ", "SHOP"}) {
        d->txtAccountName->setText(dup);
        EXPECT_EQ(refusal(*d, d->txtAccountID), (Box{"This Account Name is alreay exist in your Account list. "
                                                     "Please specify a different Account name.",
                                                     "Account - Google", seam::vbOKOnly}));
    }
    for (const QString &bad : QStringList{"a/b", "a\\b", "..", ".", "x:y", "a*", "tab\there", "keywords", "URLS",
                                          "KeywordsSetting", QString::fromUtf8("\u6f22\u5b57")}) {
        d->txtAccountName->setText(bad);
        EXPECT_TRUE(refusal(*d, d->txtAccountName).text.startsWith("This Account Name can not be used."))
            << bad.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(platform::JoinPath(testenv::programDir(), "Accounts", "Google")));
}

TEST(frmAccountEdit, RenameMovesTheFolderKeepsTheTagAndSurvivesARestart) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\n2=Other\r\nLast=2\r\n\r\n");
    fixtures::saveAccount("Google", "Old", "me");
    fixtures::writeKeywords("Google", "Old", {"one", "two", "three"});
    testenv::writeFile(fixtures::accountFile("Google", "Old", "URLs.dat"), "http://shop.example/\r\n\r\n");
    testenv::writeFile(fixtures::accountFile("Google", "Old", "KeywordsSetting.dat"), "one;1-3\r\n");
    ASSERT_TRUE(env.main.loadProject());

    auto d = env.dialog("Google", "Old");
    d->txtAccountName->setText(" ");
    EXPECT_EQ(refusal(*d, d->txtAccountName), (Box{"Please enter an Account Name.", "Account", kInfo}));
    // Another account's name, in other letter case, is taken.
    d->txtAccountName->setText("other");
    EXPECT_EQ(refusal(*d, d->txtAccountID),
              (Box{"This Account id alreay exist in your Account list.", "Account - Google", seam::vbOKOnly}));

    d->txtAccountName->setText("New");
    EXPECT_TRUE(acceptedOnOK(*d));
    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Google", "Old")));
    EXPECT_TRUE(accountFileBytes("Google", "New").contains("UserName=me\r\n"));
    EXPECT_EQ(testenv::readFile(fixtures::accountFile("Google", "New", "Keywords.dat")),
              QByteArray("one;;;;;;;;;;\r\ntwo;;;;;;;;;;\r\nthree;;;;;;;;;;\r\n"));
    EXPECT_EQ(testenv::readFile(fixtures::accountFile("Google", "New", "URLs.dat")),
              QByteArray("http://shop.example/\r\n\r\n"));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Google", "New", "KeywordsSetting.dat")));

    EXPECT_EQ(env.node("Google", "Old"), nullptr);
    ASSERT_NE(env.node("Google", "New"), nullptr);
    EXPECT_EQ(treenode::NodeTag(env.node("Google", "New")), 3);
    EXPECT_EQ(treenode::NodeTag(env.node("Google")), 3);

    env.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=New\r\n2=Other\r\nLast=2\r\n\r\n\r\n"));
    ASSERT_TRUE(env.main.loadProject());
    EXPECT_EQ(treenode::NodeTag(env.node("Google", "New")), 3);
}

TEST(frmAccountEdit, RenameOntoAnExistingFolderLeavesTheOldFilesAndDropsTheOldAccountFile) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\nLast=1\r\n\r\n");
    const QString oldFile = fixtures::saveAccount("Google", "Old");
    fixtures::writeKeywords("Google", "Old", {"one"});
    fixtures::writeKeywords("Google", "Gone", {"x", "y"});  // left by an account deleted earlier
    ASSERT_TRUE(env.main.loadProject());

    auto d = env.dialog("Google", "Old");
    d->txtAccountName->setText("Gone");
    EXPECT_TRUE(acceptedOnOK(*d));
    EXPECT_FALSE(QFileInfo::exists(oldFile));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Google", "Old", "Keywords.dat")));
    EXPECT_FALSE(accountFileBytes("Google", "Gone").isEmpty());
    EXPECT_EQ(treenode::NodeTag(env.node("Google", "Gone")), 2);
}

TEST(frmAccountEdit, RenameIsRefusedWhileTheAccountIsLookedUpButTheSameNameIsSaved) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\nLast=1\r\n\r\n");
    const QString file = fixtures::saveAccount("Google", "Old", "old");
    auto d = env.dialog("Google", "Old");
    d->setBusyCheck([](const QString &e, const QString &n) { return e == "Google" && n == "Old"; });
    d->txtAccountName->setText("New");
    EXPECT_EQ(refusal(*d, d->txtAccountName).style, kInfo);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_NE(env.node("Google", "Old"), nullptr);
    // The same name rewrites the account file.
    d->txtAccountName->setText("Old");
    d->txtUserID->setText("new");
    EXPECT_TRUE(acceptedOnOK(*d));
    EXPECT_TRUE(accountFileBytes("Google", "Old").contains("UserName=new\r\n"));
}

TEST(frmAccountCancel, SavesNothing) {
    Env env({"Google"});
    auto d = env.dialog("Google");
    d->txtAccountName->setText("Shop");
    d->cmdCancel->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Google", "Shop")));
    EXPECT_EQ(env.node("Google", "Shop"), nullptr);
}
