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
    static const char *const kResultStart;
    static const char *const kResultEnd;
    static const char *const kBeginTitle;
    static const char *const kEndTitle;
    static const char *const kBeginURL;
    static const char *const kEndURL;
    static const char *const kBeginPrice;
    static const char *const kEndPrice;
    // The post body template of a POST engine.
    static const char *const kPostTemplate;

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
