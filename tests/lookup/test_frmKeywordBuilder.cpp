#include "core/AccountWindowGuard.h"
#include "core/clsEngine.h"
#include "fakes/FakeSuggestionServer.h"
#include "lookup/clsKeywordBuilder.h"
#include "lookup/frmKeywordBuilder.h"
#include "support/TestEnv.h"
#include "ui/AccountFixtures.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

using fake::FakeSuggestion;
using fake::FakeSuggestionServer;
using fake::HttpResponse;

namespace {

const QString kGoogle = QStringLiteral("Google");
const QString kAsk = QStringLiteral("Ask");

QByteArray cacheBytes(const QString &engine, const QString &root) {
    return testenv::readFile(clsKeywordBuilder::CacheFile(engine, root));
}
void writeCache(const QString &engine, const QString &root, const QByteArray &bytes) {
    testenv::writeFile(clsKeywordBuilder::CacheFile(engine, root), bytes);
}
QByteArray keywordsDat() { return testenv::readFile(fixtures::accountFile("Google", "acme", "Keywords.dat")); }

struct BuilderWindowTest : ::testing::Test {
    FakeSuggestionServer server;
    std::shared_ptr<clsEngine> engine;
    std::unique_ptr<frmKeywordBuilder> f;

    void SetUp() override {
        server.writeEngineData({kGoogle, kAsk}, {kGoogle, kAsk, QStringLiteral("Lycos")});
        engine = std::make_shared<clsEngine>();
        engine->loadEngineData();
    }
    frmKeywordBuilder *window() {
        f = std::make_unique<frmKeywordBuilder>();
        f->setAccountName(QStringLiteral("acme"));
        f->setEngineName(kGoogle);
        f->setEngineObject(engine);
        f->tmrDisconnect->setInterval(1);
        f->Prepare();
        return f.get();
    }
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < f->lvwKeywords->topLevelItemCount(); ++i)
            out << f->lvwKeywords->topLevelItem(i)->text(0) + QLatin1Char('|') + f->lvwKeywords->topLevelItem(i)->text(1);
        return out;
    }
    QStringList history() const {
        QStringList out;
        for (int i = 0; i < f->cboKeyword->count(); ++i)
            out << f->cboKeyword->itemText(i);
        return out;
    }
    void pick(QComboBox *box, int index) {
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
    void select(const QList<int> &rowNumbers) {
        f->lvwKeywords->clearSelection();
        for (int r : rowNumbers)
            f->lvwKeywords->topLevelItem(r - 1)->setSelected(true);
        if (!rowNumbers.isEmpty())
            f->lvwKeywords->setCurrentItem(f->lvwKeywords->topLevelItem(rowNumbers.first() - 1), 0,
                                           QItemSelectionModel::NoUpdate);
    }
    // Clicks Get with this root and engine and waits until the window is idle again.
    void get(const QString &root, int engineIndex = 0) {
        f->cboKeyword->setEditText(root);
        pick(f->cboEngine, engineIndex);
        f->cboKeyword->setEditText(root);
        f->cmdGet->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f->Busy(); }, 10000));
    }
    void TearDown() override {
        f.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace

TEST_F(BuilderWindowTest, PrepareListsTheEnginesAndHistoryAndShowsTheFirstPairsCache) {
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "red shoes  \r\n\r\nboots\r\n\r\n");
    writeCache(kGoogle, QStringLiteral("red shoes  "), "red shoes;1,200\r\nnike shoes;300\r\n\r\n");
    writeCache(kAsk, QStringLiteral("boots"), "boots;7\r\n\r\n");
    window();

    QStringList texts{f->windowTitle(), f->lblKeyword->text(), f->lblEngine->text(),
                      f->lvwKeywords->headerItem()->text(0), f->lvwKeywords->headerItem()->text(1)};
    for (QPushButton *b : {f->cmdGet, f->cmdAddToList, f->cmdDelete, f->cmdClose})
        texts << b->text() + "|" + b->toolTip();
    EXPECT_EQ(texts, QStringList({"Keyword Builder", "Enter a  keyword:", "Select an engine:", "Keywords", "Count",
                                  "&Get...|Get keywords", "&Add to List|Add selected keywords to the Project",
                                  "&Delete|Delete keywords", "&Close|Close"}));
    EXPECT_EQ(f->pbrSearch->maximum(), 3);

    QStringList engines;
    for (int i = 0; i < f->cboEngine->count(); ++i)
        engines << f->cboEngine->itemText(i);
    EXPECT_EQ(engines, (QStringList{"Google", "Ask", "Lycos"}));
    EXPECT_EQ(history(), (QStringList{"red shoes  ", "boots"}));
    EXPECT_EQ(rows(), (QStringList{"red shoes|1,200", "nike shoes|300"}));
    EXPECT_TRUE(f->lvwKeywords->topLevelItem(0)->isSelected());
    EXPECT_TRUE(f->cmdAddToList->isEnabled());
    EXPECT_TRUE(f->cmdDelete->isEnabled());

    // Another engine or history entry shows that pair's cache at once.
    pick(f->cboEngine, 1);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(f->cmdAddToList->isEnabled());
    EXPECT_FALSE(f->cmdDelete->isEnabled());
    pick(f->cboKeyword, 1);
    EXPECT_EQ(rows(), QStringList{"boots|7"});
    EXPECT_TRUE(f->cmdDelete->isEnabled());
}

