#include "core/Globals.h"
#include "core/clsKeywords.h"
#include "platform/Folders.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

using treenode::Kind;

namespace {

struct MainWindowTest : ::testing::Test {
    frmMain w;
    QTreeWidgetItem *root = nullptr, *overture = nullptr, *acme = nullptr, *google = nullptr, *gacct = nullptr;

    void SetUp() override {
        root = treenode::AddRootNode(w.tvwAccount);
        overture = treenode::AddNewNode(w.tvwAccount, treenode::RootKey(), treenode::EngineKey(QStringLiteral("Overture")),
                                        QStringLiteral("Overture"), QStringLiteral("AccountFolder"), Kind::Engine);
        acme = treenode::AddNewNode(w.tvwAccount, treenode::EngineKey(QStringLiteral("Overture")),
                                    treenode::AccountKey(QStringLiteral("Overture"), QStringLiteral("acme")),
                                    QStringLiteral("acme"), QStringLiteral("AccountFolder"), Kind::Account);
        google = treenode::AddNewNode(w.tvwAccount, treenode::RootKey(), treenode::EngineKey(QStringLiteral("Google")),
                                      QStringLiteral("Google"), QStringLiteral("AccountFolder"), Kind::Engine);
        gacct = treenode::AddNewNode(w.tvwAccount, treenode::EngineKey(QStringLiteral("Google")),
                                     treenode::AccountKey(QStringLiteral("Google"), QStringLiteral("acme2")),
                                     QStringLiteral("acme2"), QStringLiteral("AccountFolder"), Kind::Account);
    }
    void addRows(QTreeWidget *list, int n, bool select) {
        list->setColumnCount(2);
        for (int i = 0; i < n; ++i)
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i + 1), QStringLiteral("x")}));
        if (select && n > 0)
            list->topLevelItem(0)->setSelected(true);
    }
    bool on(const QString &menu, int n) { return w.menuItem(menu, n)->isEnabled(); }
};

// One row of the enable table: menu item and whether it is enabled.
struct Expect {
    const char *menu;
    int item;
    bool enabled;
};

void check(MainWindowTest &t, std::initializer_list<Expect> expects, const char *what) {
    for (const Expect &e : expects)
        EXPECT_EQ(t.on(QString::fromLatin1(e.menu), e.item), e.enabled) << what << ": " << e.menu << " " << e.item;
}

}  // namespace

TEST_F(MainWindowTest, MenuStateFollowsTheCurrentNode) {
    w.m_oCurrentNode = root;
    w.m_sEngineName.clear();
    w.setMenuToolBarstatus();
    check(*this, {{"File", 1, false}, {"File", 2, false}, {"File", 3, false}, {"File", 5, true}, {"File", 11, true},
                  {"Keywords", 1, false}, {"URL", 1, false}, {"Run", 1, false}, {"Run", 7, false}},
          "root");
    EXPECT_FALSE(w.toolButton(QStringLiteral("Login"))->isEnabled());
    EXPECT_FALSE(w.toolButton(QStringLiteral("NewAccount"))->isEnabled());

    w.m_oCurrentNode = overture;
    w.m_sEngineName = QStringLiteral("Overture");
    w.setMenuToolBarstatus();
    check(*this, {{"File", 1, true}, {"File", 2, false}, {"File", 3, false}, {"Run", 1, false}}, "engine");
    EXPECT_TRUE(w.toolButton(QStringLiteral("Login"))->isEnabled());

    w.m_oCurrentNode = acme;
    w.setMenuToolBarstatus();
    check(*this, {{"File", 2, true}, {"File", 3, true}, {"Keywords", 1, true}, {"Keywords", 9, true},
                  {"Keywords", 10, true}, {"Keywords", 3, false}, {"Keywords", 4, false}, {"Keywords", 6, false},
                  {"Keywords", 12, false}, {"URL", 1, true}, {"URL", 2, false}, {"URL", 3, false},
                  {"Report", 1, false}, {"Run", 1, true}, {"Run", 3, false}, {"Run", 4, false}},
          "account without keywords");
    EXPECT_TRUE(w.toolButton(QStringLiteral("AutoBid"))->isEnabled());
    EXPECT_FALSE(w.toolButton(QStringLiteral("Report"))->isEnabled());

    w.m_oCurrentNode = gacct;
    w.m_sEngineName = QStringLiteral("Google");
    w.setMenuToolBarstatus();
    check(*this, {{"Run", 1, false}, {"File", 2, true}}, "account of an engine without bidding");
}

