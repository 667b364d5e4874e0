#include "connect/ConnectRunControl.h"

#include "connect/IConnectWindow.h"
#include "connect/clsConnect.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <exception>

namespace {

const char *const kGetBidsCaption = "Retrieve Keyword Bid data from ";
const char *const kUpdateCaption = "Update Bids in ";
const char *const kUnableStart = "Unable to connect to your ";
const char *const kUnableEnd = " account.";
const char *const kAdvice1 = "The System Temporarily Unavailable or your login name and password are incorrect. ";
const char *const kAdvice2 = "Please check ";
const char *const kAdvice3 = " with your web browser, and also make sure your login ";
const char *const kAdvice4 = "name and password are correct, then try again at another time.";
const char *const kErrorPrefix = "Error: ";

}  // namespace

ConnectRunControl::ConnectRunControl(ConnectTexts texts, QObject *parent)
    : QObject(parent), m_texts(std::move(texts)), m_sCaption(m_texts.windowCaption),
      m_http(new platform::HttpControl(this)) {
    m_tmrStart.setSingleShot(true);
    m_tmrStart.setInterval(kStartDelayMs);
    m_tmrTryAgain.setSingleShot(true);
    m_tmrTryAgain.setInterval(kRetryDelayMs);
    connect(&m_tmrStart, &QTimer::timeout, this, &ConnectRunControl::onStartTick);
    connect(&m_tmrTryAgain, &QTimer::timeout, this, &ConnectRunControl::onRetryTick);
    // Each request passes these two states once: a progress step each.
    connect(m_http, &platform::HttpControl::stateChanged, this, [this](int state) {
        if (state == platform::HttpControl::stateReceiving || state == platform::HttpControl::stateRequesting)
            StepProgress();
    });
}

ConnectRunControl::~ConnectRunControl() = default;

bool ConnectRunControl::Active() const { return m_bRunning || m_tmrStart.isActive() || m_tmrTryAgain.isActive(); }

void ConnectRunControl::Prepare(const QString &sEngine, bool bLoadEngineFile) {
    m_tmrStart.stop();
    m_tmrTryAgain.stop();
    m_sEngine = sEngine;
    try {
        if (bLoadEngineFile || !EngineDataLoaded() || m_bEngineDataFailed) {
            m_bEngineDataFailed = false;
            LoadEngineData(sEngine);
        }
    } catch (const std::exception &e) {
        // Every attempt of this run fails; the run ends like any failed one.
        m_bEngineDataFailed = true;
        WriteErrorLog(m_texts.prepareLabel + vb::Describe(e));
    }
    m_iGetBidsTry = 1;
    m_iUpdateTry = 1;
    setStatus(QString());
    setProgressValue(0);
    setTitle(m_texts.preparingTitle);
    m_bRelogin = m_bCancelled;
    m_bCancelled = false;
    // A failure text belongs to the run that set it.
    m_sErrorText.clear();
    m_tmrStart.start();
}

void ConnectRunControl::CancelConnect() {
    AbortRequest();
    m_tmrStart.stop();
    m_tmrTryAgain.stop();
    m_bCancelled = true;
    finish();
}

bool ConnectRunControl::LoginIsRecent() const {
    if (!m_dLastLogin.isValid())
        return false;
    const QDateTime now = seam::Now().toUTC();
    if (now < m_dLastLogin)
        return false;  // the clock went back: the login's age is unknown
    return vb::DateDiff(QStringLiteral("n"), m_dLastLogin, now) < kLoginReuseMinutes;
}

void ConnectRunControl::FireStartTimer() {
    if (m_tmrStart.isActive())
        onStartTick();
}

void ConnectRunControl::FireRetryTimer() {
    if (m_tmrTryAgain.isActive())
        onRetryTick();
}

void ConnectRunControl::onStartTick() {
    m_tmrStart.stop();
    if (!m_bCancelled)
        Connect();
}

void ConnectRunControl::onRetryTick() {
    m_tmrTryAgain.stop();
    if (m_bCancelled)
        return;
    if (m_iGetBidsTry < kGiveUpCount && m_iUpdateTry < kGiveUpCount)
        Connect();
    else
        CancelConnect();
}

