#pragma once
// A fake search engine's public result pages on the fake HTTP server: one
// page of listings per search term, cut by the markers this fake writes into
// the engine data file. Every request is recorded by the HTTP server.

#include "fakes/FakeTermServer.h"

#include <QHash>
#include <QList>
#include <QString>

namespace fake {

struct FakeListing {
    QString url;
    QString title;
    QString price;  // a null text leaves the listing without a price
};

class FakeResultServer : public FakeTermServer {
public:
    // The markers of the pages (as the engine data file names them).
    static constexpr const char *kResultStart = "<div id=results>";
    static constexpr const char *kResultEnd = "<div id=footer>";
    static constexpr const char *kBeginTitle = "<h3>";
    static constexpr const char *kEndTitle = "</h3>";
    static constexpr const char *kBeginURL = "<cite>";
    static constexpr const char *kEndURL = "</cite>";
    static constexpr const char *kBeginPrice = "<span class=bid>";
    static constexpr const char *kEndPrice = "</span>";
    // The post body template of a POST engine.
    static constexpr const char *kPostTemplate = "q=[KEYWORD]&src=bm";

    struct Engine {
        QString name;
        bool post = false;
    };

    FakeResultServer();

    // Writes the engine data file with one section per engine, each
    // searching this server; decodeEngine names the engine whose listing
    // URLs are percent-encoded ("" for none).
    void writeEngineData(const QList<Engine> &engines, const QString &decodeEngine = QString()) const;

    // The page for a search term (as the engine receives it, blanks
    // included); terms without listings get a page with an empty results section.
    void setListings(const QString &term, const QList<FakeListing> &listings);
    // The page of results as the engine sends it.
    static QString Page(const QList<FakeListing> &listings);

protected:
    QString termOf(const HttpRequest &request) const override;
    QString pageFor(const QString &term) const override;

private:
    QHash<QString, QList<FakeListing>> m_listings;
};

}  // namespace fake
