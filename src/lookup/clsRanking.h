#pragma once
// The ranking look-up of one account's keywords on one engine: one request
// per keyword through its own HTTP client window, one after another, each
// answer cut into listings, written to the keyword's results file and
// summed up in the keyword's record; Keywords.dat is rewritten when the
// last keyword is done, never when the look-up is stopped.
//
// One look-up per account at a time, whichever window starts it: while an
// object holds an account, SetVariable of any other object for the same
// account refuses (returns false), as when there is nothing to look up.

#include "connect/frmHTTP.h"
#include "lookup/ResultPageParser.h"
#include "lookup/clsSearchKeyword.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class clsEngine;
class clsKeywords;
class IRankingCaller;

class clsRanking : public IHTTPCaller {
public:
    // The engine data file's key (section "OvertureEngines") naming the one
    // engine whose listing URLs are percent-encoded.
    static const char *const kDecodeURLEngineKey;

    clsRanking();
    ~clsRanking() override;
    clsRanking(const clsRanking &) = delete;
    clsRanking &operator=(const clsRanking &) = delete;

    // The window that receives SetStatus (not owned).
    void setCallForm(IRankingCaller *caller) { m_oCallForm = caller; }
    const QString &EngineName() const { return m_sEngineName; }
    const QString &AccountName() const { return m_sAccountName; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    void setEngineObject(std::shared_ptr<const clsEngine> engine) { m_oEngine = std::move(engine); }

    bool Complete() const { return m_bComplete; }
    void setComplete(bool value);
    bool Disconnected() const { return m_bDisconnected; }
    void setDisconnected(bool bValue) override;

    // Loads the account's keywords and queues one request per keyword (only
    // the first exact match of sSelectedKeyword when it is not empty).
    // iNumofKeyword receives the number of keywords of the account. False
    // when nothing was queued, the engine index is bad, or the account is
    // being looked up already.
    bool SetVariable(int iEngineIndex, const QString &sSelectedKeyword = QString(), int *iNumofKeyword = nullptr);
    // Sends the first request (Complete at once when nothing is queued).
    void Connect();
    // Stops the request in flight; Disconnected follows from the HTTP window.
    void Disconnect();
    void ProcessData(const QString &sStatusCode, const QString &sResult) override;
    static QString DecodedHTMLString(const QString &sMyString);
    // Releases the HTTP window; no callback arrives after this.
    void CloseHTTPForm();

    // True while some look-up holds that account (engine and account
    // compared without regard to letter case).
    static bool IsAccountBeingLookedUp(const QString &engine, const QString &account);
    // True when the last SetVariable refused because the account was busy.
    bool RefusedBusyAccount() const { return m_bRefusedBusy; }

    // The term a keyword is searched by: a bracket that repeats the text
    // before it ("shoes (shoes)") or holds it ("(cheap) cheap shoes") is dropped.
    static QString SearchTerm(const QString &keyword);
    // The queued requests (for the windows' progress and for tests).
    const QList<clsSearchKeyword> &Requests() const { return m_colSearch; }
    frmHTTP *HTTPForm() const { return m_frmHTTP; }

private:
    void sendCurrent();
    void GetResult(const QString &sPage);
    void holdAccount();
    void releaseAccount();

    IRankingCaller *m_oCallForm = nullptr;
    std::shared_ptr<const clsEngine> m_oEngine;
    QString m_sAccountName;
    QString m_sEngineName;
    bool m_bComplete = false;
    bool m_bDisconnected = false;
    bool m_bStopping = false;
    bool m_bRefusedBusy = false;
    QString m_sHeldAccount;  // registry key of the account this object holds ("" when none)
    frmHTTP *m_frmHTTP = nullptr;
    QList<clsSearchKeyword> m_colSearch;
    QStringList m_colKeywords;
    int m_iIndex = 0;  // 1-based, into both queues
    QString m_sKeyword;
    std::unique_ptr<ResultPageParser> m_oParser;
    std::unique_ptr<clsKeywords> m_oKeywords;
    URLCollectionPtr m_oURLs;
    bool m_bURLsRead = false;
};
