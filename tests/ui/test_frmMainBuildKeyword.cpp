#include "ProgramFixtures.h"
#include "core/AccountWindowGuard.h"

#include "core/clsEngine.h"
#include "fakes/FakeSuggestionServer.h"
#include "lookup/clsKeywordBuilder.h"
#include "lookup/clsRanking.h"
#include "lookup/frmKeywordBuilder.h"

namespace {

struct Suggestions {
    fake::FakeSuggestionServer server;
    Suggestions() {
        server.writeEngineData({"Google"}, {"Google"});
        fixtures::writeKeywords("Google", "acme", {"shoes"});
    }
};

struct BuildKeyword : Suggestions, fixtures::Program {
    BuildKeyword() : fixtures::Program("[Google]\r\n1=acme\r\nLast=1\r\n\r\n") {}
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
};

}  // namespace

TEST(BuildKeyword, AddedSuggestionsAreReloadedIntoTheListAndTheTree) {
    BuildKeyword p;
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "shoes\r\n");
    testenv::writeFile(clsKeywordBuilder::CacheFile("Google", "shoes"), "red shoes;1,200\r\nShoes;7\r\n\r\n");
    QString engine, title;
    const bool opened = p.run([&](frmKeywordBuilder *w) {
        engine = w->EngineName();
        title = w->windowTitle();
        w->lvwKeywords->selectAll();
        testenv::answerMsgBox(seam::vbOK);
        w->cmdAddToList->click();
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(engine, "Google");
    EXPECT_EQ(title, "Keyword Builder");
    EXPECT_EQ(p.keywords(), (QStringList{"shoes", "red shoes"}));
    EXPECT_EQ(p.form->lvwKeywords->text(0, 2), "7");
    EXPECT_EQ(treenode::NodeTag(p.node("Google", "acme")), 2);
    EXPECT_FALSE(AccountWindowGuard::IsOpen("Google", "acme"));
}

TEST(BuildKeyword, NothingOpensOffAnAccountOrWhileItsKeywordsAreLookedUp) {
    BuildKeyword p;
    p.select("Google");
    EXPECT_FALSE(p.run([](frmKeywordBuilder *) {}));

    p.select("Google", "acme");
    {
        auto engine = std::make_shared<clsEngine>();
        engine->loadEngineData();
        clsRanking holder;
        holder.setAccountName("acme");
        holder.setEngineObject(engine);
        ASSERT_TRUE(holder.SetVariable(1));
        EXPECT_FALSE(p.run([](frmKeywordBuilder *) {}));
    }
    // Closed without adding: the list stays as it was.
    EXPECT_TRUE(p.run([](frmKeywordBuilder *) {}));
    EXPECT_EQ(p.keywords(), QStringList{"shoes"});
}
