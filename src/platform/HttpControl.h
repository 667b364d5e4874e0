#pragma once
// The HTTP client control the connection code drives: one request at a time
// over libcurl (its multi interface run from the Qt event loop). GETs go out
// on a kept-alive connection to the same host, port and proxy when the server
// left one open, and TLS sessions are resumed; connections and sessions live
// as long as the control. A POST goes out once, on a connection of its own
// that closes after its answer: a connection dropped without an answer fails
// that call, and only the caller decides to send again. The only re-send is
// HTTP's own for an idempotent request: a GET that met a reused connection
// already closed by the server, and got no byte of an answer, goes out once
// more on a fresh connection. The contract:
//  - synchronous mode: Get/Post return only when the answer is complete,
//    while a local event loop keeps timers, buttons and other windows alive;
//    a failed request raises vb::VBError with the error numbers below;
//  - asynchronous mode: Get/Post return at once with "", the answer lands in
//    Result() and a failure in ErrorNumber()/ErrorDescription();
//  - in both modes stateChanged() fires at every state change, and with
//    state 0 the request is over (aborted and failed ones included).
// One cookie jar for the control's life. Bodies are Windows-1252 text.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QEventLoop;

namespace platform {

// Request headers handed to a GET or POST (the library's headers object).
class HttpHeaders {
public:
    // Adds a header; a second one of the same name is sent as well, joined
    // to the first as one comma-separated list.
    void Add(const QString &name, const QString &value);
    // Removes every header of that name (letter case ignored).
    void Remove(const QString &name);
    void Clear();
    int Count() const { return int(m_items.size()); }
    QString Value(const QString &name) const;  // first header of that name, "" when none
    const QList<QPair<QString, QString>> &Items() const { return m_items; }

private:
    QList<QPair<QString, QString>> m_items;
};

class HttpControl : public QObject {
    Q_OBJECT
public:
    // States: 0 idle; a request passes 5 (sent) and, once the answer starts, 13.
    enum State { stateIdle = 0, stateRequesting = 5, stateReceiving = 13 };

    // Error numbers of failed requests.
    enum ErrorNumber {
        errInvalidPropertyValue = 380,  // a setting the control refuses
        errTimedOut = 9060,             // the control's time-out passed
        errBusy = 9070,                 // a request is already running
        errInvalidURL = 12005,
        errUnrecognizedScheme = 12006,
        errServerDown = 12007,          // host unknown or connection refused
        errCancelled = 12017,           // aborted
        errCannotConnectProxy = 12029,
        errConnectionAborted = 12030,   // any other transport failure
        errSecureChannel = 12157,
    };

    explicit HttpControl(QObject *parent = nullptr);
    ~HttpControl() override;

    // ---- settings ----
    bool Synchronous() const { return m_bSynchronous; }
    void setSynchronous(bool value) { m_bSynchronous = value; }
    // The URL as set, or after a request the URL it ended at (redirects followed).
    QString URL() const { return m_sURL; }
    void setURL(const QString &url) { m_sURL = url; }
    bool Cache() const { return m_bCache; }
    void setCache(bool value) { m_bCache = value; }
    int Security() const { return m_iSecurity; }  // kept as given
    void setSecurity(int value) { m_iSecurity = value; }
    // Milliseconds; 0 = no limit. A negative value raises 380.
    int Timeout() const { return m_iTimeout; }
    void setTimeout(int milliseconds);
    // "host:port", or "" for a direct connection. A port that is not a number
    // from 1 to 65535 raises 380.
    QString Proxy() const { return m_sProxy; }
    void setProxy(const QString &hostAndPort);
    QString ProxyUsername() const { return m_sProxyUser; }
    void setProxyUsername(const QString &value) { m_sProxyUser = value; }
    QString ProxyPassword() const { return m_sProxyPassword; }
    void setProxyPassword(const QString &value) { m_sProxyPassword = value; }

    // ---- requests ----
    // GET of URL(); the body of the answer (synchronous mode).
    QString Get(const HttpHeaders *headers = nullptr);
    // POST of the body (sent as Windows-1252 bytes, form-encoded unless the
    // headers name another Content-Type); the body of the answer.
    QString Post(const QString &body, const HttpHeaders *headers = nullptr);
    // Ends the running request (it ends in state 0 with an empty result and
    // error 12017). Nothing happens when idle.
    void Abort();

    // ---- state of the last request ----
    bool Busy() const { return m_bBusy; }
    int State() const { return m_iState; }
    int StatusCode() const { return m_iStatusCode; }
    QString Result() const { return m_sResult; }
    QByteArray ResultBytes() const { return m_resultBytes; }
    int ErrorNumber() const { return m_iErrorNumber; }  // 0 when the request got an answer
    QString ErrorDescription() const { return m_sErrorDescription; }

    // Requests of every control in the process that got an answer (any
    // status) so far: unattended work watches it to tell a silent server.
    static quint64 AnsweredRequests();

    // Certificates (PEM) that https requests trust instead of the system's:
    // only tests and benchmarks set it, for a server of their own; empty
    // restores the system's.
    static void setTrustedCertificatesForTests(const QByteArray &pem);

Q_SIGNALS:
    void stateChanged(int state);

private:
    struct Curl;  // the libcurl handles, their callbacks and socket watches

    QString send(const QByteArray &method, const QByteArray &body, const HttpHeaders *headers);
    void onSocketEvent(int pool, int socket, int direction);
    void onCurlTimer(int pool);
    void afterCurl(int pool);
    void onDone(int curlResult);
    void endRequest(int errorNumber, const QString &description);
    void detachTransfer();
    void onTimeout();
    void setState(int state);

    std::unique_ptr<Curl> m_curl;
    bool m_bBusy = false;
    quint64 m_requestSerial = 0;  // tells a finished request from the next one
    QTimer m_timer;               // the control's time-out
    QEventLoop *m_loop = nullptr;

    bool m_bSynchronous = false;
    QString m_sURL;
    bool m_bCache = true;
    int m_iSecurity = 0;
    int m_iTimeout = 0;
    QString m_sProxy;
    QString m_sProxyHost;
    quint16 m_proxyPort = 0;
    QString m_sProxyUser;
    QString m_sProxyPassword;

    int m_iState = stateIdle;
    int m_iStatusCode = 0;
    QString m_sResult;
    QByteArray m_resultBytes;
    int m_iErrorNumber = 0;
    QString m_sErrorDescription;
};

}  // namespace platform
