#pragma once
// A fake Overture advertiser site on FakeHttpServer (127.0.0.1 only): a
// login form with a session cookie, a refused password, an optional
// "temporarily unavailable" login page, merged accounts with their select
// form, an image map with the manage-bids link, a keywords-per-page form,
// bid pages with a page-select form, and a bid update that changes the
// stored bids of the rows of the page being shown (rows of another page
// are refused).

#include "fakes/FakeAdvertiserSite.h"

namespace fake {

class FakeOvertureSite : public FakeAdvertiserSite {
    Q_OBJECT
public:
    struct Keyword {
        int id = 0;
        QString text;         // as the user typed it (the page escapes it)
        qint64 bidCents = 0;
        QString position;     // as the page shows it
        qint64 topCents = -1;  // the position-1 bid; below 0 the page shows "N/A"
    };

    explicit FakeOvertureSite(QObject *parent = nullptr);

    // Appends the engine's section with this site's markers to an engine
    // data file (created when missing).
    void writeEngineData(const QString &file, const QString &engine,
                         const QString &displayMaxNum = QStringLiteral("40")) const;

    // ---- the account ----
    // A merged login lists these Account IDs; selectedId is marked selected.
    void setMergedAccounts(const QStringList &ids, const QString &selectedId);
    void addKeyword(const QString &text, qint64 bidCents, const QString &position, qint64 topCents);
    // "keyword 1" .. "keyword n" with varied bids and positions.
    void addKeywords(int count);
    void setPerPage(int perPage) { m_perPage = perPage; }
    // The site keeps its page size whatever the keywords-per-page post says.
    void setIgnoreDisplayMax(bool on) { m_ignoreDisplayMax = on; }
    void setCurrentPage(int page) { m_currentPage = page; }
    // Amounts shown with "&pound;" (the UK site).
    void setPound(bool on) { m_pound = on; }
    void setUnavailable(bool on) { m_unavailable = on; }
    // The next `count` answers on that path come back without a body.
    void setEmptyAnswers(const QString &path, int count) { m_emptyAnswers[path] = count; }

    // ---- what happened ----
    int currentPage() const { return m_currentPage; }
    int pageCount() const;
    QString activeAccount() const { return m_activeAccount; }
    // The stored bid as "0.25" ("" for an unknown keyword).
    QString bidOf(const QString &keyword) const;

    // The rendered pages (also for benchmarks that need the bytes).
    QString loginPage(const QString &message = QString()) const;
    QString homePage() const;
    QString bidPage(int page) const;

private:
    HttpResponse answer(const QString &html, const QString &path);
    HttpResponse onLogin(const HttpRequest &request);
    HttpResponse onSelectAccount(const HttpRequest &request);
    HttpResponse onManage(const HttpRequest &request);
    HttpResponse onDisplayMax(const HttpRequest &request);
    HttpResponse onPage(const HttpRequest &request);
    HttpResponse onUpdate(const HttpRequest &request);

    QStringList m_accountIds;
    QString m_activeAccount;
    QList<Keyword> m_keywords;
    int m_perPage = 40;
    bool m_ignoreDisplayMax = false;
    int m_currentPage = 1;
    bool m_pound = false;
    bool m_unavailable = false;
    QHash<QString, int> m_emptyAnswers;
};

}  // namespace fake
