#include "ProgramFixtures.h"

#include "core/clsKeywords.h"

#include <QDir>
#include <QFile>

namespace {

struct MainWindowTest : ::testing::Test, fixtures::BareWindow {
    QTreeWidgetItem *overture = addEngine("Overture"), *acme = addAccount("Overture", "acme");
    QTreeWidgetItem *google = addEngine("Google"), *gacct = addAccount("Google", "acme2");

    void addRows(QTreeWidget *list, int n, bool select) {
        list->setColumnCount(2);
        for (int i = 0; i < n; ++i)
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i + 1), "x"}));
        if (select && n > 0)
            list->topLevelItem(0)->setSelected(true);
    }
    void addRows(KeywordListView *list, int n, bool select) {
        for (int i = 0; i < n; ++i)
            list->rows()->appendRow({QString::number(i + 1), "x"});
        if (select && n > 0)
            list->setRowSelected(0, true);
    }
    // The menu items, toolbar keys and drop-down items named (comma-separated)
    // after the menu state is set again.
    void check(const char *what, const QString &enabled, const QString &disabled) {
        w.setMenuToolBarstatus();
        for (const auto &[names, on] : {std::pair{enabled, true}, {disabled, false}})
            for (const QString &name : names.split(", ", Qt::SkipEmptyParts)) {
                QAction *a = fixtures::action(w, name);
                ASSERT_NE(a, nullptr) << name.toStdString();
                EXPECT_EQ(a->isEnabled(), on) << what << ": " << name.toStdString();
            }
    }
    // An empty keyword list of Overture/acme.
    void keywordList() {
        w.m_oKeywords = std::make_unique<clsKeywords>();
        w.m_oKeywords->setEngine("Overture");
        w.m_oKeywords->setAccountName("acme");
    }
};

}  // namespace

TEST_F(MainWindowTest, MenuStateFollowsTheCurrentNode) {
    w.m_oCurrentNode = root;
    w.m_sEngineName.clear();
    check("root", "File 5, File 11",
          "File 1, File 2, File 3, Keywords 1, URL 1, Run 1, Run 7, Login, NewAccount");
    w.m_oCurrentNode = overture;
    w.m_sEngineName = "Overture";
    check("engine", "File 1, Login", "File 2, File 3, Run 1");
    w.m_oCurrentNode = acme;
    check("account without keywords", "File 2, File 3, Keywords 1, Keywords 9, Keywords 10, URL 1, Run 1, AutoBid",
          "Keywords 3, Keywords 4, Keywords 6, Keywords 12, URL 2, URL 3, Report 1, Run 3, Run 4, Report");
    w.m_oCurrentNode = gacct;
    w.m_sEngineName = "Google";
    check("account of an engine without bidding", "File 2", "Run 1");
}

TEST_F(MainWindowTest, MenuStateFollowsTheLists) {
    w.m_oCurrentNode = acme;
    w.m_sEngineName = "Overture";
    addRows(w.lvwKeywords, 3, true);
    addRows(w.lvwRanking, 2, false);
    addRows(w.lvwURLs, 1, false);
    check("keywords, results and URLs",
          "Keywords 3, Keywords 4, Keywords 6, Keywords 12, URL 2, Report 1, Report 2, Report 3, Run 3, Run 4, "
          "Report/Excel, LookUp",
          "URL 3");
    w.lvwURLs->topLevelItem(0)->setSelected(true);
    w.lvwKeywords->clearSelection();
    check("selections", "URL 3, Run 4", "Keywords 3, Run 3");
}

TEST_F(MainWindowTest, MenuStateWhileALookUpRuns) {
    addRows(w.lvwKeywords, 2, true);
    w.m_bInsearch = true;
    w.m_sLookupAccount = "acme";
    w.m_sEngineName = "Overture";
    w.m_oCurrentNode = acme;  // the account being looked up
    check("searching node", "Run 7, Stop",
          "File 2, File 3, Keywords 1, URL 1, File 5, File 11, Run 3, Run 4");
    // Another account whose name is not part of the looked-up account's name.
    w.m_oCurrentNode = gacct;
    w.m_sLookupAccount = "zeta";
    check("other node", "File 2, File 3", "File 5, File 11, Run 4");
    w.m_bDisconnecting = true;
    check("stopping", "", "Run 7");
}

