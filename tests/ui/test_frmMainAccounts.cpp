#include "ProgramFixtures.h"

#include "core/clsEngine.h"
#include "ui/frmAccount.h"

using fixtures::Program;

namespace {

// Works in the account dialog once it is up, then closes it with OK.
void inAccountDialog(std::function<void(frmAccount *)> work) {
    QTimer::singleShot(0, [work] {
        auto *d = qobject_cast<frmAccount *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        work(d);
        d->cmdOK->click();
        if (d->isVisible())
            d->reject();
    });
}

}  // namespace

TEST(frmMainLoad, FirstSelectionIsTheFirstAccountOfTheFirstEngineWithItsLists) {
    fixtures::writeEngineData({"Overture", "FindWhat", "Google"});
    fixtures::writeKeywords("FindWhat", "Alpha", {"red shoes", "blue shoes"});
    testenv::writeFile(fixtures::accountFile("FindWhat", "Alpha", "URLs.dat"),
                       "http://alpha.example/\r\n\r\nhttp://alpha.example/shop\r\n\r\n");
    Program p("[FindWhat]\r\n1=zeta\r\n2=Alpha\r\nLast=2\r\n\r\n[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n");
    EXPECT_TRUE(p.form->isVisible());
    QTreeWidgetItem *alpha = p.node("FindWhat", "Alpha");
    EXPECT_EQ(p.form->tvwAccount->currentItem(), alpha);
    EXPECT_EQ(p.form->m_oCurrentNode, alpha);
    EXPECT_EQ(p.main->SelectNode(), alpha);
    EXPECT_EQ(treenode::NodeImage(alpha), "AccountFolderOpen");
    EXPECT_EQ(p.form->m_sEngineName, "FindWhat");
    EXPECT_EQ(p.form->fraMainRight->title(), "Alpha");
    EXPECT_EQ(p.form->lvwKeywords->rowCount(), 2);
    EXPECT_EQ(p.urls(), QStringList({"http://alpha.example/", "http://alpha.example/shop"}));
    EXPECT_TRUE(p.item("File", 2)->isEnabled());

    // An engine node shows no URLs; nor does an account named like the root.
    p.click(p.node("Overture"));
    EXPECT_EQ(p.form->m_sEngineName, "Overture");
    EXPECT_TRUE(p.urls().isEmpty());
    EXPECT_EQ(p.form->lvwKeywords->rowCount(), 0);
    EXPECT_EQ(treenode::NodeImage(alpha), "AccountFolder");
}

TEST(frmMainLoad, FirstEngineWithoutAccountsOrNoEnginesAtAll) {
    fixtures::writeEngineData({"Overture", "FindWhat"});
    fixtures::writeProject("[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n");
    {
        Program p;
        EXPECT_EQ(p.form->tvwAccount->currentItem(), p.node("FindWhat"));
        EXPECT_TRUE(p.item("File", 1)->isEnabled());
        EXPECT_FALSE(p.item("File", 2)->isEnabled());
    }
    // An engine data file that lists no engine is reported like a missing one.
    fixtures::writeEngineData({});
    testenv::answerMsgBox(seam::vbOK);
    {
        Program p;
        EXPECT_EQ(fixtures::shownBox().text, clsEngine::kMissingFileMessage);
        QTreeWidgetItem *root = treenode::RootNode(p.form->tvwAccount);
        EXPECT_EQ(p.form->tvwAccount->currentItem(), root);
        EXPECT_TRUE(p.form->m_sEngineName.isEmpty());
        EXPECT_FALSE(p.item("File", 1)->isEnabled());
    }
}

