#include "connect/FindWhatSession.h"

#include "connect/clsConnect.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/VB.h"

#include <exception>

namespace {

// Log labels.
const char *const kPrepareLabel = "frmConnectFindwhat_Prepare Error:  ";
const char *const kConnectLabel = "frmConnectFindWhat_Connect error: ";
const char *const kUpdateBidsLabel = "frmConnectFindWhat_UpdateBids error:  ";
const char *const kAfterUpdateLabel = "frmConnectFindwhat_GetBidsAfterUpdate error: ";
const char *const kSentBidsLabel = "frmConnectFindwhat_SentBidsToServer Error:  ";
const char *const kPostLabel = "frmConnectFindWhat_PostToServer error:  ";
const char *const kTryagainLabel = "frmConnectOverture_Tryagain Error:  ";
const char *const kGetBidsLabel = "frmConnectFindWhat_GetBids error: ";
const char *const kWebSiteLabel = "frmConnectFindwhat_GetWebSiteKeywordBid error: ";

// Status texts.
const char *const kConnecting = "Connecting ...";
const char *const kConnected = "Connecting to search engine successfully ...";
const char *const kLoggingIn = "Logging in to your account ... ";
const char *const kLoggedIn = "Logged in to your account ...";
const char *const kToManager = "Connecting to Account Manager ...";
const char *const kAtManager = "Connected to Account Manager ...";
const char *const kRetrievingBids = "Retrieving keyword bids from your account ...";
const char *const kRetrievingAgain = "Retrieving keyword bid data from your account ...";
const char *const kUpdating = "Updating bids ...";
const char *const kUpdated = "Keyword bids have been successfully updated";
const char *const kReadingNewBids = "Retrieve new bid data from the server";
const char *const kReadFailedStatus = "Fail to retrieve new bid data";

// Titles of the update.
const char *const kSentTitle1 = "Your bid change request has been sent to the server suceessfully. ";
const char *const kSentTitle2 = "Please wait while retrieving new bid details from your account ...";
const char *const kReadFailedTitle1 = "Unable to retrieve new bid data from the server. ";
const char *const kReadFailedTitle2 = "Please try again by clicking the 'Get Bids' button.";

constexpr int kPageProgress = 2;

}  // namespace

const char *const FindWhatSession::kAcknowledgement = "We have received your bid change request";

ConnectTexts FindWhatSession::FindWhatTexts() {
    ConnectTexts t;
    t.engineFamily = QStringLiteral("FindWhat");
    t.windowCaption = QStringLiteral("Connect to  FindWhat...");
    t.gotBidsTitle = QStringLiteral("Retrieve keyword bid data successfully.");
    t.updatedTitle = QStringLiteral("Keyword bids have been updated successfully.");
    t.failedStatus = QStringLiteral("Login Failed");
    t.loginProgressMax = 20;
    t.updateProgressMax = 18;
    t.prepareLabel = QString::fromLatin1(kPrepareLabel);
    t.connectLabel = QString::fromLatin1(kConnectLabel);
    t.tryagainLabel = QString::fromLatin1(kTryagainLabel);
    t.postLabel = QString::fromLatin1(kPostLabel);
    // Each POST is sent once; a failure shows like a failed GET.
    t.postAttempts = 1;
    t.resendProgress = 0;
    t.postErrorInStatus = true;
    // The login's age counts from the login alone.
    t.postRenewsLogin = false;
    return t;
}

FindWhatSession::FindWhatSession(QObject *parent) : ConnectRunControl(FindWhatTexts(), parent) {}

FindWhatSession::~FindWhatSession() = default;

void FindWhatSession::LoadEngineData(const QString &sEngine) {
    auto scraper = NewScraper();
    FindWhatMarkers markers;
    markers.Read(g_sEngineDataFile, sEngine);  // raises on a bad page size
    markers.ApplyTo(*scraper);
    m_markers = markers;
    m_reader = std::make_unique<FindWhatPageReader>(*scraper, m_markers);
    setScraper(std::move(scraper));
}

bool FindWhatSession::GetTwice(QString &sResult, const QString &sURL, const QString &retryStatus) {
    if (GetFromServer(sResult, sURL))
        return true;
    if (Cancelled())
        return false;
    if (!retryStatus.isEmpty())
        setStatus(retryStatus);
    return GetFromServer(sResult, sURL);
}

// ---- log in and read ---------------------------------------------------------------------

