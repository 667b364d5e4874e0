#include "connect/frmHTTP.h"

#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/modCommon.h"
#include "platform/HttpControl.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QStringList>
#include <exception>

namespace {

const char *const kConnect1Label = "frmHTTP_Connect1_Error: ";
const char *const kSettingLabel = "frmHTTP_GetsocketSetting error :  ";
const char *const kDisconnectLabel = "frmHTTP_Disconnect_error: ";
const char *const kFileFromURLLabel = "frmHTTP_GetFileFromURL error:  ";
const char *const kHostFromURLLabel = " frmHTTP_GetHostFromURL: ";
const char *const kPost = "POST";

constexpr int kResendDelayMs = 100;
constexpr int kMaxResends = 3;
constexpr int kLongestTimeoutMs = 62000;  // above this a time-out counts as 60 s
constexpr int kCappedTimeoutMs = 60000;
constexpr int kAccessThroughProxy = 2;
constexpr int errInvalidPropertyValue = 380;

int errorNumber(const std::exception &e) {
    if (auto *vbErr = dynamic_cast<const vb::VBError *>(&e))
        return vbErr->Number();
    return 0;
}


QString preference(const QString &name, const QString &defaultValue) {
    return GetRegistryValue(HKEY_CURRENT_USER, g_sPreferenceKey, name, REG_SZ, defaultValue);
}

}  // namespace

frmHTTP::frmHTTP(QObject *parent) : QObject(parent), m_http(new platform::HttpControl(this)) {
    m_tmrHttpTimeout.setSingleShot(true);
    m_TimerConnect1.setSingleShot(true);
    m_TimerConnect1.setInterval(kResendDelayMs);
    connect(&m_tmrHttpTimeout, &QTimer::timeout, this, &frmHTTP::onHttpTimeout);
    connect(&m_TimerConnect1, &QTimer::timeout, this, &frmHTTP::onTimerConnect1);
    // Completion is handled from the event loop, never inside Get, Post or Abort.
    connect(m_http, &platform::HttpControl::stateChanged, this, &frmHTTP::onStateChanged, Qt::QueuedConnection);
}

frmHTTP::~frmHTTP() {
    m_oCaller = nullptr;
    m_http->disconnect(this);
    delete m_http;
    m_http = nullptr;
}

QString frmHTTP::GetFileFromURL(const QString &szURL) {
    try {
        QString rest = szURL;
        const int slashes = int(rest.indexOf(QLatin1String("//")));
        if (slashes >= 0)
            rest = rest.mid(slashes + 2);
        const int slash = int(rest.indexOf(QLatin1Char('/')));
        return slash < 0 ? QString() : rest.mid(slash + 1);
    } catch (const std::exception &e) {
        WriteErrorLog(kFileFromURLLabel, e);
        return QString();
    }
}

bool frmHTTP::IsDotAddress(const QString &szAddress) {
    const QStringList parts = vb::Trim(szAddress).split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        const int n = part.toInt();
        if (n > 255 || QString::number(n) != part)
            return false;
    }
    return true;
}

QString frmHTTP::GetHostFromURL(const QString &sURL) {
    try {
        QString rest = sURL;
        const int slashes = int(rest.indexOf(QLatin1String("//")));
        if (slashes >= 0)
            rest = rest.mid(slashes + 2);
        const int slash = int(rest.indexOf(QLatin1Char('/')));
        return slash < 0 ? rest : rest.left(slash);
    } catch (const std::exception &e) {
        WriteErrorLog(kHostFromURLLabel, e);
        return QString();
    }
}

void frmHTTP::resetSocket1() {
    m_iMode = modeAnswering;
    m_iResend = 0;
}

void frmHTTP::getSocketSetting() {
    try {
        m_iAccessType = 1;
        m_iAccessType = vb::CInt(preference(QStringLiteral("AccessType"), QStringLiteral("1")));
        m_sProxy = preference(QStringLiteral("Proxy"), QString());
        m_sPort = preference(QStringLiteral("Port"), QStringLiteral("8080"));
        m_iTimeOut = vb::CInt(preference(QStringLiteral("TimeOut"), QStringLiteral("30")));
        m_sAuthUsername = preference(QStringLiteral("Auth_Username"), QString());
        m_sAuthPassword = preference(QStringLiteral("Auth_Password"), QString());
    } catch (const std::exception &e) {
        WriteErrorLog(kSettingLabel, e);
    }
}

void frmHTTP::Connect1(const QString &sURL) {
    if (m_http->State() != platform::HttpControl::stateIdle || m_bInFlight)
        return;
    m_TimerConnect1.stop();  // a new request replaces a pending re-send
    m_bStopReportQueued = false;
    resetSocket1();
    sendRequest(sURL);
}