TEST_F(MainWindowTest, MenuStateFollowsTheLists) {
    w.m_oCurrentNode = acme;
    w.m_sEngineName = QStringLiteral("Overture");
    addRows(w.lvwKeywords, 3, true);
    addRows(w.lvwRanking, 2, false);
    addRows(w.lvwURLs, 1, false);
    w.setMenuToolBarstatus();
    check(*this, {{"Keywords", 3, true}, {"Keywords", 4, true}, {"Keywords", 6, true}, {"Keywords", 12, true},
                  {"URL", 2, true}, {"URL", 3, false}, {"Report", 1, true}, {"Report", 2, true}, {"Report", 3, true},
                  {"Run", 3, true}, {"Run", 4, true}},
          "keywords, results and URLs");
    EXPECT_TRUE(w.toolMenuItem(QStringLiteral("Report"), QStringLiteral("Excel"))->isEnabled());
    EXPECT_TRUE(w.toolButton(QStringLiteral("LookUp"))->isEnabled());

    w.lvwURLs->topLevelItem(0)->setSelected(true);
    w.lvwKeywords->clearSelection();
    w.setMenuToolBarstatus();
    check(*this, {{"URL", 3, true}, {"Keywords", 3, false}, {"Run", 3, false}, {"Run", 4, true}}, "selections");
}

TEST_F(MainWindowTest, MenuStateWhileALookUpRuns) {
    addRows(w.lvwKeywords, 2, true);
    w.m_bInsearch = true;
    w.m_sLookupAccount = QStringLiteral("acme");
    w.m_sEngineName = QStringLiteral("Overture");

    w.m_oCurrentNode = acme;  // the account being looked up
    w.setMenuToolBarstatus();
    check(*this, {{"File", 2, false}, {"File", 3, false}, {"Keywords", 1, false}, {"URL", 1, false},
                  {"File", 5, false}, {"File", 11, false}, {"Run", 3, false}, {"Run", 4, false},
                  {"Run", 7, true}},
          "searching node");
    EXPECT_TRUE(w.toolButton(QStringLiteral("Stop"))->isEnabled());

    // Another account whose name is not part of the looked-up account's name.
    w.m_oCurrentNode = gacct;
    w.m_sLookupAccount = QStringLiteral("zeta");
    w.setMenuToolBarstatus();
    check(*this, {{"File", 2, true}, {"File", 3, true}, {"File", 5, false}, {"File", 11, false}, {"Run", 4, false}},
          "other node");

    w.m_bDisconnecting = true;
    w.setMenuToolBarstatus();
    check(*this, {{"Run", 7, false}}, "stopping");
}

TEST_F(MainWindowTest, PasteStartsDisabledAndLookUpAllIsHidden) {
    EXPECT_FALSE(on(QStringLiteral("Keywords"), 7));
    EXPECT_FALSE(w.menuItem(QStringLiteral("Run"), 5)->isVisible());
    EXPECT_EQ(w.menuItem(QStringLiteral("File"), 6), nullptr);
    EXPECT_EQ(w.menuItem(QStringLiteral("File"), 11)->text(), QStringLiteral("E&xit"));
    // Nothing changes without a current node.
    w.menuItem(QStringLiteral("File"), 1)->setEnabled(false);
    w.setMenuToolBarstatus();
    EXPECT_FALSE(on(QStringLiteral("File"), 1));
}

