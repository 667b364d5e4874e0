#include "lookup/clsRanking.h"

#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "lookup/IRankingCaller.h"
#include "lookup/RankingResultsFile.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <exception>

const char *const clsRanking::kDecodeURLEngineKey = "DecodeURLEngine";

namespace {

const char kEngineListSection[] = "OvertureEngines";
const char kSetVariableLabel[] = "clsranking_SetVariable error:  ";
const char kConnectLabel[] = "clsRanking_connect_Error: ";
const char kProcessDataLabel[] = "clsRanking_ProcessData error:  ";
const char kGetResultLabel[] = "clsRanking_GetResult: Engine Name = ";
const char kGetResultErrorPart[] = "Error= ";
const char kFailStatus[] = "Fail";
const char kStatusField[] = "Status";
const char kTimeFormat[] = "h:mm:ss AP";
const char kNoObject[] = "Object variable or With block variable not set";
constexpr int errNoObject = 91;
constexpr int kPositionFields = 5;

// Accounts held by a running look-up, by engine and account, letter case ignored.
QSet<QString> &heldAccounts() {
    static QSet<QString> accounts;
    return accounts;
}

QString accountKey(const QString &engine, const QString &account) {
    return (engine + QLatin1Char('\n') + account).toCaseFolded();
}

bool isSuccessStatus(const QString &statusCode) {
    bool ok = false;
    const int status = statusCode.trimmed().toInt(&ok);
    return ok && status >= 200 && status <= 299;
}

}  // namespace

clsRanking::clsRanking() : m_frmHTTP(new frmHTTP) {}

clsRanking::~clsRanking() {
    CloseHTTPForm();
    releaseAccount();
}

bool clsRanking::IsAccountBeingLookedUp(const QString &engine, const QString &account) {
    return heldAccounts().contains(accountKey(engine, account));
}

void clsRanking::holdAccount() {
    releaseAccount();
    m_sHeldAccount = accountKey(m_sEngineName, m_sAccountName);
    heldAccounts().insert(m_sHeldAccount);
}

void clsRanking::releaseAccount() {
    if (m_sHeldAccount.isEmpty())
        return;
    heldAccounts().remove(m_sHeldAccount);
    m_sHeldAccount.clear();
}

void clsRanking::setComplete(bool value) {
    m_bComplete = value;
    if (value)
        releaseAccount();
}

void clsRanking::setDisconnected(bool bValue) {
    m_bDisconnected = bValue;
    if (bValue)
        releaseAccount();
}

QString clsRanking::SearchTerm(const QString &keyword) {
    QString term = keyword;
    const int open = vb::InStr(term, QStringLiteral("("));
    const int close = vb::InStr(term, QStringLiteral(")"));
    if (open > 0 && close > open) {
        const QString inner = vb::Trim(vb::Mid(term, open + 1, close - open - 1));
        const QString outer = vb::Trim(vb::Left(term, open - 1));
        // An empty text is contained in any text.
        if (vb::InStr(outer, inner, true) > 0 || vb::InStr(inner, outer, true) > 0)
            term.replace(QLatin1Char('(') + inner + QLatin1Char(')'), QString(), Qt::CaseSensitive);
    }
    return term;
}

bool clsRanking::SetVariable(int iEngineIndex, const QString &sSelectedKeyword, int *iNumofKeyword) {
    bool result = false;
    m_bRefusedBusy = false;
    try {
        if (!m_oEngine)
            vb::Raise(errNoObject, QString::fromLatin1(kNoObject));
        const clsEngine &engine = *m_oEngine;
        m_sEngineName = engine.GetEnginName(iEngineIndex);
        ResultMarkers markers;
        markers.ResultStartString = engine.GetResultStartString(iEngineIndex);
        markers.ResultEndString = engine.GetResultEndString(iEngineIndex);
        markers.beginTitle = engine.GetBeginTitle(iEngineIndex);
        markers.endTitle = engine.GetEndTitle(iEngineIndex);
        markers.beginURL = engine.GetBeginURL(iEngineIndex);
        markers.endURL = engine.GetEndURL(iEngineIndex);
        markers.beginPrice = engine.GetBeginPrice(iEngineIndex);
        markers.endPrice = engine.GetEndPrice(iEngineIndex);
        // Without the key no engine's URLs are decoded.
        const QString decodeEngine = vb::Trim(ReadIniString(g_sEngineDataFile, QString::fromLatin1(kEngineListSection),
                                                            QString::fromLatin1(kDecodeURLEngineKey)));
        const bool decode = !decodeEngine.isEmpty() && vb::UCase(m_sEngineName) == vb::UCase(decodeEngine);
        m_oParser = std::make_unique<ResultPageParser>(markers, m_sEngineName, decode);

        m_oKeywords = std::make_unique<clsKeywords>();
        m_oKeywords->setEngine(m_sEngineName);
        m_oKeywords->setAccountName(m_sAccountName);
        m_oKeywords->loadKeywords();
        const int count = m_oKeywords->Keywords()->Count();
        if (iNumofKeyword)
            *iNumofKeyword = count;

        m_colSearch.clear();
        m_colKeywords.clear();
        m_bComplete = false;
        m_bDisconnected = false;
        m_bStopping = false;
        m_bURLsRead = false;
        m_oURLs.reset();
        if (IsAccountBeingLookedUp(m_sEngineName, m_sAccountName) &&
            m_sHeldAccount != accountKey(m_sEngineName, m_sAccountName)) {
            m_bRefusedBusy = true;
            return false;
        }

        const QString method = engine.GetSubmitMethod(iEngineIndex);
        for (int i = 1; i <= count; ++i) {
            const QString keyword = m_oKeywords->GetKeyword(i);
            if (!sSelectedKeyword.isEmpty() && sSelectedKeyword != keyword)
                continue;
            m_colKeywords.append(keyword);
            const QString term = SearchTerm(keyword);
            clsSearchKeyword request;
            request.setURL(engine.GetURL(m_sEngineName, term));
            request.setPostData(engine.GetPostString(iEngineIndex, term));
            request.setSubmitMethod(method);
            m_colSearch.append(request);
            if (!sSelectedKeyword.isEmpty())
                break;
        }
        result = !m_colKeywords.isEmpty();
        if (result)
            holdAccount();
        else
            releaseAccount();
    } catch (const std::exception &e) {
        WriteErrorLog(kSetVariableLabel, e);
    }
    return result;
}

