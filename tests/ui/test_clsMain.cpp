#include "ProgramFixtures.h"

#include "core/clsEngine.h"
#include "support/FileFaults.h"

namespace {

// A controller over a bare tree with the engines of a fresh engine data file.
struct Project {
    explicit Project(const QStringList &engines) {
        fixtures::writeEngineData(engines);
        engine.loadEngineData();
        main.setTree(&tree);
        main.setEngineObject(&engine);
    }
    QTreeWidgetItem *node(const QString &engineName, const QString &account = QString()) {
        return treenode::FindNode(&tree, account.isNull() ? treenode::EngineKey(engineName)
                                                           : treenode::AccountKey(engineName, account));
    }
    QStringList children(QTreeWidgetItem *parent) {
        QStringList out;
        for (int i = 0; parent && i < parent->childCount(); ++i)
            out << parent->child(i)->text(0);
        return out;
    }
    void select(QTreeWidgetItem *n) {
        tree.setCurrentItem(n);
        main.setSelectNode(n);
    }
    QTreeWidget tree;
    clsEngine engine;
    clsMain main;
};

}  // namespace

TEST(clsMainProject, LoadsAroundGapsAndRepeatsAndSavesRenumberedInTreeOrder) {
    const QByteArray odd = "[Overture]\r\n1=A\r\nLast=1\r\n\r\n";
    const struct {
        const char *what;
        QByteArray project;
        QStringList engines, shownEngines, overture;
        const char *log;  // a pattern; "" for no log
        QByteArray saved;
    } cases[] = {
        {"gaps and letter case", "[Overture]\r\n1=Beta\r\n3=alpha\r\nLast=3\r\n\r\n[FindWhat]\r\nLast=0\r\n\r\n",
         {"Overture", "FindWhat", "Google"}, {"FindWhat", "Google", "Overture"}, {"alpha", "Beta"}, "",
         "[Overture]\r\n1=alpha\r\n2=Beta\r\nLast=2\r\n\r\n\r\n"},
        {"repeated account", "[Overture]\r\n1=Acme\r\n2=Other\r\n3=ACME\r\nLast=3\r\n\r\n", {"Overture"},
         {"Overture"}, {"Acme", "Other"}, "^clsMain_loadProject_Error: .*ACME",
         "[Overture]\r\n1=Acme\r\n2=Other\r\nLast=2\r\n\r\n\r\n"},
        {"repeated engine", "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n", {"Overture", "Google", "overture"},
         {"Google", "Overture"}, {"Shop"}, "^clsMain_loadProject_Error: ",
         "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n\r\n"},
        {"sections of engines not in the tree",
         "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n[Espotting]\r\n1=Old one\r\n2=Old two\r\nLast=2\r\n\r\n\r\n",
         {"Overture"}, {"Overture"}, {"Shop"}, "",
         "[Overture]\r\n1=Shop\r\nLast=1\r\n\r\n[Espotting]\r\n1=Old one\r\n2=Old two\r\nLast=2\r\n\r\n\r\n"},
        // To the reader "[Overture<form feed>]" is not the Overture section:
        // the save keeps it and its keys.
        {"form feed", odd + "[Overture\f]\r\n1=B\r\nLast=1\r\n", {"Overture"}, {"Overture"}, {"A"}, "",
         odd + "[Overture\f]\r\n1=B\r\nLast=1\r\n\r\n\r\n"},
        {"vertical tab", odd + "[Overture\v]\r\n1=B\r\nLast=1\r\n", {"Overture"}, {"Overture"}, {"A"}, "",
         odd + "[Overture\v]\r\n1=B\r\nLast=1\r\n\r\n\r\n"},
        {"leading form feed", odd + "[\fOverture]\r\n1=B\r\nLast=1\r\n", {"Overture"}, {"Overture"}, {"A"}, "",
         odd + "[\fOverture]\r\n1=B\r\nLast=1\r\n\r\n\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const qsizetype logged = testenv::errorLog().size();
        fixtures::writeProject(c.project);
        Project p(c.engines);
        ASSERT_TRUE(p.main.loadProject());
        QTreeWidgetItem *root = treenode::RootNode(&p.tree);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(0), "Account");
        EXPECT_EQ(treenode::NodeImage(root), "RootAccount");
        EXPECT_EQ(p.children(root), c.shownEngines);
        EXPECT_EQ(p.children(p.node("Overture")), c.overture);
        EXPECT_TRUE(treenode::IsAccount(p.node("Overture", c.overture.first())));
        const QString log = QString::fromLatin1(testenv::errorLog().mid(logged));
        EXPECT_TRUE(*c.log ? log.contains(QRegularExpression(c.log)) : log.isEmpty()) << log.toStdString();
        p.main.SaveAccount();
        EXPECT_EQ(fixtures::readProject(), c.saved);
    }
}

