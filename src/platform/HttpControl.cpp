#include "platform/HttpControl.h"

#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace platform {

namespace {

quint64 g_answeredRequests = 0;

const char *const kFormContentType = "application/x-www-form-urlencoded";

struct ErrorInfo {
    int number;
    QString description;
};

ErrorInfo mapNetworkError(QNetworkReply::NetworkError error, const QString &qtText) {
    switch (error) {
    case QNetworkReply::OperationCanceledError:
        return {HttpControl::errCancelled, QStringLiteral("The operation was cancelled")};
    case QNetworkReply::TimeoutError:
        return {HttpControl::errTimedOut, QStringLiteral("The operation timed out")};
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ConnectionRefusedError:
        return {HttpControl::errServerDown, qtText};
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return {HttpControl::errCannotConnectProxy, qtText};
    case QNetworkReply::SslHandshakeFailedError:
        return {HttpControl::errSecureChannel, qtText};
    case QNetworkReply::ProtocolUnknownError:
        return {HttpControl::errUnrecognizedScheme, qtText};
    default:
        return {HttpControl::errConnectionAborted, qtText};
    }
}

// Failures of the connection itself (refused, closed, timed out, redirects
// gone wrong), as against an answer whose status is an error.
bool isTransportError(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::NoError && error <= QNetworkReply::UnknownNetworkError;
}

}  // namespace

// ---- HttpHeaders ------------------------------------------------------------

void HttpHeaders::Add(const QString &name, const QString &value) { m_items.append({name, value}); }

void HttpHeaders::Remove(const QString &name) {
    for (int i = int(m_items.size()) - 1; i >= 0; --i)
        if (m_items[i].first.compare(name, Qt::CaseInsensitive) == 0)
            m_items.removeAt(i);
}

void HttpHeaders::Clear() { m_items.clear(); }

QString HttpHeaders::Value(const QString &name) const {
    for (const auto &item : m_items)
        if (item.first.compare(name, Qt::CaseInsensitive) == 0)
            return item.second;
    return QString();
}

// ---- HttpControl -----------------------------------------------------------

HttpControl::HttpControl(QObject *parent) : QObject(parent), m_nam(new QNetworkAccessManager(this)) {
    m_nam->setCookieJar(new QNetworkCookieJar(m_nam));
    m_nam->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpControl::onTimeout);
    connect(m_nam, &QNetworkAccessManager::finished, this, &HttpControl::onFinished);
}

HttpControl::~HttpControl() {
    m_timer.stop();
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        m_nam->disconnect(this);
        reply->abort();
    }
    if (m_loop)
        m_loop->quit();
}

void HttpControl::setTimeout(int milliseconds) {
    if (milliseconds < 0)
        vb::Raise(errInvalidPropertyValue, QStringLiteral("Invalid property value"));
    m_iTimeout = milliseconds;
}

void HttpControl::setProxy(const QString &hostAndPort) {
    const QString text = hostAndPort.trimmed();
    if (text.isEmpty()) {
        m_sProxy.clear();
        m_sProxyHost.clear();
        m_proxyPort = 0;
        return;
    }
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    bool ok = false;
    const int port = colon > 0 ? text.mid(colon + 1).toInt(&ok) : 0;
    const QString host = colon > 0 ? text.left(colon).trimmed() : QString();
    if (!ok || port < 1 || port > 65535 || host.isEmpty())
        vb::Raise(errInvalidPropertyValue, QStringLiteral("Invalid property value"));
    m_sProxy = hostAndPort;
    m_sProxyHost = host;
    m_proxyPort = quint16(port);
}

void HttpControl::applyProxy() {
    if (m_sProxyHost.isEmpty()) {
        m_nam->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return;
    }
    QNetworkProxy proxy(QNetworkProxy::HttpProxy, m_sProxyHost, m_proxyPort);
    if (!m_sProxyUser.isEmpty() || !m_sProxyPassword.isEmpty()) {
        proxy.setUser(m_sProxyUser);
        proxy.setPassword(m_sProxyPassword);
    }
    m_nam->setProxy(proxy);
}

QString HttpControl::Get(const HttpHeaders *headers) { return send("GET", QByteArray(), headers); }

QString HttpControl::Post(const QString &body, const HttpHeaders *headers) {
    return send("POST", ToAnsi(body), headers);
}

