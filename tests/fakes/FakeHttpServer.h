#pragma once
// A small scripted HTTP/1.1 server on 127.0.0.1 (port chosen by the system)
// running in the test's own thread, plain or over TLS. Tests script answers
// per method and path, and read back every request in arrival order and the
// connection it came on. It also accepts absolute-form requests, so it can
// stand in as an HTTP proxy. Connections are kept alive unless an answer or
// the request says otherwise.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>

class QTcpServer;
class QTcpSocket;

namespace fake {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

struct HttpRequest {
    QByteArray method;        // as sent ("GET", "POST")
    QByteArray target;        // request target as sent (absolute form through a proxy)
    QString path;             // path part of the target, without the query
    QByteArray query;         // text after "?", raw ("" when none)
    HeaderList headers;       // in the order sent
    QByteArray body;
    bool absoluteForm = false;  // the target named scheme and host (a proxy request)
    int connection = 0;         // which connection it came on: 1 for the server's first, and so on

    // First header of that name, letter case ignored ("" when missing).
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
    // A cookie of the Cookie header ("" when missing).
    QByteArray cookie(const QByteArray &name) const;
    // Path and query as in a URL ("/a/b?x=1").
    QString pathAndQuery() const;
};

struct HttpResponse {
    int status = 200;
    HeaderList headers;
    QByteArray body;
    int delayMs = 0;          // wait this long before answering
    bool drop = false;        // close the connection instead of answering
    int cutAfter = -1;        // close after this many body bytes (the head names the full length)
    bool closing = false;     // "Connection: close", and the connection closes after the answer

    // A page whose text is sent as Windows-1252 bytes.
    static HttpResponse page(const QString &html, int status = 200);
    static HttpResponse bytes(const QByteArray &body, int status = 200);
    static HttpResponse empty(int status = 200);  // no body at all
    static HttpResponse error(int status, const QString &html = QString());
    static HttpResponse redirect(const QString &location, int status = 302);
    static HttpResponse dropped();
    // The head and the first `sentBytes` of the body, then the connection closes.
    static HttpResponse truncated(const QByteArray &body, int sentBytes);

    HttpResponse &delayed(int milliseconds);
    HttpResponse &closingConnection();
    HttpResponse &withHeader(const QByteArray &name, const QByteArray &value);
    HttpResponse &setCookie(const QByteArray &name, const QByteArray &value,
                            const QByteArray &attributes = "Path=/");
};

class FakeHttpServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    enum class Transport { Plain, Tls };  // Tls: with LocalTlsIdentity()

    // Listens at once on 127.0.0.1.
    explicit FakeHttpServer(QObject *parent = nullptr);
    explicit FakeHttpServer(Transport transport, QObject *parent = nullptr);
    ~FakeHttpServer() override;

    bool isListening() const;
    quint16 port() const;
    QString baseUrl() const;                         // "http://127.0.0.1:<port>" (https over TLS)
    QString url(const QString &pathAndQuery) const;  // baseUrl() + pathAndQuery
    QString proxy() const;                           // "127.0.0.1:<port>"

    // Scripts the answers for a method ("GET", "POST", or "*" for any) and a
    // path. The path matches the request's path exactly; a path holding "?"
    // matches path and query. Answers go out in order, the last one repeats.
    // A later script for the same method and path replaces the earlier one.
    void on(const QByteArray &method, const QString &path, const QList<HttpResponse> &answers);
    void on(const QByteArray &method, const QString &path, const HttpResponse &answer);
    void on(const QByteArray &method, const QString &path, Handler handler);
    // Answer for requests no script matches (default: 404).
    void setFallback(Handler handler);

    // Every request must carry "Proxy-Authorization: Basic <user:password>";
    // others get 407 with a Basic challenge.
    void requireProxyAuthorization(const QByteArray &user, const QByteArray &password);
    // Requests of that path without the cookie (name=value) get 403.
    void requireCookie(const QString &path, const QByteArray &name, const QByteArray &value);

    // Every request received, in arrival order.
    const QList<HttpRequest> &requests() const { return m_requests; }
    int requestCount() const { return int(m_requests.size()); }
    QList<HttpRequest> requestsTo(const QString &path) const;
    void clearRequests() { m_requests.clear(); }
    // Serves events until `count` requests have arrived in all; false after `timeoutMs`.
    bool waitForRequests(int count, int timeoutMs = 5000);

    // Connections accepted so far, and those still open.
    int connectionCount() const { return m_connectionsAccepted; }
    int openConnectionCount() const { return int(m_connections.size()); }
    // Closes every open connection that is not answering a request, as a
    // server does with kept-alive connections it no longer wants.
    void closeIdleConnections();

Q_SIGNALS:
    void requestReceived(int index);  // index into requests()

private:
    struct Route {
        QByteArray method;
        QString path;
        QList<HttpResponse> answers;
        Handler handler;
        int served = 0;
    };
    struct Connection {
        QByteArray buffer;
        bool answering = false;
        int serial = 0;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    bool parseOne(QTcpSocket *socket);
    HttpResponse answerFor(const HttpRequest &request);
    void writeResponse(QTcpSocket *socket, const HttpRequest &request, const HttpResponse &response);

    QTcpServer *m_server = nullptr;
    bool m_bTls = false;
    QList<Route> m_routes;
    Handler m_fallback;
    QByteArray m_proxyAuthorization;
    QList<QPair<QString, QByteArray>> m_requiredCookies;  // path, "name=value"
    QList<HttpRequest> m_requests;
    QHash<QTcpSocket *, Connection> m_connections;
    int m_connectionsAccepted = 0;
};

}  // namespace fake
