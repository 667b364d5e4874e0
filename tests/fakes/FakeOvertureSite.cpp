#include "fakes/FakeOvertureSite.h"


namespace fake {

namespace {

constexpr int kFirstId = 101;  // row ids follow the keywords' order
const char *const kUpdateHandler = "-10:submit:/go2/directraffic/handler/ChangeBidsFormHandler.submit";

}  // namespace

FakeOvertureSite::FakeOvertureSite(QObject *parent) : FakeAdvertiserSite("SID", parent) {
    route("GET", QStringLiteral("/login"), [this](const HttpRequest &r) {
        if (m_unavailable)
            return answer(QStringLiteral("<html><body><h1>The system temporarily unavailable</h1>"
                                         "<p>Please try again later.</p></body></html>\r\n"),
                          r.path);
        return answer(loginPage(), r.path);
    });
    route("POST", QStringLiteral("/login/submit"), [this](const HttpRequest &r) { return onLogin(r); });
    route("POST", QStringLiteral("/account/select"), [this](const HttpRequest &r) { return onSelectAccount(r); });
    route("GET", QStringLiteral("/bids/manage"), [this](const HttpRequest &r) { return onManage(r); });
    route("POST", QStringLiteral("/bids/displaymax"), [this](const HttpRequest &r) { return onDisplayMax(r); });
    route("POST", QStringLiteral("/bids/page"), [this](const HttpRequest &r) { return onPage(r); });
    route("POST", QStringLiteral("/bids/update"), [this](const HttpRequest &r) { return onUpdate(r); });
}


void FakeOvertureSite::writeEngineData(const QString &file, const QString &engine,
                                       const QString &displayMaxNum) const {
    const EngineKeys keys = {
        {"LoginURL", loginURL()}, {"LoginFormStart", "<form name=\"login\""}, {"LoginFormEnd", "</form>"},
        {"ActionStart", "action="}, {"ActionEnd", ">"}, {"FieldStart", "<input"}, {"FieldEnd", ">"},
        {"NameStart", "name="}, {"ValueStart", "value="}, {"LoginPasswordField", "password"},
        {"LoginUserNameField", "username"}, {"ImgMapSectionStart", "<area"}, {"ImgMapSectionEnd", ">"},
        {"AltStart", "alt=\""}, {"AltEnd", "\""}, {"MngBids", "Manage Bids"}, {"MngBidsURLStart", "href="},
        {"MbFormStart", "<form name=\"bidForm\""}, {"MbFormEnd", "</form>"}, {"RowStart", "<tr"}, {"RowEnd", "</tr>"},
        {"ColumStart", "<td"}, {"ColumEnd", "</td>"}, {"DisplayMaxStart", "<div id=\"displayMax\">"},
        {"DisplayMaxFormStart", "<form"}, {"DisplayMaxFormEnd", "</form>"}, {"DisplayMaxInputName", "displayMax"},
        {"DisplayMaxNum", displayMaxNum}, {"SelectPageStart", "<div id=\"pager\">"}, {"SelectPageformstart", "<form"},
        {"SelectPageformEnd", "</form>"}, {"SelectTagstart", "<select"}, {"SelectTagend", "</select>"},
        {"OptionTagStart", "<option"}, {"OptionTagEnd", "</option>"}, {"SelectTagFieldName", "selectedPage"},
        {"AccountIDFieldName", "accountId"}, {"AccountFormStart", "<form"}, {"AccountStart", "<div id=\"accounts\">"},
        {"AccountFormEnd", "</form>"},
    };
    appendEngineSection(file, engine, keys);
}

void FakeOvertureSite::setMergedAccounts(const QStringList &ids, const QString &selectedId) {
    m_accountIds = ids;
    m_activeAccount = selectedId;
}

void FakeOvertureSite::addKeyword(const QString &text, qint64 bidCents, const QString &position, qint64 topCents) {
    Keyword k;
    k.id = int(m_keywords.size()) + kFirstId;
    k.text = text;
    k.bidCents = bidCents;
    k.position = position;
    k.topCents = topCents;
    m_keywords.append(k);
}

void FakeOvertureSite::addKeywords(int count) {
    for (int i = 1; i <= count; ++i)
        addKeyword(QStringLiteral("keyword %1").arg(i), 10 + (i * 7) % 90, QString::number(1 + i % 9),
                   25 + (i * 13) % 200);
}

int FakeOvertureSite::pageCount() const {
    const int n = int(m_keywords.size());
    return qMax(1, (n + m_perPage - 1) / m_perPage);
}

QString FakeOvertureSite::bidOf(const QString &keyword) const {
    for (const Keyword &k : m_keywords)
        if (k.text == keyword)
            return plainAmount(k.bidCents);
    return QString();
}

// ---- pages -------------------------------------------------------------------------------

HttpResponse FakeOvertureSite::answer(const QString &html, const QString &path) {
    HttpResponse r = FakeAdvertiserSite::answer(html, path);
    int &empty = m_emptyAnswers[path];
    if (empty > 0) {
        --empty;
        r.body.clear();
    }
    return r;
}

QString FakeOvertureSite::loginPage(const QString &message) const {
    QString html = QStringLiteral(
        "<html><head><title>Advertiser Login</title></head><body>\r\n"
        "<form name=\"search\" action=\"/search\"><input name=\"q\" value=\"\"></form>\r\n");
    if (!message.isEmpty())
        html += QStringLiteral("<p class=\"error\">") + message + QStringLiteral("</p>\r\n");
    html += QStringLiteral(
        "<form name=\"login\" method=\"post\" action=\"/login/submit\">\r\n"
        "<input type=\"hidden\" name=\"src\" value=\"home\">\r\n"
        "<input type=\"text\" name=\"username\" value=\"\">\r\n"
        "<input type=\"password\" name=\"password\" value=\"\">\r\n"
        "<input type=\"submit\" value=\"Login\">\r\n"
        "</form></body></html>\r\n");
    return html;
}

QString FakeOvertureSite::homePage() const {
    QString html = QStringLiteral("<html><body><h1>Welcome</h1>\r\n");
    if (!m_accountIds.isEmpty()) {
        html += QStringLiteral(
            "<div id=\"accounts\"><form name=\"acct\" method=\"post\" action=\"/account/select\">\r\n"
            "<select name=\"accountSel\">\r\n");
        for (const QString &id : m_accountIds)
            html += QStringLiteral("<option value=\"%1\"%2>Account %1</option>\r\n")
                        .arg(id, id == m_activeAccount ? QStringLiteral(" selected") : QString());
        html += QStringLiteral(
            "</select>\r\n<input type=\"hidden\" name=\"_D:accountId\" value=\" \">\r\n"
            "<input type=\"submit\" value=\"Go\"></form></div>\r\n");
    }
    html += QStringLiteral(
        "<map name=\"nav\">\r\n"
        "<area shape=\"rect\" coords=\"0,0,80,20\" alt=\"Home\" href=\"/home\">\r\n"
        "<area shape=\"rect\" coords=\"80,0,160,20\" alt=\"Manage Bids Help\" href=\"/help/bids\">\r\n"
        "<area shape=\"rect\" coords=\"160,0,240,20\" alt=\"Manage Bids\" "
        "href=\"/bids/manage?src=nav&amp;view=all\">\r\n"
        "</map></body></html>\r\n");
    return html;
}

QString FakeOvertureSite::bidPage(int page) const {
    QString html;
    html.reserve(2000 + m_perPage * 420);
    html += QStringLiteral(
                "<html><body><h2>Manage Bids</h2>\r\n"
                "<div id=\"displayMax\"><form name=\"display\" method=\"post\" action=\"/bids/displaymax\">"
                "Show <input type=\"text\" name=\"displayMax\" value=\"%1\" size=\"3\">"
                "<input type=\"hidden\" name=\"_D:displayMax\" value=\" \">"
                "<input type=\"submit\" value=\"Go\"></form></div>\r\n"
                "<form name=\"bidForm\" method=\"post\" action=\"/bids/update\">\r\n"
                "<input type=\"hidden\" name=\"_dyncharset\" value=\"ISO-8859-1\">\r\n"
                "<table class=\"bids\">\r\n"
                "<tr><th>#</th><th>Keyword</th><th>Bid</th><th>Position</th><th>Top bid</th><th>Details</th>"
                "<th>New bid</th></tr>\r\n"
                "<tr><td> </td><td colspan=\"6\"><input type=\"hidden\" name=\"_D:bids\" value=\" \"></td></tr>\r\n")
                .arg(m_perPage);
    const int first = (page - 1) * m_perPage;
    const int last = qMin(int(m_keywords.size()), first + m_perPage);
    for (int i = first; i < last; ++i) {
        const Keyword &k = m_keywords[i];
        html += QStringLiteral("<tr class=\"row\"><td>%1</td><td><input type=\"hidden\" name=\"kw_%2\" value=\"%2\">%3"
                               "</td><td>%4</td><td>%5</td><td>%6</td><td><a href=\"/bids/detail?id=%2\">Details</a>"
                               "</td><td><input type=\"text\" name=\"bid_%2\" value=\"%7\" size=\"6\"></td></tr>\r\n")
                    .arg(QString::number(i + 1), QString::number(k.id), k.text.toHtmlEscaped(),
                         money(k.bidCents, m_pound), k.position, money(k.topCents, m_pound), plainAmount(k.bidCents));
    }
    html += QStringLiteral(
        "</table>\r\n<input type=\"submit\" value=\"Update Bids\">\r\n</form>\r\n"
        "<div id=\"pager\"><form name=\"pages\" method=\"post\" action=\"/bids/page\">Page "
        "<select name=\"selectedPage\">");
    for (int p = 1; p <= pageCount(); ++p)
        html += QStringLiteral("<option value=\"%1\"%2>%1</option>")
                    .arg(p)
                    .arg(p == page ? QStringLiteral(" selected") : QString());
    html += QStringLiteral(
        "</select><input type=\"hidden\" name=\"_D:selectedPage\" value=\" \">"
        "<input type=\"submit\" value=\"Go\"></form></div>\r\n</body></html>\r\n");
    return html;
}

// ---- handlers ----------------------------------------------------------------------------

HttpResponse FakeOvertureSite::onLogin(const HttpRequest &request) {
    const QByteArray sid = logIn(request, QStringLiteral("home"));
    if (sid.isEmpty())
        return answer(loginPage(QStringLiteral("Login failed. Please check your user name and password.")),
                      request.path);
    return answer(homePage(), request.path).setCookie(sessionCookie(), sid);
}

HttpResponse FakeOvertureSite::onSelectAccount(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    const QString id = formValue(parseForm(request.body), QStringLiteral("accountId"));
    if (m_accountIds.contains(id))
        m_activeAccount = id;
    return answer(homePage(), request.path);
}

HttpResponse FakeOvertureSite::onManage(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    m_currentPage = qBound(1, m_currentPage, pageCount());
    return answer(bidPage(m_currentPage), request.path);
}

HttpResponse FakeOvertureSite::onDisplayMax(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    const int n = formValue(parseForm(request.body), QStringLiteral("displayMax")).toInt();
    if (n > 0 && !m_ignoreDisplayMax)
        m_perPage = n;
    m_currentPage = qBound(1, m_currentPage, pageCount());
    return answer(bidPage(m_currentPage), request.path);
}

HttpResponse FakeOvertureSite::onPage(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    const int n = formValue(parseForm(request.body), QStringLiteral("selectedPage")).toInt();
    if (n >= 1 && n <= pageCount())
        m_currentPage = n;
    return answer(bidPage(m_currentPage), request.path);
}

HttpResponse FakeOvertureSite::onUpdate(const HttpRequest &request) {
    if (!signedIn(request))
        return answer(loginPage(), request.path);
    const FormPairs form = parseForm(request.body);
    const bool handler = formValue(form, QStringLiteral("updating")) == QLatin1String("true") &&
                         formValue(form, QStringLiteral("submittype")) == QLatin1String("all") &&
                         formValue(form, QStringLiteral("submit")) == QLatin1String("Update+Bids") &&
                         formValue(form, QStringLiteral("_D:submit")) == QLatin1String("+") &&
                         formValue(form, QStringLiteral("_PN:submit")) == QLatin1String(kUpdateHandler) &&
                         fieldCount(form, QStringLiteral("_dyncharset")) > 0;
    const QString failed = QStringLiteral("<html><body><h2>Your bids could not be updated.</h2></body></html>\r\n");
    if (!handler)
        return answer(failed, request.path);
    const int first = (m_currentPage - 1) * m_perPage;
    const int last = qMin(int(m_keywords.size()), first + m_perPage);
    QList<QPair<int, qint64>> changes;
    bool refusedAny = false;
    for (const auto &p : form) {
        if (!p.first.startsWith(QLatin1String("bid_")))
            continue;
        const int index = p.first.mid(4).toInt() - kFirstId;
        qint64 cents = 0;
        if (index < 0 || index >= m_keywords.size())
            continue;
        if (index < first || index >= last || !parseCents(p.second, &cents)) {
            m_refused.append(m_keywords[index].text);
            refusedAny = true;
            continue;
        }
        changes.append({index, cents});
    }
    if (refusedAny)
        return answer(failed, request.path);
    for (const auto &c : changes)
        m_keywords[c.first].bidCents = c.second;
    return answer(bidPage(m_currentPage), request.path);
}

}  // namespace fake
