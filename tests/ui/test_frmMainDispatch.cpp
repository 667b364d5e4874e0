#include "core/Globals.h"
#include "core/clsDealerInfo.h"
#include "core/clsEngine.h"
#include "platform/Folders.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using treenode::Kind;

namespace {

// Every command the menus, toolbar and lists may reach, recorded instead of run.
const QStringList kCommands = {
    "AddAccount", "EditAccount", "DeleteAccountCommand", "SaveAccount", "Engingsetting", "UpdateEngineDataFile",
    "ShowConfiguration", "Exit", "DoAddKeywords", "DoDeleteKeywords", "DoRemoveAllKeywords", "DoCopyKeywords",
    "DoPasteKeywords", "DoBuildKeyword", "DownLoadKeywords", "Exportkeywords", "EditURLs", "ShowURLPosition",
    "mnuURLOpen", "mnuRunItems_Click(1)", "mnuRunItems_Click(3)", "mnuRunItems_Click(4)", "mnuRunItems_Click(5)",
    "mnuRunItems_Click(7)", "HTMLReport", "TextReport", "ExcelReport", "mnuHelpContents", "mnuHelpSupport",
    "mnuHelpWeb", "mnuHelpAbout", "mnuOpenPageItem_Click(1)", "mnuOpenPageItem_Click(2)", "LoginAccount_click"};

struct Dispatch : ::testing::Test {
    frmMain w;
    QStringList ran;
    QTreeWidgetItem *root = nullptr, *engine = nullptr, *account = nullptr;

    void SetUp() override {
        root = treenode::AddRootNode(w.tvwAccount);
        engine = treenode::AddNewNode(w.tvwAccount, treenode::RootKey(), treenode::EngineKey("Overture"), "Overture",
                                      "AccountFolder", Kind::Engine);
        account = treenode::AddNewNode(w.tvwAccount, treenode::EngineKey("Overture"),
                                       treenode::AccountKey("Overture", "acme"), "acme", "AccountFolder",
                                       Kind::Account);
        w.tvwAccount->setCurrentItem(account);
        w.m_oCurrentNode = account;
        w.m_sEngineName = "Overture";
    }
    void record() {
        for (const QString &name : kCommands)
            w.DispatchCommand(name) = [this, name] { ran << name; };
    }
    QStringList take() {
        QStringList out = ran;
        ran.clear();
        return out;
    }
    static std::string text(const QStringList &l) { return l.join(", ").toStdString(); }
    static std::string lastOpened() {
        return testenv::shellOpened().isEmpty() ? std::string() : testenv::shellOpened().last().toStdString();
    }
    void fillKeywords(const QStringList &keywords) {
        w.lvwKeywords->setColumnCount(10);
        for (int i = 0; i < keywords.size(); ++i)
            w.lvwKeywords->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i + 1), keywords[i]}));
    }
    void sendKey(QWidget *target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
};

struct Route {
    const char *what;
    std::function<void(frmMain &)> trigger;
    QStringList commands;
};

std::function<void(frmMain &)> menu(const char *m, int n) {
    return [m, n](frmMain &w) { w.menuItem(m, n)->trigger(); };
}
std::function<void(frmMain &)> button(const char *key) {
    return [key](frmMain &w) { w.toolButton(key)->trigger(); };
}
std::function<void(frmMain &)> dropDown(const char *key, const char *item) {
    return [key, item](frmMain &w) { w.toolMenuItem(key, item)->trigger(); };
}

}  // namespace