TEST(clsMainProject, TagsCountKeywordLinesPerAccountAndSumPerEngineBeyondSixteenBits) {
    fixtures::writeProject("[Overture]\r\n1=Shop\r\n2=Books\r\n3=Empty\r\n70000=Far\r\nLast=99999999999\r\n\r\n");
    fixtures::writeKeywords("Overture", "Shop", {"red shoes", "", "blue shoes", "", "green shoes"});
    fixtures::writeKeywords("Overture", "Books", {"novels", "poems"});
    fixtures::writeKeywords("Overture", "Far", QStringList(40000, QStringLiteral("k")));
    Project p({"Overture", "FindWhat"});
    ASSERT_TRUE(p.main.loadProject());

    EXPECT_EQ(p.children(p.node("Overture")), QStringList({"Books", "Empty", "Far", "Shop"}));
    EXPECT_EQ(treenode::NodeTag(p.node("Overture", "Shop")), 3);
    EXPECT_EQ(treenode::NodeTag(p.node("Overture", "Books")), 2);
    EXPECT_TRUE(treenode::HasTag(p.node("Overture", "Empty")));
    EXPECT_EQ(treenode::NodeTag(p.node("Overture", "Empty")), 0);
    EXPECT_EQ(treenode::NodeTag(p.node("Overture")), 40005);
    // An engine without accounts gets no tag.
    EXPECT_FALSE(treenode::HasTag(p.node("FindWhat")));
}

TEST(clsMainProject, KeysOfLookAlikeNamesNeverCollideAndKindIsExplicit) {
    fixtures::writeProject("[Overture]\r\n1=(UK)x\r\n2=Rootbeer\r\n3=Child\r\nLast=3\r\n\r\n"
                           "[Overture(UK)]\r\n1=x\r\n2=Engine\r\nLast=2\r\n\r\n");
    Project p({"Overture", "Overture(UK)"});
    ASSERT_TRUE(p.main.loadProject());
    QTreeWidgetItem *a = p.node("Overture", "(UK)x");
    QTreeWidgetItem *b = p.node("Overture(UK)", "x");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->parent()->text(0), "Overture");
    EXPECT_EQ(b->parent()->text(0), "Overture(UK)");
    for (QTreeWidgetItem *n : {p.node("Overture", "Rootbeer"), p.node("Overture", "Child"),
                               p.node("Overture(UK)", "Engine")}) {
        ASSERT_NE(n, nullptr);
        EXPECT_TRUE(treenode::IsAccount(n)) << n->text(0).toStdString();
    }
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsMainProject, UnreadableProjectFileIsNamedAndNeverOverwritten) {
    const QByteArray stored = "[Overture]\r\n1=A\r\nLast=1\r\n\r\n\r\n";
    fixtures::writeProject(stored);
    Project p({"Overture"});
    {
        testenv::Unreadable guard(fixtures::projectFile());
        testenv::answerMsgBox(seam::vbOK);
        ASSERT_TRUE(p.main.loadProject());
    }
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_TRUE(testenv::shownMsgBoxes()[0].text.startsWith(fixtures::projectFile() + ": "));
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Open File");
    EXPECT_TRUE(p.children(p.node("Overture")).isEmpty());
    // An account added meanwhile is not saved over the accounts the file holds.
    treenode::AddNewNode(&p.tree, treenode::EngineKey("Overture"), treenode::AccountKey("Overture", "New"), "New",
                         "AccountFolder", treenode::Kind::Account);
    p.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), stored);
    EXPECT_TRUE(testenv::errorLog().contains("SaveAccount_Error: " + fixtures::projectFile().toUtf8()));
    // Readable again: the next load and save work as always.
    ASSERT_TRUE(p.main.loadProject());
    EXPECT_EQ(p.children(p.node("Overture")), QStringList{"A"});
    p.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), stored);
}

TEST(clsMainProject, SaveWithoutAccountsWritesOneEmptyLineAndWithoutEnginesNothing) {
    fixtures::writeProject("stale");
    {
        Project p({"Overture", "FindWhat"});
        ASSERT_TRUE(p.main.loadProject());
        p.main.SaveAccount();
        EXPECT_EQ(fixtures::readProject(), QByteArray("\r\n"));
    }
    fixtures::writeProject("stale");
    testenv::answerMsgBox(seam::vbOK);  // the engine data file lists no engine
    {
        Project p({});
        ASSERT_TRUE(p.main.loadProject());
        EXPECT_EQ(p.tree.topLevelItemCount(), 1);
        EXPECT_EQ(p.tree.topLevelItem(0)->childCount(), 0);
        p.main.SaveAccount();
        EXPECT_EQ(fixtures::readProject(), QByteArray("stale"));
    }
}

