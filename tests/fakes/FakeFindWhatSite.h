#pragma once
// A fake FindWhat advertiser site on FakeHttpServer (127.0.0.1 only): a
// login form with a session cookie, a refused login, an Account Manager
// tab, a table of web sites, keyword pages with keywords-per-page links,
// page links, keyword rows with a position list and a top-5 table, an
// additional keyword table and a trailing term count, and an update that
// acknowledges and changes the stored bids of the page being shown (a form
// that is not that page's is refused). An ended session answers every page
// with the login page.

#include "fakes/FakeAdvertiserSite.h"

namespace fake {

class FakeFindWhatSite : public FakeAdvertiserSite {
    Q_OBJECT
public:
    struct Keyword {
        int id = 0;
        int site = 0;
        QString text;             // as the user typed it (the page escapes it)
        qint64 bidCents = 0;
        int position = 0;         // 0: no position marked in the list
        QList<qint64> topCents;   // positions 1 to 5; below 0 the page shows "N/A"
    };

    explicit FakeFindWhatSite(QObject *parent = nullptr);

    // Appends the engine's section with this site's markers to an engine
    // data file (created when missing). A null displayMaxNum leaves the key out.
    void writeEngineData(const QString &file, const QString &engine = QStringLiteral("FindWhat"),
                         const QString &displayMaxNum = QStringLiteral("2")) const;

    // ---- the account ----
    // A web site of the account; its number (1, 2, ...).
    int addWebSite(const QString &name);
    void addKeyword(int site, const QString &text, qint64 bidCents, int position, const QList<qint64> &topCents);
    // "<prefix> 1" .. "<prefix> n" with varied bids, positions and top bids.
    void addKeywords(int site, int count, const QString &prefix = QStringLiteral("keyword"));
    // Rows per page until a keywords-per-page link is followed (default 25).
    void setPerPage(int perPage) { m_perPage = perPage; }
    // The choices the keywords-per-page section links (default 2, 25, 50, 100).
    void setPerPageChoices(const QList<int> &choices) { m_choices = choices; }
    // The web-site table links this page of the web site instead of its start.
    void setStartPage(int site, int page) { m_startPage[site] = page; }
    // Rows of the additional keyword table on every page (default 5).
    void setAdditionalRows(int rows) { m_additionalRows = rows; }
    // The update of this page of this web site is not acknowledged.
    void setUnacknowledgedPage(int site, int page) { m_unackSite = site; m_unackPage = page; }
    // Replaces the page of a keyword page request (a test can break pages).
    void setPageFilter(std::function<QString(const HttpRequest &, const QString &)> filter) {
        m_pageFilter = std::move(filter);
    }

    // ---- what happened ----
    int pageCount(int site) const;
    // The stored bid as "0.25" of a keyword of a web site (0: the first found).
    QString bidOf(const QString &keyword, int site = 0) const;
    int updateCount() const { return m_updates; }

    // The rendered pages (also for benchmarks that need the bytes).
    QString loginPage(const QString &message = QString()) const;
    QString homePage() const;
    QString managerPage() const;
    QString keywordPage(int site, int page) const;
    // The path and query that shows a page of a web site.
    static QString pagePath(int site, int page);

private:
    QList<int> rowsOf(int site, int page) const;
    HttpResponse onLogin(const HttpRequest &request);
    HttpResponse onKeywords(const HttpRequest &request);
    HttpResponse onUpdate(const HttpRequest &request);

    QStringList m_webSites;
    QList<Keyword> m_keywords;
    int m_perPage = 25;
    QList<int> m_choices = {2, 25, 50, 100};
    QHash<int, int> m_startPage;
    int m_additionalRows = 5;
    int m_unackSite = 0;
    int m_unackPage = 0;
    std::function<QString(const HttpRequest &, const QString &)> m_pageFilter;
    int m_updates = 0;
};

}  // namespace fake
