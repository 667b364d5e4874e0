#include "fakes/FakeResultServer.h"

#include "core/Globals.h"
#include "fakes/EngineDataText.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QUrl>

namespace fake {

namespace {
const char kSearchPath[] = "/search";
}  // namespace

FakeResultServer::FakeResultServer() : FakeTermServer("*", QString::fromLatin1(kSearchPath)) {}

void FakeResultServer::writeEngineData(const QList<Engine> &engines, const QString &decodeEngine) const {
    QStringList names;
    for (const Engine &e : engines)
        names.append(e.name);
    QByteArray text = NumberedSection("OvertureEngines", names);
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
    dropAnswer(term);
    m_listings.insert(term, listings);
}

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

QString FakeResultServer::termOf(const HttpRequest &request) const {
    if (request.method == "POST")
        return FieldOf(request.body, "q", false);
    return FieldOf(request.query, "q", true);
}

QString FakeResultServer::pageFor(const QString &term) const { return Page(m_listings.value(term)); }

}  // namespace fake
