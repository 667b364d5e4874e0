// Reading FindWhat pages without a network: the page list of a web site,
// the web-site table, the keywords-per-page link, keyword rows, the parts
// a keyword page can't do without, and the post body of a page.

#include "connect/FindWhatPageReader.h"
#include "connect/clsConnect.h"
#include "core/Globals.h"
#include "fakes/FakeFindWhatSite.h"
#include "platform/VB.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

const QString kHere = QStringLiteral("http://fw.example/keywords?site=1&page=3");

std::string joined(const QStringList &list) { return list.join(QStringLiteral(" | ")).toStdString(); }

class FindWhatReaderTest : public ::testing::Test {
protected:
    FindWhatMarkers markers;
    clsConnect scraper;
    std::unique_ptr<FindWhatPageReader> reader;

    void SetUp() override {
        fake::FakeFindWhatSite site;
        site.writeEngineData(g_sEngineDataFile, "FindWhat", "100");
        markers.Read(g_sEngineDataFile, "FindWhat");
        markers.ApplyTo(scraper);
        reader = std::make_unique<FindWhatPageReader>(scraper, markers);
        reader->setEngine("FindWhat");
    }

    // A keyword form around the given keyword rows and additional rows.
    static QString form(const QString &rows, const QString &additional = QString(),
                        const QString &first = "<input type=\"hidden\" name=\"siteId\" value=\"1\">") {
        return "<form name=\"keywords\" action=\"/keywords/update\">" + first +
               "<table class=\"keywords\"><tr><th>Keyword</th></tr>" + rows +
               "</table><!--/keywords--><table class=\"addkw\"><tr><th>Add</th></tr>" + additional +
               "</table><!-- last fields --><input type=\"hidden\" name=\"termCount\" value=\"9\"></form>";
    }
    static QString row(const QString &keywordCell, const QString &positionCell, const QString &topCells) {
        return "<tr><td><input name=\"kw_1\" value=\"1\">" + keywordCell +
               "</td><td><input name=\"bid_1\" value=\"0.25\"><input name=\"old_1\" value=\"0.25\"></td><td>" +
               positionCell + "</td><td><table><tr>" + topCells + "</tr></table></td></tr><!--/kw-->";
    }
    bool read(const QString &page, KeywordPage &out, KeywordCollection &keywords, bool firstPage = true) {
        FieldCollection fields;
        return reader->GetPageKeywordBids(page, kHere, firstPage, out, fields, keywords);
    }
};

}  // namespace

