#include "AccountFixtures.h"

#include "core/clsAccount.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmAccount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Box {
    QString text;
    int style;
    QString title;
};

std::vector<Box> boxes() {
    std::vector<Box> out;
    for (const auto &r : testenv::shownMsgBoxes())
        out.push_back({r.text, r.style, r.title});
    return out;
}

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
        auto acc = std::make_shared<clsAccount>();
        acc->setEngine(engineName);
        if (!account.isEmpty()) {
            acc->setAccountName(account);
            acc->GetSettings();
        }
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

// Clicks OK with one scripted answer and returns the box shown and the field with the focus.
std::pair<Box, QWidget *> refusal(frmAccount &d) {
    testenv::clearShownMsgBoxes();
    testenv::answerMsgBox(seam::vbOK);
    d.cmdOK->click();
    const auto shown = boxes();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(d.isVisible());
    return {shown.empty() ? Box{} : shown.front(), d.focusWidget()};
}

QByteArray accountFileBytes(const QString &engine, const QString &account) {
    clsAccount a;
    a.setEngine(engine);
    a.setAccountName(account);
    return testenv::readFile(a.SettingsFile());
}

}  // namespace

TEST(frmAccountLoad, ControlsCaptionHoursAndEngineMinimumInEditMode) {
    Env env({"Overture"}, {{"Overture", "0.10"}}, "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n");
    clsAccount stored;
    stored.setEngine("Overture");
    stored.setAccountName("Shop");
    stored.setUserName("me");
    stored.setPassword("pw");
    stored.setAccountID("42");
    stored.setMaxBid(1.5f);
    stored.setMinBid(0.05f);
    stored.setSchedulerEnable(true);
    stored.setHours(6);
    stored.setSentReport(true);
    stored.SaveSettings();

    auto d = env.dialog("Overture", "Shop");
    EXPECT_EQ(d->windowTitle(), "Account - Overture");
    EXPECT_FALSE(d->IsAddMode());
    for (const char *name : {"txtAccountName", "txtAccountID", "txtUserID", "txtPassword", "txtMaxBid", "txtMinBid",
                             "lblIntro", "chkSchedulerEnable", "cboHours", "chkSentReport", "cmdOK", "cmdCancel"})
        EXPECT_NE(d->findChild<QWidget *>(name), nullptr) << name;
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
    const QString title = "Account - Overture";
    const int info = seam::vbOKOnly | seam::vbInformation;

    auto r = refusal(*d);
    EXPECT_EQ(r.first.text, "Please enter an Account Name.");
    EXPECT_EQ(r.first.title, "Account");
    EXPECT_EQ(r.first.style, info);
    EXPECT_EQ(r.second, d->txtAccountName);

    fill(*d, "Shop", "", "", "", "");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "Please enter your User name.");
    EXPECT_EQ(r.first.title, title);
    EXPECT_EQ(r.first.style, info);
    EXPECT_EQ(r.second, d->txtUserID);

    d->txtUserID->setText("me");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "Please enter your Password.");
    EXPECT_EQ(r.second, d->txtPassword);

    d->txtPassword->setText("pw");
    d->txtMaxBid->setText("lots");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "Please enter a valid value for the Maximum Bid. For example: 1.00.");
    EXPECT_EQ(r.second, d->txtMaxBid);

    d->txtMaxBid->setText("1.50");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "Please enter a valid value for the Minimum Bid. For example: 0.05");
    EXPECT_EQ(r.second, d->txtMinBid);

    d->txtMinBid->setText("0.05");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "The Minimum Bid you have entered is smaller than engine server required. please "
                            "enter a value bigger than 0.10.");
    EXPECT_EQ(r.first.style, info);
    EXPECT_EQ(r.second, d->txtMinBid);

    d->txtMinBid->setText("2.00");
    r = refusal(*d);
    EXPECT_EQ(r.first.text,
              "The Maximum Bid is smaller then Minimum Bid, please specify a correct bid range and try again.");
    EXPECT_EQ(r.second, d->txtMaxBid);

    d->txtMaxBid->setText("10.00");
    d->chkSchedulerEnable->setChecked(true);
    d->cboHours->setEditText("soon");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "Invalid value. Please enter a valid time value.");
    EXPECT_EQ(r.first.style, seam::vbOKOnly | seam::vbCritical);
    EXPECT_EQ(r.second, d->cboHours);

    d->cboHours->setEditText("25");
    r = refusal(*d);
    EXPECT_EQ(r.first.text, "The time duration must be between 0 - 24.");
    EXPECT_EQ(r.first.style, seam::vbOKOnly | seam::vbCritical);
    EXPECT_EQ(r.second, d->cboHours);
    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Overture", "Shop")));

    // Hours 0 is accepted, and so is a minimum equal to the engine's.
    d->cboHours->setEditText("0");
    d->txtMinBid->setText("0.10");
    testenv::clearShownMsgBoxes();
    d->cmdOK->click();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST(frmAccountValidate, OtherEnginesOnlyCheckHoursAndOnlyWhenScheduled) {
    Env env({"Google"});
    auto d = env.dialog("Google");
    d->txtAccountName->setText("Plain");
    d->cboHours->setEditText("99");
    d->cmdOK->click();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_NE(env.node("Google", "Plain"), nullptr);
}

