#include "platform/HttpControl.h"

#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <climits>

namespace platform {

namespace {

quint64 g_answeredRequests = 0;
QByteArray g_trustedForTests;

const char *const kUserAgent = "Mozilla/5.0";
constexpr long kMaxRedirects = 50;

QString cancelledText() { return QStringLiteral("The operation was cancelled"); }
QString timedOutText() { return QStringLiteral("The operation timed out"); }

void initCurlOnce() {
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(done);
}

struct ErrorInfo {
    int number;
    QString description;
};

ErrorInfo mapCurlError(CURLcode code, bool throughProxy, const QString &text) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
        return {HttpControl::errCannotConnectProxy, text};
    case CURLE_COULDNT_CONNECT:
        // Through a proxy the only connection made is the one to the proxy.
        return {throughProxy ? HttpControl::errCannotConnectProxy : HttpControl::errServerDown, text};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {HttpControl::errServerDown, text};
    case CURLE_OPERATION_TIMEDOUT:
        return {HttpControl::errTimedOut, text};
    case CURLE_ABORTED_BY_CALLBACK:
        return {HttpControl::errCancelled, text};
    case CURLE_URL_MALFORMAT:
        return {HttpControl::errInvalidURL, text};
    case CURLE_UNSUPPORTED_PROTOCOL:
        return {HttpControl::errUnrecognizedScheme, text};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
        return {HttpControl::errSecureChannel, text};
    default:
        // No answer, a body cut short, too many redirects: no page at all.
        return {HttpControl::errConnectionAborted, text};
    }
}

