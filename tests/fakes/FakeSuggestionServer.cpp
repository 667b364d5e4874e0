#include "fakes/FakeSuggestionServer.h"

#include "core/Globals.h"
#include "fakes/EngineDataText.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QUrl>

namespace fake {

namespace {
const char kTermField[] = "term";
}  // namespace

FakeSuggestionServer::FakeSuggestionServer() : FakeTermServer("GET", QString::fromLatin1(kPath)) {}

QString FakeSuggestionServer::querySuggest1(const QString &engine) const {
    return m_http.url(QString::fromLatin1(kPath) + QStringLiteral("?engine=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(engine)) + QStringLiteral("&term="));
}

QString FakeSuggestionServer::querySuggest2() { return QStringLiteral("&mkt=us"); }

void FakeSuggestionServer::writeEngineData(const QStringList &engines, const QStringList &suggestionEngines) const {
    QByteArray text =
        NumberedSection("OvertureEngines", engines) + "\r\n" + NumberedSection("KeywordBuilder", suggestionEngines);
    for (const QString &e : engines) {
        text += "\r\n[" + platform::ToAnsi(e) + "]\r\n";
        text += "EngineURL=" + m_http.baseUrl().toLatin1() + "\r\n";
        text += "QuerySuggest1=" + platform::ToAnsi(querySuggest1(e)) + "\r\n";
        text += "QuerySuggest2=" + platform::ToAnsi(querySuggest2()) + "\r\n";
        text += QByteArray("SuggestStartString=") + kSuggestStart + "\r\nSuggestEndString=" + kSuggestEnd +
                "\r\nSuggestSectionStart=" + kSectionStart + "\r\nSuggestSectionEnd=" + kSectionEnd +
                "\r\nbeginCountSection=" + kBeginCount + "\r\nendCountSection=" + kEndCount +
                "\r\nbegineKeywordSection=" + kBeginKeyword + "\r\nendKeywordSection=" + kEndKeyword + "\r\n";
    }
    testenv::writeFile(g_sEngineDataFile, text);
}

void FakeSuggestionServer::setSuggestions(const QString &term, const QList<FakeSuggestion> &suggestions) {
    dropAnswer(term);
    m_suggestions.insert(term, suggestions);
}

QString FakeSuggestionServer::Page(const QList<FakeSuggestion> &suggestions) {
    // A row of the same form outside the table: only the table is read.
    QString html = QStringLiteral(
        "<html><head><title>Keyword suggestions</title></head><body>\n"
        "<table id=popular><tr class=row><td class=count>99999</td><td class=term>popular</td></tr></table>\n");
    html += QLatin1String(kSuggestStart) + QStringLiteral("\n<tr><th>Count</th><th>Search term</th></tr>\n");
    for (const FakeSuggestion &s : suggestions)
        html += QLatin1String(kSectionStart) + QLatin1String(kBeginCount) + s.count + QLatin1String(kEndCount) +
                QLatin1String(kBeginKeyword) + QStringLiteral("<a href=\"/go\">") + s.keyword +
                QStringLiteral("</a>") + QLatin1String(kEndKeyword) + QLatin1String(kSectionEnd) +
                QLatin1Char('\n');
    html += QLatin1String(kSuggestEnd) + QStringLiteral("\n<div id=footer>About</div></body></html>\n");
    return html;
}

QString FakeSuggestionServer::termOf(const HttpRequest &request) const {
    return FieldOf(request.query, kTermField, true);
}

QString FakeSuggestionServer::pageFor(const QString &term) const { return Page(m_suggestions.value(term)); }

}  // namespace fake