bool FindWhatSession::GetBids() {
    try {
        m_reader->setEngine(Engine());
        if (!Account())
            return false;
        const clsAccount &account = *Account();
        setStatus(QString::fromLatin1(kConnecting));
        StepProgress();

        QString answer;
        if (!GetFromServer(answer, m_markers.LoginURL) || answer.isEmpty())
            return false;
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
        setStatus(QString::fromLatin1(kLoggedIn));

        // A refused login shows no Account Manager link.
        const QString manager = m_reader->GetManageBidsURL(answer);
        setStatus(QString::fromLatin1(kToManager));
        if (manager.isEmpty() || !GetFromServer(answer, manager))
            return false;
        setStatus(QString::fromLatin1(kAtManager));
        QStringList webSites;
        if (!m_reader->GetEveryWebSiteURLs(answer, HttpAutoBid().URL(), webSites))
            return false;

        setStatus(QString::fromLatin1(kRetrievingBids));
        m_colFields = std::make_shared<FieldCollection>();
        m_pages.clear();
        m_oFirstField.reset();
        m_bFirstPage = true;
        for (const QString &url : webSites) {
            if (!GetTwice(answer, url, QString::fromLatin1(kRetrievingAgain)))
                return false;
            // Keywords left out of the read would be lost to the caller.
            if (!GetWebSiteKeywordBid(answer))
                return false;
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kGetBidsLabel, e);
        return false;
    }
}

bool FindWhatSession::GetWebSiteKeywordBid(QString sPage) {
    try {
        const QString perPage = m_reader->GetMaxKeywordPerPage(sPage);
        if (!perPage.isEmpty() && !GetTwice(sPage, perPage))
            return false;
        QStringList links;
        if (!m_reader->GetEveryPageURLs(sPage, HttpAutoBid().URL(), links) || links.isEmpty())
            return false;
        if (links.first() != HttpAutoBid().URL() && !GetFromServer(sPage, links.first()))
            return false;
        if (!GetPageKeywordBids(sPage))
            return false;
        AddProgressMax(kPageProgress * int(links.size()));
        // Room for the site's other pages, as large as the first one.
        const int expected = m_colFields->Count() + int(links.size() - 1) * m_pages.back()->record->KeywordCount();
        if (m_colFields->Count() < expected)
            m_colFields->Reserve(expected);
        if (KeywordsCollection()->Count() < expected)
            KeywordsCollection()->Reserve(expected);
        for (int i = 1; i < links.size(); ++i) {
            if (!GetTwice(sPage, links[i], QString::fromLatin1(kRetrievingAgain)))
                return false;
            if (!GetPageKeywordBids(sPage))
                return false;
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kWebSiteLabel, e);
        return false;
    }
}

bool FindWhatSession::GetPageKeywordBids(const QString &sPage) {
    auto page = std::make_shared<KeywordPage>();
    if (!m_reader->GetPageKeywordBids(sPage, HttpAutoBid().URL(), m_bFirstPage, *page, *m_colFields,
                                      *KeywordsCollection()))
        return false;
    if (m_bFirstPage)
        m_oFirstField = page->firstField;
    m_pages.push_back(page);
    m_bFirstPage = false;
    return true;
}

// ---- post the bids -----------------------------------------------------------------------

ConnectRunControl::UpdateResult FindWhatSession::UpdateBids() {
    try {
        Scraper()->EditKeywordFields(*KeywordsCollection(), *m_colFields);
        if (!SentBidsToServer())
            return UpdateResult::Failed;
        setTitle(QString::fromLatin1(kSentTitle1) + QString::fromLatin1(kSentTitle2));
        if (!GetBidsAfterUpdate()) {
            if (Cancelled())
                return UpdateResult::Failed;
            // The bids went out; sending them again would not help.
            setTitle(QString::fromLatin1(kReadFailedTitle1) + QString::fromLatin1(kReadFailedTitle2));
            setStatus(QString::fromLatin1(kReadFailedStatus));
            return UpdateResult::FailedForGood;
        }
        return UpdateResult::Posted;
    } catch (const std::exception &e) {
        WriteErrorLog(kUpdateBidsLabel, e);
        return UpdateResult::Failed;
    }
}

// Each page goes back with its own rows, additional rows, first input and
// term count, while the site shows that page.
bool FindWhatSession::SentBidsToServer() {
    try {
        const std::vector<KeywordPagePtr> pages = m_pages;
        for (const KeywordPagePtr &page : pages) {
            setStatus(QString::fromLatin1(kUpdating));
            QString answer;
            if (!GetFromServer(answer, page->record->PageURL()))
                return false;
            answer = PostToServer(page->record->PostURL(), FindWhatPageReader::PostString(*page, m_oFirstField));
            // A page the site did not take ends the update; those before stay posted.
            if (!answer.contains(QLatin1String(kAcknowledgement), Qt::CaseInsensitive))
                return false;
        }
        setStatus(QString::fromLatin1(kUpdated));
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kSentBidsLabel, e);
        return false;
    }
}

bool FindWhatSession::GetBidsAfterUpdate() {
    try {
        const std::vector<KeywordPagePtr> posted = m_pages;
        setProgressValue(0);
        setProgressMax(kPageProgress * int(posted.size()));
        m_colFields = std::make_shared<FieldCollection>();
        m_pages.clear();
        for (const KeywordPagePtr &page : posted) {
            setStatus(QString::fromLatin1(kReadingNewBids));
            m_bFirstPage = true;
            QString answer;
            if (!GetTwice(answer, page->record->PageURL()))
                return false;
            if (!GetPageKeywordBids(answer))
                return false;
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kAfterUpdateLabel, e);
        return false;
    }
}