// One request with the current settings; the re-send skips the reset of
// the mode and of the re-send count.
void frmHTTP::sendRequest(const QString &sURL) {
    if (m_http->State() != platform::HttpControl::stateIdle || m_bInFlight)
        return;
    try {
        m_sResult.clear();
        getSocketSetting();
        const int requested = m_iTimeOut * 1000;
        const int interval = requested <= kLongestTimeoutMs ? requested : kCappedTimeoutMs;
        if (interval < 0)
            vb::Raise(errInvalidPropertyValue, QStringLiteral("Invalid property value"));
        m_tmrHttpTimeout.stop();
        m_tmrHttpTimeout.setInterval(interval);
        m_sURL = sURL;

        // The control runs in the background; this window's timer bounds the request.
        m_http->setSynchronous(false);
        m_http->setURL(sURL);
        m_http->setCache(false);
        m_http->setTimeout(0);
        // The proxy and its credentials apply only while the settings select
        // them; otherwise the request goes direct, whatever the last one used.
        if (m_iAccessType == kAccessThroughProxy && !m_sProxy.isEmpty()) {
            m_http->setProxy(vb::Trim(m_sProxy) + QLatin1Char(':') + vb::Trim(m_sPort));
            const bool credentials = !m_sAuthUsername.isEmpty() && !m_sAuthPassword.isEmpty();
            m_http->setProxyPassword(credentials ? m_sAuthPassword : QString());
            m_http->setProxyUsername(credentials ? m_sAuthUsername : QString());
        } else {
            m_http->setProxy(QString());
            m_http->setProxyPassword(QString());
            m_http->setProxyUsername(QString());
        }

        if (interval > 0)  // 0: no time limit
            m_tmrHttpTimeout.start();
        m_bInFlight = true;
        if (m_sSubmitMethod.compare(QLatin1String(kPost), Qt::CaseInsensitive) == 0)
            m_http->Post(m_sPostData);
        else
            m_http->Get();
    } catch (const std::exception &e) {
        m_tmrHttpTimeout.stop();
        m_bInFlight = false;
        WriteErrorLog(QString::fromLatin1(kConnect1Label) + QString::number(errorNumber(e)) +
                      QStringLiteral(" - ") + vb::Describe(e) + QStringLiteral("\r\nURL: ") + sURL);
        const QString status = QString::number(m_http->StatusCode());
        seam::SetPointer(seam::Pointer::Default);
        if (m_iMode == modeStopping) {
            // A re-send after Disconnect failed: the caller waits for the stop.
            queueStopReport();
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                if (m_oCaller && m_iMode == modeAnswering)
                    m_oCaller->ProcessData(status, QString());
            },
            Qt::QueuedConnection);
    }
}

// Reports the stop from the event loop, once, unless a new request comes first.
void frmHTTP::queueStopReport() {
    if (m_bStopReportQueued)
        return;
    m_bStopReportQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_bStopReportQueued)
                return;
            m_bStopReportQueued = false;
            if (m_iMode != modeStopping)
                return;
            seam::SetPointer(seam::Pointer::Default);
            if (m_oCaller)
                m_oCaller->setDisconnected(true);
        },
        Qt::QueuedConnection);
}

void frmHTTP::onStateChanged(int state) {
    if (state != platform::HttpControl::stateIdle || !m_bInFlight ||
        m_http->State() != platform::HttpControl::stateIdle)
        return;
    m_bInFlight = false;
    m_tmrHttpTimeout.stop();  // a stale tick must not abort the next request
    m_sResult = m_http->Result();
    seam::SetPointer(seam::Pointer::Default);

    switch (m_iMode) {
    case modeClosing:
        m_oCaller = nullptr;
        deleteLater();
        return;
    case modeStopping:
        if (m_oCaller)
            m_oCaller->setDisconnected(true);
        return;
    default:
        if (m_sResult.isEmpty() && m_iResend < kMaxResends) {
            ++m_iResend;
            m_TimerConnect1.start();
            return;
        }
        m_iResend = 0;
        if (m_oCaller)
            m_oCaller->ProcessData(QString::number(m_http->StatusCode()), m_sResult);
    }
}

void frmHTTP::onHttpTimeout() {
    if (m_http->State() != platform::HttpControl::stateIdle)
        m_http->Abort();
}

void frmHTTP::onTimerConnect1() { sendRequest(m_sURL); }

void frmHTTP::Disconnect() {
    try {
        m_iMode = modeStopping;
        if (m_http->State() != platform::HttpControl::stateIdle) {
            m_http->Abort();
        } else if (!m_bInFlight && !m_TimerConnect1.isActive()) {
            // Nothing runs: the caller still waits for its report.
            queueStopReport();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(QString::fromLatin1(kDisconnectLabel) + QString::number(errorNumber(e)) +
                      QStringLiteral(" - ") + vb::Describe(e));
    }
}

void frmHTTP::Unload() {
    // Whatever happens next is reported to nobody.
    m_oCaller = nullptr;
    if (m_http->Busy()) {
        // Goes when the aborted request has ended, reporting nothing for it.
        m_iMode = modeClosing;
        m_TimerConnect1.stop();
        m_http->Abort();
        return;
    }
    m_TimerConnect1.stop();
    m_tmrHttpTimeout.stop();
    deleteLater();
}