void clsRanking::sendCurrent() {
    const clsSearchKeyword &request = m_colSearch.at(m_iIndex - 1);
    m_frmHTTP->setSubmitMethod(request.SubmitMethod());
    m_frmHTTP->setPostData(request.PostData());
    m_frmHTTP->Connect1(request.URL());
}

void clsRanking::Connect() {
    try {
        if (!m_frmHTTP)
            vb::Raise(errNoObject, QString::fromLatin1(kNoObject));
        m_frmHTTP->setObject(this);
        if (m_colSearch.isEmpty()) {
            setComplete(true);
            return;
        }
        m_iIndex = 1;
        if (m_oCallForm)
            m_oCallForm->SetStatus();
        sendCurrent();
    } catch (const std::exception &e) {
        WriteErrorLog(kConnectLabel, e);
    }
}

void clsRanking::Disconnect() {
    m_bStopping = true;
    if (m_frmHTTP)
        m_frmHTTP->Disconnect();
}

void clsRanking::ProcessData(const QString &sStatusCode, const QString &sResult) {
    if (m_bStopping || m_bComplete || m_iIndex < 1 || m_iIndex > m_colSearch.size() || !m_oKeywords)
        return;
    try {
        m_sKeyword = vb::Trim(m_colKeywords.at(m_iIndex - 1));
        // An error page is no result page: the keyword's files stay as they were.
        if (sResult.isEmpty() || !isSuccessStatus(sStatusCode)) {
            m_oKeywords->UpdateObject(m_sKeyword, QString::fromLatin1(kStatusField), QString::fromLatin1(kFailStatus));
        } else {
            GetResult(sResult);
            m_oKeywords->UpdateObject(m_sKeyword, QString::fromLatin1(kStatusField),
                                      QLocale::c().toString(seam::Now().time(), QString::fromLatin1(kTimeFormat)));
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kProcessDataLabel, e);
    }
    // The chain goes on whatever happened to this keyword, so the look-up always ends.
    try {
        if (m_iIndex < m_colSearch.size()) {
            ++m_iIndex;
            if (m_oCallForm)
                m_oCallForm->SetStatus();
            if (m_frmHTTP)
                sendCurrent();
        } else {
            m_oKeywords->SaveKeywords();
            setComplete(true);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kProcessDataLabel, e);
    }
}

void clsRanking::GetResult(const QString &sPage) {
    const QString label = QString::fromLatin1(kGetResultLabel) + m_sEngineName + QString::fromLatin1(kGetResultErrorPart);
    try {
        // The account's own URLs are read once per look-up.
        if (!m_bURLsRead) {
            m_oURLs = clsURL::GetURLCollection(m_sEngineName, m_sAccountName);
            m_bURLsRead = true;
        }
        const ResultPage page = m_oParser->Parse(sPage, m_oURLs);
        QString writeError;
        if (!RankingResultsFile::Write(clsKeywords::ResultsFile(m_sEngineName, m_sKeyword), page.Listings, &writeError))
            WriteErrorLog(label + writeError);
        const int positions = std::min<int>(kPositionFields, int(page.Listings.size()));
        for (int n = 1; n <= positions; ++n)
            m_oKeywords->UpdateObject(m_sKeyword, QString::number(n), page.Listings.at(n - 1).Price);
        if (page.HasSummary()) {
            m_oKeywords->UpdateObject(m_sKeyword, QStringLiteral("CurBid"), page.CurBid);
            m_oKeywords->UpdateObject(m_sKeyword, QStringLiteral("CurPos"), page.CurPos);
            m_oKeywords->UpdateObject(m_sKeyword, QStringLiteral("NextBid"), page.NextBid);
        }
        if (!page.Error.isEmpty())
            WriteErrorLog(label + page.Error);
    } catch (const std::exception &e) {
        WriteErrorLog(label + vb::Describe(e));
    }
}

QString clsRanking::DecodedHTMLString(const QString &sMyString) { return ResultPageParser::DecodedHTMLString(sMyString); }

void clsRanking::CloseHTTPForm() {
    if (!m_frmHTTP)
        return;
    m_frmHTTP->Unload();
    m_frmHTTP = nullptr;
}
