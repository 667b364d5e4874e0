#include "fakes/FakeFindWhatSite.h"

#include <QUrlQuery>

namespace fake {

namespace {

constexpr int kFirstId = 101;  // row ids follow the keywords' order
constexpr int kPositions = 10;
const char *const kAcknowledged =
    "<html><body><h2>Thank you.</h2><p>We Have Received Your Bid Change Request and will process it "
    "shortly.</p></body></html>\r\n";
const char *const kNotAccepted =
    "<html><body><h2>Your bid changes could not be accepted.</h2></body></html>\r\n";

int queryInt(const HttpRequest &request, const char *name) {
    return QUrlQuery(QString::fromLatin1(request.query)).queryItemValue(QString::fromLatin1(name)).toInt();
}

}  // namespace

FakeFindWhatSite::FakeFindWhatSite(QObject *parent) : FakeAdvertiserSite("FWSESSION", parent) {
    route("GET", QStringLiteral("/login"), [this](const HttpRequest &r) { return answer(loginPage(), r.path); });
    route("POST", QStringLiteral("/login/submit"), [this](const HttpRequest &r) { return onLogin(r); });
    route("GET", QStringLiteral("/manager"), [this](const HttpRequest &r) {
        return answer(signedIn(r) ? managerPage() : loginPage(), r.path);
    });
    route("GET", QStringLiteral("/keywords"), [this](const HttpRequest &r) { return onKeywords(r); });
    route("POST", QStringLiteral("/keywords/update"), [this](const HttpRequest &r) { return onUpdate(r); });
}

void FakeFindWhatSite::writeEngineData(const QString &file, const QString &engine,
                                       const QString &displayMaxNum) const {
    appendEngineSection(file, engine, {
        {"LoginURL", loginURL()}, {"LoginFormStart", "<form name=\"login\""}, {"LoginFormEnd", "</form>"},
        {"ActionStart", "action="}, {"ActionEnd", ">"}, {"FieldStart", "<input"}, {"FieldEnd", ">"},
        {"NameStart", "name="}, {"ValueStart", "value="}, {"LoginPasswordField", "password"},
        {"LoginUserNameField", "username"}, {"TabTableStart", "<table class=\"tabs\">"}, {"TableEnd", "</table>"},
        {"ColumStart", "<td"}, {"ColumEnd", "</td>"}, {"WebSiteProfileTableStart", "<table class=\"sites\">"},
        {"WebSiteProfileTableEnd", "</table>"}, {"RowStart", "<tr"}, {"RowEnd", "</tr>"},
        {"KeywordPerPageStart", "<div class=\"perpage\">"}, {"KeywordPerPageEnd", "</div>"},
        {"DisplayMaxNum", displayMaxNum}, {"PageTableStart", "<table class=\"pages\">"},
        {"KeywordFormStart", "<form name=\"keywords\""}, {"KeywordFormEnd", "</form>"},
        {"KeywordBidTableStart", "<table class=\"keywords\">"}, {"KeywordBidTableEnd", "</table><!--/keywords-->"},
        {"KeywordBidRowEnd", "</tr><!--/kw-->"}, {"OptionTagStart", "<option"}, {"OptionTagEnd", "</option>"},
        {"AdditionKeywordStart", "<table class=\"addkw\">"}, {"AdditionKeywordEnd", "</table>"},
        {"LastFieldsStart", "<!-- last fields -->"},
    });
}

int FakeFindWhatSite::addWebSite(const QString &name) {
    m_webSites.append(name);
    return int(m_webSites.size());
}

void FakeFindWhatSite::addKeyword(int site, const QString &text, qint64 bidCents, int position,
                                  const QList<qint64> &topCents) {
    Keyword k;
    k.id = int(m_keywords.size()) + kFirstId;
    k.site = site;
    k.text = text;
    k.bidCents = bidCents;
    k.position = position;
    k.topCents = topCents;
    while (k.topCents.size() < 5)
        k.topCents.append(-1);
    m_keywords.append(k);
}

void FakeFindWhatSite::addKeywords(int site, int count, const QString &prefix) {
    for (int i = 1; i <= count; ++i) {
        const qint64 top = 300 + (i * 37) % 400;
        addKeyword(site, QStringLiteral("%1 %2").arg(prefix).arg(i), 10 + (i * 7) % 90, 1 + i % 9,
                   {top, top - 40, top - 90, top - 150, top - 220});
    }
}

QList<int> FakeFindWhatSite::rowsOf(int site, int page) const {
    QList<int> rows;
    int seen = 0;
    const int first = (page - 1) * m_perPage;
    for (int i = 0; i < m_keywords.size(); ++i) {
        if (m_keywords[i].site != site)
            continue;
        if (seen >= first && seen < first + m_perPage)
            rows.append(i);
        ++seen;
    }
    return rows;
}

int FakeFindWhatSite::pageCount(int site) const {
    int n = 0;
    for (const Keyword &k : m_keywords)
        n += k.site == site ? 1 : 0;
    return qMax(1, (n + m_perPage - 1) / m_perPage);
}

QString FakeFindWhatSite::bidOf(const QString &keyword, int site) const {
    for (const Keyword &k : m_keywords)
        if (k.text == keyword && (site == 0 || k.site == site))
            return plainAmount(k.bidCents);
    return QString();
}

QString FakeFindWhatSite::pagePath(int site, int page) {
    return QStringLiteral("/keywords?site=%1&page=%2").arg(site).arg(page);
}

// ---- pages -------------------------------------------------------------------------------

QString FakeFindWhatSite::loginPage(const QString &message) const {
    QString html = QStringLiteral(
        "<html><head><title>FindWhat Advertiser Login</title></head><body>\r\n"
        "<table class=\"layout\"><tr><td>Advertisers</td><td>Publishers</td></tr></table>\r\n");
    if (!message.isEmpty())
        html += QStringLiteral("<p class=\"error\">") + message + QStringLiteral("</p>\r\n");
    html += QStringLiteral(
        "<form name=\"login\" method=\"post\" action=\"/login/submit\">\r\n"
        "<input type=\"hidden\" name=\"src\" value=\"fw\">\r\n"
        "User ID <input type=\"text\" name=\"username\" value=\"\">\r\n"
        "Password <input type=\"password\" name=\"password\" value=\"\">\r\n"
        "<input type=\"submit\" value=\"Login\">\r\n"
        "</form></body></html>\r\n");
    return html;
}

QString FakeFindWhatSite::homePage() const {
    return QStringLiteral(
        "<html><body><h1>Welcome back</h1>\r\n"
        "<table class=\"tabs\"><tr><td><a href=\"/home\">Home</a></td>"
        "<td class=\"tab\"><a href=\"/manager?view=sites&amp;sort=name\">Account Manager</a></td>"
        "<td><a href=\"/reports\">Reports</a></td></tr></table>\r\n"
        "</body></html>\r\n");
}

QString FakeFindWhatSite::managerPage() const {
    QString html = QStringLiteral(
        "<html><body><h2>Account Manager</h2>\r\n"
        "<table class=\"sites\">\r\n<tr><th>Web site</th><th>Status</th><th>Keywords</th></tr>\r\n");
    for (int s = 1; s <= m_webSites.size(); ++s) {
        const int start = m_startPage.value(s, 1);
        QString link = QStringLiteral("/keywords?site=%1").arg(s);
        if (start != 1)
            link += QStringLiteral("&amp;page=%1").arg(start);
        html += QStringLiteral("<tr><td>%1</td><td>Active</td><td><a href=\"%2\">Manage keywords</a></td></tr>\r\n")
                    .arg(m_webSites[s - 1].toHtmlEscaped(), link);
    }
    // A site under review has no keywords to manage yet.
    html += QStringLiteral("<tr><td>www.pending.example</td><td>Under review</td><td></td></tr>\r\n");
    html += QStringLiteral("</table>\r\n</body></html>\r\n");
    return html;
}

QString FakeFindWhatSite::keywordPage(int site, int page) const {
    const QList<int> rows = rowsOf(site, page);
    const int pages = pageCount(site);
    QString html;
    html.reserve(3000 + int(rows.size()) * 900);
    html += QStringLiteral("<html><body><h2>Keywords of ") + m_webSites.value(site - 1).toHtmlEscaped() +
            QStringLiteral("</h2>\r\n<div class=\"perpage\">Keywords per page:");
    for (int c : m_choices)
        html += QStringLiteral(" <a href=\"/keywords?site=%1&amp;perpage=%2\">[%2]</a>").arg(site).arg(c);
    html += QStringLiteral("</div>\r\n<table class=\"pages\"><tr><td>Pages:</td><td>");
    for (int p = 1; p <= pages; ++p) {
        if (p == page)
            html += QStringLiteral(" <b>%1</b>").arg(p);
        else
            html += QStringLiteral(" <a href=\"/keywords?site=%1&amp;page=%2\">%2</a>").arg(site).arg(p);
    }
    if (page < pages)
        html += QStringLiteral(" <a href=\"/keywords?site=%1&amp;page=%2\">Next &gt;</a>").arg(site).arg(page + 1);
    html += QStringLiteral(
                "</td></tr></table>\r\n"
                "<form name=\"keywords\" method=\"post\" action=\"keywords/update\">\r\n"
                "<input type=\"hidden\" name=\"siteId\" value=\"%1\">\r\n"
                "<table class=\"keywords\">\r\n"
                "<tr><th>Keyword</th><th>Bid</th><th>Position</th><th>Top 5 bids</th></tr>\r\n")
                .arg(site);
    for (int index : rows) {
        const Keyword &k = m_keywords[index];
        html += QStringLiteral("<tr class=\"kw\"><td><input type=\"hidden\" name=\"kw_%1\" value=\"%1\"><input "
                               "type=\"hidden\" name=\"kwtext_%1\" value=\"%2\">%2</td>\r\n<td>$<input type=\"text\" "
                               "name=\"bid_%1\" value=\"%3\" size=\"6\"><input type=\"hidden\" name=\"old_%1\" "
                               "value=\"%3\"></td>\r\n<td><select name=\"pos_%1\">")
                    .arg(QString::number(k.id), k.text.toHtmlEscaped(), plainAmount(k.bidCents));
        for (int p = 1; p <= kPositions; ++p)
            html += QStringLiteral("<option value=\"%1\"%2>%1</option>")
                        .arg(p)
                        .arg(p == k.position ? QStringLiteral(" selected") : QString());
        html += QStringLiteral("</select></td>\r\n<td><table class=\"top\"><tr>");
        for (qint64 top : k.topCents)
            html += QStringLiteral("<td>") + money(top) + QStringLiteral("</td>");
        html += QStringLiteral("</tr></table></td></tr><!--/kw-->\r\n");
    }
    html += QStringLiteral(
        "</table><!--/keywords-->\r\n"
        "<p>Add keywords:</p>\r\n<table class=\"addkw\">\r\n<tr><th>Keyword</th><th>Bid</th></tr>\r\n");
    for (int i = 1; i <= m_additionalRows; ++i)
        html += QStringLiteral(
                    "<tr><td><input type=\"text\" name=\"add_kw_%1\" value=\"\"></td>"
                    "<td><input type=\"text\" name=\"add_bid_%1\" value=\"\"></td></tr>\r\n")
                    .arg(i);
    html += QStringLiteral(
                "</table>\r\n<!-- last fields --><input type=\"hidden\" name=\"termCount\" value=\"%1\">\r\n"
                "<input type=\"submit\" value=\"Save changes\">\r\n</form>\r\n</body></html>\r\n")
                .arg(rows.size());
    return html;
}

// ---- handlers ----------------------------------------------------------------------------

HttpResponse FakeFindWhatSite::onLogin(const HttpRequest &request) {
    const QByteArray sid = logIn(request, QStringLiteral("fw"));
    if (sid.isEmpty())
        return answer(loginPage(QStringLiteral("The user ID or password you entered is incorrect.")), request.path);
    return answer(homePage(), request.path).setCookie(sessionCookie(), sid);
}

HttpResponse FakeFindWhatSite::onKeywords(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    const int site = queryInt(request, "site");
    if (site < 1 || site > m_webSites.size())
        return HttpResponse::error(404);
    const int perPage = queryInt(request, "perpage");
    int page = queryInt(request, "page");
    if (perPage > 0) {
        m_perPage = perPage;
        page = 1;
    } else if (page < 1) {
        page = m_startPage.value(site, 1);
    }
    page = qBound(1, page, pageCount(site));
    m_sessions[sessionOf(request)] = Shown{site, page};
    QString html = keywordPage(site, page);
    if (m_pageFilter)
        html = m_pageFilter(request, html);
    return answer(html, request.path);
}

HttpResponse FakeFindWhatSite::onUpdate(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    ++m_updates;
    const Shown shown = m_sessions.value(sessionOf(request));
    const FormPairs form = parseForm(request.body);
    const QList<int> rows = rowsOf(shown.site, shown.page);
    // The form must be the one of the page shown: its web site, its rows,
    // its additional rows.
    if (shown.site == 0 || formValue(form, QStringLiteral("siteId")) != QString::number(shown.site) ||
        formValue(form, QStringLiteral("termCount")) != QString::number(rows.size()) ||
        fieldCount(form, QStringLiteral("add_kw_")) != m_additionalRows ||
        fieldCount(form, QStringLiteral("bid_")) != rows.size()) {
        m_refused.append(QStringLiteral("form of another page"));
        return answer(QString::fromLatin1(kNotAccepted), request.path);
    }
    if (shown.site == m_unackSite && shown.page == m_unackPage)
        return answer(QString::fromLatin1(kNotAccepted), request.path);
    QList<QPair<int, qint64>> changes;
    bool refusedAny = false;
    for (const auto &p : form) {
        if (!p.first.startsWith(QLatin1String("bid_")))
            continue;
        const int index = p.first.mid(4).toInt() - kFirstId;
        if (index < 0 || index >= m_keywords.size())
            continue;
        qint64 cents = 0;
        if (!rows.contains(index) || !parseCents(p.second, &cents)) {
            m_refused.append(m_keywords[index].text);
            refusedAny = true;
            continue;
        }
        changes.append({index, cents});
    }
    if (refusedAny)
        return answer(QString::fromLatin1(kNotAccepted), request.path);
    for (const auto &c : changes)
        m_keywords[c.first].bidCents = c.second;
    return answer(QString::fromLatin1(kAcknowledged), request.path);
}

}  // namespace fake