TEST(clsMainProject, SelectNodeMovesTheOpenFolderImage) {
    fixtures::writeProject("[Overture]\r\n1=A\r\n2=B\r\nLast=2\r\n\r\n");
    Project p({"Overture"});
    ASSERT_TRUE(p.main.loadProject());
    QTreeWidgetItem *a = p.node("Overture", "A");
    QTreeWidgetItem *b = p.node("Overture", "B");
    EXPECT_EQ(treenode::NodeImage(a), "AccountFolder");
    p.main.setSelectNode(a);
    EXPECT_EQ(treenode::NodeImage(a), "AccountFolderOpen");
    p.main.setSelectNode(b);
    EXPECT_EQ(treenode::NodeImage(a), "AccountFolder");
    EXPECT_EQ(treenode::NodeImage(b), "AccountFolderOpen");
    QTreeWidgetItem *root = treenode::RootNode(&p.tree);
    p.main.setSelectNode(root);
    EXPECT_EQ(treenode::NodeImage(root), "RootAccount");
    EXPECT_EQ(treenode::NodeImage(b), "AccountFolder");
    // A rebuilt tree forgets the old selection without touching freed nodes.
    ASSERT_TRUE(p.main.loadProject());
    EXPECT_EQ(p.main.SelectNode(), nullptr);
    p.main.setSelectNode(p.node("Overture", "A"));
    EXPECT_EQ(treenode::NodeImage(p.node("Overture", "A")), "AccountFolderOpen");
}

TEST(clsMainDelete, AsksRemovesOnlyTheSettingsFileAndSelectsTheNextNode) {
    fixtures::writeProject("[Overture]\r\n1=A\r\n2=B\r\n3=C\r\nLast=3\r\n\r\n");
    for (const char *name : {"A", "B", "C"})
        fixtures::saveAccount("Overture", name);
    fixtures::writeKeywords("Overture", "B", {"one", "two"});
    fixtures::writeKeywords("Overture", "C", {"three"});
    testenv::writeFile(fixtures::accountFile("Overture", "B", "URLs.dat"), "http://b.example/\r\n\r\n");
    Project p({"Overture"});
    ASSERT_TRUE(p.main.loadProject());
    const QString bSettings = fixtures::settingsFile("Overture", "B");
    ASSERT_TRUE(QFileInfo::exists(bSettings));

    // No keeps everything.
    p.select(p.node("Overture", "B"));
    testenv::answerMsgBox(seam::vbNo);
    p.main.DeleteAccount();
    EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{"Are you sure you want to delete Account : B ?", "Delete Account",
                                                   seam::vbYesNo | seam::vbQuestion}));
    EXPECT_NE(p.node("Overture", "B"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(bSettings));

    // Yes: the next sibling below is selected, the engine's tag drops by the account's.
    testenv::answerMsgBox(seam::vbYes);
    p.main.DeleteAccount();
    EXPECT_EQ(p.node("Overture", "B"), nullptr);
    EXPECT_EQ(p.main.SelectNode(), p.node("Overture", "C"));
    EXPECT_EQ(treenode::NodeTag(p.node("Overture")), 1);
    EXPECT_FALSE(QFileInfo::exists(bSettings));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Overture", "B", "Keywords.dat")));
    EXPECT_TRUE(QFileInfo::exists(fixtures::accountFile("Overture", "B", "URLs.dat")));
    p.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), QByteArray("[Overture]\r\n1=A\r\n2=C\r\nLast=2\r\n\r\n\r\n"));

    // The last account selects the one above it; the only one its engine.
    p.select(p.node("Overture", "C"));
    testenv::answerMsgBox(seam::vbYes);
    p.main.DeleteAccount();
    EXPECT_EQ(p.main.SelectNode(), p.node("Overture", "A"));
    p.select(p.node("Overture", "A"));
    testenv::answerMsgBox(seam::vbYes);
    p.main.DeleteAccount();
    EXPECT_EQ(p.main.SelectNode(), p.node("Overture"));
    EXPECT_EQ(treenode::NodeTag(p.node("Overture")), 0);
    p.main.SaveAccount();
    EXPECT_EQ(fixtures::readProject(), QByteArray("\r\n"));
}

TEST(TreeNodeAdd, FailsWithoutParentOrWithATakenKeyAndLogs) {
    QTreeWidget tree;
    treenode::AddRootNode(&tree);
    EXPECT_EQ(treenode::AddNewNode(&tree, treenode::EngineKey("Nope"), treenode::AccountKey("Nope", "a"), "a",
                                   "AccountFolder", treenode::Kind::Account),
              nullptr);
    QTreeWidgetItem *e = treenode::AddNewNode(&tree, treenode::RootKey(), treenode::EngineKey("E"), "E",
                                              "AccountFolder", treenode::Kind::Engine);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isExpanded());
    EXPECT_EQ(tree.currentItem(), e);
    EXPECT_EQ(treenode::AddNewNode(&tree, treenode::RootKey(), treenode::EngineKey("E"), "E", "AccountFolder",
                                   treenode::Kind::Engine),
              nullptr);
    const QByteArray log = testenv::errorLog();
    EXPECT_EQ(log.count("clsMain_AddNewNodeError: "), 2);
}
