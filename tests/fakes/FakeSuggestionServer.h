#pragma once
// A fake engine's keyword suggestion pages on the fake HTTP server: one page
// of suggestions (count, then keyword) per root term, cut by the markers
// this fake writes into the engine data file. Every request is recorded by
// the HTTP server.

#include "fakes/FakeTermServer.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace fake {

struct FakeSuggestion {
    QString count;
    QString keyword;  // page text of the keyword cell, tags and entities allowed
};

class FakeSuggestionServer : public FakeTermServer {
public:
    // The markers of the pages (as the engine data file names them).
    static constexpr const char *kSuggestStart = "<table id=suggestions>";
    static constexpr const char *kSuggestEnd = "</table>";
    static constexpr const char *kSectionStart = "<tr class=row>";
    static constexpr const char *kSectionEnd = "</tr>";
    static constexpr const char *kBeginCount = "<td class=count>";
    static constexpr const char *kEndCount = "</td>";
    static constexpr const char *kBeginKeyword = "<td class=term>";
    static constexpr const char *kEndKeyword = "</td>";
    static constexpr const char *kPath = "/suggest";

    FakeSuggestionServer();

    // Writes the engine data file: `engines` as the loaded engines, each
    // asking this server for suggestions, and `suggestionEngines` as the
    // suggestion tool's list (a name not among `engines` has no definition).
    void writeEngineData(const QStringList &engines, const QStringList &suggestionEngines) const;
    // The address parts around the root of an engine's requests.
    QString querySuggest1(const QString &engine) const;
    static QString querySuggest2();

    // The page for a root term (as the engine receives it, decoded).
    void setSuggestions(const QString &term, const QList<FakeSuggestion> &suggestions);
    // The suggestion page as the engine sends it; terms without
    // suggestions get a page with an empty table.
    static QString Page(const QList<FakeSuggestion> &suggestions);

protected:
    QString termOf(const HttpRequest &request) const override;
    QString pageFor(const QString &term) const override;

private:
    QHash<QString, QList<FakeSuggestion>> m_suggestions;
};

}  // namespace fake