TEST_F(FindWhatReaderTest, PageListInPageOrderWithThePageInHand) {
    auto link = [](int n, const QString &text = QString()) {
        return QStringLiteral("<a href=\"/keywords?site=1&amp;page=%1\">%2</a> ")
            .arg(n)
            .arg(text.isEmpty() ? QString::number(n) : text);
    };
    const QString p1 = "http://fw.example/keywords?site=1&page=1";
    const QString p2 = "http://fw.example/keywords?site=1&page=2";
    const QString p3 = "http://fw.example/keywords?site=1&page=3";
    struct Case { const char *name; QString table; QString here; QStringList pages; };
    const Case cases[] = {
        {"links 2 and 3 while page 1 is shown", "<b>1</b> " + link(2) + link(3) + link(2, "Next &gt;"),
         "http://fw.example/keywords?site=1", {"http://fw.example/keywords?site=1", p2, p3}},
        {"links 1 and 2 while the last page is shown", link(1) + link(2) + "<b>3</b>", p3, {p1, p2, p3}},
        {"the page in hand between its links", link(1) + "<b>2</b>" + link(3), p2, {p1, p2, p3}},
        {"the page in hand linked as well", link(1) + link(2) + link(3), p2, {p1, p2, p3}},
        {"no number links", "<b>1</b> <a href=\"/help\">Help</a>", p1, {p1}},
        {"numbers out of sequence are left out", link(1) + link(2) + link(5) + link(3), p3, {p1, p2, p3}},
        {"no page-link table", QString(), p1, {p1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString page = c.table.isNull()
                                 ? QStringLiteral("<html>no table</html>")
                                 : "<table class=\"pages\"><tr><td>" + c.table + "</td></tr></table>" + form("");
        QStringList urls;
        ASSERT_TRUE(reader->GetEveryPageURLs(page, c.here, urls));
        EXPECT_EQ(joined(urls), joined(c.pages));
    }
}

TEST_F(FindWhatReaderTest, LinksThatCannotBeCutEndTheLoops) {
    // Each of these once looped for ever: the test for "<a" ignores case, the cut does not.
    const QString upper = "<A HREF=\"/keywords?site=1&amp;page=2\">2</A>";
    const QString open = "<a href=\"/keywords?site=1&amp;page=2\">2";
    // Not a loop, but the cut would swallow page 2 into the "Next" link.
    const QString swallowed = open + " <a href=\"/keywords?site=1&amp;page=2\">Next</a>";
    for (const QString &links : {upper, open, swallowed}) {
        SCOPED_TRACE(links.toStdString());
        QStringList urls{"stale"};
        EXPECT_FALSE(reader->GetEveryPageURLs("<table class=\"pages\"><tr><td>" + links + "</td></tr></table>",
                                              kHere, urls));
        EXPECT_TRUE(urls.isEmpty());
        // In the keywords-per-page section the page in hand is read as it is.
        if (links != swallowed) {
            const QString section = "<div class=\"perpage\">" + QString(links).replace("2", "[100]") + "</div>";
            EXPECT_EQ(reader->GetMaxKeywordPerPage(section), "");
        }
    }
    EXPECT_TRUE(testenv::errorLog().contains("frmConnectFindwhat_GetEveryPageURLs error: a page link is not closed."));

    QStringList sites;
    EXPECT_FALSE(reader->GetEveryWebSiteURLs(
        "<table class=\"sites\"><tr><th>Site</th></tr><TR><td>a</td><td>b</td><td><a href=\"/k\">k</a></td></TR>"
        "</table>",
        kHere, sites));
}

TEST_F(FindWhatReaderTest, KeywordsPerPageLinkOfTheConfiguredNumber) {
    struct Case { const char *name; QString section; QString link; };
    const Case cases[] = {
        {"the configured choice", "Show <a href=\"?n=25\">[25]</a> <a href=\"/keywords?site=1&amp;perpage=100\">[100]</a>",
         "/keywords?site=1&perpage=100"},
        {"letter case of the link text ignored", "<a href=\"x\">[25]</a><a class=\"B\" href=\"big\">[100]</a>", "big"},
        {"no link for the number", "<a href=\"?n=25\">[25]</a> <b>[100]</b>", ""},
        {"a longer number is not it", "<a href=\"?n=1000\">[1000]</a>", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reader->GetMaxKeywordPerPage("<p><div class=\"perpage\">" + c.section + "</div>").toStdString(),
                  c.link.toStdString());
    }
}

TEST_F(FindWhatReaderTest, WebSiteTableAndAccountManagerLink) {
    QStringList sites{"stale"};
    // No table (a refused login, an ended session): the sites are unknown.
    EXPECT_FALSE(reader->GetEveryWebSiteURLs("<html><form name=\"login\"></form></html>", kHere, sites));
    EXPECT_TRUE(testenv::errorLog().contains("frmConnectFindWhat_GetEveryWebSiteURLs error: no web-site table."));
    // A table with its heading row alone: an account without web sites.
    EXPECT_TRUE(reader->GetEveryWebSiteURLs("<table class=\"sites\"><tr><th>Site</th></tr></table>", kHere, sites));
    EXPECT_TRUE(sites.isEmpty());
    // Rows without a link in their third cell are left out; links are completed.
    EXPECT_TRUE(reader->GetEveryWebSiteURLs(
        "<table class=\"sites\"><tr><th>Site</th></tr>"
        "<tr><td>a.example</td><td>Active</td><td><a href=\"/keywords?site=1\">Keywords</a></td></tr>"
        "<tr><td>b.example</td><td>Review</td><td></td></tr>"
        "<tr><td>c.example</td></tr>"
        "<tr><td>d.example</td><td>Active</td><td><a href=\"https://other.example/k?s=4\">Keywords</a></td></tr>"
        "</table>",
        kHere, sites));
    EXPECT_EQ(joined(sites), "http://fw.example/keywords?site=1 | https://other.example/k?s=4");

    EXPECT_EQ(reader->GetManageBidsURL("<table class=\"tabs\"><tr><td><a href=\"/home\">Home</a></td>"
                                       "<td><a href=\"/manager?a=1&amp;b=2\">Account Manager</a></td></tr></table>"),
              "/manager?a=1&b=2");
    EXPECT_EQ(reader->GetManageBidsURL("<p>The user ID or password you entered is incorrect.</p>"), "");
}

TEST_F(FindWhatReaderTest, KeywordRowCells) {
    const QString top = "<td>$1.00</td><td>$0.90</td><td> N/A </td><td>$0.25</td><td>$0.10</td>";
    struct Case { const char *name; QString keywordCell, positionCell; const char *keyword, *position; };
    const Case cases[] = {
        {"selected option", "red shoes", "<select><option>1</option><option value=\"3\" SELECTED>3</option></select>",
         "red shoes", "3"},
        {"character references decoded", "shoes &amp; boots&nbsp;&#8364;", "<select><option selected>\r\n 2 \r\n</option>",
         "shoes & boots \u20AC", "2"},
        {"line breaks and tabs as blanks", "\r\n\tsun\thats\r\n", "<select><option>1</option></select>", "sun hats", ""},
        {"an option without its end", "caps", "<select><option selected>4", "caps", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        KeywordPage page;
        KeywordCollection keywords;
        ASSERT_TRUE(read(form(row(c.keywordCell, c.positionCell, top)), page, keywords));
        ASSERT_EQ(keywords.Count(), 1);
        const clsKeyword &k = *keywords.Item(1);
        EXPECT_EQ(k.Keyword().toStdString(), c.keyword);
        EXPECT_EQ(k.CurPos().toStdString(), c.position);
        EXPECT_EQ(k.CurBid(), "0.25");
        EXPECT_EQ(k.NewBid(), "0.25");
        // Plain cells like <td>$0.50</td> read whole.
        EXPECT_EQ(QStringList({k.FirstBid(), k.SecondBid(), k.ThirdBid(), k.FourthBid(), k.FifthBid()}).join(' '),
                  "$1.00 $0.90 N/A $0.25 $0.10");
        ASSERT_EQ(page.rows.size(), 1u);
        EXPECT_EQ(page.rows[0]->sFieldName, "kw_1");
        EXPECT_EQ(page.rows[0]->sBidName, "bid_1");
        EXPECT_EQ(page.rows[0]->sBidName2, "old_1");
    }
}

TEST_F(FindWhatReaderTest, PagePartsAndWhatMissingOnesLog) {
    const QString good = form(row("red shoes", "", ""));
    struct Case {
        const char *name;
        QString page;
        bool firstPage;
        const char *log;  // "" when the page reads
    };
    const Case cases[] = {
        {"whole page", good, true, ""},
        {"no form end", QString(good).remove("</form>"), true,
         "frmConnectFindWhat_GetPageKeywordBids error: m_sKeywordFormStart or m_sKeywordFormEnd."},
        {"no action", QString(good).replace("action=", "target="), true,
         "frmConnectFindWhat_GetPageKeywordBids error: ActionURL"},
        {"no first input on the first page", form(row("a", "", "")).replace("<input", "<img"), true,
         "frmConnectFindWhat_GetPageKeywordBids error: Firstpage HiddenField not found."},
        {"no keyword table", QString(good).replace("<!--/keywords-->", ""), true,
         "frmConnectFindWhat_GetPageKeywordBids error: Keyword table start and end not found."},
        {"no additional table", QString(good).replace("class=\"addkw\"", "class=\"other\""), true,
         "frmConnectFindWhat_GetPageKeywordBids error: addition 5 Keyword table start and end not found."},
        {"no trailing hidden field", QString(good).replace("<!-- last fields -->", ""), true,
         "frmConnectFindWhat_GetPageKeywordBids error: hidden field in the end of page do not found."},
        {"last fields marker in another case", QString(good).replace("last fields", "LAST FIELDS"), true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int logged = int(testenv::errorLog().size());
        KeywordPage page;
        KeywordCollection keywords;
        const bool ok = read(c.page, page, keywords, c.firstPage);
        EXPECT_EQ(ok, QString(c.log).isEmpty());
        if (ok) {
            EXPECT_EQ(page.record->PostURL(), "http://fw.example/keywords/update");
            EXPECT_EQ(page.record->PageURL(), kHere);
            EXPECT_EQ(page.record->KeywordCount(), 1);
            EXPECT_EQ(page.record->TermCount()->sFieldName, "termCount");
            EXPECT_EQ(page.firstField->sFieldName, "siteId");
            EXPECT_EQ(testenv::errorLog().size(), logged);
        } else {
            EXPECT_TRUE(testenv::errorLog().mid(logged).startsWith(c.log)) << testenv::errorLog().toStdString();
        }
    }
}

TEST_F(FindWhatReaderTest, AdditionalRowsFirstFieldsAndRepeatedKeywords) {
    const QString additional =
        "<tr><td><input name=\"add_kw_1\" value=\"\"></td><td><input name=\"add_bid_1\" value=\"\"></td></tr>"
        "<tr><td>no input here</td></tr>"
        "<tr><td><input name=\"add_kw_3\" value=\"x y\"></td></tr>";
    FieldCollection fields;
    KeywordCollection keywords;
    KeywordPage first;
    ASSERT_TRUE(reader->GetPageKeywordBids(form(row("shoes", "", "<td>$0.50</td>"), additional), kHere, true, first,
                                           fields, keywords));
    ASSERT_EQ(first.additional.size(), 2u);
    EXPECT_EQ(first.additional[0]->sFieldName, "add_kw_1");
    EXPECT_EQ(first.additional[0]->sBidName, "add_bid_1");
    EXPECT_EQ(first.additional[1]->sFieldValue, "x y");
    EXPECT_EQ(first.additional[1]->sBidName, "");

    // A later page (of another web site) listing "Shoes" again with another
    // bid: the first row stands for the keyword; the later one stays with
    // its page as it was read.
    QString later = form(row("Shoes", "", "<td>$0.70</td>"), QString(), "<input type=\"hidden\" name=\"siteId\" value=\"2\">");
    later.replace("value=\"0.25\"", "value=\"0.70\"");
    KeywordPage second;
    const int logged = int(testenv::errorLog().size());
    ASSERT_TRUE(reader->GetPageKeywordBids(later, kHere, false, second, fields, keywords));
    EXPECT_EQ(keywords.Count(), 1);
    EXPECT_EQ(keywords.Item("shoes")->CurBid(), "0.25");
    EXPECT_EQ(keywords.Item("shoes")->FirstBid(), "$0.50");
    EXPECT_EQ(fields.Count(), 1);
    EXPECT_EQ(fields.Item("shoes"), first.rows[0]);
    ASSERT_EQ(second.rows.size(), 1u);
    EXPECT_EQ(second.rows[0]->sBidValue, "0.70");
    EXPECT_TRUE(testenv::errorLog().mid(logged).startsWith(
        "frmConnectFindWhat_RetrieveKeywordAndField error: This key is already associated with an element of this "
        "collection"));

    // Each page's body: its rows, its additional rows, its own first input
    // and its term count.
    first.rows[0]->sBidValue = "0.31";
    EXPECT_EQ(FindWhatPageReader::PostString(first, first.firstField),
              "kw_1=1&bid_1=0.31&old_1=0.25&add_kw_1=&add_bid_1=&add_kw_3=x%20y&siteId=1&termCount=9");
    EXPECT_EQ(FindWhatPageReader::PostString(second, first.firstField),
              "kw_1=1&bid_1=0.70&old_1=0.70&siteId=2&termCount=9");
    // A later page whose first input has no name goes with the first page's.
    KeywordPage unnamed;
    ASSERT_TRUE(reader->GetPageKeywordBids(form("", QString(), "<input type=\"hidden\" value=\"x\">"), kHere, false,
                                           unnamed, fields, keywords));
    EXPECT_FALSE(unnamed.firstField);
    EXPECT_EQ(FindWhatPageReader::PostString(unnamed, first.firstField), "siteId=1&termCount=9");
}

TEST(FindWhatMarkers, APageSizeThatIsNotANumberCannotServeARun) {
    for (const char *value : {"many", "", "True"}) {
        SCOPED_TRACE(value);
        testenv::writeFile(g_sEngineDataFile, QByteArray("[FindWhat]\r\nLoginURL=http://x/login\r\nDisplayMaxNum=") +
                                                  value + "\r\nLastFieldsStart=<!-- last -->\r\n");
        FindWhatMarkers m;
        try {
            m.Read(g_sEngineDataFile, "FindWhat");
            ADD_FAILURE() << "no error";
        } catch (const vb::VBError &e) {
            EXPECT_EQ(e.Number(), vb::errTypeMismatch);
        }
    }
    testenv::writeFile(g_sEngineDataFile, "[FindWhat]\r\nDisplayMaxNum= 100 \r\nLastFieldsStart=<!-- last -->\r\n");
    FindWhatMarkers m;
    m.Read(g_sEngineDataFile, "FindWhat");
    EXPECT_EQ(m.DisplayMaxNum, 100);
    EXPECT_EQ(m.LastFieldsStart, "<!-- last -->");
    EXPECT_EQ(m.RowStart, "");
}
