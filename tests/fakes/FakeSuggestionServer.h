#pragma once
// A fake engine's keyword suggestion pages on the fake HTTP server: one page
// of suggestions (count, then keyword) per seed term, cut by the markers
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
    static const char *const kSuggestStart;
    static const char *const kSuggestEnd;
    static const char *const kSectionStart;
    static const char *const kSectionEnd;
    static const char *const kBeginCount;
    static const char *const kEndCount;
    static const char *const kBeginKeyword;
    static const char *const kEndKeyword;
    static const char *const kPath;  // "/suggest"

    FakeSuggestionServer();

    // Writes the engine data file: `engines` as the loaded engines, each
    // asking this server for suggestions, and `suggestionEngines` as the
    // suggestion tool's list (a name not among `engines` has no definition).
    void writeEngineData(const QStringList &engines, const QStringList &suggestionEngines) const;
    // The address parts around the seed of an engine's requests.
    QString querySuggest1(const QString &engine) const;
    static QString querySuggest2();

    // The page for a seed term (as the engine receives it, decoded).
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
