#include "connect/clsConnect.h"
#include "connect/clsPage.h"
#include "core/Globals.h"
#include "fakes/FakeHttpServer.h"
#include "platform/HttpControl.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using fake::FakeHttpServer;
using fake::HttpResponse;

namespace {

void setPreference(const QString &name, const QString &value) {
    testenv::setRegistryValue(g_sPreferenceKey, name, value);
}

// Markers as an engine data file gives them for a login page.
void setLoginMarkers(clsConnect &c) {
    c.setLoginFormStart("<form name=\"login\"");
    c.setLoginFormEnd("</form>");
    c.setActionStart("action=");
    c.setActionEnd(">");
    c.setFieldStart("<input");
    c.setFieldEnd(">");
    c.setNameStart("name=");
    c.setValueStart("value=");
}

const char *const kLoginPage =
    "<html><body>\r\n"
    "<form name=\"search\" action=\"/search\"><input name=\"q\" value=\"\"></form>\r\n"
    "<form name=\"login\" method=\"post\" action=\"login.asp?src=home&amp;lang=en\" id=\"f\">\r\n"
    "<input type=\"hidden\" name=\"token\" value=\"a&amp;b&#61;c &quot;q&quot;\">\r\n"
    "<input type=\"hidden\" name=\"_D:submit\" value=\" \">\r\n"
    "<input type=\"text\" name=\"username\" value=\"\">\r\n"
    "<input type=\"password\" name=\"password\" value=\"\">\r\n"
    "<input type=\"submit\" value=\"Login\">\r\n"
    "<input type=\"hidden\" name=\"late\" value=\"never read\">\r\n"
    "</form></body></html>\r\n";

// A field from its texts in member order ("" past the end): name, value,
// name 2, value 2, bid name, bid value, bid name 2, bid value 2.
clsFieldPtr field(const QStringList &t) {
    return std::make_shared<clsField>(
        clsField{t.value(0), t.value(1), t.value(2), t.value(3), t.value(4), t.value(5), t.value(6), t.value(7)});
}

// The post string of key-less rows.
QString postOf(std::initializer_list<QStringList> rows) {
    FieldCollection fields;
    for (const QStringList &f : rows)
        fields.Add(field(f));
    return clsConnect::CreatePostStringFromCollection(fields);
}

clsKeywordPtr keyword(const QString &text, const QString &newBid) {
    auto k = std::make_shared<clsKeyword>();
    k->setKeyword(text);
    k->setNewBid(newBid);
    return k;
}

// The stored fields of a keyword in file order, then NewBid and MaxBid, joined by ";".
std::string fieldsOf(const clsKeyword &k) {
    return QStringList{k.Keyword(),   k.Count(),    k.CurBid(), k.NextBid(), k.FirstBid(),
                       k.SecondBid(), k.ThirdBid(), k.FourthBid(), k.FifthBid(), k.CurPos(),
                       k.Status(),    k.NewBid(),   k.MaxBid()}
        .join(';')
        .toStdString();
}

// One find: the text found and the text left.
using Found = std::pair<std::string, std::string>;
Found found(const QString &result, const QString &rest) { return {result.toStdString(), rest.toStdString()}; }

}  // namespace

TEST(clsConnectFindSection, WalksSectionsConsumingTheText) {
    const auto find = [](QString text) {
        const QString section = clsConnect::FindSection(text, "<td>", "</td>");
        return found(section, text);
    };
    QString text = "xx<td>a</td><td>b</td>";
    EXPECT_EQ(clsConnect::FindSection(text, "<td>", "</td>"), QString("<td>a"));
    EXPECT_EQ(text, QString("<td>b</td>"));
    EXPECT_EQ(find(text), (Found{"<td>b", ""}));
    EXPECT_EQ(find(""), (Found{"", ""}));
    EXPECT_EQ(find("<tr><td> a "), (Found{"", "<tr><td> a "}));
    EXPECT_EQ(find("<tr>"), (Found{"", "<tr>"}));
    // Blanks around the section go; letter case of markers counts.
    EXPECT_EQ(find("  <TD> x <td> y </td>rest"), (Found{"<td> y", "rest"}));

    // A copy shared with the caller is left whole.
    const QString page = "<p>1</p><p>2</p>";
    QString walk = page;
    EXPECT_EQ(clsConnect::FindSection(walk, "<p>", "</p>"), QString("<p>1"));
    EXPECT_EQ(page, QString("<p>1</p><p>2</p>"));
    EXPECT_EQ(walk, QString("<p>2</p>"));
}