TEST_F(Dispatch, EveryMenuItemToolbarKeyAndDropDownItemReachesItsCommand) {
    record();
    const std::vector<Route> routes = {
        {"File 1", menu("File", 1), {"AddAccount", "SaveAccount"}},
        {"File 2", menu("File", 2), {"EditAccount", "SaveAccount"}},
        {"File 3", menu("File", 3), {"DeleteAccountCommand"}},
        {"File 5", menu("File", 5), {"Engingsetting", "SaveAccount"}},
        {"File 8", menu("File", 8), {"UpdateEngineDataFile"}},
        {"File 9", menu("File", 9), {"ShowConfiguration"}},
        {"File 11", menu("File", 11), {"Exit"}},
        {"Keywords 1", menu("Keywords", 1), {"DoAddKeywords"}},
        {"Keywords 3", menu("Keywords", 3), {"DoDeleteKeywords"}},
        {"Keywords 4", menu("Keywords", 4), {"DoRemoveAllKeywords"}},
        {"Keywords 6", menu("Keywords", 6), {"DoCopyKeywords"}},
        {"Keywords 7", menu("Keywords", 7), {"DoPasteKeywords"}},
        {"Keywords 9", menu("Keywords", 9), {"DoBuildKeyword"}},
        {"Keywords 10", menu("Keywords", 10), {"DownLoadKeywords"}},
        {"Keywords 12", menu("Keywords", 12), {"Exportkeywords"}},
        {"URL 1", menu("URL", 1), {"EditURLs"}},
        {"URL 2", menu("URL", 2), {"ShowURLPosition"}},
        {"URL 3", menu("URL", 3), {"mnuURLOpen"}},
        {"Run 1", menu("Run", 1), {"mnuRunItems_Click(1)"}},
        {"Run 3", menu("Run", 3), {"mnuRunItems_Click(3)"}},
        {"Run 4", menu("Run", 4), {"mnuRunItems_Click(4)"}},
        {"Run 5", menu("Run", 5), {"mnuRunItems_Click(5)"}},
        {"Run 7", menu("Run", 7), {"mnuRunItems_Click(7)"}},
        {"Report 1", menu("Report", 1), {"HTMLReport"}},
        {"Report 2", menu("Report", 2), {"TextReport"}},
        {"Report 3", menu("Report", 3), {"ExcelReport"}},
        {"Help 1", menu("Help", 1), {"mnuHelpContents"}},
        {"Help 3", menu("Help", 3), {"mnuHelpSupport"}},
        {"Help 4", menu("Help", 4), {"mnuHelpWeb"}},
        {"Help 6", menu("Help", 6), {"mnuHelpAbout"}},
        {"OpenPage 1", menu("OpenPage", 1), {"mnuOpenPageItem_Click(1)"}},
        {"OpenPage 2", menu("OpenPage", 2), {"mnuOpenPageItem_Click(2)"}},
        {"button NewAccount", button("NewAccount"), {"AddAccount", "SaveAccount"}},
        {"button Login", button("Login"), {"LoginAccount_click"}},
        {"button Keyword", button("Keyword"), {"DoAddKeywords"}},
        {"button LoadKeyword", button("LoadKeyword"), {"DownLoadKeywords"}},
        {"button URL", button("URL"), {"EditURLs"}},
        {"button LookUp", button("LookUp"), {"mnuRunItems_Click(3)"}},
        {"button Stop", button("Stop"), {"mnuRunItems_Click(7)"}},
        {"button AutoBid", button("AutoBid"), {"mnuRunItems_Click(1)"}},
        {"button Report", button("Report"), {"HTMLReport"}},
        {"drop-down New Account", dropDown("NewAccount", "NewAccount"), {"AddAccount", "SaveAccount"}},
        {"drop-down Edit Account", dropDown("NewAccount", "EditAccount"), {"EditAccount", "SaveAccount"}},
        {"drop-down Selected Keywords", dropDown("LookUp", "Keyword"), {"mnuRunItems_Click(3)"}},
        {"drop-down All Keywords", dropDown("LookUp", "AllKeywords"), {"mnuRunItems_Click(4)"}},
        {"drop-down HTML", dropDown("Report", "HTML"), {"HTMLReport"}},
        {"drop-down Text", dropDown("Report", "Text"), {"TextReport"}},
        {"drop-down Excel", dropDown("Report", "Excel"), {"ExcelReport"}},
    };
    w.menuItem("Keywords", 7)->setEnabled(true);  // Paste, as after a Copy
    for (const Route &r : routes) {
        r.trigger(w);
        EXPECT_EQ(text(take()), text(r.commands)) << r.what;
    }
    // Keys compare exactly; anything else does nothing.
    for (const char *key : {"report", "Lookup", "", "Unknown"})
        w.tlbToolbar_ButtonClick(key);
    w.tlbToolbar_ButtonMenuClick("Report", 4);
    w.tlbToolbar_ButtonMenuClick("Stop", 1);
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(Dispatch, EditAccountInTheDropDownOnlyForAnAccountNode) {
    record();
    QAction *edit = w.toolMenuItem("NewAccount", "EditAccount");
    // Opening any drop-down settles the item's state first.
    for (QTreeWidgetItem *node : {engine, root}) {
        w.tvwAccount->setCurrentItem(node);
        edit->setEnabled(true);
        QMetaObject::invokeMethod(w.toolButton("LookUp")->menu(), "aboutToShow");
        EXPECT_FALSE(edit->isEnabled()) << treenode::NodeText(node).toStdString();
        // Chosen anyway (enabled earlier): nothing runs.
        w.tlbToolbar_ButtonMenuClick("NewAccount", 2);
        EXPECT_TRUE(take().isEmpty());
    }
    w.tvwAccount->setCurrentItem(account);
    QMetaObject::invokeMethod(w.toolButton("Report")->menu(), "aboutToShow");
    EXPECT_TRUE(edit->isEnabled());
}

TEST_F(Dispatch, DeleteKeysRunTheirItemOnlyWhileItIsEnabled) {
    record();
    fillKeywords({"red shoes"});
    w.lvwKeywords->topLevelItem(0)->setSelected(true);
    w.lvwURLs->addTopLevelItem(new QTreeWidgetItem(QStringList{"http://a.example/"}));

    w.setMenuToolBarstatus();
    sendKey(w.lvwKeywords, Qt::Key_Delete);
    sendKey(w.lvwURLs, Qt::Key_Delete);  // the URL dialog, where URLs are removed
    sendKey(w.lvwKeywords, Qt::Key_A);
    EXPECT_EQ(take(), QStringList({"DoDeleteKeywords", "EditURLs"}));

    // The account is being looked up: its keyword file is about to be rewritten.
    w.m_bInsearch = true;
    w.m_sLookupAccount = "acme";
    w.setMenuToolBarstatus();
    sendKey(w.lvwKeywords, Qt::Key_Delete);
    sendKey(w.lvwURLs, Qt::Key_Delete);
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(Dispatch, DoubleClicksOpenAddressesWithASchemeOnlyWhereNoneIsGiven) {
    testenv::writeFile(g_sEngineDataFile,
                       "[OvertureEngines]\r\n1=Overture\r\n\r\n[Overture]\r\nEngineKey=overture\r\n"
                       "EngineURL=http://www.overture.example/\r\nQueryKeyword1=search?q=\r\nQueryKeyword2=\r\n");
    w.m_oEngine = std::make_shared<clsEngine>();
    ASSERT_TRUE(w.m_oEngine->loadEngineData());

    // Keywords: trimmed as typed; the engine makes blanks "+" and encodes a typed "+".
    fillKeywords({"  red shoes ", "c++ book"});
    struct Case {
        int row;
        const char *address;
    };
    for (const Case &c : {Case{0, "http://www.overture.example/search?q=red+shoes"},
                          Case{1, "http://www.overture.example/search?q=c%2B%2B+book"}}) {
        w.lvwKeywords->setCurrentItem(w.lvwKeywords->topLevelItem(c.row));
        w.lvwKeywords_DblClick();
        EXPECT_EQ(lastOpened(), c.address);
    }
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);

    // No engine selected, or one the engine data does not know: nothing opens.
    const int opened = int(testenv::shellOpened().size());
    w.m_sEngineName.clear();
    w.lvwKeywords_DblClick();
    w.m_sEngineName = "Nowhere";
    w.lvwKeywords_DblClick();
    EXPECT_EQ(testenv::shellOpened().size(), opened);

    // Ranking listings and own URLs.
    struct Url {
        const char *text, *opened;
    };
    const std::vector<Url> urls = {
        {"www.shop.example/boots", "http://www.shop.example/boots"},
        {"https://secure.example/a", "https://secure.example/a"},
        {"HTTP://CAPS.EXAMPLE/", "HTTP://CAPS.EXAMPLE/"},
        {"  http://padded.example/  ", "http://padded.example/"},
    };
    w.lvwRanking->setColumnCount(4);
    for (const Url &u : urls) {
        w.lvwRanking->clear();
        w.lvwRanking->addTopLevelItem(new QTreeWidgetItem(QStringList{"1", "Title", u.text, "$0.10"}));
        w.lvwRanking->setCurrentItem(w.lvwRanking->topLevelItem(0));
        w.lvwRanking_DblClick();
        EXPECT_EQ(lastOpened(), u.opened) << "ranking " << u.text;

        w.lvwURLs->clear();
        w.lvwURLs->addTopLevelItem(new QTreeWidgetItem(QStringList{u.text}));
        w.lvwURLs->setCurrentItem(w.lvwURLs->topLevelItem(0));
        w.lvwURLs_DblClick();
        EXPECT_EQ(lastOpened(), u.opened) << "URL list " << u.text;
        testenv::clearShownMsgBoxes();
        w.menuItem("URL", 3)->trigger();  // URL > Open
        EXPECT_EQ(lastOpened(), u.opened) << "URL > Open " << u.text;
    }

    // Empty lists open nothing.
    const int before = int(testenv::shellOpened().size());
    w.lvwKeywords->clear();
    w.lvwRanking->clear();
    w.lvwURLs->clear();
    w.m_sEngineName = "Overture";
    w.lvwKeywords_DblClick();
    w.lvwRanking_DblClick();
    w.lvwURLs_DblClick();
    w.mnuURLOpen();
    EXPECT_EQ(testenv::shellOpened().size(), before);
}

TEST_F(Dispatch, ClickingAnotherKeywordRowRefreshesTheShownRowOnly) {
    fillKeywords({"a", "b", "c"});
    w.lvwKeywords->setCurrentItem(w.lvwKeywords->topLevelItem(0));
    w.UpdateUI(false, false, false);
    ASSERT_EQ(w.m_sLastKeywordText, "1");

    // The same row again: no refresh.
    w.m_oLastKeywordItem = nullptr;
    w.lvwKeywords_ItemClick(w.lvwKeywords->topLevelItem(0));
    EXPECT_EQ(w.m_oLastKeywordItem, nullptr);

    // Another row: refreshed.
    w.lvwKeywords->setCurrentItem(w.lvwKeywords->topLevelItem(2));
    w.lvwKeywords_ItemClick(w.lvwKeywords->topLevelItem(2));
    EXPECT_EQ(w.m_oLastKeywordItem, w.lvwKeywords->topLevelItem(2));
    EXPECT_EQ(w.m_sLastKeywordText, "3");

    // The list refilled by a command: the shown row is known by its text alone.
    w.lvwKeywords->clear();
    fillKeywords({"x", "y", "z"});
    w.lvwKeywords->setCurrentItem(w.lvwKeywords->topLevelItem(2));
    w.m_oLastKeywordItem = nullptr;
    w.lvwKeywords_ItemClick(w.lvwKeywords->topLevelItem(2));
    EXPECT_EQ(w.m_oLastKeywordItem, nullptr);
    w.lvwKeywords->setCurrentItem(w.lvwKeywords->topLevelItem(1));
    w.lvwKeywords_ItemClick(w.lvwKeywords->topLevelItem(1));
    EXPECT_EQ(w.m_sLastKeywordText, "2");
}

TEST_F(Dispatch, RightButtonPopsUpTheListsMenusAndMovesResetThePointer) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    struct Case {
        QTreeWidget *list;
        const char *menu;
    };
    for (const Case &c : {Case{w.lvwKeywords, "mnuKeywords"}, Case{w.lvwURLs, "mnuURL"}}) {
        auto *popup = w.findChild<QMenu *>(c.menu);
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(c.list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_FALSE(popup->isVisible());
        QTest::mouseClick(c.list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_TRUE(popup->isVisible()) << c.menu;
        popup->hide();
    }
    for (QWidget *target : {w.lvwKeywords->viewport(), w.lvwRanking->viewport(), w.lvwURLs->viewport(),
                            static_cast<QWidget *>(w.tlbToolbar)}) {
        seam::SetPointer(seam::Pointer::Hourglass);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default) << target->objectName().toStdString();
    }
}

TEST_F(Dispatch, HelpContentsOpensTheHelpFileOrSaysWhereItLooked) {
    const QString path = platform::JoinPath(testenv::programDir(), "zqam.hlp");
    testenv::answerMsgBox(seam::vbOK);
    w.menuItem("Help", 1)->trigger();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    const auto &box = testenv::shownMsgBoxes().first();
    EXPECT_EQ(box.title, "Help Contents");
    EXPECT_EQ(box.icon(), seam::vbInformation);
    EXPECT_EQ(box.text, "Cannot find the '" + path +
                            "' Help file. Please check to see that the file exists on your disk. If it doesn't, you "
                            "need to reinstall it.");
    EXPECT_TRUE(testenv::shellOpened().isEmpty());

    testenv::writeFile(path, "help");
    w.menuItem("Help", 1)->trigger();
    EXPECT_EQ(testenv::shellOpened(), QStringList{path});
}

TEST_F(Dispatch, SupportWebAndAboutComeFromTheDealerRecord) {
    clsDealerInfo dealer;
    dealer.setDealername("Acme Resellers");
    dealer.setSupportURL("http://support.acme.example/");
    dealer.setDealerURL("http://acme.example/");
    g_oDealerInfo = &dealer;
    w.menuItem("Help", 3)->trigger();
    w.menuItem("Help", 4)->trigger();
    EXPECT_EQ(testenv::shellOpened(), QStringList({"http://support.acme.example/", "http://acme.example/"}));

    QString shownTitle;
    QTimer::singleShot(0, [&] {
        frmAbout *about = frmAbout::Instance();
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isModal());
        shownTitle = about->lblTitle->text();
        about->cmdOK->click();
    });
    w.menuItem("Help", 6)->trigger();
    EXPECT_EQ(shownTitle, "Zentrova " + app::Title());
    EXPECT_EQ(frmAbout::Instance(), nullptr);
    g_oDealerInfo = nullptr;
}
