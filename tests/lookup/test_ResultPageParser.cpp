#include "core/modCommon.h"
#include "fakes/FakeResultServer.h"
#include "lookup/RankingResultsFile.h"
#include "lookup/ResultPageParser.h"
#include "platform/VB.h"

#include <gtest/gtest.h>

using fake::FakeListing;
using fake::FakeResultServer;

namespace {

using F = FakeResultServer;
ResultMarkers fakeMarkers() {
    return {F::kResultStart, F::kResultEnd, F::kBeginTitle, F::kEndTitle, F::kBeginURL, F::kEndURL, F::kBeginPrice,
            F::kEndPrice};
}

URLCollectionPtr own(const QStringList &urls) {
    auto c = std::make_shared<URLCollection>();
    for (const QString &u : urls)
        c->Add(u, u);
    return c;
}

ResultPage parse(const QList<FakeListing> &listings, const URLCollectionPtr &urls,
                 const QString &engine = QStringLiteral("Google"), bool decode = false) {
    return ResultPageParser(fakeMarkers(), engine, decode).Parse(FakeResultServer::Page(listings), urls);
}

QString pound(const QString &rest) { return PoundSign() + rest; }

}  // namespace

TEST(ResultPageParser, OwnListingsGiveBidsPositionsAndTheNextBid) {
    const auto urls = own({QStringLiteral("shop.example")});
    struct Case { const char *name; QList<FakeListing> listings; QString curBid, curPos, nextBid; };
    const QList<Case> cases = {
        {"own at 2 and 4, the next bid is the first other one after the first own",
         {{"a.example", "A", "0.40"}, {"www.shop.example/x", "Shop", "$0.30"}, {"b.example", "B", "0.25"},
          {"shop.example/y", "Shop 2", "0.20"}, {"c.example", "C", "0.10"}},
         "$0.30,$0.20", "2,4", "$0.25"},
        {"a second own listing without a price stays out of both lists",
         {{"shop.example", "S", "0.50"}, {"shop.example/2", "S2", QString()}, {"x.example", "X", "0.45"}},
         "$0.50", "1", "$0.45"},
        {"a first own listing without a price enters both lists",
         {{"x.example", "X", "0.45"}, {"shop.example", "S", QString()}, {"shop.example/2", "S2", "0.30"}},
         "$0.00,$0.30", "2,3", ""},
        {"no own listing", {{"x.example", "X", "0.45"}}, "", "", ""},
        {"own URLs compare letter case exactly", {{"SHOP.EXAMPLE", "S", "0.45"}}, "", "", ""},
    };
    for (const Case &c : cases) {
        const ResultPage page = parse(c.listings, urls);
        EXPECT_TRUE(page.HasSummary()) << c.name;
        EXPECT_EQ(page.CurBid, c.curBid) << c.name;
        EXPECT_EQ(page.CurPos, c.curPos) << c.name;
        EXPECT_EQ(page.NextBid, c.nextBid) << c.name;
        EXPECT_EQ(page.Listings.size(), c.listings.size()) << c.name;
    }
    // Without a URL file nothing is own.
    const ResultPage none = parse({{"shop.example", "S", "0.45"}}, nullptr);
    EXPECT_TRUE(none.CurBid.isEmpty());
    EXPECT_TRUE(none.CurPos.isEmpty());
}

TEST(ResultPageParser, ListingFieldsAreCleanedForTheResultsFile) {
    const QList<FakeListing> listings = {
        {"  http://a.example/x  ", "  Cheap\r\nflights\there  ", " 1,234.5 "},
        {"b.example/a;#b", "Title ;# with separator", "$0.3"},
        {"c.example", "Price text", "call us; now"},
    };
    const ResultPage page = parse(listings, nullptr);
    ASSERT_EQ(page.Listings.size(), 3);
    EXPECT_EQ(page.Listings[0], (ResultListing{"http://a.example/x", "Cheap flights here", "$1234.50"}));
    EXPECT_EQ(page.Listings[1], (ResultListing{"b.example/a; #b", "Title ; # with separator", "$0.30"}));
    // A price text goes into the keyword file too: no ";" may stay.
    EXPECT_EQ(page.Listings[2].Price, QStringLiteral("call us  now"));
    // Each written line still splits into exactly the three fields.
    EXPECT_EQ(RankingResultsFile::Parse(RankingResultsFile::Bytes(page.Listings)), page.Listings);
}

TEST(ResultPageParser, PoundEnginesWriteThePoundSign) {
    for (const char *engine : {"Overture(UK)", "Espotting", "ESPOTTING", "espotting"}) {
        const ResultPage page = parse({{"a.example", "A", "0.4"}, {"b.example", "B", QString()},
                                       {"c.example", "C", pound("0.25")}},
                                      nullptr, QString::fromLatin1(engine));
        ASSERT_EQ(page.Listings.size(), 3) << engine;
        EXPECT_EQ(page.Listings[0].Price, pound("0.40")) << engine;
        EXPECT_EQ(page.Listings[1].Price, pound("0.00")) << engine;
        EXPECT_EQ(page.Listings[2].Price, pound("0.25")) << engine;
    }
    // The name must match exactly for Overture(UK).
    EXPECT_EQ(parse({{"a.example", "A", QString()}}, nullptr, QStringLiteral("overture(uk)")).Listings[0].Price,
              QStringLiteral("$0.00"));
    // A second own listing "without a price" in pounds is left out like "$0.00".
    const ResultPage uk = parse({{"shop.example", "S", "0.5"}, {"shop.example/2", "S2", QString()}},
                                own({QStringLiteral("shop.example")}), QStringLiteral("Overture(UK)"));
    EXPECT_EQ(uk.CurBid, pound("0.50"));
    EXPECT_EQ(uk.CurPos, QStringLiteral("1"));
}

