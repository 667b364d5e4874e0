#include "AccountFixtures.h"

#include "core/clsEngine.h"
#include "fakes/FakeSuggestionServer.h"
#include "lookup/clsKeywordBuilder.h"
#include "lookup/clsRanking.h"
#include "lookup/frmKeywordBuilder.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct BuildKeywordTest : ::testing::Test {
    fake::FakeSuggestionServer server;
    frmMain *form = nullptr;
    clsMain *main = nullptr;

    void SetUp() override {
        server.writeEngineData({QStringLiteral("Google")}, {QStringLiteral("Google")});
        fixtures::writeProject("[Google]\r\n1=acme\r\nLast=1\r\n\r\n");
        fixtures::writeKeywords("Google", "acme", {"shoes"});
        form = new frmMain;
        main = new clsMain(form);
        ASSERT_TRUE(main->Display());
    }
    void TearDown() override {
        if (form->m_oMain == main)
            form->m_oMain = nullptr;
        delete main;
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTreeWidgetItem *select(const QString &key) {
        QTreeWidgetItem *n = treenode::FindNode(form->tvwAccount, key);
        form->tvwAccount->setCurrentItem(n);
        form->tvwAccount_NodeClick(n);
        return n;
    }
    // Runs the command; `inWindow` drives the suggestion window when one opens.
    bool run(const std::function<void(frmKeywordBuilder *)> &inWindow) {
        bool opened = false;
        QTimer::singleShot(0, form, [&] {
            if (auto *w = qobject_cast<frmKeywordBuilder *>(QApplication::activeModalWidget())) {
                opened = true;
                inWindow(w);
                w->cmdClose->click();
            }
        });
        form->DoBuildKeyword();
        QTest::qWait(1);
        return opened;
    }
    QStringList keywordColumn() const {
        QStringList out;
        for (int i = 0; i < form->lvwKeywords->topLevelItemCount(); ++i)
            out << form->lvwKeywords->topLevelItem(i)->text(1);
        return out;
    }
};

}  // namespace

TEST_F(BuildKeywordTest, AddedSuggestionsAreReloadedIntoTheListAndTheTree) {
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "shoes\r\n");
    testenv::writeFile(clsKeywordBuilder::CacheFile(QStringLiteral("Google"), QStringLiteral("shoes")),
                       "red shoes;1,200\r\nShoes;7\r\n\r\n");
    QTreeWidgetItem *node = select(treenode::AccountKey(QStringLiteral("Google"), QStringLiteral("acme")));
    QString engine, title;
    const bool opened = run([&](frmKeywordBuilder *w) {
        engine = w->EngineName();
        title = w->windowTitle();
        w->lvwKeywords->selectAll();
        testenv::answerMsgBox(seam::vbOK);
        w->cmdAddToList->click();
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(engine, QStringLiteral("Google"));
    EXPECT_EQ(title, QStringLiteral("Keyword Builder"));
    EXPECT_EQ(keywordColumn(), (QStringList{"shoes", "red shoes"}));
    EXPECT_EQ(form->lvwKeywords->topLevelItem(0)->text(2), QStringLiteral("7"));
    EXPECT_EQ(treenode::NodeTag(node), 2);
    EXPECT_FALSE(frmKeywordBuilder::IsOpenFor(QStringLiteral("Google"), QStringLiteral("acme")));
}

TEST_F(BuildKeywordTest, NothingOpensOffAnAccountOrWhileItsKeywordsAreLookedUp) {
    select(treenode::EngineKey(QStringLiteral("Google")));
    EXPECT_FALSE(run([](frmKeywordBuilder *) {}));

    select(treenode::AccountKey(QStringLiteral("Google"), QStringLiteral("acme")));
    {
        auto engine = std::make_shared<clsEngine>();
        engine->loadEngineData();
        clsRanking holder;
        holder.setAccountName(QStringLiteral("acme"));
        holder.setEngineObject(engine);
        ASSERT_TRUE(holder.SetVariable(1));
        EXPECT_FALSE(run([](frmKeywordBuilder *) {}));
    }
    // Closed without adding: the list stays as it was.
    EXPECT_TRUE(run([](frmKeywordBuilder *) {}));
    EXPECT_EQ(keywordColumn(), QStringList{"shoes"});
}
