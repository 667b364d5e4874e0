#include "ProgramFixtures.h"

#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "fakes/FakeResultServer.h"
#include "lookup/clsRanking.h"

using fake::FakeResultServer;
using fake::HttpResponse;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

bool coloured(QTreeWidgetItem *item, int column, const QColor &colour) {
    return item->foreground(column).style() != Qt::NoBrush && item->foreground(column).color() == colour;
}
// A keyword row's cell, as the view is given it.
bool coloured(const KeywordListView *list, int row, int column, const QColor &colour) {
    const QVariant brush = list->model()->data(list->model()->index(row, column), Qt::ForegroundRole);
    return brush.isValid() && brush.value<QBrush>().style() != Qt::NoBrush && brush.value<QBrush>().color() == colour;
}

QTreeWidgetItem *row(QTreeWidget *list, const QStringList &texts) {
    auto *item = new QTreeWidgetItem(texts);
    list->addTopLevelItem(item);
    return item;
}

// Account "acme" (and others of the project) with two keywords and one own
// site; "boots" has a gap of 0.15 above the next bid, "shoes" one of exactly 0.01.
struct Listings {
    FakeResultServer server;
    Listings() {
        server.writeEngineData({{"Google", false}, {"Overture", false}});
        fixtures::writeKeywords("Google", "acme", {"shoes", "boots"});
        clsURL::SaveURL("Google", "acme", "shop.example\r\n");
        server.setListings("shoes", {{"a.example", "Alpha", "0.50"},
                                     {"www.shop.example/s", "Our shoes", "0.40"},
                                     {"b.example", "Beta", "0.39"},
                                     {"c.example", "Gamma", "0.20"}});
        server.setListings("boots", {{"shop.example/b", "Our boots", "0.60"}, {"a.example", "Alpha", "0.45"}});
    }
};

struct Program : Listings, fixtures::Program {
    explicit Program(const QByteArray &project = "[Google]\r\n1=acme\r\nLast=1\r\n\r\n")
        : fixtures::Program(project) {
        form->tmrSearchComplete->setInterval(1);
        form->tmrDisconnect->setInterval(1);
        select("Google", "acme");
    }
    bool waitIdle() {
        return QTest::qWaitFor([&] { return !form->m_bInsearch; }, 10000);
    }
    int keywordRow(const QString &keyword) const { return int(keywords().indexOf(keyword)); }
    QStringList rankingColumn(int column) const { return fixtures::texts(form->lvwRanking, column); }
};

}  // namespace

TEST(MainWindowLookUp, LookUpAllKeywordsFromTheRunMenuShowsAndMarksTheResults) {
    Program p;
    p.form->mnuRunItems_Click(4);
    EXPECT_TRUE(p.form->m_bInsearch);
    EXPECT_EQ(p.form->m_sLookupAccount, "acme");
    EXPECT_EQ(p.form->pbrSearch->maximum(), 3);
    EXPECT_FALSE(p.form->menuItem("Run", 4)->isEnabled());
    EXPECT_TRUE(p.form->menuItem("Run", 7)->isEnabled());
    EXPECT_FALSE(p.form->m_bScheduledLookUp);
    // A second look-up while one runs is refused and sends nothing.
    EXPECT_FALSE(p.form->CreateRanking("acme", "Google", "AllKeywords"));

    ASSERT_TRUE(p.waitIdle());
    EXPECT_EQ(p.server.terms(), (QStringList{"shoes", "boots"}));
    EXPECT_EQ(p.form->stbPanel1->text(), "Look up completed");
    EXPECT_FALSE(p.form->pbrSearch->isVisible());
    EXPECT_EQ(p.form->pbrSearch->value(), 0);
    EXPECT_TRUE(p.form->menuItem("Run", 4)->isEnabled());

    // The keyword list is reloaded from the rewritten Keywords.dat and marked.
    const KeywordListView *list = p.form->lvwKeywords;
    const int shoes = p.keywordRow("shoes");
    const int boots = p.keywordRow("boots");
    ASSERT_TRUE(shoes >= 0 && boots >= 0);
    EXPECT_EQ(list->text(shoes, 3), "$0.40");
    EXPECT_EQ(list->text(shoes, 4), "$0.39");
    EXPECT_FALSE(coloured(list, shoes, 3, kRed));  // exactly 0.01 is no gap
    EXPECT_EQ(list->text(boots, 3), "$0.60");
    EXPECT_TRUE(coloured(list, boots, 3, kRed));
    EXPECT_FALSE(coloured(list, boots, 4, kRed));

    // The ranking list shows the selected keyword's results sorted by bid.
    EXPECT_EQ(list->currentRow(), shoes);
    EXPECT_EQ(p.form->m_sCurrentKeyword, "shoes");
    EXPECT_EQ(p.rankingColumn(3), (QStringList{"$0.50", "$0.40", "$0.39", "$0.20"}));
    EXPECT_EQ(p.rankingColumn(2), (QStringList{"a.example", "www.shop.example/s", "b.example", "c.example"}));
    QTreeWidget *r = p.form->lvwRanking;
    EXPECT_TRUE(coloured(r->topLevelItem(0), 3, kBlue));
    EXPECT_TRUE(coloured(r->topLevelItem(2), 3, kBlue));
    EXPECT_FALSE(coloured(r->topLevelItem(3), 3, kBlue));  // the last row is never compared
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(coloured(r->topLevelItem(1), c, kRed)) << "own row, column " << c;
    EXPECT_FALSE(coloured(r->topLevelItem(0), 1, kRed));
}

