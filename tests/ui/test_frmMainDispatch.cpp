#include "ProgramFixtures.h"

#include "core/clsDealerInfo.h"
#include "core/clsEngine.h"
#include "ui/frmAbout.h"

#include <QKeyEvent>
#include <QToolBar>

namespace {

// Where each menu item ("Menu n"), toolbar key ("Key") and drop-down item ("Key/Item") leads.
const std::pair<const char *, const char *> kRoutes[] = {
    {"File 1", "AddAccount SaveAccount"},   {"File 2", "EditAccount SaveAccount"},
    {"File 3", "DeleteAccountCommand"},     {"File 5", "Engingsetting SaveAccount"},
    {"File 8", "UpdateEngineDataFile"},     {"File 9", "ShowConfiguration"},
    {"File 11", "Exit"},                    {"Keywords 1", "DoAddKeywords"},
    {"Keywords 3", "DoDeleteKeywords"},     {"Keywords 4", "DoRemoveAllKeywords"},
    {"Keywords 6", "DoCopyKeywords"},       {"Keywords 7", "DoPasteKeywords"},
    {"Keywords 9", "DoBuildKeyword"},       {"Keywords 10", "DownLoadKeywords"},
    {"Keywords 12", "Exportkeywords"},      {"URL 1", "EditURLs"},
    {"URL 2", "ShowURLPosition"},           {"URL 3", "mnuURLOpen"},
    {"Run 1", "mnuRunItems_Click(1)"},      {"Run 3", "mnuRunItems_Click(3)"},
    {"Run 4", "mnuRunItems_Click(4)"},      {"Run 5", "mnuRunItems_Click(5)"},
    {"Run 7", "mnuRunItems_Click(7)"},      {"Report 1", "HTMLReport"},
    {"Report 2", "TextReport"},             {"Report 3", "ExcelReport"},
    {"Help 1", "mnuHelpContents"},          {"Help 3", "mnuHelpSupport"},
    {"Help 4", "mnuHelpWeb"},               {"Help 6", "mnuHelpAbout"},
    {"OpenPage 1", "mnuOpenPageItem_Click(1)"}, {"OpenPage 2", "mnuOpenPageItem_Click(2)"},
    {"NewAccount", "AddAccount SaveAccount"}, {"Login", "LoginAccount_click"},
    {"Keyword", "DoAddKeywords"},           {"LoadKeyword", "DownLoadKeywords"},
    {"URL", "EditURLs"},                    {"LookUp", "mnuRunItems_Click(3)"},
    {"Stop", "mnuRunItems_Click(7)"},       {"AutoBid", "mnuRunItems_Click(1)"},
    {"Report", "HTMLReport"},               {"NewAccount/NewAccount", "AddAccount SaveAccount"},
    {"NewAccount/EditAccount", "EditAccount SaveAccount"}, {"LookUp/Keyword", "mnuRunItems_Click(3)"},
    {"LookUp/AllKeywords", "mnuRunItems_Click(4)"}, {"Report/HTML", "HTMLReport"},
    {"Report/Text", "TextReport"},          {"Report/Excel", "ExcelReport"},
};

struct Dispatch : ::testing::Test, fixtures::BareWindow {
    QStringList ran;
    QTreeWidgetItem *engine = addEngine("Overture"), *account = addAccount("Overture", "acme");