TEST_F(BuilderWindowTest, GetRefusesMissingInputAndEnginesThatAreNotLoaded) {
    struct Case {
        const char *root;
        int engine;  // -1: the engine data file is missing
        const char *message;
    };
    const Case cases[] = {
        {"", 0, "Please enter a Keyword."},
        {"   ", 0, "Please enter a Keyword."},
        {"shoes", 2, "Lycos engine does not exist."},
        {"shoes", -1, "Please select a Search Engine."},
    };
    for (const Case &c : cases) {
        if (c.engine < 0)
            QFile::remove(g_sEngineDataFile);
        window();
        if (c.engine >= 0)
            pick(f->cboEngine, c.engine);
        f->cboKeyword->setEditText(QString::fromLatin1(c.root));
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        f->cmdGet->click();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1) << c.message;
        EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(testenv::shownMsgBoxes()[0].title, QStringLiteral("Keyword Builder"));
        EXPECT_EQ(testenv::shownMsgBoxes()[0].icon(), seam::vbExclamation);
        EXPECT_FALSE(f->Busy()) << c.message;
        EXPECT_EQ(f->cmdGet->text(), QStringLiteral("&Get...")) << c.message;
        EXPECT_TRUE(f->cmdClose->isEnabled()) << c.message;
        EXPECT_TRUE(history().isEmpty()) << c.message;
    }
    EXPECT_EQ(server.http().requestCount(), 0);
    EXPECT_EQ(f->cboEngine->count(), 0);
    EXPECT_TRUE(testenv::errorLog().contains("frmKeywordBulider_PopulateEngine:  - \r\n"));
}

TEST_F(BuilderWindowTest, AFetchListsTheAnswerCachesItUnderItsPairAndRemembersTheRoot) {
    const QString root = QStringLiteral("red shoes  ");
    server.setSuggestions(QStringLiteral("red shoes"),
                          {{"1,200", "red shoes"}, {"300", "Red Shoes&nbsp;"}, {"80", "red\r\nsneakers"},
                           {"5", "a;b"}, {"40", "red &amp; blue shoes"}});
    window();
    f->cboKeyword->setEditText(root);
    bool busyLooked = false;
    QObject::connect(&server.http(), &fake::FakeHttpServer::requestReceived, f.get(), [&] {
        busyLooked = f->Busy() && f->cmdGet->text() == QStringLiteral("S&top") && !f->cmdClose->isEnabled() &&
                     !f->cmdAddToList->isEnabled() && !f->cmdDelete->isEnabled() && f->pbrSearch->value() == 1 &&
                     f->stbPanel1->text() == QStringLiteral("Retrieving data from the search engine ...");
    });
    testenv::answerMsgBox(seam::vbOK);
    f->cmdGet->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f->Busy(); }, 10000));

    EXPECT_TRUE(busyLooked);
    EXPECT_EQ(server.http().requests()[0].query, QByteArray("engine=Google&term=red+shoes&mkt=us"));
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Retrieving data completed."));
    EXPECT_EQ(rows(), (QStringList{"red shoes|1,200", "redsneakers|80", "red & blue shoes|40"}));
    EXPECT_EQ(cacheBytes(kGoogle, root),
              QByteArray("red shoes;1,200\r\nredsneakers;80\r\nred & blue shoes;40\r\n\r\n"));
    EXPECT_EQ(f->stbPanel1->text(), QStringLiteral(" Download completed."));
    EXPECT_EQ(f->pbrSearch->value(), 0);
    EXPECT_EQ(f->cmdGet->text(), QStringLiteral("&Get..."));
    EXPECT_TRUE(f->cmdAddToList->isEnabled());
    EXPECT_EQ(history(), QStringList{root});
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.contains("clsKeywordBuilder_GetResult: repeated suggestion skipped: Red Shoes\r\n"));
    EXPECT_TRUE(log.contains("clsKeywordBuilder_GetResult: suggestion skipped, it holds \";\": a;b\r\n"));
    EXPECT_FALSE(log.contains("blue shoes"));

    // The same root again is not listed twice; Close writes the history.
    testenv::answerMsgBox(seam::vbOK);
    get(root);
    EXPECT_EQ(history(), QStringList{root});
    f->cmdClose->click();
    EXPECT_EQ(testenv::readFile(clsKeywordBuilder::HistoryFile()), QByteArray("red shoes  \r\n\r\n"));
}

