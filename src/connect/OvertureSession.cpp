#include "connect/OvertureSession.h"

#include "connect/clsConnect.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/VB.h"

#include <exception>

namespace {

// Log labels.
const char *const kPrepareLabel = "frmConnectOvertureOverture_Prepare Error:  ";
const char *const kConnectLabel = "frmConnectOverture_Connect error:  ";
const char *const kTryagainLabel = "frmConnectOverture_Tryagain Error:  ";
const char *const kUpdateBidsLabel = "frmConnectOverture_UpdateBids error:  ";
const char *const kPostLabel = "frmConnectOverture_PostToServer error:  ";
const char *const kGetBidsLabel = "frmConnectOverTure_GetBids error: ";
const char *const kAllPagesLabel = "frmConnectOverTure_GetAllPageKeywordBids error: ";
const char *const kPageLabel = "frmConnectOverture_GetPageKeywordBids error ";
const char *const kFirstPageLabel = "frmConnectOverture_GetFirstPageKeywordBids error:  ";
const char *const kValidIDLabel = "frmConnectOverture_ValidAccountID error: ";
const char *const kSentBidsLabel = "frmConnectOverture_SentBidsToServer Error:  ";

// Status texts.
const char *const kConnecting = "Connecting ...";
const char *const kConnected = "Connected to Overture ...";
const char *const kLoggingIn = "Logging in to your account ... ";
const char *const kLoggedIn = "Logged in to your account ...";
const char *const kSelectAccount = "Select Account ... ";
const char *const kRetrievingFromAccount = "Retrieving keyword bid data from your account ...";
const char *const kRetrieving = "Retrieving keyword bid data ... ";
const char *const kUpdatingWait = "Please wait while updating keyword bids...";
const char *const kUpdating = "Updating bids...";
const char *const kUpdated = "Keyword bids have been successfully updated";

// Site texts, matched ignoring letter case.
const char *const kUnavailable = "System Temporarily Unavailable";
const char *const kLoginFailed = "Login failed";

// Error texts of a merged login.
const char *const kFailedToLogin = "Failed to login.";
const char *const kInvalidAccountID =
    "The Account Id you have entered is invalid. "
    "Please check your Account ID carefully and make sure to specify a correct Account ID for your 'Account' "
    "then try again.";
const char *const kAccountNotFound1 = "Account: ";
const char *const kAccountNotFound2 = " not find.";

// A login address on this site moves to the alternate secure host.
const char *const kOvertureSite = "overture";
const char *const kFirstPage = "1";

constexpr int kResendProgress = 2;
constexpr int kPageProgress = 2;

}  // namespace

const char *const OvertureSession::kUpdateSuffix =
    "&updating=true&submittype=all&submit=Update+Bids&_D:submit=+&_PN:submit=-10:submit:/go2/directraffic/"
    "handler/ChangeBidsFormHandler.submit";

ConnectTexts OvertureSession::OvertureTexts() {
    ConnectTexts t;
    t.engineFamily = QStringLiteral("Overture");
    t.windowCaption = QStringLiteral("Connect to  Overture...");
    t.gotBidsTitle = QStringLiteral("Keyword bid data has been successfully retrieved");
    t.updatedTitle = QStringLiteral("Keyword bids have been successfully updated");
    t.failedStatus = QStringLiteral("Connect Failed");
    t.loginProgressMax = 12;
    t.updateProgressMax = 4;
    t.prepareLabel = QString::fromLatin1(kPrepareLabel);
    t.connectLabel = QString::fromLatin1(kConnectLabel);
    t.tryagainLabel = QString::fromLatin1(kTryagainLabel);
    t.postLabel = QString::fromLatin1(kPostLabel);
    t.postAttempts = 2;
    t.resendProgress = kResendProgress;
    return t;
}

OvertureSession::OvertureSession(QObject *parent) : ConnectRunControl(OvertureTexts(), parent) {}

OvertureSession::~OvertureSession() = default;

void OvertureSession::LoadEngineData(const QString &sEngine) {
    m_sEngineDataFile = g_sEngineDataFile;
    auto scraper = NewScraper();
    OvertureMarkers markers;
    markers.Read(m_sEngineDataFile, sEngine);
    if (markers.LoginURL.contains(QLatin1String(kOvertureSite), Qt::CaseSensitive))
        markers.LoginURL = clsEngine::AlternateLoginURL(markers.LoginURL);
    markers.ApplyTo(*scraper);
    m_markers = markers;
    m_reader = std::make_unique<OverturePageReader>(*scraper, m_markers);
    setScraper(std::move(scraper));
}

// ---- log in and read ---------------------------------------------------------------------