TEST(frmMainCommands, NewAccountAddsSelectsAndWritesProjectAndAccountFile) {
    fixtures::writeEngineData({"Google", "Yahoo"});
    Program p("[Google]\r\n1=Shop\r\nLast=1\r\n\r\n");
    inAccountDialog([](frmAccount *d) {
        EXPECT_EQ(d->windowTitle(), "Account - Google");
        d->txtAccountName->setText("Books");
    });
    p.item("File", 1)->trigger();
    QTreeWidgetItem *books = p.node("Google", "Books");
    ASSERT_NE(books, nullptr);
    EXPECT_EQ(p.form->m_oCurrentNode, books);
    EXPECT_EQ(p.form->fraMainRight->title(), "Books");
    EXPECT_EQ(treenode::NodeImage(books), "AccountFolderOpen");
    EXPECT_EQ(treenode::NodeImage(p.node("Google", "Shop")), "AccountFolder");
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=Books\r\n2=Shop\r\nLast=2\r\n\r\n\r\n"));
    EXPECT_TRUE(QFileInfo::exists(fixtures::settingsFile("Google", "Books")));
}

TEST(frmMainCommands, RenameByDoubleClickIsWhatARestartShows) {
    fixtures::writeEngineData({"Google"});
    fixtures::writeProject("[Google]\r\n1=Old\r\n2=Zoo\r\nLast=2\r\n\r\n");
    fixtures::saveAccount("Google", "Old", "me");
    fixtures::writeKeywords("Google", "Old", {"one", "two", "three"});
    testenv::writeFile(fixtures::accountFile("Google", "Old", "URLs.dat"), "http://old.example/\r\n\r\n");
    {
        Program p;
        ASSERT_EQ(p.form->tvwAccount->currentItem(), p.node("Google", "Old"));
        inAccountDialog([](frmAccount *d) {
            EXPECT_EQ(d->txtUserID->text(), "me");
            d->txtAccountName->setText("New");
        });
        p.form->tvwAccount_DblClick();
        EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=New\r\n2=Zoo\r\nLast=2\r\n\r\n\r\n"));
        EXPECT_EQ(p.form->fraMainRight->title(), "New");
        EXPECT_EQ(p.form->lvwKeywords->rowCount(), 3);
        EXPECT_EQ(p.urls(), QStringList({"http://old.example/"}));
    }
    Program again;
    EXPECT_EQ(again.form->tvwAccount->currentItem(), again.node("Google", "New"));
    EXPECT_EQ(treenode::NodeTag(again.node("Google", "New")), 3);
    EXPECT_EQ(again.form->lvwKeywords->rowCount(), 3);
}

TEST(frmMainCommands, DeleteKeyAsksSelectsTheNextAndRewritesTheProject) {
    fixtures::writeEngineData({"Google"});
    fixtures::saveAccount("Google", "A");
    fixtures::saveAccount("Google", "B");
    Program p("[Google]\r\n1=A\r\n2=B\r\nLast=2\r\n\r\n");
    ASSERT_EQ(p.form->m_oCurrentNode, p.node("Google", "A"));

    testenv::answerMsgBox(seam::vbYes);
    p.form->tvwAccount_KeyDown(46);
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 1);  // the controller's question
    EXPECT_EQ(p.node("Google", "A"), nullptr);
    QTreeWidgetItem *b = p.node("Google", "B");
    EXPECT_EQ(p.form->m_oCurrentNode, b);
    EXPECT_EQ(p.form->tvwAccount->currentItem(), b);
    EXPECT_EQ(p.form->fraMainRight->title(), "B");
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=B\r\nLast=1\r\n\r\n\r\n"));

    // On the engine node the command asks nothing and still rewrites the file.
    p.click(p.node("Google"));
    fixtures::writeProject("stale");
    p.form->tvwAccount_KeyDown(46);
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=B\r\nLast=1\r\n\r\n\r\n"));

    // On the root only a beep.
    p.click(treenode::RootNode(p.form->tvwAccount));
    fixtures::writeProject("stale");
    p.form->tvwAccount_KeyDown(46);
    EXPECT_EQ(fixtures::readProject(), QByteArray("stale"));
}