TEST_F(BuilderWindowTest, SuggestionsWithAnAmpersandAreListedAndCachedOneRecordEach) {
    const QString root = QStringLiteral("a&b");
    // As pages write them: "&" as "&amp;", or as a numeric reference.
    server.setSuggestions(root, {{"10", "a&amp;b"}, {"5", "a&amp;b shoes"}, {"3", "A&#38;B"}, {"2", "a&#59;b"}});
    window();
    testenv::answerMsgBox(seam::vbOK);
    get(root);

    EXPECT_EQ(server.http().requests()[0].query, QByteArray("engine=Google&term=a%26b&mkt=us"));
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Retrieving data completed."));
    EXPECT_EQ(rows(), (QStringList{"a&b|10", "a&b shoes|5"}));
    EXPECT_EQ(cacheBytes(kGoogle, root), QByteArray("a&b;10\r\na&b shoes;5\r\n\r\n"));
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.contains("clsKeywordBuilder_GetResult: repeated suggestion skipped: A&B\r\n"));
    EXPECT_TRUE(log.contains("clsKeywordBuilder_GetResult: suggestion skipped, it holds \";\": a;b\r\n"));

    // The cache gives the same rows back.
    pick(f->cboEngine, 1);
    pick(f->cboEngine, 0);
    EXPECT_EQ(rows(), (QStringList{"a&b|10", "a&b shoes|5"}));
}

TEST_F(BuilderWindowTest, FailedFetchesKeepTheCacheAndTheList) {
    const QByteArray cached = "shoes;10\r\nboots;20\r\n\r\n";
    const struct { const char *what; HttpResponse answer; } cases[] = {
        {"500", HttpResponse::error(500, FakeSuggestionServer::Page({{"1", "server error page"}}))},
        {"empty", HttpResponse::empty(200)},
        {"dropped", HttpResponse::dropped()},
    };
    for (const auto &c : cases) {
        writeCache(kGoogle, QStringLiteral("shoes"), cached);
        server.setAnswer(QStringLiteral("shoes"), c.answer);
        window();
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        get(QStringLiteral("shoes"));
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1) << c.what;
        EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Connection error. Please try again")) << c.what;
        EXPECT_EQ(testenv::shownMsgBoxes()[0].icon(), seam::vbCritical) << c.what;
        EXPECT_EQ(cacheBytes(kGoogle, QStringLiteral("shoes")), cached) << c.what;
        EXPECT_EQ(rows(), (QStringList{"shoes|10", "boots|20"})) << c.what;
        EXPECT_EQ(f->stbPanel1->text(), QStringLiteral("Connection error. Please try again")) << c.what;
        EXPECT_TRUE(f->cmdClose->isEnabled()) << c.what;
    }
}

TEST_F(BuilderWindowTest, StopEndsTheFetchAndShowsTheCacheAgain) {
    const QByteArray cached = "shoes;10\r\n\r\n";
    writeCache(kGoogle, QStringLiteral("shoes"), cached);
    server.setAnswer(QStringLiteral("shoes"),
                     HttpResponse::page(FakeSuggestionServer::Page({{"1", "late"}})).delayed(3000));
    window();
    QObject::connect(&server.http(), &fake::FakeHttpServer::requestReceived, f.get(),
                     [&] { QTimer::singleShot(0, f.get(), [&] { f->cmdGet->click(); }); });
    get(QStringLiteral("shoes"));
    EXPECT_EQ(f->stbPanel1->text(), QStringLiteral("Stop."));
    EXPECT_EQ(rows(), QStringList{"shoes|10"});
    EXPECT_EQ(cacheBytes(kGoogle, QStringLiteral("shoes")), cached);
    EXPECT_EQ(f->cmdGet->text(), QStringLiteral("&Get..."));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(server.http().requestCount(), 1);
}

