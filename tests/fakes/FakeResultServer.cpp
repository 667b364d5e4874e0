#include "fakes/FakeResultServer.h"

#include "core/Globals.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QUrl>

namespace fake {

const char *const FakeResultServer::kResultStart = "<div id=results>";
const char *const FakeResultServer::kResultEnd = "<div id=footer>";
const char *const FakeResultServer::kBeginTitle = "<h3>";
const char *const FakeResultServer::kEndTitle = "</h3>";
const char *const FakeResultServer::kBeginURL = "<cite>";
const char *const FakeResultServer::kEndURL = "</cite>";
const char *const FakeResultServer::kBeginPrice = "<span class=bid>";
const char *const FakeResultServer::kEndPrice = "</span>";
const char *const FakeResultServer::kPostTemplate = "q=[KEYWORD]&src=bm";

namespace {
const char kSearchPath[] = "/search";

// A form or query value: "+" and "%XX" decoded, bytes read as Windows-1252.
QString decodeValue(QByteArray value, bool plusIsBlank) {
    if (plusIsBlank)
        value.replace('+', ' ');
    return platform::FromAnsi(QByteArray::fromPercentEncoding(value));
}

QString fieldOf(const QByteArray &pairs, const QByteArray &name, bool plusIsBlank) {
    for (const QByteArray &pair : pairs.split('&')) {
        const int eq = int(pair.indexOf('='));
        if (eq > 0 && pair.left(eq) == name)
            return decodeValue(pair.mid(eq + 1), plusIsBlank);
    }
    return QString();
}
}  // namespace

FakeResultServer::FakeResultServer() {
    m_http.on("*", QString::fromLatin1(kSearchPath), [this](const HttpRequest &r) { return answer(r); });
}

void FakeResultServer::writeEngineData(const QList<Engine> &engines, const QString &decodeEngine) const {
    QByteArray text = "[OvertureEngines]\r\n";
    for (int i = 0; i < engines.size(); ++i)
        text += QByteArray::number(i + 1) + '=' + platform::ToAnsi(engines[i].name) + "\r\n";
    if (!decodeEngine.isEmpty())
        text += "DecodeURLEngine=" + platform::ToAnsi(decodeEngine) + "\r\n";
    for (const Engine &e : engines) {
        text += "\r\n[" + platform::ToAnsi(e.name) + "]\r\n";
        text += "EngineURL=" + m_http.baseUrl().toLatin1() + "\r\n";
        text += "LoginURL=" + m_http.url(QStringLiteral("/login")).toLatin1() + "\r\n";
        if (e.post) {
            text += QByteArray("QueryKeyword1=") + kSearchPath + "\r\nQueryKeyword2=\r\nPostString=" + kPostTemplate +
                    "\r\nSubmitMethod=POST\r\n";
        } else {
            text += QByteArray("QueryKeyword1=") + kSearchPath + "?q=\r\nQueryKeyword2=&n=20\r\nSubmitMethod=GET\r\n";
        }
        text += QByteArray("ResultStartString=") + kResultStart + "\r\nResultEndString=" + kResultEnd +
                "\r\nbeginTitle=" + kBeginTitle + "\r\nendTitle=" + kEndTitle + "\r\nbeginURL=" + kBeginURL +
                "\r\nendURL=" + kEndURL + "\r\nbeginPrice=" + kBeginPrice + "\r\nendPrice=" + kEndPrice + "\r\n";
    }
    testenv::writeFile(g_sEngineDataFile, text);
}

void FakeResultServer::setListings(const QString &term, const QList<FakeListing> &listings) {
    m_answers.remove(term);
    m_listings.insert(term, listings);
}

void FakeResultServer::setAnswer(const QString &term, const HttpResponse &answer) { m_answers.insert(term, answer); }

QString FakeResultServer::Page(const QList<FakeListing> &listings) {
    QString html = QStringLiteral("<html><head><title>Search</title></head><body>\n<div id=top>Sponsored results</div>\n");
    html += QLatin1String(kResultStart) + QLatin1Char('\n');
    for (const FakeListing &l : listings) {
        html += QStringLiteral("<div class=listing>") + QLatin1String(kBeginTitle) + l.title + QLatin1String(kEndTitle) +
                QLatin1String(kBeginURL) + l.url + QLatin1String(kEndURL);
        if (!l.price.isNull())
            html += QLatin1String(kBeginPrice) + l.price + QLatin1String(kEndPrice);
        html += QStringLiteral("</div>\n");
    }
    html += QLatin1String(kResultEnd) + QStringLiteral("About</div></body></html>\n");
    return html;
}

QString FakeResultServer::termOf(const HttpRequest &request) {
    if (request.method == "POST")
        return fieldOf(request.body, "q", false);
    return fieldOf(request.query, "q", true);
}

HttpResponse FakeResultServer::answer(const HttpRequest &request) const {
    const QString term = termOf(request);
    const auto special = m_answers.constFind(term);
    if (special != m_answers.constEnd())
        return special.value();
    return HttpResponse::page(Page(m_listings.value(term)));
}

QStringList FakeResultServer::terms() const {
    QStringList out;
    for (const HttpRequest &r : m_http.requests())
        out.append(termOf(r));
    return out;
}

}  // namespace fake