QString HttpControl::send(const QByteArray &method, const QByteArray &body, const HttpHeaders *headers) {
    if (m_reply)
        vb::Raise(errBusy, QStringLiteral("A request is already in progress"));
    const QUrl url(m_sURL.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        vb::Raise(errInvalidURL, QStringLiteral("The URL is invalid"));
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        vb::Raise(errUnrecognizedScheme, QStringLiteral("The URL does not use a recognized protocol"));
    if (url.host().isEmpty())
        vb::Raise(errInvalidURL, QStringLiteral("The URL is invalid"));

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         m_bCache ? QNetworkRequest::PreferCache : QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, m_bCache);
    bool hasContentType = false;
    if (headers) {
        for (const auto &h : headers->Items()) {
            if (h.first.compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) == 0)
                hasContentType = true;
            // A request names each header once: repeated ones go as one list.
            const QByteArray name = ToAnsi(h.first);
            const QByteArray value = ToAnsi(h.second);
            request.setRawHeader(name, request.hasRawHeader(name) ? request.rawHeader(name) + ", " + value : value);
        }
    }
    if (method == "POST" && !hasContentType)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(kFormContentType));

    applyProxy();
    m_iStatusCode = 0;
    m_sResult.clear();
    m_resultBytes.clear();
    m_iErrorNumber = 0;
    m_sErrorDescription.clear();
    m_bAborted = false;
    m_bTimedOut = false;

    QNetworkReply *reply = method == "POST" ? m_nam->post(request, body) : m_nam->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply && m_iState != stateReceiving)
            setState(stateReceiving);
    });
    if (m_iTimeout > 0)
        m_timer.start(m_iTimeout);
    setState(stateRequesting);

    if (!m_bSynchronous)
        return QString();

    // Wait here until the answer is complete; events keep being served.
    QPointer<HttpControl> self(this);
    if (m_reply == reply) {
        QEventLoop loop;
        QEventLoop *outer = m_loop;
        m_loop = &loop;
        loop.exec();
        if (!self)
            vb::Raise(errCancelled, QStringLiteral("The operation was cancelled"));
        m_loop = outer;
    }
    if (m_iErrorNumber != 0)
        vb::Raise(m_iErrorNumber, m_sErrorDescription);
    return m_sResult;
}

void HttpControl::Abort() {
    if (!m_reply)
        return;
    m_bAborted = true;
    m_reply->abort();
}

void HttpControl::onTimeout() {
    if (!m_reply)
        return;
    m_bTimedOut = true;
    m_reply->abort();
}

void HttpControl::onFinished(QNetworkReply *reply) {
    if (reply != m_reply) {
        reply->deleteLater();
        return;
    }
    m_timer.stop();
    m_reply = nullptr;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    m_iStatusCode = status.isValid() ? status.toInt() : 0;
    const QUrl finalUrl = reply->url();
    if (finalUrl.isValid() && !finalUrl.isEmpty())
        m_sURL = finalUrl.toString(QUrl::FullyEncoded);

    if (m_bTimedOut) {
        m_iErrorNumber = errTimedOut;
        m_sErrorDescription = QStringLiteral("The operation timed out");
    } else if (m_bAborted) {
        m_iErrorNumber = errCancelled;
        m_sErrorDescription = QStringLiteral("The operation was cancelled");
    } else if (reply->error() != QNetworkReply::NoError &&
               (m_iStatusCode == 0 || isTransportError(reply->error()))) {
        // No answer, or one whose body broke off: a part of a page is no page.
        const ErrorInfo info = mapNetworkError(reply->error(), reply->errorString());
        m_iErrorNumber = info.number;
        m_sErrorDescription = info.description;
    } else {
        // An answer, whatever its status: the body is the caller's to judge.
        m_resultBytes = reply->readAll();
        m_sResult = FromAnsi(m_resultBytes);
        ++g_answeredRequests;
    }
    reply->deleteLater();
    if (m_loop)
        m_loop->quit();
    setState(stateIdle);
}

quint64 HttpControl::AnsweredRequests() { return g_answeredRequests; }

void HttpControl::setState(int state) {
    if (m_iState == state)
        return;
    m_iState = state;
    Q_EMIT stateChanged(state);
}

}  // namespace platform
