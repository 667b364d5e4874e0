#include "EngineDataFixtures.h"
#include "ProgramFixtures.h"

#include "core/clsEngine.h"
#include "ui/frmEnginesetting.h"

using fixtures::checked;

namespace {

// Runs the engine setting command, working in its dialog while it is up.
void engineSetting(fixtures::Program &p, std::function<void(frmEnginesetting *)> work) {
    fixtures::inModal<frmEnginesetting>(std::move(work));
    p.form->Engingsetting();
}

void uncheck(frmEnginesetting *d, const QString &engine) {
    for (int i = 0; i < d->lvwEngine->topLevelItemCount(); ++i)
        if (d->lvwEngine->topLevelItem(i)->text(0) == engine)
            d->lvwEngine->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
}

}  // namespace

TEST(frmEnginesetting, MissingFileListsNothingAndOKWritesNothing) {
    frmEnginesetting d;
    testenv::answerMsgBox(seam::vbOK);
    d.Prepare();
    EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{clsEngine::kMissingFileMessage, "Error", seam::vbInformation}));
    EXPECT_EQ(d.lvwEngine->topLevelItemCount(), 0);
    d.show();
    d.cmdOK->click();
    EXPECT_FALSE(d.Cancelled());
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(platform::Registry::instance().value(g_sEngineKey, "Overture").has_value());
}

