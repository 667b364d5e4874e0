#include "core/clsEngine.h"
#include "fakes/FakeSuggestionServer.h"
#include "lookup/clsKeywordBuilder.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

using fake::FakeSuggestion;
using fake::FakeSuggestionServer;
using fake::HttpResponse;

namespace {

using F = FakeSuggestionServer;
SuggestMarkers fakeMarkers() {
    return {F::kSuggestStart, F::kSuggestEnd, F::kSectionStart, F::kSectionEnd,
            F::kBeginCount,   F::kEndCount,   F::kBeginKeyword, F::kEndKeyword};
}

QString item(const QString &count, const QString &keyword) {
    return QStringLiteral("<tr class=row><td class=count>%1</td><td class=term>%2</td></tr>").arg(count, keyword);
}

QString table(const QString &items) { return QStringLiteral("<table id=suggestions>") + items + QStringLiteral("</table>"); }

QStringList keywordsOf(const QList<SuggestionRow> &rows) {
    QStringList out;
    for (const SuggestionRow &r : rows)
        out << r.Keyword;
    return out;
}

// What the window would be told.
struct FormRecorder : IKeywordBuilderForm {
    QList<SuggestionRow> rows;
    QList<int> progress;
    QStringList activity;
    int completed = 0;
    bool received = false;
    void addListItems(const QList<SuggestionRow> &r) override { rows += r; }
    void setProgressValue(int v) override { progress << v; }
    void setActivityText(const QString &t) override { activity << t; }
    void DownLoadCompleted(bool bReceived) override {
        ++completed;
        received = bReceived;
    }
};

struct BuilderTest : ::testing::Test {
    FakeSuggestionServer server;
    std::shared_ptr<clsEngine> engine;
    FormRecorder form;

