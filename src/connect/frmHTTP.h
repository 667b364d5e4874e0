#pragma once
// The HTTP client window: runs one request at a time for one caller through
// its own HTTP control, reading the connection settings from the Preference
// key before every request, bounding each request with its own timer and
// sending a request again (up to 3 times, 100 ms apart) when its answer
// comes back empty. The answer reaches the caller through ProcessData;
// after Disconnect the caller is told through setDisconnected(true).
// Callbacks always arrive from the event loop, never from inside the call
// that started or stopped the request. Never shown.

#include <QObject>
#include <QString>
#include <QTimer>

namespace platform {
class HttpControl;
}

// What a user of frmHTTP offers for its callbacks.
class IHTTPCaller {
public:
    virtual ~IHTTPCaller() = default;
    // The answer to a request: the HTTP status code as text and the body
    // ("" when there was none, after the re-sends).
    virtual void ProcessData(const QString &sStatusCode, const QString &sResult) = 0;
    // Set true when a request stopped by Disconnect has ended.
    virtual void setDisconnected(bool bValue) = 0;
};

class frmHTTP : public QObject {
    Q_OBJECT
public:
    explicit frmHTTP(QObject *parent = nullptr);
    ~frmHTTP() override;

    QString ConnectType() const { return m_sConnectType; }
    void setConnectType(const QString &value) { m_sConnectType = value; }
    // The caller that receives the callbacks (not owned; null for none).
    void setObject(IHTTPCaller *caller) { m_oCaller = caller; }

    // The part of a URL behind its host, without the first slash ("" when none).
    QString GetFileFromURL(const QString &szURL);
    // True for a dotted IPv4 address written plainly ("10.0.0.1", not "010.0.0.1").
    bool IsDotAddress(const QString &szAddress);
    // The host (and port) of a URL.
    QString GetHostFromURL(const QString &sURL);
    // Back to answering, with no re-sends counted.
    void resetSocket1();

    QString URL() const { return m_sURL; }
    void setURL(const QString &value) { m_sURL = value; }
    // "POST" in any letter case posts PostData; anything else is a GET.
    QString SubmitMethod() const { return m_sSubmitMethod; }
    void setSubmitMethod(const QString &value) { m_sSubmitMethod = value; }
    QString PostData() const { return m_sPostData; }
    void setPostData(const QString &value) { m_sPostData = value; }

    // Starts a request for sURL and returns at once. Ignored while a request runs.
    void Connect1(const QString &sURL);
    // Stops the running request; the caller hears setDisconnected(true) when
    // it has ended (at once, from the event loop, when none was running).
    void Disconnect();
    // Reads the connection settings from the Preference key.
    void getSocketSetting();

    // Releases the window: at once when idle; while a request runs, the
    // request is aborted and the window goes when it has ended. Nothing is
    // reported to the caller after this call; do not touch the window either.
    void Unload();

    // The time-out of the last request in milliseconds (0 = none).
    int TimeoutInterval() const { return m_tmrHttpTimeout.interval(); }
    // True during the pause before an empty answer is sent again.
    bool ResendPending() const { return m_TimerConnect1.isActive(); }
    platform::HttpControl *Http1() const { return m_http; }

private:
    enum Mode { modeClosing = 0, modeStopping = 1, modeAnswering = -1 };

    void sendRequest(const QString &sURL);
    void onStateChanged(int state);
    void onHttpTimeout();
    void onTimerConnect1();
    void queueStopReport();

    platform::HttpControl *m_http = nullptr;
    IHTTPCaller *m_oCaller = nullptr;
    QTimer m_tmrHttpTimeout;
    QTimer m_TimerConnect1;

    QString m_sConnectType;
    QString m_sURL;
    QString m_sSubmitMethod;
    QString m_sPostData;
    QString m_sResult;
    int m_iMode = modeAnswering;
    int m_iResend = 0;
    bool m_bInFlight = false;   // a request was sent and its end not yet handled
    bool m_bStopReportQueued = false;

    // Settings of the last read.
    int m_iAccessType = 0;
    QString m_sProxy;
    QString m_sPort;
    int m_iTimeOut = 0;
    QString m_sAuthUsername;
    QString m_sAuthPassword;
};