TEST(ResultPageParser, DecodedHTMLStringFollowsItsTable) {
    const QList<QPair<QString, QString>> cases = {
        {"shop%2Fpage%20one", "shop/pageone"},
        {"a%2fb", "ab"},
        {"%7E%7e~", "~~"},
        {"100%", "100"},
        {"x%2", "x"},
        {"%3Fq%3Dred%26n%3D1", "?q=red&n=1"},
        {"%2525", ""},  // "%25" becomes "%", which is a code of its own in the next pass
        {"%5C%3A%3B%2C", "\\:;,"},
        {"plain", "plain"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ResultPageParser::DecodedHTMLString(c.first), c.second) << c.first.toStdString();
    // Listing URLs are decoded only for the engine named to need it.
    const QList<FakeListing> listings = {{"shop%2Fpage%20one", "A", "1"}};
    EXPECT_EQ(parse(listings, nullptr, "Kelkoo", true).Listings[0].URL, "shop/pageone");
    EXPECT_EQ(parse(listings, nullptr, "Kelkoo", false).Listings[0].URL, "shop%2Fpage%20one");
}

TEST(ResultPageParser, PricesAreFormattedAsMoneyOrLeftAlone) {
    const QList<QPair<QString, QString>> cases = {
        {"0.3", "$0.30"},   {"$.5", "$0.50"},      {" 12 ", "$12.00"}, {"1,234.567", "$1234.57"},
        {"-2", "-$2.00"},   {"abc", "abc"},        {"", ""},           {"USD 1", "USD 1"},
        {"0.005", "$0.01"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ResultPageParser::FormatPrice(c.first, false), c.second) << c.first.toStdString();
    EXPECT_EQ(ResultPageParser::FormatPrice(pound("0.7"), false), QStringLiteral("$0.70"));
    EXPECT_EQ(ResultPageParser::FormatPrice(QStringLiteral("$1"), true), pound("1.00"));
}

TEST(ResultPageParser, SectionAndListingShapes) {
    const auto parser = ResultPageParser(fakeMarkers(), QStringLiteral("Google"), false);
    struct Case { const char *name; QString page; bool section; QList<ResultListing> listings; bool error; };
    const QString head = F::kResultStart, end = F::kResultEnd;
    const QList<Case> cases = {
        {"no results section", QStringLiteral("<html>nothing here</html>"), false, {}, false},
        {"end marker before the start marker", end + QStringLiteral("<h3>A</h3>") + head, false, {}, false},
        {"empty section", head + end, true, {}, false},
        {"a listing without its URL keeps the URL before it",
         head + "<h3>A</h3><cite>a.example</cite><span class=bid>1</span><h3>B</h3><span class=bid>2</span>" + end,
         true, {{"a.example", "A", "$1.00"}, {"a.example", "B", "$2.00"}}, false},
        {"a listing without a price does not take the next one's",
         head + "<h3>A</h3><cite>a</cite><h3>B</h3><span class=bid>2</span>" + end, true,
         {{"a", "A", "$0.00"}, {"a", "B", "$2.00"}}, false},
        {"a URL end after the next title is not this listing's",
         head + "<h3>A</h3><cite>a<h3>B</h3><cite>b</cite>" + end, true, {{"", "A", "$0.00"}, {"b", "B", "$0.00"}},
         false},
        {"a title without its end ends the listings", head + "<h3>A</h3><cite>a</cite><h3>B" + end, true,
         {{"a", "A", "$0.00"}}, false},
        {"a price without its end breaks the page off",
         head + "<h3>A</h3><cite>a</cite><span class=bid>1</span><h3>B</h3><cite>b</cite><span class=bid>2" + end,
         true, {{"a", "A", "$1.00"}}, true},
    };
    for (const Case &c : cases) {
        const ResultPage page = parser.Parse(c.page, own({QStringLiteral("a")}));
        EXPECT_EQ(page.SectionFound, c.section) << c.name;
        EXPECT_EQ(page.Listings, c.listings) << c.name;
        EXPECT_EQ(!page.Error.isEmpty(), c.error) << c.name;
        EXPECT_EQ(page.HasSummary(), c.section && !c.error) << c.name;
    }
}

TEST(ResultPageParser, MissingMarkersNeverStallTheParse) {
    const QString page = FakeResultServer::Page({{"a", "A", "1"}, {"b", "B", "2"}, {"c", "C", QString()}});
    struct Case { QString ResultMarkers::*marker; int listings; bool section; };
    const QList<Case> cases = {
        {&ResultMarkers::ResultStartString, 0, false},
        {&ResultMarkers::ResultEndString, 0, false},
        {&ResultMarkers::beginTitle, 0, true},
        {&ResultMarkers::endTitle, 0, true},
        {&ResultMarkers::beginURL, 3, true},
        {&ResultMarkers::endURL, 3, true},
        {&ResultMarkers::beginPrice, 3, true},
        {&ResultMarkers::endPrice, 0, true},  // the first price start has no end
    };
    for (const Case &c : cases) {
        ResultMarkers m = fakeMarkers();
        m.*(c.marker) = QString();
        const ResultPage r = ResultPageParser(m, QStringLiteral("Google"), false).Parse(page, nullptr);
        EXPECT_EQ(r.Listings.size(), c.listings);
        EXPECT_EQ(r.SectionFound, c.section);
    }
    // Without a price marker every listing has none.
    ResultMarkers m = fakeMarkers();
    m.beginPrice.clear();
    EXPECT_EQ(ResultPageParser(m, QStringLiteral("Google"), false).Parse(page, nullptr).Listings[1].Price,
              QStringLiteral("$0.00"));
}