TEST(MainWindowLookUp, LookUpSelectedKeywordSearchesOnlyThatRow) {
    Program p;
    p.form->lvwKeywords->setCurrentRow(p.keywordRow("boots"));
    p.form->mnuRunItems_Click(3);
    EXPECT_EQ(p.form->pbrSearch->maximum(), 2);
    ASSERT_TRUE(p.waitIdle());
    EXPECT_EQ(p.server.terms(), QStringList{"boots"});
    // The selected row stays selected across the reload.
    EXPECT_EQ(p.form->lvwKeywords->text(p.form->lvwKeywords->currentRow(), 1), "boots");

    // Without a selected row nothing starts.
    p.form->lvwKeywords->clearSelection();
    EXPECT_FALSE(p.form->CreateRanking("acme", "Google", "SelectedKeyword"));
    EXPECT_TRUE(testenv::errorLog().contains("CreateRanking_Error: "));
}

TEST(MainWindowLookUp, StopEndsTheLookUpAndLeavesKeywordsDat) {
    Program p;
    p.server.setAnswer("boots", HttpResponse::page(FakeResultServer::Page({})).delayed(5000));
    const QByteArray before = testenv::readFile(fixtures::accountFile("Google", "acme", "Keywords.dat"));
    p.form->mnuRunItems_Click(4);
    ASSERT_TRUE(p.server.http().waitForRequests(2));
    p.form->mnuRunItems_Click(7);
    EXPECT_TRUE(p.form->m_bDisconnecting);
    EXPECT_FALSE(p.form->menuItem("Run", 7)->isEnabled());
    ASSERT_TRUE(p.waitIdle());
    EXPECT_FALSE(p.form->m_bDisconnecting);
    EXPECT_EQ(p.form->stbPanel1->text(), "stop");
    EXPECT_FALSE(p.form->pbrSearch->isVisible());
    EXPECT_EQ(testenv::readFile(fixtures::accountFile("Google", "acme", "Keywords.dat")), before);
    EXPECT_FALSE(clsRanking::IsAccountBeingLookedUp("Google", "acme"));
}

TEST(MainWindowLookUp, StopAfterTheLastAnswerStillEnds) {
    Program p;
    p.form->tmrSearchComplete->setInterval(60000);  // the completion poll does not come first
    p.form->mnuRunItems_Click(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.form->m_oRanking->Complete(); }, 10000));
    p.form->mnuRunItems_Click(7);
    ASSERT_TRUE(p.waitIdle());
    EXPECT_EQ(p.form->stbPanel1->text(), "stop");
    // It had completed: the lists show the rewritten file.
    EXPECT_EQ(p.form->lvwKeywords->text(p.keywordRow("boots"), 3), "$0.60");
}

TEST(MainWindowLookUp, OnlyTheSchedulersLookUpIsMarkedScheduled) {
    Program p;
    ASSERT_TRUE(p.form->CreateRanking("acme", "Google", "AllKeywords", true));
    EXPECT_TRUE(p.form->m_bScheduledLookUp);
    ASSERT_TRUE(p.waitIdle());
    EXPECT_FALSE(p.form->m_bScheduledLookUp);
    // An engine that is not loaded starts nothing.
    EXPECT_FALSE(p.form->CreateRanking("acme", "Lycos", "AllKeywords"));
    EXPECT_FALSE(p.form->m_bInsearch);
}