TEST(clsConnectFind, ActionUrlNameValueAndHref) {
    clsConnect c;
    setLoginMarkers(c);

    // Each find consumes the text up to the end of the URL; a miss leaves it whole.
    const auto action = [&](QString text) {
        const QString url = c.FindActionURL(text);
        return found(url, text);
    };
    EXPECT_EQ(action("<form action=\"/bid.asp?a=1&amp;b=2\" method=\"post\">rest"),
              (Found{"/bid.asp?a=1&b=2", "\" method=\"post\">rest"}));
    EXPECT_EQ(action("<form action=\"/x.asp\""), (Found{"/x.asp", "\""}));
    EXPECT_EQ(action("<form action=  /y.asp method=post>"), (Found{"/y.asp", " method=post>"}));
    EXPECT_EQ(action("<form action=/z.asp>x"), (Found{"/z.asp", ">x"}));
    EXPECT_EQ(action("<form method=post>"), (Found{"", "<form method=post>"}));

    EXPECT_EQ(c.FindName("<input type=\"text\" name=\"kw\" value=\"blue shoes\""), QString("kw"));
    EXPECT_EQ(c.FindValue("<input type=\"text\" name=\"kw\" value=\"blue shoes\""), QString("blue shoes"));
    EXPECT_EQ(c.FindName("<input type=text name=bid"), QString("bid"));
    EXPECT_EQ(c.FindName("<input name=bid value=1"), QString("bid"));
    EXPECT_EQ(c.FindValue("<input name=bid value=\"\""), QString());
    EXPECT_EQ(c.FindValue("<input name=bid"), QString());
    EXPECT_EQ(c.FindValue("<input value=\"O&#39;Brien &lt;3&gt; &amp;amp; &bogus; &#150;\""),
              QString("O'Brien <3> &amp; &bogus; ") + QChar(0x2013));
    // A bare "&" far from the next ";" does not stop the references after it.
    EXPECT_EQ(c.FindValue("<input value=\"Tom & Jerry Show; A &amp; B\""), QString("Tom & Jerry Show; A & B"));

    EXPECT_EQ(c.FindhrefURL("<a href=\"/manage.asp?id=1&amp;v=2\">Manage</a>"), QString("/manage.asp?id=1&v=2"));
    EXPECT_EQ(c.FindhrefURL("<a href=/x.asp>Go</a>"), QString("/x.asp"));
    EXPECT_EQ(c.FindhrefURL("<a href=/x.asp title=go>"), QString("/x.asp"));
    EXPECT_EQ(c.FindhrefURL("<a href=/x"), QString());
    EXPECT_EQ(c.FindhrefURL("<a HREF=\"/x\">"), QString());
}