TEST(frmMainCommands, AccountInLookUpIsNeitherDeletedNorRenamed) {
    fixtures::writeEngineData({"Google"});
    const QString settings = fixtures::saveAccount("Google", "Shop");
    Program p("[Google]\r\n1=Shop\r\nLast=1\r\n\r\n");
    p.form->m_bInsearch = true;
    p.form->m_sLookupAccount = "Shop";
    const int info = seam::vbOKOnly | seam::vbInformation;

    testenv::answerMsgBox(seam::vbOK);
    p.form->tvwAccount_KeyDown(46);
    EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{"This Account is being looked up. Please stop the look up before "
                                                   "you delete it.", "Delete Account", info}));
    EXPECT_NE(p.node("Google", "Shop"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(settings));

    inAccountDialog([](frmAccount *d) {
        d->txtAccountName->setText("Other");
        testenv::answerMsgBox(seam::vbOK);
    });
    p.form->tvwAccount_DblClick();
    EXPECT_EQ(fixtures::shownBox(2), (fixtures::Box{"This Account is being looked up. Please stop the look up before "
                                                    "you rename it.", "Account - Google", info}));
    EXPECT_NE(p.node("Google", "Shop"), nullptr);
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Google]\r\n1=Shop\r\nLast=1\r\n\r\n\r\n"));
}

TEST(frmMainTree, TagsFollowTheKeywordRows) {
    fixtures::writeEngineData({"Google"});
    fixtures::writeKeywords("Google", "A", {"one", "two"});
    fixtures::writeKeywords("Google", "B", {"three"});
    Program p("[Google]\r\n1=A\r\n2=B\r\nLast=2\r\n\r\n");
    EXPECT_EQ(treenode::NodeTag(p.node("Google")), 3);
    p.form->lvwKeywords->rows()->appendRow({"3", "four"});
    p.form->lvwKeywords->rows()->appendRow({"4", "five"});
    p.form->ChangeNodeTagProperty();
    EXPECT_EQ(treenode::NodeTag(p.node("Google", "A")), 4);
    EXPECT_EQ(treenode::NodeTag(p.node("Google")), 5);
}

TEST(frmMainTree, RightButtonShowsTheEnginePopupEvenOverTheRoot) {
    fixtures::writeEngineData({"Google"});
    Program p;
    p.click(treenode::RootNode(p.form->tvwAccount));
    p.form->tvwAccount_MouseUp(Qt::RightButton, QPoint(10, 10));
    auto *popup = p.form->findChild<QMenu *>("mnuOpenPage");
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    popup->close();
}

TEST(frmMainTree, LoginAndEnginePagesOpenOnlyWebAddresses) {
    testenv::writeFile(g_sEngineDataFile,
                       "[OvertureEngines]\r\n1=Overture\r\n2=Short\r\n3=Files\r\n\r\n"
                       "[Overture]\r\nEngineURL=http://www.overture.example/\r\n"
                       "LoginURL=https://secure.overture.example/login\r\n\r\n"
                       "[Short]\r\nEngineURL=www.short.example\r\nLoginURL=http://a.b\r\n\r\n"
                       "[Files]\r\nEngineURL=file:///etc/passwd.x\r\nLoginURL=ftp://files.example.com/in\r\n");
    Program p;

    p.click(p.node("Overture"));
    p.form->mnuOpenPageItem_Click(2);
    p.form->mnuOpenPageItem_Click(1);
    p.click(p.node("Short"));
    p.form->LoginAccount_click();  // "." ninth, "://" fifth: accepted
    EXPECT_EQ(testenv::shellOpened(), QStringList({"https://secure.overture.example/login",
                                                   "http://www.overture.example/", "http://a.b"}));

    testenv::answerMsgBox(seam::vbOK);
    p.form->mnuOpenPageItem_Click(1);  // no "://"
    p.click(p.node("Files"));
    testenv::answerMsgBox(seam::vbOK);
    p.form->LoginAccount_click();
    testenv::answerMsgBox(seam::vbOK);
    p.form->mnuOpenPageItem_Click(1);
    EXPECT_EQ(testenv::shellOpened().size(), 3);
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 3);
    for (const auto &box : testenv::shownMsgBoxes()) {
        EXPECT_TRUE(box.text.startsWith("Invalid login URL. Please report this error to '"));
        EXPECT_TRUE(box.text.endsWith("'."));
        EXPECT_EQ(box.title, "Login");
        EXPECT_EQ(box.style, seam::vbOKOnly | seam::vbInformation);
    }
    EXPECT_EQ(testenv::errorLog(), QByteArray("frmMain_LoginAccount_URL(Files):ftp://files.example.com/in\r\n"));
}