TEST(MainWindowLookUp, RunMenuChecksComeFirst) {
    fixtures::writeKeywords("Google", "nourl", {"hats"});
    Program p("[Google]\r\n1=acme\r\n2=bare\r\n3=nourl\r\nLast=3\r\n\r\n");
    struct Case {
        const char *account;  // null: the engine node
        int item;
        const char *text;
    };
    const Case cases[] = {
        {nullptr, 3, "Please select a Account you want to look up."},
        {nullptr, 4, "Please select a Account you want to look up."},
        {"bare", 3,
         "There is not keyword in the Keyword list. Please enter your keywords by click the 'Keywords' button from "
         "the Tool bar."},
        {"bare", 4,
         "There is not Keyward in the Keyword list. Please enter your keywords by click the 'Keyword' button from the "
         "Tool bar."},
        {"nourl", 3,
         "There is not URL in the Web Site URL list. Please enter your web site URLs by click the 'URL' button from "
         "Tool bar."},
        {"nourl", 4,
         "There is not URL in the Web Site URL list. Please enter your URLs by click the 'URL' button from Tool bar."},
    };
    for (const Case &c : cases) {
        c.account ? p.select("Google", c.account) : p.select("Google");
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        p.form->mnuRunItems_Click(c.item);
        EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{c.text, "Look Up", seam::vbExclamation}));
        EXPECT_FALSE(p.form->m_bInsearch);
    }
    // Items 1 and 5 do nothing here.
    p.form->mnuRunItems_Click(1);
    p.form->mnuRunItems_Click(5);
    EXPECT_EQ(p.server.http().requestCount(), 0);
}

// ---- Highlighting on a bare window ------------------------------------------

TEST(MainWindowHighlight, KeywordCurBidIsRedOnlyAboveACentOverTheNextBid) {
    frmMain w;
    struct Case {
        const char *cur, *next;
        bool red;
    };
    const Case cases[] = {
        {"$0.35,$0.20", "$0.30", true}, {"$0.35", "$0.34", false}, {"$0.36", "$0.34", true},
        {"$0.35", "", false},           {"", "$0.10", false},       {"n/a", "$0.10", false},
        {"\xa3" "0.50", "\xa3" "0.40", true}, {"$1.10", "$1.09", false},
    };
    for (const Case &c : cases)
        w.lvwKeywords->rows()->appendRow({"1", "kw", "", QString::fromLatin1(c.cur), QString::fromLatin1(c.next)});
    w.HightLightKeyword();
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(coloured(w.lvwKeywords, i, 3, kRed), cases[i].red) << cases[i].cur << " over " << cases[i].next;
    // The unreadable row is logged once and the rows after it are still marked.
    EXPECT_EQ(testenv::errorLog().count("frmMain_HightLightKeyword: "), 1);
}

TEST(MainWindowHighlight, ResultBidsSortAsTextAndGapsTurnBlue) {
    frmMain w;
    w.lvwRanking->setColumnCount(4);
    for (const char *bid : {"$0.39", "$0.50", "$9.00", "$10.00", "$0.40"})
        row(w.lvwRanking, {"", "t", "u", QString::fromLatin1(bid)});
    w.HightLightResult();
    QStringList order;
    QList<bool> blue;
    for (int i = 0; i < w.lvwRanking->topLevelItemCount(); ++i) {
        order << w.lvwRanking->topLevelItem(i)->text(3);
        blue << coloured(w.lvwRanking->topLevelItem(i), 3, kBlue);
    }
    EXPECT_EQ(order, (QStringList{"$9.00", "$10.00", "$0.50", "$0.40", "$0.39"}));
    EXPECT_EQ(blue, (QList<bool>{false, true, true, false, false}));
}

TEST(MainWindowHighlight, SavedResultsShowLinesOfThreeFields) {
    frmMain w;
    w.lvwRanking->setColumnCount(4);
    w.m_sEngineName = "Google";
    testenv::writeFile(clsKeywords::ResultsFile("Google", "shoes"),
                       "a.example;#Alpha;#$0.50\r\n"
                       "b.example;#Beta ;# old style;#$0.40\r\n"
                       "c.example;#Gamma;#\xa3" "0.30\r\n"
                       "\r\n"
                       "d.example;#Delta;#$0.20\r\n");
    w.lvwKeywords->rows()->appendRow({"1", "shoes"});
    const int kw = 0;
    w.ShowKeywordResults(kw);
    ASSERT_EQ(w.lvwRanking->topLevelItemCount(), 2);
    QTreeWidgetItem *second = w.lvwRanking->topLevelItem(1);
    EXPECT_EQ(second->text(0), "2");
    EXPECT_EQ(second->text(1), "Gamma");
    EXPECT_EQ(second->text(2), "c.example");
    EXPECT_EQ(second->text(3), QString(QChar(0xA3)) + "0.30");
    EXPECT_EQ(second->data(0, listview::KeyRole).toString(), "Key2");
    // No engine selected: nothing is shown.
    w.m_sEngineName.clear();
    w.ShowKeywordResults(kw);
    EXPECT_EQ(w.lvwRanking->topLevelItemCount(), 0);
}
