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

clsFieldPtr field(const QString &name, const QString &value) {
    auto f = std::make_shared<clsField>();
    f->sFieldName = name;
    f->sFieldValue = value;
    return f;
}

clsKeywordPtr keyword(const QString &text, const QString &newBid) {
    auto k = std::make_shared<clsKeyword>();
    k->setKeyword(text);
    k->setNewBid(newBid);
    return k;
}

}  // namespace

TEST(clsConnectFindSection, WalksSectionsConsumingTheText) {
    QString text = "xx<td>a</td><td>b</td>";
    EXPECT_EQ(clsConnect::FindSection(text, "<td>", "</td>"), QString("<td>a"));
    EXPECT_EQ(text, QString("<td>b</td>"));
    EXPECT_EQ(clsConnect::FindSection(text, "<td>", "</td>"), QString("<td>b"));
    EXPECT_EQ(text, QString(""));
    EXPECT_EQ(clsConnect::FindSection(text, "<td>", "</td>"), QString());

    QString open = "<tr><td> a ";
    EXPECT_EQ(clsConnect::FindSection(open, "<td>", "</td>"), QString());
    EXPECT_EQ(open, QString("<tr><td> a "));
    QString none = "<tr>";
    EXPECT_EQ(clsConnect::FindSection(none, "<td>", "</td>"), QString());
    EXPECT_EQ(none, QString("<tr>"));

    // Blanks around the section go; letter case of markers counts.
    QString spaced = "  <TD> x <td> y </td>rest";
    EXPECT_EQ(clsConnect::FindSection(spaced, "<td>", "</td>"), QString("<td> y"));
    EXPECT_EQ(spaced, QString("rest"));

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

    QString form = "<form action=\"/bid.asp?a=1&amp;b=2\" method=\"post\">rest";
    EXPECT_EQ(c.FindActionURL(form), QString("/bid.asp?a=1&b=2"));
    EXPECT_EQ(form, QString("\" method=\"post\">rest"));
    QString lastQuoted = "<form action=\"/x.asp\"";
    EXPECT_EQ(c.FindActionURL(lastQuoted), QString("/x.asp"));
    EXPECT_EQ(lastQuoted, QString("\""));
    QString bare = "<form action=  /y.asp method=post>";
    EXPECT_EQ(c.FindActionURL(bare), QString("/y.asp"));
    EXPECT_EQ(bare, QString(" method=post>"));
    QString endMarker = "<form action=/z.asp>x";
    EXPECT_EQ(c.FindActionURL(endMarker), QString("/z.asp"));
    EXPECT_EQ(endMarker, QString(">x"));
    QString noAction = "<form method=post>";
    EXPECT_EQ(c.FindActionURL(noAction), QString());
    EXPECT_EQ(noAction, QString("<form method=post>"));

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

TEST(clsConnectLoginForm, ReadsFieldsInPageOrderUpToTheFirstNamelessInput) {
    clsConnect c;
    setLoginMarkers(c);
    QString action = "unchanged";
    const FieldCollectionPtr fields = c.GetLoginFormFields(kLoginPage, action);
    ASSERT_TRUE(fields);
    EXPECT_EQ(action, QString("login.asp?src=home&lang=en"));
    ASSERT_EQ(fields->Count(), 4);
    EXPECT_EQ(fields->Item(1)->sFieldName, QString("token"));
    EXPECT_EQ(fields->Item(1)->sFieldValue, QString("a&b=c \"q\""));
    EXPECT_EQ(fields->Item(2)->sFieldName, QString("_D:submit"));
    EXPECT_EQ(fields->Item(2)->sFieldValue, QString(" "));
    EXPECT_EQ(fields->Item(3)->sFieldName, QString("username"));
    EXPECT_EQ(fields->Item(4)->sFieldName, QString("password"));
    EXPECT_TRUE(fields->KeyAt(1).isNull());

    // Overrides by exact name; the page's own values are encoded too.
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(*fields, "username", "joe smith", "password",
                                                         "p&ss=1+2%;#"),
              QString("token=a%26b%3Dc%20\"q\"&_D:submit=%20&username=joe%20smith"
                      "&password=p%26ss%3D1%2B2%25%3B%23"));

    QString kept = "kept";
    EXPECT_FALSE(c.GetLoginFormFields("<html>no form here</html>", kept));
    EXPECT_EQ(kept, QString("kept"));
    EXPECT_FALSE(c.GetLoginFormFields("</form><form name=\"login\">", kept));
    EXPECT_EQ(kept, QString("kept"));
}