TEST_F(BuilderWindowTest, WhileBusyTheBoxesDoNotRefillAndTheAnswerKeepsToItsPair) {
    const QByteArray askCache = "boots;7\r\n\r\n";
    writeCache(kAsk, QStringLiteral("shoes"), askCache);
    server.setAnswer(QStringLiteral("shoes"),
                     HttpResponse::page(FakeSuggestionServer::Page({{"9", "green shoes"}})).delayed(300));
    window();
    bool closeRefused = false;
    QStringList listWhileBusy;
    QObject::connect(&server.http(), &fake::FakeHttpServer::requestReceived, f.get(), [&] {
        if (server.http().requestCount() > 1)
            return;
        pick(f->cboEngine, 1);
        listWhileBusy = rows();
        f->show();
        f->close();
        closeRefused = f->isVisible() && f->Busy();
    });
    testenv::answerMsgBox(seam::vbOK);
    get(QStringLiteral("shoes"));
    EXPECT_TRUE(listWhileBusy.isEmpty());
    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(cacheBytes(kGoogle, QStringLiteral("shoes")), QByteArray("green shoes;9\r\n\r\n"));
    EXPECT_EQ(cacheBytes(kAsk, QStringLiteral("shoes")), askCache);
    EXPECT_EQ(rows(), QStringList{"green shoes|9"});
    // Picking again shows what the boxes name.
    pick(f->cboEngine, 1);
    EXPECT_EQ(rows(), QStringList{"boots|7"});
}

TEST_F(BuilderWindowTest, AddToListAddsTheSelectedRowsAndCountsThem) {
    // Lines ending in LF: a save shows as CR LF.
    testenv::writeFile(fixtures::accountFile("Google", "acme", "Keywords.dat"),
                       "Red Shoes;5;$0.25;$0.20;$0.40;$0.30;$0.25;;;1;Fail\n\n");
    writeCache(kGoogle, QStringLiteral("shoes"), "red shoes;1,200\r\nboots;300\r\nhats;40\r\ncaps;1\r\n\r\n");
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "shoes\r\n");
    window();
    // No row selected: the notice with 0, and the account is still saved.
    f->lvwKeywords->clearSelection();
    testenv::answerMsgBox(seam::vbOK);
    f->cmdAddToList->click();
    EXPECT_EQ(testenv::shownMsgBoxes().at(0).text, QStringLiteral("0 selected Keywords have been added to the Account."));
    EXPECT_TRUE(f->AddToList());
    EXPECT_EQ(keywordsDat(), QByteArray("Red Shoes;5;$0.25;$0.20;$0.40;$0.30;$0.25;;;1;Fail\r\n\r\n"));

    select({1, 2, 3});
    testenv::clearShownMsgBoxes();
    testenv::answerMsgBox(seam::vbOK);
    f->cmdAddToList->click();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("3 selected Keywords have been added to the Account."));
    EXPECT_EQ(testenv::shownMsgBoxes()[0].icon(), seam::vbExclamation);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, QStringLiteral("Keyword Builder"));
    EXPECT_EQ(keywordsDat(), QByteArray("Red Shoes;1,200;$0.25;$0.20;$0.40;$0.30;$0.25;;;1;Fail\r\n"
                                        "boots;300;;;;;;;;;\r\nhats;40;;;;;;;;;\r\n\r\n"));

    // A row the keyword file cannot hold is counted apart.
    f->addListItem(QStringLiteral("a;b"), QStringLiteral("2"));
    select({4, 5});
    testenv::clearShownMsgBoxes();
    testenv::answerMsgBox(seam::vbOK);
    testenv::answerMsgBox(seam::vbOK);
    f->cmdAddToList->click();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 2);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("1 selected Keywords have been added to the Account."));
    EXPECT_EQ(testenv::shownMsgBoxes()[1].title, QStringLiteral("Keywords"));
    EXPECT_EQ(testenv::shownMsgBoxes()[1].text,
              QStringLiteral("1 keyword was not added.\r\n\r\n1 contains \";\" or a line break, which a keyword cannot hold."));
    EXPECT_EQ(testenv::shownMsgBoxes()[1].style, seam::vbOKOnly | seam::vbExclamation);
    EXPECT_TRUE(keywordsDat().endsWith("hats;40;;;;;;;;;\r\ncaps;1;;;;;;;;;\r\n\r\n"));
}

