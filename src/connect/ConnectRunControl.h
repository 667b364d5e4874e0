#pragma once
// The run control every connection window shares, without a screen: the
// contract (account, action, keyword collection, cancelled), the start wait
// after Prepare, at most two attempts with a retry wait between them, the
// failure message left standing for the retry wait before the run cancels,
// Cancel, and the reuse of a recent login by an update.
//
// An engine derives from it and supplies the steps of one attempt (log in
// and read every page; post the bids) and its texts. A whole attempt runs
// inside one timer tick; its requests return only when answered, serving
// events meanwhile, so Cancel can arrive in the middle of one.
//
// Once cancelled, a run sends nothing more, arms no timer and stays
// cancelled until the next Prepare.
//
// The requests of a run go through GetFromServer and PostToServer on the
// run's own HTTP control, which the engine's scraper (set when the engine
// data is read) configures.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/clsKeyword.h"
#include "platform/HttpControl.h"

class clsAccount;
class clsConnect;

// What differs between engines in the run control: texts, log labels,
// progress maxima and how a POST is sent.
struct ConnectTexts {
    QString engineFamily;           // named in the final failure advice ("Overture")
    QString windowCaption;          // until the first attempt sets its own
    QString preparingTitle = QStringLiteral("Please wait while connecting ....");  // after Prepare
    QString connectingTitle = QStringLiteral("Please wait while connecting to the web server ...");  // before a login
    QString gotBidsTitle;           // after a successful read
    QString updatingTitle = QStringLiteral("Please wait while updating your keyword bids ....");  // before the post
    QString updatedTitle;           // after a successful update
    QString retryTitle = QStringLiteral("Connection failed. Please wait while re-trying again ...");
    QString retryStatus = QStringLiteral("Login failed or System Temporarily Unavailable.");
    QString failedStatus;           // with the final failure message
    int loginProgressMax = 12;
    int updateProgressMax = 4;
    QString prepareLabel;           // error log labels
    QString connectLabel;
    QString tryagainLabel;
    QString postLabel;
    // A POST that fails or comes back empty is sent up to this many times
    // in all, each re-send adding resendProgress to the progress maximum.
    int postAttempts = 2;
    int resendProgress = 2;
    // A failed POST shows its error in the status, as a failed GET does.
    bool postErrorInStatus = false;
    // A successful post counts as a fresh login for the reuse by an update.
    bool postRenewsLogin = true;
};

class ConnectRunControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kStartDelayMs = 2000;
    static constexpr int kRetryDelayMs = 6000;
    // A login younger than this many minute boundaries serves an update.
    static constexpr int kLoginReuseMinutes = 13;
    // Attempt counters start at 1; at this value no further attempt is made.
    static constexpr int kGiveUpCount = 3;

    explicit ConnectRunControl(ConnectTexts texts, QObject *parent = nullptr);
    ~ConnectRunControl() override;

    // ---- the contract ----
    KeywordCollectionPtr KeywordsCollection() const { return m_colKeywords; }
    void setKeywordsCollection(KeywordCollectionPtr colKeywords) { m_colKeywords = std::move(colKeywords); }
    std::shared_ptr<clsAccount> Account() const { return m_oAccount; }
    void setAccount(std::shared_ptr<clsAccount> oAccount) { m_oAccount = std::move(oAccount); }
    QString Action() const { return m_sAction; }
    void setAction(const QString &sAction) { m_sAction = sAction; }
    bool Cancelled() const { return m_bCancelled; }
    // Keeps the engine name, reads the engine data when asked (or when none
    // was read yet), resets the attempts and the texts and starts the start
    // wait. A bad engine data file makes the attempts fail.
    void Prepare(const QString &sEngine, bool bLoadEngineFile);
    // Cancel, the close box and Esc: aborts the request in flight, stops
    // both waits, sets Cancelled and ends the run.
    void CancelConnect();

    // ---- what a window shows ----
    QString Engine() const { return m_sEngine; }
    QString Caption() const { return m_sCaption; }
    QString Title() const { return m_sTitle; }
    QString Status() const { return m_sStatus; }
    int ProgressValue() const { return m_iProgressValue; }
    int ProgressMax() const { return m_iProgressMax; }
    // Waiting to start or retry, or inside an attempt.
    bool Active() const;
    bool Running() const { return m_bRunning; }
    // The run's own HTTP control (synchronous requests).
    platform::HttpControl &HttpAutoBid() { return *m_http; }

    // ---- state across runs ----
    // The text shown after the last failed attempt ("" for the general advice).
    QString ErrorText() const { return m_sErrorText; }
    // The last successful login or post (UTC; invalid before the first).
    QDateTime LastLogin() const { return m_dLastLogin; }
    // Less than kLoginReuseMinutes minute boundaries ago on UTC; a login
    // time in the future is not recent.
    bool LoginIsRecent() const;
    int GetBidsAttempt() const { return m_iGetBidsTry; }
    int UpdateAttempt() const { return m_iUpdateTry; }

    // ---- the waits (tests set the intervals or fire them) ----
    void setStartInterval(int ms) { m_tmrStart.setInterval(ms); }
    void setRetryInterval(int ms) { m_tmrTryAgain.setInterval(ms); }
    int StartInterval() const { return m_tmrStart.interval(); }
    int RetryInterval() const { return m_tmrTryAgain.interval(); }
    bool StartPending() const { return m_tmrStart.isActive(); }
    bool RetryPending() const { return m_tmrTryAgain.isActive(); }
    // Ends a pending wait now, as its tick would; nothing when none is pending.
    void FireStartTimer();
    void FireRetryTimer();

