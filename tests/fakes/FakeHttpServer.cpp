#include "fakes/FakeHttpServer.h"

#include "fakes/LocalTlsIdentity.h"
#include "platform/TextFile.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace fake {

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool sameName(const QByteArray &a, const QByteArray &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

// ---- HttpRequest ----------------------------------------------------------------

QByteArray HttpRequest::header(const QByteArray &name) const {
    for (const auto &h : headers)
        if (sameName(h.first, name))
            return h.second;
    return QByteArray();
}

bool HttpRequest::hasHeader(const QByteArray &name) const {
    return std::any_of(headers.begin(), headers.end(), [&](const auto &h) { return sameName(h.first, name); });
}

QByteArray HttpRequest::cookie(const QByteArray &name) const {
    for (const auto &h : headers) {
        if (!sameName(h.first, "Cookie"))
            continue;
        for (const QByteArray &part : h.second.split(';')) {
            const QByteArray item = part.trimmed();
            const int eq = int(item.indexOf('='));
            if (eq > 0 && item.left(eq) == name)
                return item.mid(eq + 1);
        }
    }
    return QByteArray();
}

QString HttpRequest::pathAndQuery() const {
    return query.isEmpty() && !target.contains('?') ? path : path + QLatin1Char('?') + QString::fromLatin1(query);
}

// ---- HttpResponse ---------------------------------------------------------------

namespace {
HttpResponse answerOf(int status, const QByteArray &body = QByteArray()) {
    HttpResponse r;
    r.status = status;
    r.body = body;
    return r;
}
}  // namespace

HttpResponse HttpResponse::page(const QString &html, int status) {
    return answerOf(status, platform::ToAnsi(html)).withHeader("Content-Type", "text/html; charset=windows-1252");
}
HttpResponse HttpResponse::bytes(const QByteArray &body, int status) { return answerOf(status, body); }
HttpResponse HttpResponse::empty(int status) { return answerOf(status); }
HttpResponse HttpResponse::error(int status, const QString &html) { return page(html, status); }
HttpResponse HttpResponse::redirect(const QString &location, int status) {
    return answerOf(status).withHeader("Location", location.toUtf8());
}
HttpResponse HttpResponse::dropped() {
    HttpResponse r;
    r.drop = true;
    return r;
}
HttpResponse HttpResponse::truncated(const QByteArray &body, int sentBytes) {
    HttpResponse r = answerOf(200, body);
    r.cutAfter = sentBytes;
    return r;
}

HttpResponse &HttpResponse::delayed(int milliseconds) {
    delayMs = milliseconds;
    return *this;
}

HttpResponse &HttpResponse::closingConnection() {
    closing = true;
    return *this;
}

HttpResponse &HttpResponse::withHeader(const QByteArray &name, const QByteArray &value) {
    headers.append(qMakePair(name, value));
    return *this;
}

HttpResponse &HttpResponse::setCookie(const QByteArray &name, const QByteArray &value,
                                      const QByteArray &attributes) {
    QByteArray v = name + '=' + value;
    if (!attributes.isEmpty())
        v += "; " + attributes;
    headers.append(qMakePair(QByteArray("Set-Cookie"), v));
    return *this;
}

// ---- FakeHttpServer ---------------------------------------------------------------

FakeHttpServer::FakeHttpServer(QObject *parent) : FakeHttpServer(Transport::Plain, parent) {}

FakeHttpServer::FakeHttpServer(Transport transport, QObject *parent)
    : QObject(parent), m_bTls(transport == Transport::Tls) {
    if (m_bTls) {
        auto *tls = new QSslServer(this);
        const TlsIdentity &identity = LocalTlsIdentity();
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(identity.certificatePem, QSsl::Pem));
        config.setPrivateKey(QSslKey(identity.keyPem, QSsl::Ec, QSsl::Pem));
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls->setSslConfiguration(config);
        m_server = tls;
    } else {
        m_server = new QTcpServer(this);
    }
    // A TLS connection is handed over once its handshake is done.
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &FakeHttpServer::onNewConnection);
    m_server->listen(QHostAddress::LocalHost, 0);
}

FakeHttpServer::~FakeHttpServer() {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it)
        it.key()->disconnect(this);
}

bool FakeHttpServer::isListening() const { return m_server->isListening(); }
quint16 FakeHttpServer::port() const { return m_server->serverPort(); }
QString FakeHttpServer::baseUrl() const {
    return (m_bTls ? QStringLiteral("https://127.0.0.1:%1") : QStringLiteral("http://127.0.0.1:%1")).arg(port());
}
QString FakeHttpServer::url(const QString &pathAndQuery) const { return baseUrl() + pathAndQuery; }
QString FakeHttpServer::proxy() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

void FakeHttpServer::on(const QByteArray &method, const QString &path, const QList<HttpResponse> &answers) {
    for (int i = int(m_routes.size()) - 1; i >= 0; --i)
        if (m_routes[i].method == method && m_routes[i].path == path)
            m_routes.removeAt(i);
    Route r;
    r.method = method;
    r.path = path;
    r.answers = answers;
    m_routes.append(r);
}

void FakeHttpServer::on(const QByteArray &method, const QString &path, const HttpResponse &answer) {
    on(method, path, QList<HttpResponse>{answer});
}

void FakeHttpServer::on(const QByteArray &method, const QString &path, Handler handler) {
    on(method, path, QList<HttpResponse>{});
    m_routes.last().handler = std::move(handler);
}