TEST(clsConnectFind, EveryNamedReferenceTheCodePageHoldsIsDecoded) {
    struct Case { const char *text; QString decoded; } cases[] = {
        {"caf&eacute;", QString("caf") + QChar(0xE9)},
        {"&Eacute;&eacute;", QString(QChar(0xC9)) + QChar(0xE9)},  // names are case-sensitive
        {"&EACUTE;", "&EACUTE;"},
        {"&nbsp;&iexcl;&yuml;", QString(QChar(0xA0)) + QChar(0xA1) + QChar(0xFF)},  // Latin-1 from end to end
        {"&szlig;&THORN;&divide;", QString(QChar(0xDF)) + QChar(0xDE) + QChar(0xF7)},
        // Characters of the code page's 0x80-0x9F row.
        {"&euro;&sbquo;&fnof;&bdquo;&hellip;&dagger;&Dagger;&circ;&permil;&Scaron;&lsaquo;&OElig;",
         QString::fromUtf16(u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152")},
        {"&lsquo;&rsquo;&ldquo;&rdquo;&bull;&ndash;&mdash;&tilde;&trade;&scaron;&rsaquo;&oelig;&Yuml;",
         QString::fromUtf16(u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u0178")},
        // References of characters it has no byte for stay as written.
        {"&alpha;&Omega;&rarr;&hearts;&ensp;&zwj;&thetasym;&lang;", "&alpha;&Omega;&rarr;&hearts;&ensp;&zwj;&thetasym;&lang;"},
        {"&quot;&amp;&lt;&gt;&apos;", "\"&<>'"},
        {"&unknown; &; &#;", "&unknown; &; &#;"},
    };
    clsConnect c;
    setLoginMarkers(c);
    for (const Case &k : cases) {
        EXPECT_EQ(clsConnect::DecodeEntities(QString::fromLatin1(k.text)), k.decoded) << k.text;
        EXPECT_EQ(c.FindValue(QString("<input value=\"") + k.text + "\""), k.decoded) << k.text;
    }
    // The keyword goes back as the site wrote it: one Windows-1252 byte.
    FieldCollection fields;
    fields.Add(field({"kw", c.FindValue("<input name=kw value=\"caf&eacute;\"")}));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields), QString("kw=caf%E9"));
}

TEST(clsConnectLoginForm, ReadsFieldsInPageOrderUpToTheFirstNamelessInput) {
    clsConnect c;
    setLoginMarkers(c);
    QString action = "unchanged";
    const FieldCollectionPtr fields = c.GetLoginFormFields(kLoginPage, action);
    ASSERT_TRUE(fields);
    EXPECT_EQ(action, QString("login.asp?src=home&lang=en"));
    QStringList pairs;
    for (const clsFieldPtr &f : *fields)
        pairs << f->sFieldName + "=" + f->sFieldValue;
    EXPECT_EQ(pairs.join(" | ").toStdString(), "token=a&b=c \"q\" | _D:submit=  | username= | password=");
    EXPECT_TRUE(fields->KeyAt(1).isNull());

    QString kept = "kept";
    EXPECT_FALSE(c.GetLoginFormFields("<html>no form here</html>", kept));
    EXPECT_EQ(kept, QString("kept"));
    EXPECT_FALSE(c.GetLoginFormFields("</form><form name=\"login\">", kept));
    EXPECT_EQ(kept, QString("kept"));
}

TEST(clsConnectPostString, BuildsTheBodyOfAFieldCollection) {
    FieldCollection fields;
    fields.Add(field({"a", "1"}));
    fields.Add(field({"b", "x y", "", "", "bid", "0.10"}), "blue shoes");
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields), QString("a=1&b=x%20y&bid=0.10"));

    // Only the named field changes; an empty override name changes nothing.
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "b", "z"), QString("a=1&b=z&bid=0.10"));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "", "z", "B", "w"),
              QString("a=1&b=x%20y&bid=0.10"));
    // The overrides touch pair 1 only.
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "bid", "9"), QString("a=1&b=x%20y&bid=0.10"));

    // All four pairs; pair 1 even without a name, the others only with one.
    EXPECT_EQ(postOf({{"k1", "v1", "k2", "v2", "bid", "0.25", "k4", "v4"}, {"", "orphan", "", "", "", "", "max", "5"}}),
              QString("k1=v1&k2=v2&bid=0.25&k4=v4&=orphan&max=5"));
    // Ordinary text goes out as it is.
    EXPECT_EQ(postOf({{"_PN:submit", "-10:submit:/go2/handler.submit"},
                      {"url", "http://www.example.com/a_b-c.html?x!*'()~,$@"}}),
              QString("_PN:submit=-10:submit:/go2/handler.submit&url=http://www.example.com/a_b-c.html?x!*'()~,$@"));
    // Non-ASCII as Windows-1252 bytes, control characters encoded.
    EXPECT_EQ(postOf({{QString("caf") + QChar(0xE9), QString(QChar(0xA3)) + "1\t2\r\n"}}),
              QString("caf%E9=%A31%092%0D%0A"));
    EXPECT_EQ(postOf({}), QString());
}

TEST(clsConnectFormatURL, ResolvesLinksAgainstThePageUrl) {
    const auto onPage = [](const QString &link) {
        return clsConnect::FormatURL(link, "http://adv.test:8080/dir/sub/page.asp?x=1");
    };
    EXPECT_EQ(onPage(""), QString());
    EXPECT_EQ(onPage("https://other.test/a?b=1&c"), QString("https://other.test/a?b=1&c"));
    EXPECT_EQ(onPage("/bids.asp"), QString("http://adv.test:8080/bids.asp"));
    EXPECT_EQ(onPage("bids.asp?a=1&b=2"), QString("http://adv.test:8080/dir/sub/bids.asp?a=1&b=2"));
    EXPECT_EQ(onPage("../up.asp"), QString("http://adv.test:8080/dir/up.asp"));
    EXPECT_EQ(onPage("//cdn.test/x.asp"), QString("http://cdn.test/x.asp"));
    EXPECT_EQ(onPage("?page=2"), QString("http://adv.test:8080/dir/sub/page.asp?page=2"));
    EXPECT_EQ(onPage("my page.asp"), QString("http://adv.test:8080/dir/sub/my%20page.asp"));
    EXPECT_EQ(clsConnect::FormatURL("list.asp", "https://secure.test/acct/"),
              QString("https://secure.test/acct/list.asp"));
    EXPECT_EQ(clsConnect::FormatURL("list.asp", "https://secure.test"), QString("https://secure.test/list.asp"));
    EXPECT_EQ(clsConnect::FormatURL("/a.asp", "secure.test/acct/x.asp"), QString("https://secure.test/a.asp"));
}