    void SetUp() override {
        server.writeEngineData({QStringLiteral("Google"), QStringLiteral("Ask")},
                               {QStringLiteral("Google"), QStringLiteral("Ask")});
        engine = std::make_shared<clsEngine>();
        engine->loadEngineData();
    }
    std::unique_ptr<clsKeywordBuilder> builder(const QString &root, int index = 1) {
        auto b = std::make_unique<clsKeywordBuilder>();
        b->setFormKeywordBuilder(&form);
        b->setEngineObject(engine);
        b->setEngineIndex(index);
        b->setKeyword(root);
        return b;
    }
    bool waitCompleted() {
        return QTest::qWaitFor([&] { return form.completed > 0; }, 10000);
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

}  // namespace

TEST(KeywordBuilderText, CleanTextRemovesOnlyTheExactEntityLineBreaksAndTabs) {
    const struct { const char *in, *out; } cases[] = {
        {"&nbsp;red&nbsp;shoes&nbsp;", "redshoes"},
        {"&NBSP;red", "&NBSP;red"},
        {"&Nbsp;red", "&Nbsp;red"},
        {"red\r\nshoes", "redshoes"},
        {"red\rblue\nshoes\t", "redblueshoes"},
        {"  red  shoes  ", "red  shoes"},
        {"\t 12,400 \r\n", "12,400"},
        {"&nbsp", "&nbsp"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(clsKeywordBuilder::CleanText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(KeywordBuilderParse, PagesGiveRowsByTheMarkers) {
    const SuggestMarkers m = fakeMarkers();
    const QString popular = QStringLiteral("<table id=popular>") + item("99", "popular") + QStringLiteral("</table>");
    struct Case { const char *what; QString page; QStringList keywords; QStringList counts; };
    const Case cases[] = {
        {"the fake page; the row outside the section is not read",
         FakeSuggestionServer::Page({{"1,200", "red shoes"}, {"300", "<b>blue</b> shoes"}}),
         {"red shoes", "blue shoes"}, {"1,200", "300"}},
        {"no section start: the whole answer", popular + item("5", "red"), {"popular", "red"}, {"99", "5"}},
        {"section end before its start: the whole answer",
         QStringLiteral("</table>") + item("5", "red") + QStringLiteral("<table id=suggestions>"), {"red"}, {"5"}},
        {"keyword before count gives no row and ends the cut",
         table(item("1", "a") +
               QStringLiteral("<tr class=row><td class=term>b</td><td class=count>2</td></tr>") + item("3", "c")),
         {"a"}, {"1"}},
        {"an item without a count marker ends the cut",
         table(item("1", "a") + QStringLiteral("<tr class=row>nothing</tr>") + item("3", "c")), {"a"}, {"1"}},
        {"entities and line breaks",
         table(item("&nbsp;7&nbsp;", "red&nbsp;\r\nshoes") + item("&NBSP;8", "x")), {"redshoes", "x"},
         {"7", "&NBSP;8"}},
        {"text after the cell's last tag is kept", table(item("1,5<b>00</b>", "<i>cheap</i> flights")),
         {"cheap flights"}, {"1,500"}},
        {"an empty keyword gives no row", table(item("1", "<a></a>") + item("2", "b")), {"b"}, {"2"}},
        {"an item without its end ends the cut", item("1", "a") + QStringLiteral("<tr class=row><td class=count>2"),
         {"a"}, {"1"}},
        {"empty answer", QString(), {}, {}},
    };
    for (const Case &c : cases) {
        const SuggestionPage page = clsKeywordBuilder::ParsePage(m, c.page);
        EXPECT_EQ(keywordsOf(page.Rows), c.keywords) << c.what;
        QStringList counts;
        for (const SuggestionRow &r : page.Rows)
            counts << r.Count;
        EXPECT_EQ(counts, c.counts) << c.what;
        EXPECT_TRUE(page.Skipped.isEmpty()) << c.what;
    }
}

TEST(KeywordBuilderParse, RepeatsAndSeparatorsAreSkippedWithANoteAndTheCutGoesOn) {
    const QString page = table(item("1", "Red Shoes") + item("2", "a;b") + item("3", "red shoes") +
                               item("4", "RED SHOES") + item("5", "boots"));
    const SuggestionPage out = clsKeywordBuilder::ParsePage(fakeMarkers(), page);
    EXPECT_EQ(keywordsOf(out.Rows), (QStringList{"Red Shoes", "boots"}));
    EXPECT_EQ(out.Rows.last().Count, QStringLiteral("5"));
    EXPECT_EQ(out.Skipped, (QStringList{"suggestion skipped, it holds \";\": a;b",
                                        "repeated suggestion skipped: red shoes",
                                        "repeated suggestion skipped: RED SHOES"}));
}

TEST(KeywordBuilderParse, KeywordsAreDecodedBeforeTheirRulesAndStayOneCleanLine) {
    const QString page =
        table(item("1", "fish &amp; chips") + item("2", "Fish &#38; Chips") + item("3", "a&#59;b") +
              item("4", "&lt;b&gt;bold") + item("5", "one&#13;&#10;two") + item("6", "&#32;pad&#x20;") +
              item("7", "&NBSP;x &amp y") + item("8", "&amp;") + item("9", "&#32;") +
              item("10", "A&#488;B &amp; C"));
    const SuggestionPage out = clsKeywordBuilder::ParsePage(fakeMarkers(), page);
    EXPECT_EQ(keywordsOf(out.Rows).join(" | ").toStdString(), "fish & chips | <b>bold | onetwo | pad | &");
    // An unknown reference, or one for a character the files cannot hold,
    // stays as it is, and with it its ";".
    EXPECT_EQ(out.Skipped.join(" | ").toStdString(),
              "repeated suggestion skipped: Fish & Chips | suggestion skipped, it holds \";\": a;b | "
              "suggestion skipped, it holds \";\": &NBSP;x &amp y | "
              "suggestion skipped, it holds \";\": A&#488;B &amp; C");
    // Each one record of the cache.
    EXPECT_EQ(clsKeywordBuilder::ParseCache(platform::FromAnsi(clsKeywordBuilder::CacheBytes(out.Rows))).size(),
              out.Rows.size());
}

TEST(KeywordBuilderParse, AnEmptyMarkerIsNeverFound) {
    const QString page = table(item("1", "a") + item("2", "b"));
    QString SuggestMarkers::*fields[] = {&SuggestMarkers::SuggestSectionStart, &SuggestMarkers::SuggestSectionEnd,
                                         &SuggestMarkers::beginCountSection,   &SuggestMarkers::endCountSection,
                                         &SuggestMarkers::begineKeywordSection, &SuggestMarkers::endKeywordSection};
    for (auto field : fields) {
        SuggestMarkers m = fakeMarkers();
        (m.*field).clear();
        EXPECT_TRUE(clsKeywordBuilder::ParsePage(m, page).Rows.isEmpty());
    }
    // Without page markers the whole answer is cut.
    SuggestMarkers m = fakeMarkers();
    m.SuggestStartString.clear();
    m.SuggestEndString.clear();
    EXPECT_EQ(clsKeywordBuilder::ParsePage(m, page).Rows.size(), 2);
}

TEST(KeywordBuilderFiles, CacheNamesStayInTheirFolderAndKeepTrailingBlanks) {
    const QString folder = platform::JoinPath(testenv::programDir(), QStringLiteral("KeywordBuilder"));
    const struct { const char *engine, *root, *relative; } cases[] = {
        {"Google", "red shoes  ", "Google/red shoes  .dat"},
        {"../x", "..", "..%2Fx/%2E%2E.dat"},
        {"Ask", "a/b:c", "Ask/a%2Fb%3Ac.dat"},
        {"Ask", " lead", "Ask/ lead.dat"},
    };
    for (const auto &c : cases) {
        const QString path = clsKeywordBuilder::CacheFile(QString::fromLatin1(c.engine), QString::fromLatin1(c.root));
        EXPECT_EQ(path, folder + QLatin1Char('/') + QString::fromLatin1(c.relative)) << c.root;
        ASSERT_TRUE(clsKeywordBuilder::WriteCacheFile(QString::fromLatin1(c.engine), QString::fromLatin1(c.root),
                                                      {{QStringLiteral("k"), QStringLiteral("1")}}));
        EXPECT_EQ(testenv::readFile(path), QByteArray("k;1\r\n\r\n")) << c.root;
    }
    EXPECT_EQ(clsKeywordBuilder::HistoryFile(), folder + QStringLiteral("/Keywords.dat"));
}

TEST(KeywordBuilderFiles, CacheBytesAndTheirReading) {
    // Rows without a keyword are not written; an empty list is one line end.
    EXPECT_EQ(clsKeywordBuilder::CacheBytes({}), QByteArray("\r\n"));
    EXPECT_EQ(clsKeywordBuilder::CacheBytes({{"", "9"}, {QStringLiteral("caf\u00e9"), ""}, {"b", "2"}}),
              QByteArray("caf\xe9;\r\nb;2\r\n\r\n"));

    const QString text = QStringLiteral("a;1\r\nno separator\r\n;x\r\nb;2;3\r\n\r\nc;\nd;4\re;5");
    const QList<SuggestionRow> rows = clsKeywordBuilder::ParseCache(text);
    const QList<SuggestionRow> expected = {{"a", "1"}, {"b", "2"}, {"c", ""}, {"d", "4"}, {"e", "5"}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(clsKeywordBuilder::ParseCache(QString::fromLatin1(clsKeywordBuilder::CacheBytes(expected))), expected);
    // A file that is missing reads as no rows.
    EXPECT_TRUE(clsKeywordBuilder::ReadCacheFile(QStringLiteral("Google"), QStringLiteral("none")).isEmpty());
}

TEST(KeywordBuilderFiles, HistorySkipsEmptyEntries) {
    EXPECT_TRUE(clsKeywordBuilder::ReadHistory().isEmpty());
    ASSERT_TRUE(clsKeywordBuilder::WriteHistory({"red shoes  ", "", "boots"}));
    EXPECT_EQ(testenv::readFile(clsKeywordBuilder::HistoryFile()), QByteArray("red shoes  \r\nboots\r\n\r\n"));
    EXPECT_EQ(clsKeywordBuilder::ReadHistory(), (QStringList{"red shoes  ", "boots"}));
    ASSERT_TRUE(clsKeywordBuilder::WriteHistory({}));
    EXPECT_EQ(testenv::readFile(clsKeywordBuilder::HistoryFile()), QByteArray("\r\n"));
}

TEST_F(BuilderTest, RootsAreTrimmedEncodedAndJoinedByPlus) {
    const struct { QString root; const char *query; const char *term; } cases[] = {
        {QStringLiteral("red shoes  "), "red+shoes", "red shoes"},
        {QStringLiteral("  a&b=c"), "a%26b%3Dc", "a&b=c"},
        {QStringLiteral("1+1 #2?"), "1%2B1+%232%3F", "1+1 #2?"},
        {QStringLiteral("caf\u00e9 50%"), "caf%E9+50%25", "caf\u00e9 50%"},
    };
    for (const auto &c : cases) {
        auto b = builder(c.root);
        EXPECT_EQ(b->GetSuggestURL(), server.querySuggest1(QStringLiteral("Google")) + QString::fromLatin1(c.query) +
                                          FakeSuggestionServer::querySuggest2());
        testenv::answerMsgBox(seam::vbOK);
        form.completed = 0;
        ASSERT_TRUE(b->Connect());
        ASSERT_TRUE(waitCompleted());
        EXPECT_EQ(server.terms().last(), c.term);
        EXPECT_EQ(server.http().requests().last().method, QByteArray("GET"));
    }
}

TEST_F(BuilderTest, AnAnswerGivesRowsAndTheCompletedMessage) {
    server.setSuggestions(QStringLiteral("shoes"), {{"1,200", "red shoes"}, {"300", "Red Shoes"}, {"40", "boots"}});
    testenv::answerMsgBox(seam::vbOK);
    auto b = builder(QStringLiteral("shoes"), 2);
    ASSERT_TRUE(b->Connect());
    EXPECT_EQ(form.activity, QStringList{"Retrieving data from the search engine ..."});
    ASSERT_TRUE(waitCompleted());
    EXPECT_TRUE(form.received);
    EXPECT_EQ(keywordsOf(form.rows), (QStringList{"red shoes", "boots"}));
    EXPECT_EQ(form.progress, (QList<int>{1, 2, 3}));
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Retrieving data completed."));
    EXPECT_EQ(testenv::shownMsgBoxes()[0].icon(), seam::vbInformation);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, QStringLiteral("Keyword Builder"));
    EXPECT_EQ(server.http().requests()[0].query, QByteArray("engine=Ask&term=shoes&mkt=us"));
    EXPECT_TRUE(testenv::errorLog().contains("clsKeywordBuilder_GetResult: repeated suggestion skipped: Red Shoes"));
}

TEST_F(BuilderTest, AnEngineThatIsNotLoadedSendsNothing) {
    auto b = builder(QStringLiteral("shoes"), 0);
    EXPECT_FALSE(b->Connect());
    EXPECT_TRUE(form.activity.isEmpty());
    QTest::qWait(50);
    EXPECT_EQ(server.http().requestCount(), 0);
    EXPECT_EQ(form.completed, 0);
    EXPECT_TRUE(testenv::errorLog().startsWith("clsKeywordBuilder_Connect Error:  Subscript out of range"));
}

TEST_F(BuilderTest, AStoppedFetchReportsOnlyDisconnected) {
    server.setAnswer(QStringLiteral("shoes"), HttpResponse::page(FakeSuggestionServer::Page({{"1", "x"}})).delayed(3000));
    auto b = builder(QStringLiteral("shoes"));
    ASSERT_TRUE(b->Connect());
    ASSERT_TRUE(server.http().waitForRequests(1));
    b->Disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b->Disconnected(); }, 10000));
    // A late answer reaches nobody.
    b->ProcessData(QStringLiteral("200"), FakeSuggestionServer::Page({{"1", "x"}}));
    EXPECT_EQ(form.completed, 0);
    EXPECT_TRUE(form.rows.isEmpty());
}