TEST(frmAccountValidate, NoNumericEngineMinimumSkipsThatCheck) {
    Env env({"FindWhat"}, {{"FindWhat", "n/a"}});
    auto d = env.dialog("FindWhat");
    fill(*d, "Shop", "me", "pw", "1.00", "0.01");
    d->cmdOK->click();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(d->result(), QDialog::Accepted);
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
    d->cmdOK->click();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(d->result(), QDialog::Accepted);

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
    for (const QString &dup : {QStringLiteral(" Shop "), QStringLiteral("SHOP")}) {
        d->txtAccountName->setText(dup);
        auto r = refusal(*d);
        EXPECT_EQ(r.first.text, "This Account Name is alreay exist in your Account list. Please specify a different "
                                "Account name.");
        EXPECT_EQ(r.first.style, seam::vbOKOnly);
        EXPECT_EQ(r.first.title, "Account - Google");
        EXPECT_EQ(r.second, d->txtAccountID);
    }
    for (const QString &bad : {QStringLiteral("a/b"), QStringLiteral("a\\b"), QStringLiteral(".."),
                               QStringLiteral("."), QStringLiteral("x:y"), QStringLiteral("a*"),
                               QStringLiteral("tab\there"), QStringLiteral("keywords"), QStringLiteral("URLS"),
                               QStringLiteral("KeywordsSetting"), QString::fromUtf8("\u6f22\u5b57")}) {
        d->txtAccountName->setText(bad);
        auto r = refusal(*d);
        EXPECT_TRUE(r.first.text.startsWith("This Account Name can not be used.")) << bad.toStdString();
        EXPECT_EQ(r.second, d->txtAccountName);
    }
    EXPECT_FALSE(QFileInfo::exists(platform::JoinPath(testenv::programDir(), "Accounts", "Google")));
}

TEST(frmAccountEdit, SameNameRewritesTheAccountFile) {
    Env env({"Google"}, {}, "[Google]\r\n1=Shop\r\nLast=1\r\n\r\n");
    clsAccount a;
    a.setEngine("Google");
    a.setAccountName("Shop");
    a.setUserName("old");
    a.SaveSettings();
    auto d = env.dialog("Google", "Shop");
    d->txtUserID->setText("new");
    d->cmdOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(accountFileBytes("Google", "Shop").contains("UserName=new\r\n"));
}