TEST(clsConnectGetErrorMessage, WordsTheControlsErrors) {
    EXPECT_EQ(clsConnect::GetErrorMessage(9060, "x"), QString("Error: Connection Timed Out."));
    EXPECT_EQ(clsConnect::GetErrorMessage(12007, "x"), QString("Error: Server is down."));
    EXPECT_EQ(clsConnect::GetErrorMessage(12017, "x"), QString("Error: Transfer Aborted."));
    EXPECT_EQ(clsConnect::GetErrorMessage(5, "Bad"), QString("Error #5 Bad"));
    EXPECT_EQ(clsConnect::GetErrorMessage(12030, ""), QString("Error #12030 "));
}

TEST(clsConnectKeywords, EditKeywordFieldsWritesNewBidsAndLogsMissingRows) {
    clsConnect c;
    KeywordCollection keywords;
    keywords.Add(keyword("blue shoes", "0.25"), "blue shoes");
    keywords.Add(keyword("Red", "0.30"), "Red");
    FieldCollection rows;
    auto blue = field({"kw1", "blue shoes", "", "", "", "0.11"});
    rows.Add(blue, "BLUE SHOES");
    auto green = field({"kw2", "green", "", "", "", "0.12"});
    rows.Add(green, "green");
    c.EditKeywordFields(keywords, rows);
    EXPECT_EQ(blue->sBidValue, QString("0.25"));
    EXPECT_EQ(green->sBidValue, QString("0.12"));
    EXPECT_EQ(testenv::errorLog(), QByteArray("clsConnect_EditKeywordFields error: Invalid procedure call or "
                                              "argument\r\nKeyword: Red NewBid: 0.30\r\n"));
}

TEST(clsConnectKeywords, AddKeywordValuesMergesIntoTheExistingKeyword) {
    clsConnect c;
    KeywordCollection keywords;
    auto existing = keyword("Blue Shoes", "");
    existing->setCount("120");
    existing->setStatus("ok");
    existing->setMaxBid("2.00");
    existing->setSecondBid("old2");
    keywords.Add(existing, "Blue Shoes");

    auto fetched = keyword("blue shoes", "0.31");
    fetched->setCurBid("0.30");
    fetched->setCurPos("2");
    fetched->setFirstBid("0.45");
    fetched->setSecondBid("0.29");
    fetched->setFifthBid("0.05");
    fetched->setCount("999");
    c.AddKeywordValues(fetched, keywords, "Overture");
    ASSERT_EQ(keywords.Count(), 1);
    EXPECT_EQ(keywords.Item(1), existing);
    // Keyword, Count, CurBid, NextBid, 1st-5th bids, CurPos, Status, NewBid, MaxBid.
    EXPECT_EQ(fieldsOf(*existing), "Blue Shoes;120;0.30;;0.45;old2;;;;2;ok;0.31;2.00");

    // FindWhat pages also give the 2nd to 5th bids.
    c.AddKeywordValues(fetched, keywords, "FindWhat");
    EXPECT_EQ(fieldsOf(*existing), "Blue Shoes;120;0.30;;0.45;0.29;;;0.05;2;ok;0.31;2.00");

    auto added = keyword("red shoes", "");
    c.AddKeywordValues(added, keywords, "FindWhat");
    ASSERT_EQ(keywords.Count(), 2);
    EXPECT_EQ(keywords.Item("RED SHOES"), added);
}