void ConnectRunControl::Connect() {
    if (m_bRunning || m_bCancelled)
        return;
    m_bRunning = true;
    m_bForgetLogin = false;
    bool failed = false;
    try {
        setProgressValue(0);
        if (!m_colKeywords)
            m_colKeywords = std::make_shared<KeywordCollection>();
        if (m_sAction == QLatin1String(IConnectWindow::kActionGetBids)) {
            setCaption(QString::fromLatin1(kGetBidsCaption) + m_sEngine);
            setTitle(m_texts.connectingTitle);
            setProgressMax(m_texts.loginProgressMax);
            if (!m_bEngineDataFailed && GetBids() && !m_bCancelled) {
                markLogin();
                setProgressValue(0);
                setTitle(m_texts.gotBidsTitle);
                finish();
            } else {
                failed = true;
            }
        } else if (m_sAction == QLatin1String(IConnectWindow::kActionUpdate)) {
            setCaption(QString::fromLatin1(kUpdateCaption) + m_sEngine);
            if (m_bEngineDataFailed) {
                failed = true;
            } else if (LoginIsRecent() && !m_bRelogin) {
                failed = runUpdate();
            } else {
                setTitle(m_texts.connectingTitle);
                setProgressMax(m_texts.loginProgressMax);
                // The fresh read only renews the login and the forms; the
                // caller's keywords keep their new bids.
                const KeywordCollectionPtr callers = m_colKeywords;
                m_colKeywords = std::make_shared<KeywordCollection>();
                bool ok = false;
                try {
                    ok = GetBids();
                } catch (...) {
                    m_colKeywords = callers;
                    throw;
                }
                m_colKeywords = callers;
                if (ok && !m_bCancelled) {
                    markLogin();
                    m_bRelogin = false;
                    failed = runUpdate();
                } else {
                    failed = true;
                }
            }
        } else {
            // Nothing to run: end at once rather than leave the caller waiting.
            m_bCancelled = true;
            finish();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(m_texts.connectLabel + vb::Describe(e));
        failed = true;
    }
    m_bRunning = false;
    if (failed && !m_bCancelled)
        Tryagain();
}

// The posting half of an update; true when another attempt is due.
bool ConnectRunControl::runUpdate() {
    setTitle(m_texts.updatingTitle);
    setProgressMax(m_texts.updateProgressMax);
    setProgressValue(0);
    const UpdateResult result = UpdateBids();
    if (m_bCancelled)
        return false;
    switch (result) {
    case UpdateResult::Posted:
        if (m_texts.postRenewsLogin || m_bForgetLogin)
            markLogin();
        setProgressValue(0);
        setTitle(m_texts.updatedTitle);
        finish();
        return false;
    case UpdateResult::Failed:
        return true;
    case UpdateResult::FailedForGood:
        m_iUpdateTry = kGiveUpCount;
        m_tmrTryAgain.start();
        return false;
    }
    return true;
}

void ConnectRunControl::Tryagain() {
    try {
        setProgressValue(0);
        if (m_sAction == QLatin1String(IConnectWindow::kActionGetBids))
            ++m_iGetBidsTry;
        else if (m_sAction == QLatin1String(IConnectWindow::kActionUpdate))
            ++m_iUpdateTry;
        // The final message shows whenever the retry wait will cancel.
        if (m_iGetBidsTry < kGiveUpCount && m_iUpdateTry < kGiveUpCount) {
            setTitle(m_texts.retryTitle);
            setStatus(m_texts.retryStatus);
        } else {
            const QString unable = QString::fromLatin1(kUnableStart) + m_sEngine + QString::fromLatin1(kUnableEnd);
            if (!m_sErrorText.isEmpty())
                setTitle(unable + QStringLiteral("\r\n") + QString::fromLatin1(kErrorPrefix) + m_sErrorText);
            else
                setTitle(unable + QLatin1Char(' ') + QString::fromLatin1(kAdvice1) + QString::fromLatin1(kAdvice2) +
                         m_texts.engineFamily + QString::fromLatin1(kAdvice3) + QString::fromLatin1(kAdvice4));
            setStatus(m_texts.failedStatus);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(m_texts.tryagainLabel + vb::Describe(e));
    }
    m_tmrTryAgain.start();
}

void ConnectRunControl::finish() { Q_EMIT finished(); }

// ---- requests ----------------------------------------------------------------------------

void ConnectRunControl::AbortRequest() {
    if (m_http->Busy())
        m_http->Abort();
}

void ConnectRunControl::setScraper(std::unique_ptr<clsConnect> scraper) { m_oConnect = std::move(scraper); }

std::unique_ptr<clsConnect> ConnectRunControl::NewScraper() {
    auto scraper = std::make_unique<clsConnect>();
    scraper->setCache(false);
    scraper->setSecurity(0);
    scraper->setTimeOut(120000);
    return scraper;
}

bool ConnectRunControl::GetFromServer(QString &sResult, const QString &sURL) {
    sResult.clear();
    if (m_bCancelled || !m_oConnect)
        return false;
    try {
        const QString url = clsConnect::FormatURL(sURL, m_http->URL());
        m_oConnect->SetHttpProperties(*m_http, url);
        m_headers.Clear();
        sResult = m_http->Get(&m_headers);
        return true;
    } catch (const vb::VBError &e) {
        setStatus(clsConnect::GetErrorMessage(e.Number(), e.Description()));
    } catch (const std::exception &e) {
        setStatus(clsConnect::GetErrorMessage(0, vb::Describe(e)));
    }
    sResult.clear();
    return false;
}

QString ConnectRunControl::PostToServer(const QString &sURL, const QString &sPostData) {
    if (m_bCancelled)
        return QString();
    const QString url = clsConnect::FormatURL(sURL, m_http->URL());
    QString answer;
    QString error;
    long number = 0;
    const int attempts = qMax(1, m_texts.postAttempts);
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (attempt > 1) {
            // No second post once the user has cancelled.
            if (m_bCancelled)
                break;
            if (m_http->State() != platform::HttpControl::stateIdle)
                m_http->Abort();
            AddProgressMax(m_texts.resendProgress);
        }
        error.clear();
        number = 0;
        try {
            m_http->setSynchronous(true);
            m_http->setURL(url);
            answer = m_http->Post(sPostData);
        } catch (const vb::VBError &e) {
            answer.clear();
            error = e.Description();
            number = e.Number();
        } catch (const std::exception &e) {
            answer.clear();
            error = vb::Describe(e);
        }
        if (error.isEmpty() && !answer.isEmpty())
            break;
    }
    if (!error.isEmpty()) {
        if (m_texts.postErrorInStatus)
            setStatus(clsConnect::GetErrorMessage(number, error));
        WriteErrorLog(m_texts.postLabel + error);
    }
    return answer;
}

void ConnectRunControl::markLogin() {
    m_dLastLogin = m_bForgetLogin ? QDateTime() : seam::Now().toUTC();
    m_bForgetLogin = false;
}

void ConnectRunControl::setCaption(const QString &caption) {
    m_sCaption = caption;
    Q_EMIT captionChanged(caption);
}

void ConnectRunControl::setTitle(const QString &title) {
    m_sTitle = title;
    Q_EMIT titleChanged(title);
}

void ConnectRunControl::setStatus(const QString &status) {
    m_sStatus = status;
    Q_EMIT statusChanged(status);
}

void ConnectRunControl::setProgressValue(int value) {
    m_iProgressValue = value;
    Q_EMIT progressChanged(m_iProgressValue, m_iProgressMax);
}

void ConnectRunControl::setProgressMax(int maximum) {
    m_iProgressMax = maximum;
    Q_EMIT progressChanged(m_iProgressValue, m_iProgressMax);
}

void ConnectRunControl::StepProgress() {
    if (m_iProgressValue < m_iProgressMax)
        setProgressValue(m_iProgressValue + 1);
}