Q_SIGNALS:
    void captionChanged(const QString &caption);
    void titleChanged(const QString &title);
    void statusChanged(const QString &status);
    void progressChanged(int value, int maximum);
    // The run is over (success, cancel or giving up): the window hides.
    void finished();

protected:
    enum class UpdateResult {
        Posted,
        Failed,         // worth another attempt
        FailedForGood,  // no further attempt; the step has set its texts
    };

    // ---- engine steps ----
    // Reads the engine's section of the engine data file; raises on data
    // that can't serve a run.
    virtual void LoadEngineData(const QString &sEngine) = 0;
    virtual bool EngineDataLoaded() const = 0;
    // Logs in and reads every page into KeywordsCollection().
    virtual bool GetBids() = 0;
    // Posts the new bids of KeywordsCollection() on the current login.
    virtual UpdateResult UpdateBids() = 0;
    // Aborts the request in flight, if any.
    virtual void AbortRequest();

    // ---- requests, for the steps ----
    // The scraper of the last engine data read (null before the first);
    // it puts the connection settings on the control before each GET.
    clsConnect *Scraper() const { return m_oConnect.get(); }
    void setScraper(std::unique_ptr<clsConnect> scraper);
    // A scraper as every engine session sets it up: no cache, no security
    // prompts, two minutes per request.
    static std::unique_ptr<clsConnect> NewScraper();
    // GET of a link completed against the control's URL. False (with the
    // error worded in the status) when it failed or the run is cancelled.
    bool GetFromServer(QString &sResult, const QString &sURL);
    // POST of a body to a link completed against the control's URL, with
    // the settings of the last GET; re-sent as the engine's texts say unless
    // the run was cancelled. The body of the answer ("" when none or failed;
    // a failure is logged under the engine's label).
    QString PostToServer(const QString &sURL, const QString &sPostData);

    // ---- for the steps ----
    const ConnectTexts &Texts() const { return m_texts; }
    void setCaption(const QString &caption);
    void setTitle(const QString &title);
    void setStatus(const QString &status);
    void setProgressValue(int value);
    void setProgressMax(int maximum);
    void AddProgressMax(int amount) { setProgressMax(m_iProgressMax + amount); }
    // One step of a request: the value goes up while below the maximum.
    void StepProgress();
    void setErrorText(const QString &text) { m_sErrorText = text; }
    // The site refused for good (unavailable, bad login): no further attempt.
    void EndLoginAttempts() { m_iGetBidsTry = kGiveUpCount; }
    // The site's state is no longer known: the next update logs in first.
    void ForgetLogin() { m_bForgetLogin = true; }

private:
    void onStartTick();
    void onRetryTick();
    void Connect();
    bool runUpdate();
    void Tryagain();
    void finish();
    void markLogin();

    ConnectTexts m_texts;
    KeywordCollectionPtr m_colKeywords;
    std::shared_ptr<clsAccount> m_oAccount;
    QString m_sAction;
    bool m_bCancelled = false;
    QString m_sEngine;
    bool m_bEngineDataFailed = false;

    QString m_sCaption;
    QString m_sTitle;
    QString m_sStatus;
    int m_iProgressValue = 0;
    int m_iProgressMax = 0;

    QString m_sErrorText;
    QDateTime m_dLastLogin;
    bool m_bRelogin = false;
    bool m_bForgetLogin = false;
    int m_iGetBidsTry = 1;
    int m_iUpdateTry = 1;
    bool m_bRunning = false;

    QTimer m_tmrStart;
    QTimer m_tmrTryAgain;
    platform::HttpControl *m_http = nullptr;
    platform::HttpHeaders m_headers;  // the GETs add no header of their own
    std::unique_ptr<clsConnect> m_oConnect;
};