// The request headers as curl takes them: repeated names (letter case
// ignored) go as one comma-separated list, in the order first named.
curl_slist *headerList(const HttpHeaders *headers) {
    QList<QPair<QByteArray, QByteArray>> joined;
    if (headers) {
        for (const auto &h : headers->Items()) {
            const QByteArray name = ToAnsi(h.first);
            const QByteArray value = ToAnsi(h.second);
            auto same = std::find_if(joined.begin(), joined.end(), [&](const auto &j) {
                return j.first.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (same != joined.end())
                same->second += ", " + value;
            else
                joined.append({name, value});
        }
    }
    curl_slist *list = nullptr;
    bool expectNamed = false;
    for (const auto &j : joined) {
        expectNamed = expectNamed || j.first.compare("Expect", Qt::CaseInsensitive) == 0;
        // "Name;" is how curl sends a header with an empty value ("Name:" would remove it).
        const QByteArray line = j.second.isEmpty() ? j.first + ';' : j.first + ": " + j.second;
        list = curl_slist_append(list, line.constData());
    }
    // The body goes at once, without waiting for a "100 Continue".
    if (!expectNamed)
        list = curl_slist_append(list, "Expect:");
    return list;
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

// ---- the libcurl side ----------------------------------------------------------
//
// curl's callbacks only record what happened (bytes, "the answer started",
// which sockets to watch, when to call back); everything that may run the
// program's code (signals, removing the transfer) happens after
// curl_multi_socket_action has returned.

struct HttpControl::Curl {
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    // A multi handle with its connections, and the sockets and call-back
    // time it asks for. GETs run in one that keeps connections open for
    // the next GET. POSTs run in one that never holds an open connection,
    // as each closes after its answer: nothing a POST leads to, its
    // redirects included, can meet a connection used before.
    struct Pool {
        Curl *curl = nullptr;
        int index = 0;
        CURLM *multi = nullptr;
        QTimer timer;
        QHash<curl_socket_t, Watch> sockets;
    };
    enum { keptAlive = 0, ownConnections = 1, poolCount = 2 };

    explicit Curl(HttpControl *control) : owner(control) {
        initCurlOnce();
        share = curl_share_init();
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        // The transfers are freed after each request; the sessions stay.
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        for (int i = 0; i < poolCount; ++i) {
            Pool &pool = pools[i];
            pool.curl = this;
            pool.index = i;
            pool.multi = curl_multi_init();
            curl_multi_setopt(pool.multi, CURLMOPT_SOCKETFUNCTION, &Curl::onSocket);
            curl_multi_setopt(pool.multi, CURLMOPT_SOCKETDATA, &pool);
            curl_multi_setopt(pool.multi, CURLMOPT_TIMERFUNCTION, &Curl::onTimer);
            curl_multi_setopt(pool.multi, CURLMOPT_TIMERDATA, &pool);
            pool.timer.setSingleShot(true);
        }
    }

    ~Curl() {
        dropTransfer();
        for (Pool &pool : pools) {
            curl_multi_cleanup(pool.multi);
            for (auto it = pool.sockets.begin(); it != pool.sockets.end(); ++it)
                retire(it.value());
            pool.sockets.clear();
        }
        curl_share_cleanup(share);
    }

    // Takes the transfer out of its multi handle and frees it.
    void dropTransfer() {
        if (easy) {
            curl_multi_remove_handle(running->multi, easy);
            curl_easy_cleanup(easy);
            easy = nullptr;
        }
        curl_slist_free_all(headers);
        headers = nullptr;
    }

    // A notifier may be the one being served right now: it goes later.
    static void retire(Watch &watch) {
        for (QSocketNotifier *n : {watch.read, watch.write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
        watch = Watch();
    }

    QSocketNotifier *notifier(int pool, curl_socket_t socket, QSocketNotifier::Type type, int direction) {
        auto *n = new QSocketNotifier(qintptr(socket), type);
        HttpControl *control = owner;
        QObject::connect(n, &QSocketNotifier::activated, control, [control, pool, socket, direction] {
            control->onSocketEvent(pool, int(socket), direction);
        });
        return n;
    }

    static int onSocket(CURL *, curl_socket_t socket, int what, void *userp, void *) {
        auto *pool = static_cast<Pool *>(userp);
        Watch &watch = pool->sockets[socket];
        if (what == CURL_POLL_REMOVE) {
            retire(watch);
            pool->sockets.remove(socket);
            return 0;
        }
        const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
        const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
        if (wantRead && !watch.read)
            watch.read = pool->curl->notifier(pool->index, socket, QSocketNotifier::Read, CURL_CSELECT_IN);
        if (wantWrite && !watch.write)
            watch.write = pool->curl->notifier(pool->index, socket, QSocketNotifier::Write, CURL_CSELECT_OUT);
        if (watch.read)
            watch.read->setEnabled(wantRead);
        if (watch.write)
            watch.write->setEnabled(wantWrite);
        return 0;
    }

    static int onTimer(CURLM *, long timeoutMs, void *userp) {
        auto *pool = static_cast<Pool *>(userp);
        if (timeoutMs < 0)
            pool->timer.stop();
        else
            pool->timer.start(int(qMin(timeoutMs, long(INT_MAX))));
        return 0;
    }

    static size_t onBody(char *data, size_t size, size_t count, void *userp) {
        auto *self = static_cast<Curl *>(userp);
        self->body.append(data, qsizetype(size * count));
        return size * count;
    }

    static size_t onHeader(char *, size_t size, size_t count, void *userp) {
        static_cast<Curl *>(userp)->answerStarted = true;
        return size * count;
    }

    HttpControl *owner;
    Pool pools[poolCount];
    Pool *running = &pools[keptAlive];  // the pool of the running (or last) transfer
    CURLSH *share = nullptr;  // the control's cookie jar and TLS sessions
    CURL *easy = nullptr;     // the running request
    curl_slist *headers = nullptr;
    QByteArray sentURL;       // the URL as it went out
    bool throughProxy = false;
    QByteArray body;          // the answer's body so far
    bool answerStarted = false;
    char error[CURL_ERROR_SIZE] = {};
};

// ---- HttpControl -----------------------------------------------------------

HttpControl::HttpControl(QObject *parent) : QObject(parent), m_curl(std::make_unique<Curl>(this)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpControl::onTimeout);
    for (int i = 0; i < Curl::poolCount; ++i)
        connect(&m_curl->pools[i].timer, &QTimer::timeout, this, [this, i] { onCurlTimer(i); });
}

HttpControl::~HttpControl() {
    m_timer.stop();
    m_curl.reset();
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

QString HttpControl::Get(const HttpHeaders *headers) { return send("GET", QByteArray(), headers); }

QString HttpControl::Post(const QString &body, const HttpHeaders *headers) {
    return send("POST", ToAnsi(body), headers);
}

QString HttpControl::send(const QByteArray &method, const QByteArray &body, const HttpHeaders *headers) {
    if (m_bBusy)
        vb::Raise(errBusy, QStringLiteral("A request is already in progress"));
    const QUrl url(m_sURL.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        vb::Raise(errInvalidURL, QStringLiteral("The URL is invalid"));
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        vb::Raise(errUnrecognizedScheme, QStringLiteral("The URL does not use a recognized protocol"));
    if (url.host().isEmpty())
        vb::Raise(errInvalidURL, QStringLiteral("The URL is invalid"));

    Curl &c = *m_curl;
    CURL *easy = curl_easy_init();
    if (!easy)
        vb::Raise(errConnectionAborted, QStringLiteral("The request could not be made"));
    c.sentURL = url.toString(QUrl::FullyEncoded).toUtf8();
    c.body.clear();
    c.answerStarted = false;
    c.error[0] = '\0';
    c.throughProxy = !m_sProxyHost.isEmpty();

    curl_easy_setopt(easy, CURLOPT_URL, c.sentURL.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Never from https down to http.
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, scheme == QLatin1String("https") ? "https" : "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    // curl sends a request again only when it went out on a reused
    // connection that was already closed. A GET may take that second
    // chance; a POST gets a connection of its own, closed after its
    // answer, so it goes out once.
    const bool post = method == "POST";
    c.running = &c.pools[post ? Curl::ownConnections : Curl::keptAlive];
    if (post) {
        curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_SHARE, c.share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, c.error);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Curl::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &c);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Curl::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &c);
    if (!g_trustedForTests.isEmpty()) {
        curl_blob trusted{g_trustedForTests.data(), size_t(g_trustedForTests.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &trusted);
    }
    if (c.throughProxy) {
        QString host = m_sProxyHost;
        if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
            host = QLatin1Char('[') + host + QLatin1Char(']');
        const QByteArray proxy = "http://" + host.toUtf8() + ':' + QByteArray::number(m_proxyPort);
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
        if (!m_sProxyUser.isEmpty() || !m_sProxyPassword.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, ToAnsi(m_sProxyUser).constData());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, ToAnsi(m_sProxyPassword).constData());
        }
    } else {
        // Direct, whatever the environment names as a proxy.
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    }
    if (post) {
        // Form-encoded unless the headers name another Content-Type.
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, long(body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.constData());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    c.headers = headerList(headers);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, c.headers);

    m_iStatusCode = 0;
    m_sResult.clear();
    m_resultBytes.clear();
    m_iErrorNumber = 0;
    m_sErrorDescription.clear();

    c.easy = easy;
    if (curl_multi_add_handle(c.running->multi, easy) != CURLM_OK) {
        c.dropTransfer();
        vb::Raise(errConnectionAborted, QStringLiteral("The request could not be made"));
    }
    m_bBusy = true;
    const quint64 serial = ++m_requestSerial;
    if (m_iTimeout > 0)
        m_timer.start(m_iTimeout);
    QPointer<HttpControl> self(this);
    setState(stateRequesting);
    if (!self)
        vb::Raise(errCancelled, cancelledText());

    if (!m_bSynchronous)
        return QString();

    // Wait here until the answer is complete; events keep being served.
    if (m_bBusy && m_requestSerial == serial) {
        QEventLoop loop;
        QEventLoop *outer = m_loop;
        m_loop = &loop;
        loop.exec();
        if (!self)
            vb::Raise(errCancelled, cancelledText());
        m_loop = outer;
    }
    if (m_iErrorNumber != 0)
        vb::Raise(m_iErrorNumber, m_sErrorDescription);
    return m_sResult;
}

void HttpControl::onSocketEvent(int pool, int socket, int direction) {
    int running = 0;
    curl_multi_socket_action(m_curl->pools[pool].multi, curl_socket_t(socket), direction, &running);
    afterCurl(pool);
}

void HttpControl::onCurlTimer(int pool) {
    int running = 0;
    curl_multi_socket_action(m_curl->pools[pool].multi, CURL_SOCKET_TIMEOUT, 0, &running);
    afterCurl(pool);
}

// What curl recorded while it ran: the answer's start, then its end.
void HttpControl::afterCurl(int pool) {
    QPointer<HttpControl> self(this);
    if (m_bBusy && m_curl->answerStarted && m_iState == stateRequesting) {
        setState(stateReceiving);
        if (!self)
            return;
    }
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(m_curl->pools[pool].multi, &left)) {
        if (msg->msg != CURLMSG_DONE || msg->easy_handle != m_curl->easy)
            continue;
        onDone(msg->data.result);
        if (!self)
            return;
    }
}

void HttpControl::onDone(int curlResult) {
    Curl &c = *m_curl;
    const CURLcode code = CURLcode(curlResult);
    if (code == CURLE_OK) {
        detachTransfer();
        // An answer, whatever its status: the body is the caller's to judge.
        m_resultBytes = c.body;
        m_sResult = FromAnsi(m_resultBytes);
        c.body.clear();
        ++g_answeredRequests;
        if (m_loop)
            m_loop->quit();
        setState(stateIdle);
        return;
    }
    const QString text = c.error[0] ? QString::fromLocal8Bit(c.error) : QString::fromUtf8(curl_easy_strerror(code));
    ErrorInfo info = mapCurlError(code, c.throughProxy, text);
    char *target = nullptr;
    curl_easy_getinfo(c.easy, CURLINFO_EFFECTIVE_URL, &target);
    // A redirect from https down to http is refused as a redirect gone wrong.
    if (code == CURLE_UNSUPPORTED_PROTOCOL && c.sentURL.startsWith("https:") && target &&
        qstrnicmp(target, "http:", 5) == 0)
        info.number = errConnectionAborted;
    endRequest(info.number, info.description);
}

// Ends the running request with an error and no body.
void HttpControl::endRequest(int errorNumber, const QString &description) {
    detachTransfer();
    m_curl->body.clear();
    m_iErrorNumber = errorNumber;
    m_sErrorDescription = description;
    if (m_loop)
        m_loop->quit();
    setState(stateIdle);
}

// Reads what the request ended with and frees the transfer.
void HttpControl::detachTransfer() {
    Curl &c = *m_curl;
    m_timer.stop();
    m_bBusy = false;
    if (!c.easy)
        return;
    long status = 0;
    long redirects = 0;
    char *effective = nullptr;
    curl_easy_getinfo(c.easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(c.easy, CURLINFO_REDIRECT_COUNT, &redirects);
    curl_easy_getinfo(c.easy, CURLINFO_EFFECTIVE_URL, &effective);
    m_iStatusCode = int(status);
    const QUrl finalUrl(redirects > 0 && effective ? QString::fromUtf8(effective) : QString::fromUtf8(c.sentURL));
    if (finalUrl.isValid() && !finalUrl.isEmpty())
        m_sURL = finalUrl.toString(QUrl::FullyEncoded);
    c.dropTransfer();
}

void HttpControl::Abort() {
    if (!m_bBusy)
        return;
    endRequest(errCancelled, cancelledText());
}

void HttpControl::onTimeout() {
    if (!m_bBusy)
        return;
    endRequest(errTimedOut, timedOutText());
}

quint64 HttpControl::AnsweredRequests() { return g_answeredRequests; }

void HttpControl::setTrustedCertificatesForTests(const QByteArray &pem) { g_trustedForTests = pem; }

void HttpControl::setState(int state) {
    if (m_iState == state)
        return;
    m_iState = state;
    Q_EMIT stateChanged(state);
}

}  // namespace platform