TEST(frmEnginesetting, FlagsThatCannotBeStoredKeepTheDialogOpen) {
    fixtures::writeEngineData({"Overture", "Google"});
    frmEnginesetting d;
    d.Prepare();
    d.show();
    uncheck(&d, "Google");
    fixtures::BrokenStore broken;
    testenv::answerMsgBox(seam::vbOK);
    d.cmdOK->click();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Engine Setting");
    EXPECT_EQ(testenv::shownMsgBoxes()[0].style, seam::vbOKOnly | seam::vbCritical);
    EXPECT_TRUE(testenv::shownMsgBoxes()[0].text.contains("Google"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.Cancelled());
}

TEST(frmEnginesetting, CancelAndTheCloseBoxLeaveFlagsTreeEnginesAndProjectFile) {
    fixtures::writeEngineData({"Overture", "Google", "FindWhat"});
    testenv::setRegistryValue(g_sEngineKey, "FindWhat", "0");
    fixtures::Program p("[Google]\r\n1=acme\r\nLast=1\r\n\r\n");
    const QByteArray project = fixtures::readProject();
    const std::shared_ptr<clsEngine> engine = p.form->m_oEngine;
    QTreeWidgetItem *current = p.form->m_oCurrentNode;
    for (bool closeBox : {false, true}) {
        engineSetting(p, [closeBox](frmEnginesetting *d) {
            EXPECT_EQ(d->windowTitle(), "Engine Setting");
            EXPECT_EQ(d->lblEngineTitle->text(), "Please select the engines you want to use:");
            EXPECT_EQ(checked(d->lvwEngine), (QStringList{"Overture", "Google"}));
            EXPECT_EQ(checked(d->lvwEngine, Qt::Unchecked), QStringList{"FindWhat"});
            uncheck(d, "Google");
            closeBox ? void(d->close()) : d->cmdCancel->click();
        });
        EXPECT_EQ(p.form->m_oEngine, engine);
        EXPECT_EQ(p.form->m_oCurrentNode, current);
        EXPECT_TRUE(treenode::ContainsNode(p.form->tvwAccount, current));
        EXPECT_EQ(fixtures::readProject(), project);
        EXPECT_EQ(fixtures::engineFlag("Google"), "");
        EXPECT_EQ(fixtures::engineFlag("FindWhat"), "0");
    }
}

TEST(frmEnginesetting, DisablingTheCurrentAccountsEngineMovesTheSelectionAndItsLists) {
    fixtures::writeEngineData({"Overture", "Google"});
    fixtures::writeKeywords("Google", "gacct", {"google kw"});
    fixtures::writeKeywords("Overture", "shop", {"red shoes", "blue shoes"});
    testenv::writeFile(fixtures::accountFile("Overture", "shop", "URLs.dat"), "http://shop.example/\r\n");
    fixtures::Program p("[Google]\r\n1=gacct\r\nLast=1\r\n\r\n[Overture]\r\n1=shop\r\nLast=1\r\n\r\n");
    ASSERT_EQ(p.form->m_oCurrentNode, p.node("Google", "gacct"));
    EXPECT_EQ(p.keywords(), QStringList{"google kw"});
    // A bid window or a running look-up holds the definitions it was given.
    const std::shared_ptr<clsEngine> held = p.form->m_oEngine;

    engineSetting(p, [](frmEnginesetting *d) {
        uncheck(d, "Google");
        d->cmdOK->click();
    });
    EXPECT_EQ(fixtures::engineFlag("Google"), "0");
    EXPECT_EQ(fixtures::engineFlag("Overture"), "1");
    EXPECT_EQ(p.node("Google"), nullptr);
    QTreeWidgetItem *shop = p.node("Overture", "shop");
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(p.form->m_oCurrentNode, shop);
    EXPECT_EQ(p.form->tvwAccount->currentItem(), shop);
    EXPECT_EQ(p.main->SelectNode(), shop);
    EXPECT_EQ(p.form->m_sEngineName, "Overture");
    EXPECT_EQ(p.form->fraMainRight->title(), "shop");
    EXPECT_EQ(p.keywords(), (QStringList{"red shoes", "blue shoes"}));
    EXPECT_EQ(p.urls(), QStringList{"http://shop.example/"});

    ASSERT_NE(p.form->m_oEngine, held);
    EXPECT_EQ(p.form->m_oEngine->GetEngineCount(), 1);
    EXPECT_EQ(p.main->EngineObject(), p.form->m_oEngine.get());
    EXPECT_EQ(held->GetEngineCount(), 2);
    EXPECT_EQ(held->GetEnginName(2), "Google");
    // The project file was saved before the rebuild; the switched-off engine's accounts stay in it.
    EXPECT_TRUE(fixtures::readProject().contains("[Google]\r\n1=gacct\r\nLast=1\r\n"));
}

TEST(frmEnginesetting, AllUncheckedLoadsNoEngineAndShowsTheRootAlone) {
    fixtures::writeEngineData({"Overture", "Google"});
    fixtures::writeKeywords("Overture", "shop", {"red shoes"});
    fixtures::Program p("[Overture]\r\n1=shop\r\nLast=1\r\n\r\n");
    engineSetting(p, [](frmEnginesetting *d) {
        uncheck(d, "Overture");
        uncheck(d, "Google");
        d->cmdOK->click();
    });
    EXPECT_EQ(fixtures::engineFlag("Overture"), "0");
    EXPECT_EQ(fixtures::engineFlag("Google"), "0");
    EXPECT_EQ(p.form->m_oEngine->GetEngineCount(), 0);
    ASSERT_EQ(p.form->tvwAccount->topLevelItemCount(), 1);
    QTreeWidgetItem *root = p.form->tvwAccount->topLevelItem(0);
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_EQ(p.form->m_oCurrentNode, root);
    EXPECT_EQ(p.form->m_sEngineName, "");
    EXPECT_TRUE(p.keywords().isEmpty());
    EXPECT_TRUE(p.urls().isEmpty());
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(fixtures::readProject(), "[Overture]\r\n1=shop\r\nLast=1\r\n\r\n\r\n");
}

TEST(frmEnginesetting, RebuildSelectsAndClicksANodeEvenWhenTheBuildFails) {
    fixtures::writeEngineData({"Overture", "Google"});
    fixtures::writeKeywords("Overture", "shop", {"red shoes"});
    fixtures::writeKeywords("Google", "gacct", {"google kw"});
    fixtures::Program p("[Overture]\r\n1=shop\r\nLast=1\r\n\r\n[Google]\r\n1=gacct\r\nLast=1\r\n\r\n");
    p.form->tvwAccount_NodeClick(p.node("Overture", "shop"));
    ASSERT_EQ(p.keywords(), QStringList{"red shoes"});
    // A controller without its tree cannot build: the selection still follows the tree the window shows.
    p.main->setTree(nullptr);
    p.form->RebuildEngineTree();
    EXPECT_TRUE(testenv::errorLog().contains("clsMain_loadProject_Error: "));
    EXPECT_EQ(p.form->m_oCurrentNode, p.node("Google", "gacct"));
    EXPECT_EQ(p.form->m_sEngineName, "Google");
    EXPECT_EQ(p.keywords(), QStringList{"google kw"});
}