TEST_F(MainWindowTest, PasteStartsDisabledAndLookUpAllIsHidden) {
    EXPECT_FALSE(w.menuItem("Keywords", 7)->isEnabled());
    EXPECT_FALSE(w.menuItem("Run", 5)->isVisible());
    EXPECT_EQ(w.menuItem("File", 6), nullptr);
    EXPECT_EQ(w.menuItem("File", 11)->text(), "E&xit");
    // Nothing changes without a current node.
    w.menuItem("File", 1)->setEnabled(false);
    w.setMenuToolBarstatus();
    EXPECT_FALSE(w.menuItem("File", 1)->isEnabled());
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
    EXPECT_EQ(w.stbPanel1->text(), "Please wait while retrieving search results from the internet ...");
    w.stbPanel1->clear();
    w.SetStatus();
    EXPECT_TRUE(w.stbPanel1->text().isEmpty());
}

TEST_F(MainWindowTest, ExitAsksNoKeepsTheProgramYesSavesTheKeywordsAndEnds) {
    w.show();
    keywordList();
    QDir().mkpath(fixtures::accountFolder("Overture", "acme"));
    w.m_oKeywords->Add("Keyshoes", "shoes");
    testenv::answerMsgBox(seam::vbNo);
    w.menuItem("File", 11)->trigger();
    EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{"Are you sure you want to exit?", "Exit Keyword Tavisk",
                                                   seam::vbYesNo | seam::vbQuestion}));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 0);

    testenv::answerMsgBox(seam::vbYes);
    w.menuItem("File", 11)->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 1);
    EXPECT_FALSE(w.m_oKeywords);
    EXPECT_TRUE(testenv::readFile(fixtures::accountFile("Overture", "acme", "Keywords.dat")).startsWith("shoes;"));
    EXPECT_EQ(g_oDealerInfo, nullptr);
}

TEST_F(MainWindowTest, ExitKeepsAKeywordFileAnotherWindowRewrote) {
    const QString file = fixtures::accountFile("Overture", "acme", "Keywords.dat");
    testenv::writeFile(file, "shoes;1;$0.10;$0.05;;;;2;Ok\r\n\r\n");
    w.show();
    keywordList();
    w.m_oKeywords->loadKeywords();
    // A bid window's look-up writes fresher results after the main window read the file.
    const QByteArray fresher = "shoes;1;$0.30;$0.25;;;;1;Ok\r\n\r\n";
    QFile::remove(file);
    testenv::writeFile(file, fresher);
    testenv::answerMsgBox(seam::vbYes);
    w.menuItem("File", 11)->trigger();
    EXPECT_EQ(testenv::readFile(file), fresher);
    EXPECT_TRUE(testenv::errorLog().contains("frmMain_unLoad_error: not saved again, another window replaced it: "));
}

TEST(MainWindowLoad, AFailedLoadShowsTheMessageAndEndsTheProgram) {
    frmMain w;  // no controller: the tree cannot be built
    testenv::answerMsgBox(seam::vbOK);  // the engine data file is missing
    testenv::answerMsgBox(seam::vbOK);
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 2);
    EXPECT_EQ(testenv::shownMsgBoxes().first().title, "Error");
    const auto &box = testenv::shownMsgBoxes().last();
    EXPECT_EQ(box.icon(), seam::vbCritical);
    EXPECT_EQ(box.title, app::Title());
    EXPECT_TRUE(box.text.startsWith(
        "Error occur while loading the program. Please report this error to the the software vendor at '"));
    EXPECT_TRUE(box.text.endsWith("'.\r\n\r\nError: "));
    EXPECT_TRUE(testenv::errorLog().endsWith("FrmMain_load_Error: \r\n"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(testenv::endProgramCount(), 1);
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
}