TEST_F(BuilderWindowTest, DeleteRemovesTheSelectedRowsAndSavesTheCache) {
    const QByteArray five = "k1;1\r\nk2;2\r\nk3;3\r\nk4;4\r\nk5;5\r\n\r\n";
    struct Case { QList<int> selected; int answer; bool byKey; QStringList left; const char *current; };
    const Case cases[] = {
        {{2, 3}, seam::vbYes, false, {"k1", "k4", "k5"}, "k4"},
        {{4, 5}, seam::vbYes, true, {"k1", "k2", "k3"}, "k1"},
        {{1, 3, 5}, seam::vbYes, false, {"k2", "k4"}, "k2"},
        {{1, 2, 3, 4, 5}, seam::vbYes, true, {}, ""},
        {{2}, seam::vbNo, false, {"k1", "k2", "k3", "k4", "k5"}, "k2"},
    };
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "root\r\n");
    for (const Case &c : cases) {
        writeCache(kGoogle, QStringLiteral("root"), five);
        window();
        // Deleting with No still writes the cache.
        QFile::remove(clsKeywordBuilder::CacheFile(kGoogle, QStringLiteral("root")));
        select(c.selected);
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(c.answer);
        if (c.byKey)
            QTest::keyClick(f->lvwKeywords, Qt::Key_Delete);
        else
            f->cmdDelete->click();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Are you sure you want to remove selected Keywords?"));
        EXPECT_EQ(testenv::shownMsgBoxes()[0].style, seam::vbYesNo | seam::vbQuestion);
        QByteArray expected;
        QStringList left;
        for (const QString &r : rows())
            left << r.section(QLatin1Char('|'), 0, 0);
        for (const QString &k : c.left)
            expected += k.toLatin1() + ';' + k.right(1).toLatin1() + "\r\n";
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(cacheBytes(kGoogle, QStringLiteral("root")), expected + "\r\n");
        QTreeWidgetItem *current = f->lvwKeywords->currentItem();
        EXPECT_EQ(current ? current->text(0) : QString(), QString::fromLatin1(c.current));
        if (c.answer == seam::vbYes && current) {
            EXPECT_TRUE(current->isSelected());
        }
    }
}

TEST_F(BuilderWindowTest, TheKeywordBoxDeleteKeyClearsTypedTextOrRemovesTheEntry) {
    testenv::writeFile(clsKeywordBuilder::HistoryFile(), "shoes\r\nboots\r\n");
    window();
    f->cboKeyword->setEditText(QStringLiteral("typed"));
    QTest::keyClick(f->cboKeyword->lineEdit(), Qt::Key_Delete);
    EXPECT_EQ(f->cboKeyword->currentText(), QString());
    EXPECT_EQ(history(), (QStringList{"shoes", "boots"}));

    pick(f->cboKeyword, 1);
    QTest::keyClick(f->cboKeyword->lineEdit(), Qt::Key_Delete);
    EXPECT_EQ(history(), QStringList{"shoes"});
    EXPECT_EQ(f->cboKeyword->currentText(), QString());
    f->cmdClose->click();
    EXPECT_EQ(testenv::readFile(clsKeywordBuilder::HistoryFile()), QByteArray("shoes\r\n\r\n"));
}

TEST_F(BuilderWindowTest, TheWindowIsOpenForItsAccountUntilItHides) {
    const struct {
        const char *how;
        std::function<void(frmKeywordBuilder *)> close;
    } cases[] = {
        {"Close", [](frmKeywordBuilder *w) { w->cmdClose->click(); }},
        {"close box", [](frmKeywordBuilder *w) { w->close(); }},
        {"Escape", [](frmKeywordBuilder *w) { QTest::keyClick(w, Qt::Key_Escape); }},
    };
    for (const auto &c : cases) {
        QFile::remove(clsKeywordBuilder::HistoryFile());
        window();
        f->cboKeyword->setEditText(QStringLiteral("typed"));
        bool openDuring = false, otherAccount = true;
        QTimer::singleShot(0, f.get(), [&] {
            openDuring = AccountWindowGuard::IsOpen(QStringLiteral("GOOGLE"), QStringLiteral("ACME"));
            otherAccount = AccountWindowGuard::IsOpen(kGoogle, QStringLiteral("other"));
            c.close(f.get());
        });
        f->exec();
        EXPECT_TRUE(openDuring) << c.how;
        EXPECT_FALSE(otherAccount) << c.how;
        EXPECT_FALSE(f->isVisible()) << c.how;
        EXPECT_FALSE(AccountWindowGuard::IsOpen(kGoogle, QStringLiteral("acme"))) << c.how;
        EXPECT_FALSE(f->AddToList()) << c.how;
        // The history is written, though the typed keyword was never fetched.
        EXPECT_EQ(testenv::readFile(clsKeywordBuilder::HistoryFile()), QByteArray("\r\n")) << c.how;
    }
}
