#include "fakes/FakeSuggestionServer.h"

#include "core/Globals.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QUrl>

namespace fake {

const char *const FakeSuggestionServer::kSuggestStart = "<table id=suggestions>";
const char *const FakeSuggestionServer::kSuggestEnd = "</table>";
const char *const FakeSuggestionServer::kSectionStart = "<tr class=row>";
const char *const FakeSuggestionServer::kSectionEnd = "</tr>";
const char *const FakeSuggestionServer::kBeginCount = "<td class=count>";
const char *const FakeSuggestionServer::kEndCount = "</td>";
const char *const FakeSuggestionServer::kBeginKeyword = "<td class=term>";
const char *const FakeSuggestionServer::kEndKeyword = "</td>";
const char *const FakeSuggestionServer::kPath = "/suggest";

namespace {
const char kTermField[] = "term";
}  // namespace

FakeSuggestionServer::FakeSuggestionServer() {
    m_http.on("GET", QString::fromLatin1(kPath), [this](const HttpRequest &r) { return answer(r); });
}

QString FakeSuggestionServer::querySuggest1(const QString &engine) const {
    return m_http.url(QString::fromLatin1(kPath) + QStringLiteral("?engine=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(engine)) + QStringLiteral("&term="));
}

QString FakeSuggestionServer::querySuggest2() { return QStringLiteral("&mkt=us"); }

void FakeSuggestionServer::writeEngineData(const QStringList &engines, const QStringList &suggestionEngines) const {
    QByteArray text = "[OvertureEngines]\r\n";
    for (int i = 0; i < engines.size(); ++i)
        text += QByteArray::number(i + 1) + '=' + platform::ToAnsi(engines[i]) + "\r\n";
    text += "\r\n[KeywordBuilder]\r\n";
    for (int i = 0; i < suggestionEngines.size(); ++i)
        text += QByteArray::number(i + 1) + '=' + platform::ToAnsi(suggestionEngines[i]) + "\r\n";
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
    m_answers.remove(term);
    m_suggestions.insert(term, suggestions);
}

void FakeSuggestionServer::setAnswer(const QString &term, const HttpResponse &answer) {
    m_answers.insert(term, answer);
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

QString FakeSuggestionServer::termOf(const HttpRequest &request) {
    for (const QByteArray &pair : request.query.split('&')) {
        const int eq = int(pair.indexOf('='));
        if (eq > 0 && pair.left(eq) == kTermField) {
            QByteArray value = pair.mid(eq + 1);
            value.replace('+', ' ');
            return platform::FromAnsi(QByteArray::fromPercentEncoding(value));
        }
    }
    return QString();
}

HttpResponse FakeSuggestionServer::answer(const HttpRequest &request) const {
    const QString term = termOf(request);
    const auto special = m_answers.constFind(term);
    if (special != m_answers.constEnd())
        return special.value();
    return HttpResponse::page(Page(m_suggestions.value(term)));
}

QStringList FakeSuggestionServer::terms() const {
    QStringList out;
    for (const HttpRequest &r : m_http.requests())
        out.append(termOf(r));
    return out;
}

}  // namespace fake