void FakeHttpServer::setFallback(Handler handler) { m_fallback = std::move(handler); }

void FakeHttpServer::requireProxyAuthorization(const QByteArray &user, const QByteArray &password) {
    m_proxyAuthorization = "Basic " + (user + ':' + password).toBase64();
}

void FakeHttpServer::requireCookie(const QString &path, const QByteArray &name, const QByteArray &value) {
    m_requiredCookies.append({path, name + '=' + value});
}

QList<HttpRequest> FakeHttpServer::requestsTo(const QString &path) const {
    QList<HttpRequest> out;
    for (const auto &r : m_requests)
        if (r.path == path)
            out.append(r);
    return out;
}

bool FakeHttpServer::waitForRequests(int count, int timeoutMs) {
    return QTest::qWaitFor([&] { return requestCount() >= count; }, timeoutMs);
}

void FakeHttpServer::closeIdleConnections() {
    const QList<QTcpSocket *> sockets = m_connections.keys();
    for (QTcpSocket *socket : sockets) {
        const auto it = m_connections.constFind(socket);
        if (it != m_connections.cend() && !it->answering && it->buffer.isEmpty()) {
            m_connections.remove(socket);
            socket->disconnectFromHost();
        }
    }
}

void FakeHttpServer::onNewConnection() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        Connection connection;
        connection.serial = ++m_connectionsAccepted;
        m_connections.insert(socket, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_connections.remove(socket);
            socket->deleteLater();
        });
    }
}

void FakeHttpServer::onReadyRead(QTcpSocket *socket) {
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    it->buffer += socket->readAll();
    while (parseOne(socket)) {
    }
}

// Parses and answers one complete request from the connection's buffer;
// false when none is complete yet or an answer is still pending.
bool FakeHttpServer::parseOne(QTcpSocket *socket) {
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || it->answering)
        return false;
    QByteArray &buffer = it->buffer;
    const int headEnd = int(buffer.indexOf("\r\n\r\n"));
    if (headEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    HttpRequest req;
    req.connection = it->serial;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    req.method = first.value(0);
    req.target = first.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const int colon = int(line.indexOf(':'));
        if (colon > 0)
            req.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const int length = req.header("Content-Length").toInt();
    if (buffer.size() < headEnd + 4 + length)
        return false;
    req.body = buffer.mid(headEnd + 4, length);
    buffer.remove(0, headEnd + 4 + length);

    QByteArray target = req.target;
    if (target.startsWith("http://") || target.startsWith("https://")) {
        req.absoluteForm = true;
        const int slash = int(target.indexOf('/', target.indexOf("//") + 2));
        target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    const int q = int(target.indexOf('?'));
    req.path = QString::fromLatin1(q < 0 ? target : target.left(q));
    req.query = q < 0 ? QByteArray() : target.mid(q + 1);

    m_requests.append(req);
    Q_EMIT requestReceived(int(m_requests.size()) - 1);

    const HttpResponse response = answerFor(req);
    if (response.delayMs > 0) {
        it->answering = true;
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(response.delayMs, this, [this, guard, req, response] {
            if (!guard || guard->state() != QAbstractSocket::ConnectedState)
                return;
            auto it2 = m_connections.find(guard.data());
            if (it2 == m_connections.end())
                return;
            it2->answering = false;
            writeResponse(guard.data(), req, response);
            while (parseOne(guard.data())) {
            }
        });
        return false;
    }
    writeResponse(socket, req, response);
    return m_connections.contains(socket);
}

HttpResponse FakeHttpServer::answerFor(const HttpRequest &req) {
    if (!m_proxyAuthorization.isEmpty() && req.header("Proxy-Authorization") != m_proxyAuthorization)
        return HttpResponse::empty(407).withHeader("Proxy-Authenticate", "Basic realm=\"fake\"");
    for (const auto &rc : m_requiredCookies) {
        if (rc.first != req.path)
            continue;
        const int eq = int(rc.second.indexOf('='));
        if (req.cookie(rc.second.left(eq)) != rc.second.mid(eq + 1))
            return HttpResponse::error(403, QStringLiteral("<html>Forbidden</html>"));
    }
    const QString withQuery = req.pathAndQuery();
    for (Route &route : m_routes) {
        if (route.method != "*" && route.method != req.method)
            continue;
        if (route.path != (route.path.contains(QLatin1Char('?')) ? withQuery : req.path))
            continue;
        if (route.handler)
            return route.handler(req);
        if (route.answers.isEmpty())
            break;
        const int index = qMin(route.served, int(route.answers.size()) - 1);
        ++route.served;
        return route.answers[index];
    }
    if (m_fallback)
        return m_fallback(req);
    return HttpResponse::error(404, QStringLiteral("<html>Not Found</html>"));
}

void FakeHttpServer::writeResponse(QTcpSocket *socket, const HttpRequest &req, const HttpResponse &response) {
    if (response.drop) {
        m_connections.remove(socket);
        socket->disconnectFromHost();
        return;
    }
    const bool close = response.closing || sameName(req.header("Connection"), "close") ||
                       sameName(req.header("Proxy-Connection"), "close");
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    for (const auto &h : response.headers)
        out += h.first + ": " + h.second + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    out += "\r\n";
    const bool cut = response.cutAfter >= 0 && response.cutAfter < response.body.size();
    out += cut ? response.body.left(response.cutAfter) : response.body;
    socket->write(out);
    if (close || cut) {
        m_connections.remove(socket);
        socket->disconnectFromHost();
    }
}

}  // namespace fake
