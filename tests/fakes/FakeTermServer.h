#pragma once
// What the fake result and suggestion servers share: one path on the fake
// HTTP server that answers one page per search term, a canned answer where a
// test set one for the term, and the terms received. Every request is
// recorded by the HTTP server.

#include "fakes/FakeHttpServer.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace fake {

class FakeTermServer {
public:
    virtual ~FakeTermServer() = default;
    FakeTermServer(const FakeTermServer &) = delete;
    FakeTermServer &operator=(const FakeTermServer &) = delete;

    FakeHttpServer &http() { return m_http; }

    // Any other answer for a term (errors, empty answers, delays, pages
    // without results).
    void setAnswer(const QString &term, const HttpResponse &answer);
    // The search terms received, decoded, in arrival order.
    QStringList terms() const;

protected:
    // Serves `path` for `method` ("*" for any).
    FakeTermServer(const QByteArray &method, const QString &path);

    // The search term of a request.
    virtual QString termOf(const HttpRequest &request) const = 0;
    // The page for a term without a canned answer.
    virtual QString pageFor(const QString &term) const = 0;

    // A term's page takes the place of its canned answer.
    void dropAnswer(const QString &term) { m_answers.remove(term); }
    // The value of a field of "name=value&..." pairs ("" when missing):
    // "%XX" (and, with plusIsBlank, "+") decoded, bytes read as Windows-1252.
    static QString FieldOf(const QByteArray &pairs, const QByteArray &name, bool plusIsBlank);

    FakeHttpServer m_http;

private:
    HttpResponse answer(const HttpRequest &request) const;

    QHash<QString, HttpResponse> m_answers;
};

}  // namespace fake