TEST_F(MainWindowTest, SetStatusCountsUpToTheMaximumOnly) {
    w.SetStatus();  // no look-up: nothing
    EXPECT_TRUE(w.stbPanel1->text().isEmpty());
    w.m_bInsearch = true;
    w.pbrSearch->setRange(0, 2);
    w.pbrSearch->setValue(0);
    for (int i = 0; i < 4; ++i)
        w.SetStatus();
    EXPECT_EQ(w.pbrSearch->value(), 2);
    EXPECT_EQ(w.stbPanel1->text(), QStringLiteral("Please wait while retrieving search results from the internet ..."));
    w.stbPanel1->clear();
    w.SetStatus();
    EXPECT_TRUE(w.stbPanel1->text().isEmpty());
}

TEST_F(MainWindowTest, ExitAsksAndNoKeepsTheProgramRunning) {
    w.show();
    testenv::answerMsgBox(seam::vbNo);
    w.menuItem(QStringLiteral("File"), 11)->trigger();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    const auto &box = testenv::shownMsgBoxes().first();
    EXPECT_EQ(box.text, QStringLiteral("Are you sure you want to exit?"));
    EXPECT_EQ(box.title, QStringLiteral("Exit Keyword Tavisk"));
    EXPECT_EQ(box.buttons(), seam::vbYesNo);
    EXPECT_EQ(box.icon(), seam::vbQuestion);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 0);
}

TEST_F(MainWindowTest, ExitWithYesSavesTheKeywordsAndEnds) {
    w.show();
    w.m_oKeywords = std::make_unique<clsKeywords>();
    w.m_oKeywords->setEngine(QStringLiteral("Overture"));
    w.m_oKeywords->setAccountName(QStringLiteral("acme"));
    QDir().mkpath(platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Accounts/Overture/acme")));
    w.m_oKeywords->Add(QStringLiteral("Keyshoes"), QStringLiteral("shoes"));
    testenv::answerMsgBox(seam::vbYes);
    w.menuItem(QStringLiteral("File"), 11)->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 1);
    EXPECT_FALSE(w.m_oKeywords);
    EXPECT_TRUE(testenv::readFile(platform::JoinPath(platform::ProgramFolder(),
                                                     QStringLiteral("Accounts/Overture/acme/Keywords.dat")))
                    .startsWith("shoes;"));
    EXPECT_EQ(g_oDealerInfo, nullptr);
}

TEST_F(MainWindowTest, ExitKeepsAKeywordFileAnotherWindowRewrote) {
    const QString file =
        platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Accounts/Overture/acme/Keywords.dat"));
    testenv::writeFile(file, "shoes;1;$0.10;$0.05;;;;2;Ok\r\n\r\n");
    w.show();
    w.m_oKeywords = std::make_unique<clsKeywords>();
    w.m_oKeywords->setEngine(QStringLiteral("Overture"));
    w.m_oKeywords->setAccountName(QStringLiteral("acme"));
    w.m_oKeywords->loadKeywords();
    // A bid window's look-up writes fresher results after the main window read the file.
    const QByteArray fresher = "shoes;1;$0.30;$0.25;;;;1;Ok\r\n\r\n";
    QFile::remove(file);
    testenv::writeFile(file, fresher);
    testenv::answerMsgBox(seam::vbYes);
    w.menuItem(QStringLiteral("File"), 11)->trigger();
    EXPECT_EQ(testenv::readFile(file), fresher);
    EXPECT_TRUE(testenv::errorLog().contains("frmMain_unLoad_error: not saved again, another window replaced it: "));
}

TEST(MainWindowLoad, AFailedLoadShowsTheMessageAndEndsTheProgram) {
    frmMain w;  // no controller: the tree cannot be built
    testenv::answerMsgBox(seam::vbOK);  // the engine data file is missing
    testenv::answerMsgBox(seam::vbOK);
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 2);
    EXPECT_EQ(testenv::shownMsgBoxes().first().title, QStringLiteral("Error"));
    const auto &box = testenv::shownMsgBoxes().last();
    EXPECT_EQ(box.icon(), seam::vbCritical);
    EXPECT_EQ(box.title, app::Title());
    EXPECT_TRUE(box.text.startsWith(
        QStringLiteral("Error occur while loading the program. Please report this error to the the software vendor at '")));
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("'.\r\n\r\nError: ")));
    EXPECT_TRUE(testenv::errorLog().endsWith("FrmMain_load_Error: \r\n"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 1);
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
}