TEST(clsConnectHttp, SetHttpPropertiesUsesTheProxyOnlyWhileSelected) {
    setPreference("AccessType", "2");
    setPreference("Proxy", " proxy.lan ");
    setPreference("Port", "3128 ");
    setPreference("Auth_Username", "ann");
    setPreference("Auth_Password", "pw");
    platform::HttpControl http;
    const auto proxyOf = [&] {
        return (http.Proxy() + ";" + http.ProxyUsername() + ";" + http.ProxyPassword()).toStdString();
    };
    {
        clsConnect c;
        c.setTimeOut(120000);
        c.setCache(false);
        c.setSecurity(0);
        c.SetHttpProperties(http, "https://adv.test/login");
    }
    EXPECT_TRUE(http.Synchronous());
    EXPECT_EQ(http.URL(), QString("https://adv.test/login"));
    EXPECT_FALSE(http.Cache());
    EXPECT_EQ(http.Timeout(), 120000);
    EXPECT_EQ(proxyOf(), "proxy.lan:3128;ann;pw");

    // The preferences are read when the scraper is made.
    setPreference("Auth_Password", "");
    clsConnect().SetHttpProperties(http, "https://adv.test/login");
    EXPECT_EQ(proxyOf(), "proxy.lan:3128;;");

    setPreference("Auth_Password", "pw");
    setPreference("AccessType", "1");
    clsConnect().SetHttpProperties(http, "https://adv.test/login");
    EXPECT_EQ(proxyOf(), ";;");
}

TEST(clsConnectHttp, LoginFormRoundTripAgainstASite) {
    FakeHttpServer site;
    site.on("GET", "/acct/start.asp", HttpResponse::page(kLoginPage).setCookie("session", "s1"));
    site.on("POST", "/acct/login.asp", HttpResponse::page("Welcome"));
    site.requireCookie("/acct/login.asp", "session", "s1");

    clsConnect c;
    setLoginMarkers(c);
    c.setTimeOut(120000);
    platform::HttpControl http;
    c.SetHttpProperties(http, site.url("/acct/start.asp"));
    const QString page = http.Get();
    QString action;
    const FieldCollectionPtr fields = c.GetLoginFormFields(page, action);
    ASSERT_TRUE(fields);
    const QString body =
        clsConnect::CreatePostStringFromCollection(*fields, "username", "jo&co", "password", "p&ss=1+2%;# c");
    http.setURL(clsConnect::FormatURL(action, http.URL()));
    EXPECT_EQ(http.Post(body), QString("Welcome"));

    ASSERT_EQ(site.requestCount(), 2);
    const auto &post = site.requests()[1];
    EXPECT_EQ(post.target, QByteArray("/acct/login.asp?src=home&lang=en"));
    // The overrides and the page's own values, all encoded.
    EXPECT_EQ(post.body, QByteArray("token=a%26b%3Dc%20\"q\"&_D:submit=%20&username=jo%26co"
                                    "&password=p%26ss%3D1%2B2%25%3B%23%20c"));
    EXPECT_EQ(post.cookie("session"), QByteArray("s1"));
}

TEST(clsPage, StartsWithAnEmptyTermCountField) {
    clsPage page;
    ASSERT_TRUE(page.TermCount());
    EXPECT_EQ(page.TermCount()->sFieldName, QString());
    EXPECT_EQ(page.KeywordCount(), 0);
    page.setTermCount(nullptr);
    EXPECT_TRUE(page.TermCount());
}

TEST(clsConnectFindSection, FindsMarkersAtEveryOffsetOfALongText) {
    // Markers of one to many characters, at the start, in the middle and at
    // the very end, after near misses sharing their first and last characters.
    const QStringList markers = {">", "<tr", "</td>", "</tr><!--/kw-->", "<x>"};
    for (const QString &marker : markers) {
        for (int at = 0; at < 80; ++at) {
            QString text;
            for (int i = 0; i < at; ++i)
                text += (i % 3 == 0) ? QChar(marker.front()) : (i % 3 == 1 ? QChar(marker.back()) : QChar('a'));
            const QString whole = "S" + text + marker + (at % 2 ? "tail" : "");
            QString rest = whole;
            const QString section = clsConnect::FindSection(rest, "S", marker);
            // The section ends at the first occurrence, as a plain search finds it.
            const int end = int(whole.indexOf(marker, 1));
            EXPECT_EQ(section, whole.left(end)) << marker.toStdString() << " at " << at;
            EXPECT_EQ(rest, whole.mid(end + marker.size())) << marker.toStdString() << " at " << at;
        }
    }
}