bool OvertureSession::GetBids() {
    try {
        m_reader->setEngine(Engine());
        if (!Account())
            return false;
        const clsAccount &account = *Account();
        setStatus(QString::fromLatin1(kConnecting));

        QString answer;
        if (!GetFromServer(answer, m_markers.LoginURL) || answer.isEmpty())
            return false;
        if (answer.contains(QLatin1String(kUnavailable), Qt::CaseInsensitive)) {
            EndLoginAttempts();
            return false;
        }

        setStatus(QString::fromLatin1(kConnected));
        QString action;
        const FieldCollectionPtr loginFields = Scraper()->GetLoginFormFields(answer, action);
        if (!loginFields)
            return false;
        setStatus(QString::fromLatin1(kLoggingIn));
        answer = PostToServer(action, clsConnect::CreatePostStringFromCollection(
                                          *loginFields, m_markers.LoginUserNameField, account.UserName(),
                                          m_markers.LoginPasswordField, account.Password()));
        if (answer.isEmpty())
            return false;
        if (answer.contains(QLatin1String(kLoginFailed), Qt::CaseInsensitive)) {
            EndLoginAttempts();
            return false;
        }
        setStatus(QString::fromLatin1(kLoggedIn));

        if (!account.AccountID().isEmpty()) {
            setStatus(QString::fromLatin1(kSelectAccount));
            m_markers.ReadAccountForm(m_sEngineDataFile, Engine());
            QString selected;
            const QString ids = m_reader->GetAllMergeAccountID(answer, selected);
            if (ids.isEmpty()) {
                setErrorText(QString::fromLatin1(kFailedToLogin));
                return false;
            }
            if (!ValidAccountID(ids)) {
                setErrorText(QString::fromLatin1(kInvalidAccountID));
                EndLoginAttempts();
                return false;
            }
            m_colMergeFields = m_reader->GetMergeAccountFieldCol(answer, m_sMergeActionURL, account.AccountID());
            if (selected != account.AccountID()) {
                if (!m_colMergeFields)
                    return false;
                answer = PostToServer(m_sMergeActionURL,
                                      clsConnect::CreatePostStringFromCollection(
                                          *m_colMergeFields, m_markers.AccountIDFieldName, account.AccountID()));
                if (answer.isEmpty())
                    return false;
            }
        }

        const QString manageBids = m_reader->GetManageBidsURL(answer);
        setStatus(QString::fromLatin1(kRetrievingFromAccount));
        if (manageBids.isEmpty() || !GetFromServer(answer, manageBids))
            return false;
        setStatus(QString::fromLatin1(kRetrievingFromAccount));

        QString displayAction;
        const FieldCollectionPtr displayFields = m_reader->GetDisplayMaxFormFields(answer, displayAction);
        if (!displayFields)
            return false;
        setStatus(QString::fromLatin1(kRetrieving));
        // A number that is not one raises here: this attempt fails.
        if (vb::CInt(m_markers.DisplayMaxNum) != kSiteDefaultPerPage) {
            const QString post = clsConnect::CreatePostStringFromCollection(
                *displayFields, m_markers.DisplayMaxInputName, m_markers.DisplayMaxNum);
            answer = PostToServer(displayAction, post);
            if (answer.isEmpty())
                answer = PostToServer(displayAction, post);
            if (answer.isEmpty())
                return false;
        }
        return GetAllPageKeywordBids(answer);
    } catch (const std::exception &e) {
        WriteErrorLog(kGetBidsLabel, e);
        return false;
    }
}

bool OvertureSession::ValidAccountID(const QString &sAccountList) {
    try {
        const QString id = Account() ? Account()->AccountID() : QString();
        for (const QString &entry : vb::Split(sAccountList, QStringLiteral(";")))
            if (entry.compare(id, Qt::CaseInsensitive) == 0)
                return true;
        setTitle(Title() + QStringLiteral("\r\n") + QString::fromLatin1(kAccountNotFound1) + id +
                 QString::fromLatin1(kAccountNotFound2));
    } catch (const std::exception &e) {
        WriteErrorLog(kValidIDLabel, e);
    }
    return false;
}

QString OvertureSession::pageSwitch(const FieldCollection &fields, int page) const {
    return clsConnect::CreatePostStringFromCollection(fields, m_markers.SelectTagFieldName, QString::number(page));
}

bool OvertureSession::GetAllPageKeywordBids(const QString &sPage) {
    try {
        QString action;
        QString selected;
        int pageCount = 0;
        const FieldCollectionPtr select = m_reader->GetComboFormField(sPage, action, pageCount, selected);
        if (!select)
            return false;
        QString page = sPage;
        if (selected != QLatin1String(kFirstPage)) {
            AddProgressMax(kPageProgress);
            page = PostToServer(action, pageSwitch(*select, 1));
            if (page.isEmpty())
                return false;
        }
        if (!GetFirstPageKeywordBids(page))
            return false;
        if (pageCount >= 2) {
            AddProgressMax(kPageProgress * (pageCount - 1));
            const int expected = pageCount * qMax(1, m_colKeywordFields->Count());
            m_colKeywordFields->Reserve(expected);
            if (KeywordsCollection()->Count() < expected)
                KeywordsCollection()->Reserve(expected);
            for (int n = 2; n <= pageCount; ++n) {
                page = PostToServer(action, pageSwitch(*select, n));
                if (page.isEmpty() || !GetPageKeywordBids(page))
                    return false;
            }
            if (PostToServer(action, pageSwitch(*select, 1)).isEmpty())
                return false;
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kAllPagesLabel, e);
        return false;
    }
}