TEST(frmAccountEdit, RenameMovesTheFolderKeepsTheTagAndSurvivesARestart) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\n2=Other\r\nLast=2\r\n\r\n");
    clsAccount a;
    a.setEngine("Google");
    a.setAccountName("Old");
    a.setUserName("me");
    a.SaveSettings();
    fixtures::writeKeywords("Google", "Old", {"one", "two", "three"});
    testenv::writeFile(fixtures::accountFile("Google", "Old", "URLs.dat"), "http://shop.example/\r\n\r\n");
    testenv::writeFile(fixtures::accountFile("Google", "Old", "KeywordsSetting.dat"), "one;1-3\r\n");
    ASSERT_TRUE(env.main.loadProject());

    auto d = env.dialog("Google", "Old");
    // Another account's name, in other letter case, is taken.
    d->txtAccountName->setText("other");
    auto r = refusal(*d);
    EXPECT_EQ(r.first.text, "This Account id alreay exist in your Account list.");
    EXPECT_EQ(r.first.style, seam::vbOKOnly);
    EXPECT_EQ(r.second, d->txtAccountID);

    d->txtAccountName->setText("New");
    testenv::clearShownMsgBoxes();
    d->cmdOK->click();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(d->result(), QDialog::Accepted);

    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Google", "Old")));
    EXPECT_TRUE(accountFileBytes("Google", "New").contains("UserName=me\r\n"));
    EXPECT_EQ(testenv::readFile(fixtures::accountFile("Google", "New", "Keywords.dat")),
              QByteArray("one;;;;;;;;;;\r\ntwo;;;;;;;;;;\r\nthree;;;;;;;;;;\r\n"));
    EXPECT_EQ(testenv::readFile(fixtures::accountFile("Google", "New", "URLs.dat")),
              QByteArray("http://shop.example/\r\n\r\n"));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Google", "New", "KeywordsSetting.dat")));

    EXPECT_EQ(env.node("Google", "Old"), nullptr);
    QTreeWidgetItem *node = env.node("Google", "New");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(treenode::NodeTag(node), 3);
    EXPECT_EQ(treenode::NodeTag(env.node("Google")), 3);

    env.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=New\r\n2=Other\r\nLast=2\r\n\r\n\r\n"));
    ASSERT_TRUE(env.main.loadProject());
    EXPECT_EQ(treenode::NodeTag(env.node("Google", "New")), 3);
}

TEST(frmAccountEdit, RenameOntoAnExistingFolderLeavesTheOldFilesAndDropsTheOldAccountFile) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\nLast=1\r\n\r\n");
    clsAccount a;
    a.setEngine("Google");
    a.setAccountName("Old");
    a.SaveSettings();
    fixtures::writeKeywords("Google", "Old", {"one"});
    fixtures::writeKeywords("Google", "Gone", {"x", "y"});  // left by an account deleted earlier
    ASSERT_TRUE(env.main.loadProject());

    auto d = env.dialog("Google", "Old");
    d->txtAccountName->setText("Gone");
    d->cmdOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_FALSE(QFileInfo::exists(a.SettingsFile()));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Google", "Old", "Keywords.dat")));
    EXPECT_FALSE(accountFileBytes("Google", "Gone").isEmpty());
    EXPECT_EQ(treenode::NodeTag(env.node("Google", "Gone")), 2);
}

TEST(frmAccountEdit, RenameIsRefusedWhileTheAccountIsLookedUp) {
    Env env({"Google"}, {}, "[Google]\r\n1=Old\r\nLast=1\r\n\r\n");
    clsAccount a;
    a.setEngine("Google");
    a.setAccountName("Old");
    a.SaveSettings();
    auto d = env.dialog("Google", "Old");
    d->setBusyCheck([](const QString &e, const QString &n) { return e == "Google" && n == "Old"; });
    d->txtAccountName->setText("New");
    auto r = refusal(*d);
    EXPECT_EQ(r.first.style, seam::vbOKOnly | seam::vbInformation);
    EXPECT_EQ(r.second, d->txtAccountName);
    EXPECT_TRUE(QFileInfo::exists(a.SettingsFile()));
    EXPECT_NE(env.node("Google", "Old"), nullptr);
    // Saving under the same name is still possible.
    d->txtAccountName->setText("Old");
    testenv::clearShownMsgBoxes();
    d->cmdOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
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