    void SetUp() override {
        w.tvwAccount->setCurrentItem(account);
        w.m_oCurrentNode = account;
        w.m_sEngineName = "Overture";
    }
    // Every command the routes name, recorded instead of run.
    void record() {
        for (const auto &route : kRoutes)
            for (const QString &name : QString(route.second).split(' '))
                w.DispatchCommand(name) = [this, name] { ran << name; };
    }
    QStringList take() {
        QStringList out = ran;
        ran.clear();
        return out;
    }
    static std::string lastOpened() {
        return testenv::shellOpened().isEmpty() ? std::string() : testenv::shellOpened().last().toStdString();
    }
    void fillKeywords(const QStringList &keywords) {
        for (int i = 0; i < keywords.size(); ++i)
            w.lvwKeywords->rows()->appendRow({QString::number(i + 1), keywords[i]});
    }
    void sendKey(QWidget *target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
};

}  // namespace

TEST_F(Dispatch, EveryMenuItemToolbarKeyAndDropDownItemReachesItsCommand) {
    record();
    w.menuItem("Keywords", 7)->setEnabled(true);  // Paste, as after a Copy
    for (const auto &[route, commands] : kRoutes) {
        QAction *a = fixtures::action(w, route);
        ASSERT_NE(a, nullptr) << route;
        a->trigger();
        EXPECT_EQ(take().join(' '), commands) << route;
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
    w.lvwKeywords->setRowSelected(0, true);
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
    for (const auto &[row, address] : {std::pair{0, "http://www.overture.example/search?q=red+shoes"},
                                       {1, "http://www.overture.example/search?q=c%2B%2B+book"}}) {
        w.lvwKeywords->setCurrentRow(row);
        w.lvwKeywords_DblClick();
        EXPECT_EQ(lastOpened(), address);
    }
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);

    // No engine selected, or one the engine data does not know: nothing opens.
    const qsizetype opened = testenv::shellOpened().size();
    for (const char *engineName : {"", "Nowhere"}) {
        w.m_sEngineName = engineName;
        w.lvwKeywords_DblClick();
    }
    EXPECT_EQ(testenv::shellOpened().size(), opened);

    // Ranking listings and own URLs.
    w.lvwRanking->setColumnCount(4);
    for (const auto &[text, address] : {std::pair{"www.shop.example/boots", "http://www.shop.example/boots"},
                                        {"https://secure.example/a", "https://secure.example/a"},
                                        {"HTTP://CAPS.EXAMPLE/", "HTTP://CAPS.EXAMPLE/"},
                                        {"  http://padded.example/  ", "http://padded.example/"}}) {
        w.lvwRanking->clear();
        w.lvwRanking->addTopLevelItem(new QTreeWidgetItem(QStringList{"1", "Title", text, "$0.10"}));
        w.lvwRanking->setCurrentItem(w.lvwRanking->topLevelItem(0));
        w.lvwRanking_DblClick();
        EXPECT_EQ(lastOpened(), address) << "ranking " << text;
        w.lvwURLs->clear();
        w.lvwURLs->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
        w.lvwURLs->setCurrentItem(w.lvwURLs->topLevelItem(0));
        w.lvwURLs_DblClick();
        EXPECT_EQ(lastOpened(), address) << "URL list " << text;
        w.menuItem("URL", 3)->trigger();  // URL > Open
        EXPECT_EQ(lastOpened(), address) << "URL > Open " << text;
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
    w.lvwKeywords->setCurrentRow(0);
    w.UpdateUI(false, false, false);
    ASSERT_EQ(w.m_sLastKeywordText, "1");

    // The same row again: no refresh.
    w.m_iLastKeywordRow = -1;
    w.lvwKeywords_ItemClick(0);
    EXPECT_EQ(w.m_iLastKeywordRow, -1);

    // Another row: refreshed.
    w.lvwKeywords->setCurrentRow(2);
    w.lvwKeywords_ItemClick(2);
    EXPECT_EQ(w.m_iLastKeywordRow, 2);
    EXPECT_EQ(w.m_sLastKeywordText, "3");

    // The list refilled by a command: the shown row is known by its text alone.
    w.lvwKeywords->clear();
    fillKeywords({"x", "y", "z"});
    w.lvwKeywords->setCurrentRow(2);
    w.m_iLastKeywordRow = -1;
    w.lvwKeywords_ItemClick(2);
    EXPECT_EQ(w.m_iLastKeywordRow, -1);
    w.lvwKeywords->setCurrentRow(1);
    w.lvwKeywords_ItemClick(1);
    EXPECT_EQ(w.m_sLastKeywordText, "2");
}

TEST_F(Dispatch, RightButtonPopsUpTheListsMenusAndMovesResetThePointer) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (const auto &[list, menu] : {std::pair<QAbstractItemView *, const char *>{w.lvwKeywords, "mnuKeywords"},
                                     {w.lvwURLs, "mnuURL"}}) {
        auto *popup = w.findChild<QMenu *>(menu);
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_FALSE(popup->isVisible());
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_TRUE(popup->isVisible()) << menu;
        popup->hide();
    }
    for (QWidget *target : {w.lvwKeywords->viewport(), w.lvwRanking->viewport(), w.lvwURLs->viewport(),
                            static_cast<QWidget *>(w.tlbToolbar), w.fraMainLeft,
                            static_cast<QWidget *>(w.fraMainRight)}) {
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
    EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{"Cannot find the '" + path +
                                                       "' Help file. Please check to see that the file exists on your "
                                                       "disk. If it doesn't, you need to reinstall it.",
                                                   "Help Contents", seam::vbInformation}));
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
