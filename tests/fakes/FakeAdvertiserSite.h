#pragma once
// What the fake advertiser sites share: the HTTP server on 127.0.0.1 that
// records every request, the account's login with a session cookie, a hook
// run before each answer, delays per path, and form bodies and amounts read
// the way the sites read them.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

#include "fakes/FakeHttpServer.h"

namespace fake {

class FakeAdvertiserSite : public QObject {
    Q_OBJECT
public:
    FakeHttpServer &server() { return m_server; }
    QString loginURL() const { return m_server.url(QStringLiteral("/login")); }

    void setCredentials(const QString &user, const QString &password);
    // Answers on that path wait this long (0 = none).
    void setDelay(const QString &path, int ms) { m_delays[path] = ms; }
    // Runs before the answer to each request (a test can change the site or
    // cancel a run there).
    void setOnRequest(std::function<void(const HttpRequest &)> hook) { m_onRequest = std::move(hook); }
    // Every session ends: the next page asks for the login again.
    void expireSessions() { m_sessions.clear(); }

    int loginCount() const { return m_logins; }
    // Why updates were refused (keywords, or what was wrong with the form).
    const QStringList &refused() const { return m_refused; }
    // Every request as "METHOD /path?query" and, when it had one, " " and its body.
    QStringList requestLines() const;

protected:
    using FormPairs = QList<QPair<QString, QString>>;
    using EngineKeys = QList<QPair<const char *, QString>>;
    // The page a session shows (a site without pages leaves it at 0).
    struct Shown {
        int site = 0;
        int page = 0;
    };

    FakeAdvertiserSite(const char *sessionCookie, QObject *parent);

    // A form body as the browser sent it: "+" stays "+", %XX are bytes.
    static FormPairs parseForm(const QByteArray &body);
    static QString formValue(const FormPairs &pairs, const QString &name);
    // How many fields' names start with the prefix.
    static int fieldCount(const FormPairs &pairs, const QString &prefix);
    // "0.25" or "1,234.50" to cents; false when not an amount.
    static bool parseCents(QString text, qint64 *cents);
    static QString plainAmount(qint64 cents);
    // An amount as a page shows it; below 0 "N/A".
    static QString money(qint64 cents, bool pound = false);
    // Appends "[engine]" and the keys (null values left out) to an engine
    // data file, created when missing.
    static void appendEngineSection(const QString &file, const QString &engine, const EngineKeys &keys);

    void route(const QByteArray &method, const QString &path, std::function<HttpResponse(const HttpRequest &)> handler);
    // The page as an answer, delayed as set for its path.
    HttpResponse answer(const QString &html, const QString &path) const;
    // The login post: with the right user, password and form source a new
    // session, whose id is returned ("" when refused).
    QByteArray logIn(const HttpRequest &request, const QString &source);
    const QByteArray &sessionCookie() const { return m_cookie; }
    bool signedIn(const HttpRequest &request) const { return m_sessions.contains(sessionOf(request)); }
    QByteArray sessionOf(const HttpRequest &request) const { return request.cookie(m_cookie); }

    FakeHttpServer m_server;
    QHash<QByteArray, Shown> m_sessions;
    QStringList m_refused;

private:
    QByteArray m_cookie;
    QString m_user = QStringLiteral("joe");
    QString m_password = QStringLiteral("secret");
    QHash<QString, int> m_delays;
    std::function<void(const HttpRequest &)> m_onRequest;
    int m_logins = 0;
};

}  // namespace fake