bool OvertureSession::GetFirstPageKeywordBids(const QString &sPage) {
    m_colKeywordFields = std::make_shared<FieldCollection>();
    m_colHiddenFields = std::make_shared<FieldCollection>();
    m_pages.clear();
    auto page = std::make_shared<BidPage>();
    if (!m_reader->ReadBidPage(sPage, *page, *m_colKeywordFields, *KeywordsCollection(),
                               QString::fromLatin1(kFirstPageLabel)))
        return false;
    page->actionURL = clsConnect::FormatURL(page->actionURL, HttpAutoBid().URL());
    m_sBidFormActionURL = page->actionURL;
    m_colHiddenFields = page->hidden;
    m_pages.push_back(page);
    return true;
}

bool OvertureSession::GetPageKeywordBids(const QString &sPage) {
    auto page = std::make_shared<BidPage>();
    if (!m_reader->ReadBidPage(sPage, *page, *m_colKeywordFields, *KeywordsCollection(),
                               QString::fromLatin1(kPageLabel)))
        return false;
    page->actionURL = clsConnect::FormatURL(page->actionURL, HttpAutoBid().URL());
    m_pages.push_back(page);
    return true;
}

// ---- post the bids -----------------------------------------------------------------------

ConnectRunControl::UpdateResult OvertureSession::UpdateBids() {
    const FieldCollectionPtr keptFields = m_colKeywordFields;
    const FieldCollectionPtr keptHidden = m_colHiddenFields;
    const std::vector<BidPagePtr> keptPages = m_pages;
    const QString keptAction = m_sBidFormActionURL;
    try {
        m_reader->setEngine(Engine());
        Scraper()->EditKeywordFields(*KeywordsCollection(), *m_colKeywordFields);
        if (SentBidsToServer())
            return UpdateResult::Posted;
    } catch (const std::exception &e) {
        WriteErrorLog(kUpdateBidsLabel, e);
    }
    m_colKeywordFields = keptFields;
    m_colHiddenFields = keptHidden;
    m_pages = keptPages;
    m_sBidFormActionURL = keptAction;
    return UpdateResult::Failed;
}

FieldCollection OvertureSession::MergeFieldCollections(const std::vector<clsFieldPtr> &rows,
                                                       const FieldCollection &hidden) {
    FieldCollection merged;
    merged.Reserve(hidden.Count() + int(rows.size()));
    for (const clsFieldPtr &f : hidden)
        merged.Add(f);
    for (const clsFieldPtr &f : rows)
        merged.Add(f);
    return merged;
}

QString OvertureSession::bidPostString(const BidPage &page) const {
    return clsConnect::CreatePostStringFromCollection(MergeFieldCollections(page.rows, *page.hidden)) +
           QString::fromLatin1(kUpdateSuffix);
}

// Each page's rows go out with the form of the page they were read from,
// while the site shows that page.
bool OvertureSession::SentBidsToServer() {
    try {
        const std::vector<BidPagePtr> pages = m_pages;
        if (pages.empty())
            return false;
        setStatus(QString::fromLatin1(kUpdatingWait));
        QString answer = PostToServer(pages.front()->actionURL, bidPostString(*pages.front()));
        if (answer.isEmpty())
            return false;
        setStatus(QString::fromLatin1(kUpdating));
        if (!GetFirstPageKeywordBids(answer))
            return false;
        QString selectAction;
        QString selected;
        int pageCount = 0;
        const FieldCollectionPtr select = m_reader->GetComboFormField(answer, selectAction, pageCount, selected);
        if (!select)
            return false;
        const int count = int(pages.size());
        if (count < 2)
            return true;
        AddProgressMax(kPageProgress * (count - 1));
        for (int n = 2; n <= count; ++n) {
            answer = PostToServer(selectAction, pageSwitch(*select, n));
            if (answer.isEmpty()) {
                PostToServer(selectAction, pageSwitch(*select, 1));
                return false;
            }
            answer = PostToServer(pages[size_t(n - 1)]->actionURL, bidPostString(*pages[size_t(n - 1)]));
            if (answer.isEmpty())
                return false;
            if (n == count)
                setStatus(QString::fromLatin1(kUpdated));
            if (!GetPageKeywordBids(answer))
                return false;
        }
        // Back to the first page, where the next update starts.
        if (PostToServer(selectAction, pageSwitch(*select, 1)).isEmpty())
            ForgetLogin();
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kSentBidsLabel, e);
        return false;
    }
}