TEST(clsConnectPostString, BuildsTheBodyOfAFieldCollection) {
    FieldCollection fields;
    fields.Add(field("a", "1"));
    auto row = field("b", "x y");
    row->sBidName = "bid";
    row->sBidValue = "0.10";
    fields.Add(row, "blue shoes");
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields), QString("a=1&b=x%20y&bid=0.10"));

    // Only the named field changes; an empty override name changes nothing.
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "b", "z"), QString("a=1&b=z&bid=0.10"));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "", "z", "B", "w"),
              QString("a=1&b=x%20y&bid=0.10"));
    // The overrides touch pair 1 only.
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(fields, "bid", "9"), QString("a=1&b=x%20y&bid=0.10"));

    // All four pairs; pair 1 even without a name, the others only with one.
    FieldCollection rows;
    auto full = std::make_shared<clsField>();
    *full = clsField{"k1", "v1", "k2", "v2", "bid", "0.25", "k4", "v4"};
    rows.Add(full);
    auto partial = std::make_shared<clsField>();
    partial->sFieldValue = "orphan";
    partial->sBidName2 = "max";
    partial->sBidValue2 = "5";
    rows.Add(partial);
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(rows),
              QString("k1=v1&k2=v2&bid=0.25&k4=v4&=orphan&max=5"));

    // Ordinary text goes out as it is.
    FieldCollection plain;
    plain.Add(field("_PN:submit", "-10:submit:/go2/handler.submit"));
    plain.Add(field("url", "http://www.example.com/a_b-c.html?x!*'()~,$@"));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(plain),
              QString("_PN:submit=-10:submit:/go2/handler.submit&url=http://www.example.com/a_b-c.html?x!*'()~,$@"));

    // Non-ASCII as Windows-1252 bytes, control characters encoded.
    FieldCollection special;
    special.Add(field(QString("caf") + QChar(0xE9), QString(QChar(0xA3)) + "1\t2\r\n"));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(special), QString("caf%E9=%A31%092%0D%0A"));
    EXPECT_EQ(clsConnect::CreatePostStringFromCollection(FieldCollection()), QString());
}

TEST(clsConnectFormatURL, ResolvesLinksAgainstThePageUrl) {
    const QString page = "http://adv.test:8080/dir/sub/page.asp?x=1";
    EXPECT_EQ(clsConnect::FormatURL("", page), QString());
    EXPECT_EQ(clsConnect::FormatURL("https://other.test/a?b=1&c", page), QString("https://other.test/a?b=1&c"));
    EXPECT_EQ(clsConnect::FormatURL("/bids.asp", page), QString("http://adv.test:8080/bids.asp"));
    EXPECT_EQ(clsConnect::FormatURL("bids.asp?a=1&b=2", page), QString("http://adv.test:8080/dir/sub/bids.asp?a=1&b=2"));
    EXPECT_EQ(clsConnect::FormatURL("../up.asp", page), QString("http://adv.test:8080/dir/up.asp"));
    EXPECT_EQ(clsConnect::FormatURL("//cdn.test/x.asp", page), QString("http://cdn.test/x.asp"));
    EXPECT_EQ(clsConnect::FormatURL("?page=2", page), QString("http://adv.test:8080/dir/sub/page.asp?page=2"));
    EXPECT_EQ(clsConnect::FormatURL("list.asp", "https://secure.test/acct/"), QString("https://secure.test/acct/list.asp"));
    EXPECT_EQ(clsConnect::FormatURL("list.asp", "https://secure.test"), QString("https://secure.test/list.asp"));
    EXPECT_EQ(clsConnect::FormatURL("/a.asp", "secure.test/acct/x.asp"), QString("https://secure.test/a.asp"));
    EXPECT_EQ(clsConnect::FormatURL("my page.asp", page), QString("http://adv.test:8080/dir/sub/my%20page.asp"));
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
    auto blue = field("kw1", "blue shoes");
    blue->sBidValue = "0.11";
    rows.Add(blue, "BLUE SHOES");
    auto green = field("kw2", "green");
    green->sBidValue = "0.12";
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
    EXPECT_EQ(existing->CurBid(), QString("0.30"));
    EXPECT_EQ(existing->CurPos(), QString("2"));
    EXPECT_EQ(existing->FirstBid(), QString("0.45"));
    EXPECT_EQ(existing->NewBid(), QString("0.31"));
    EXPECT_EQ(existing->SecondBid(), QString("old2"));
    EXPECT_EQ(existing->Count(), QString("120"));
    EXPECT_EQ(existing->Status(), QString("ok"));
    EXPECT_EQ(existing->MaxBid(), QString("2.00"));

    c.AddKeywordValues(fetched, keywords, "FindWhat");
    EXPECT_EQ(existing->SecondBid(), QString("0.29"));
    EXPECT_EQ(existing->FifthBid(), QString("0.05"));

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
    EXPECT_EQ(http.Proxy(), QString("proxy.lan:3128"));
    EXPECT_EQ(http.ProxyUsername(), QString("ann"));
    EXPECT_EQ(http.ProxyPassword(), QString("pw"));

    // The preferences are read when the scraper is made.
    setPreference("Auth_Password", "");
    {
        clsConnect c;
        c.SetHttpProperties(http, "https://adv.test/login");
    }
    EXPECT_EQ(http.Proxy(), QString("proxy.lan:3128"));
    EXPECT_EQ(http.ProxyUsername(), QString());
    EXPECT_EQ(http.ProxyPassword(), QString());

    setPreference("Auth_Password", "pw");
    setPreference("AccessType", "1");
    {
        clsConnect c;
        c.SetHttpProperties(http, "https://adv.test/login");
    }
    EXPECT_EQ(http.Proxy(), QString());
    EXPECT_EQ(http.ProxyUsername(), QString());
    EXPECT_EQ(http.ProxyPassword(), QString());
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
        clsConnect::CreatePostStringFromCollection(*fields, "username", "jo&co", "password", "a=b c");
    http.setURL(clsConnect::FormatURL(action, http.URL()));
    EXPECT_EQ(http.Post(body), QString("Welcome"));

    ASSERT_EQ(site.requestCount(), 2);
    const auto &post = site.requests()[1];
    EXPECT_EQ(post.target, QByteArray("/acct/login.asp?src=home&lang=en"));
    EXPECT_EQ(post.body, QByteArray("token=a%26b%3Dc%20\"q\"&_D:submit=%20&username=jo%26co&password=a%3Db%20c"));
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
