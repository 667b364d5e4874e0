#include "autobid/BidManager.h"

#include "autobid/BidReport.h"
#include "autobid/KeywordsSettingFile.h"
#include "autobid/frmKeywordSetting.h"
#include "connect/IConnectWindow.h"
#include "connect/ConnectWindowFor.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/clsFileController.h"
#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "lookup/frmLookUp.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QFileInfo>
#include <QPointer>
#include <exception>
#include <utility>
#include <vector>

bool g_bAutoBidRunning = false;

namespace {

const char *const kGetBidsLog = "frmAutoBid_GetBids:  ";
const char *const kUpdateBidsLog = "frmAutoBid_UpdateBids error:  ";
const char *const kFillLog = "frmAutoBid_FillKeywordsValueFromLookup error: ";
const char *const kInCollectionLog = "frmAutoBid_InKeywordsCollection error:  ";
const char *const kApplyLog = "frmAutoBid_UpdateKeywordsToGrid error:  ";
const char *const kLoadLog = "frmAutoBid_FormLoad event error:  ";
const char *const kPopulateLog = "frmAutoBid_PopulateKeywords error:  ";
const char *const kFirstRowLog = "frmAutoBid_FormatGridFirstRow error   ";
const char *const kCellsLog = "frmAutoBid_FormatGridCells error   ";
const char *const kLoadSettingLog = "frmAutoBidetting_loadKeywordsetting error : ";
const char *const kSaveSettingLog = "frmAutoBid_SaveKeywordsSetting";
const char *const kNotOverwritten = "could not be read when it was loaded; it is not overwritten";
const char *const kSettingLog = "frmAutoBid_KeywordsSetting error: ";
const char *const kRemoveLog = "frmAutoBid_RemoveInvalidKeyword error: ";
const char *const kSchedulerLog = "frmAutoBid_tmrScheduler timer event error:  ";

const char *const kRetrieving = "Please wait while retrieving keywords from your account ...";
const char *const kCompleted = "Completed.";
const char *const kLookingUp = "Please wait while doing keywork look up ...";
const char *const kLastUpdate = "Last update: ";
const char *const kFindWhatNotice[] = {
    "Findwhat has received your bid change request. Your requested changes will begin to take",
    "effect.Typically, you should see your bid changes. During high-volume periods however,",
    "it may take hours. There is no need to submit your bid change more than once.",
};

const char *const kCaptionStart = "AutoBid for ";
const char *const kCaptionJoin = " - ";
const char *const kKeywordsCaption = "Keywords";
const char *const kCaptions[BidGrid::kCols] = {"Keywords", "Cur Bid", "Next Bid", "Position", "1st Bid", "2nd Bid",
                                                "3rd Bid",  "4th Bid", "5th Bid",  "Target",   "New Bid", "Status"};
const char *const kStatusOn = "AutoBid: On";
const char *const kStatusOff = "AutoBid: off";
const char *const kStatusCount = "AutoBid: ";

const char *const kAccessFile = "access.zqa";
const char *const kAccessSection = "Access";
const char *const kAccessKey = "Overture";
const char *const kAccessOff = "Off";
const char *const kLimitWord = "Overture";
const char *const kLimitWordOff = "Overture-OFF";
const char *const kEngineMinKey = "MinBid";
const char *const kEngineFindWhat = "FindWhat";

QString L(const char *s) { return QString::fromLatin1(s); }

// Marks the process as holding a connection window open; nested runs of
// two windows keep the mark until the last one ends.
class AutoBidRunningMark {
public:
    AutoBidRunningMark() { g_bAutoBidRunning = ++depth() > 0; }
    ~AutoBidRunningMark() { g_bAutoBidRunning = --depth() > 0; }
    AutoBidRunningMark(const AutoBidRunningMark &) = delete;
    AutoBidRunningMark &operator=(const AutoBidRunningMark &) = delete;

private:
    static int &depth() {
        static int d = 0;
        return d;
    }
};

// Clears the busy flag however the step ends.
class OnlineMark {
public:
    explicit OnlineMark(bool &flag) : m_flag(flag) { m_flag = true; }
    ~OnlineMark() { m_flag = false; }
    OnlineMark(const OnlineMark &) = delete;
    OnlineMark &operator=(const OnlineMark &) = delete;

private:
    bool &m_flag;
};

// ---- the real windows, used unless a test replaced them ----

std::unique_ptr<IConnectWindow> defaultConnectWindow(const QString &engine) {
    return std::unique_ptr<IConnectWindow>(NewConnectWindowFor(engine));
}

bool defaultLookUp(QWidget *owner, const QString &account, std::shared_ptr<const clsEngine> engines,
                   const QString &engine) {
    // The window may be closed from inside its own loop: released once that loop is over.
    QPointer<frmLookUp> window = new frmLookUp(owner);
    window->setAccountName(account);
    window->setEngineObject(std::move(engines));
    window->setEngine(engine);
    window->exec();
    const bool completed = window && !window->Cancelled();
    if (window)
        window->deleteLater();
    return completed;
}

bool defaultSettingsDialog(QWidget *owner, const QString &engineMin, KeywordCollectionPtr keywords,
                           const QStringList &selected) {
    QPointer<frmKeywordSetting> dialog = new frmKeywordSetting(owner);
    dialog->setEngineMin(engineMin);
    dialog->setKeywordObjects(std::move(keywords));
    dialog->setSettingKeywords(selected);
    dialog->exec();
    const bool confirmed = dialog && !dialog->Cancelled();
    if (dialog)
        dialog->deleteLater();
    return confirmed;
}

void defaultReport(QWidget *, BidWindowState &state) {
    BidReport::Report(state.m_sEngine, state.m_sAccountName, *state.m_colKeywords);
}

void defaultReportMail(QWidget *, BidWindowState &state) {
    const QString text = BidReport::GenerateReport(state.m_sEngine, state.m_sAccountName, *state.m_colKeywords);
    BidReport::SentEmail(state.m_sEngine, state.m_sAccountName, text);
}

}  // namespace


BidManager::ConnectWindowFactory &BidManager::ConnectWindowHook() {
    static ConnectWindowFactory hook;
    return hook;
}
BidManager::LookUpRunner &BidManager::LookUpHook() {
    static LookUpRunner hook;
    return hook;
}
BidManager::SettingsDialogRunner &BidManager::SettingsDialogHook() {
    static SettingsDialogRunner hook;
    return hook;
}
BidManager::ReportRunner &BidManager::ReportHook() {
    static ReportRunner hook;
    return hook;
}
BidManager::ReportRunner &BidManager::ReportMailHook() {
    static ReportRunner hook;
    return hook;
}

namespace {
template <typename Hook, typename Default>
Hook chosen(const Hook &hook, Default fallback) {
    return hook ? hook : Hook(fallback);
}
}  // namespace

BidManager::BidManager(QObject *parent) : QObject(parent), m_grid(this), m_rules(m_state, m_grid) {
    // The grid starts with its header and one empty row.
    m_grid.setRows(2);
}

BidManager::~BidManager() = default;

void BidManager::setAccount(std::shared_ptr<clsAccount> oAccount) {
    m_state.m_oAccount = std::move(oAccount);
    m_state.m_sEngine = m_state.m_oAccount ? m_state.m_oAccount->Engine() : QString();
    m_state.m_sAccountName = m_state.m_oAccount ? m_state.m_oAccount->AccountName() : QString();
}

QString BidManager::Caption() const {
    return L(kCaptionStart) + m_state.m_sEngine + L(kCaptionJoin) + m_state.m_sAccountName;
}

void BidManager::setStatus(const QString &text) { Q_EMIT statusChanged(text); }

void BidManager::EnableButtons(bool bEnable) { Q_EMIT buttonsEnabled(bEnable); }

// ---- load and unload ---------------------------------------------------------------

void BidManager::Load() {
    try {
        const QString access = platform::JoinPath(platform::ProgramFolder(), L(kAccessFile));
        m_state.m_sLimitEngines =
            ReadIniString(access, L(kAccessSection), L(kAccessKey)) == L(kAccessOff) ? L(kLimitWordOff) : L(kLimitWord);
        m_frmConnect = chosen(ConnectWindowHook(), defaultConnectWindow)(m_state.m_sEngine);
        if (m_frmConnect)
            m_frmConnect->setAccount(m_state.m_oAccount);
        m_state.m_sEngineMinBid = ReadIniString(g_sEngineDataFile, m_state.m_sEngine, L(kEngineMinKey));
        m_state.m_bLoadEngineFile = true;
        FormatGridFirstRow();
        FormatGridCells();
        EnableButtons(false);
        loadKeywordsetting();
        FillKeywordsValueFromLookup(true);
        PopulateKeywords();
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadLog, e);
    }
}

void BidManager::Unload() {
    SaveKeywordsSetting();
    m_state.m_sAccountName.clear();
    m_frmConnect.reset();
    m_state.m_colKeywords = std::make_shared<KeywordCollection>();
    m_state.m_colHeldKeywords = std::make_shared<KeywordCollection>();
    m_state.m_oEngine.reset();
}

// ---- grid ----------------------------------------------------------------------------

QString BidManager::StatusText(const QString &updateNumber) const {
    if (updateNumber.isEmpty() || updateNumber == QLatin1String("0"))
        return L(kStatusOn);
    if (updateNumber == QString::number(BidStrategies::kChangeLimit) &&
        m_state.m_sEngine.contains(m_state.m_sLimitEngines))
        return L(kStatusOff);
    return L(kStatusCount) + updateNumber;
}

void BidManager::ClearGrid() {
    m_grid.ClearRows(true);
    m_grid.setTextMatrix(0, BidGrid::colKeyword, L(kKeywordsCaption));
}

void BidManager::PopulateKeywords() {
    try {
        ClearGrid();
        // An empty collection leaves no rows behind for a later pass to read.
        if (!m_state.m_colKeywords || m_state.m_colKeywords->isEmpty()) {
            FormatGridCells();
            return;
        }
        const KeywordCollection &keywords = *m_state.m_colKeywords;
        const int added = keywords.Count();
        m_grid.RemoveItem(1);
        m_grid.AddItemsWith(added, [&](int i, BidGrid::RowTexts &t) {
            const clsKeyword &k = *keywords.Item(i + 1);
            t = {k.Keyword(),   k.CurBid(),   k.NextBid(),   k.CurPos(), k.FirstBid(), k.SecondBid(),
                 k.ThirdBid(),  k.FourthBid(), k.FifthBid(), k.BidTo(),  k.NewBid(),   StatusText(k.UpdateNumber())};
        });
        m_grid.setTextMatrix(0, BidGrid::colKeyword,
                             L(kKeywordsCaption) + QStringLiteral(" (") + QString::number(added) + QLatin1Char(')'));
        FormatGridCells();
    } catch (const std::exception &e) {
        WriteErrorLog(kPopulateLog, e);
    }
}

void BidManager::FormatGridFirstRow() {
    try {
        for (int col = 0; col < BidGrid::kCols; ++col)
            m_grid.setTextMatrix(0, col, L(kCaptions[col]));
    } catch (const std::exception &e) {
        WriteErrorLog(kFirstRowLog, e);
    }
}

void BidManager::FormatGridCells() {
    try {
        // Every cell centred but the keywords; the even columns shaded.
        quint16 shaded = 0;
        for (int col = 0; col < BidGrid::kCols; col += 2)
            shaded = quint16(shaded | (1u << col));
        m_grid.setFormats(quint16(1u << BidGrid::colKeyword), shaded);
        m_grid.setCurrentCell(0, 0);
    } catch (const std::exception &e) {
        WriteErrorLog(kCellsLog, e);
    }
}

// ---- settings file ---------------------------------------------------------------------

void BidManager::loadKeywordsetting() {
    m_state.m_colKeywords = std::make_shared<KeywordCollection>();
    m_state.m_colHeldKeywords = std::make_shared<KeywordCollection>();
    try {
        KeywordsSettingFile::MakeFolders(m_state.m_sEngine, m_state.m_sAccountName);
        clsAccount none;
        m_state.m_colKeywords = KeywordsSettingFile::Load(
            KeywordsSettingFile::FilePath(m_state.m_sEngine, m_state.m_sAccountName),
            m_state.m_oAccount ? *m_state.m_oAccount : none, &m_state.m_bSettingsUnread);
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadSettingLog, e);
    }
}

void BidManager::SaveKeywordsSetting() {
    try {
        if (!m_state.m_oAccount)
            return;
        const QString path = KeywordsSettingFile::FilePath(m_state.m_sEngine, m_state.m_sAccountName);
        // Saving now would replace the settings the file still holds.
        if (m_state.m_bSettingsUnread) {
            WriteErrorLog(L(kSaveSettingLog) + clsFileController::FileErrorText(path, L(kNotOverwritten)));
            return;
        }
        KeywordsSettingFile::MakeFolders(m_state.m_sEngine, m_state.m_sAccountName);
        KeywordsSettingFile::Save(path, *m_state.m_colKeywords, m_state.m_colHeldKeywords.get(), *m_state.m_oAccount);
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveSettingLog, e);
    }
}

void BidManager::KeywordsSetting() {
    try {
        int first = 0, last = 0;
        m_rules.GetSelectedRows(first, last);
        if (first < 1 || last < 1)
            return;
        QStringList selected;
        for (int row = first; row <= last; ++row)
            selected.append(m_grid.TextMatrix(row, BidGrid::colKeyword));
        if (chosen(SettingsDialogHook(), defaultSettingsDialog)(m_owner, m_state.m_sEngineMinBid,
                                                                m_state.m_colKeywords, selected)) {
            ApplyKeywordsSetting(first, last);
            m_state.m_bSettingsDirty = true;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kSettingLog, e);
    }
}

void BidManager::ApplyKeywordsSetting(int iFirst, int iLast) {
    try {
        for (int row = iFirst; row <= iLast; ++row) {
            const QString key = m_grid.TextMatrix(row, BidGrid::colKeyword);
            if (m_state.m_colKeywords->Exists(key))
                m_grid.setTextMatrix(row, BidGrid::colTarget, m_state.m_colKeywords->Item(key)->BidTo());
        }
        m_rules.ChangeNewBidColumToPosition(iFirst, iLast);
    } catch (const std::exception &e) {
        WriteErrorLog(kSettingLog, e);
    }
}

void BidManager::RemoveInvalidKeyword() {
    try {
        KeywordCollection &keywords = *m_state.m_colKeywords;
        for (int i = keywords.Count(); i >= 1; --i) {
            const clsKeywordPtr k = keywords.Item(i);
            if (!k->CurPos().isEmpty())
                continue;
            keywords.Remove(i);
            // Kept aside, so its settings and counter are written back.
            if (!m_state.m_colHeldKeywords->Exists(k->Keyword()))
                m_state.m_colHeldKeywords->Add(k, k->Keyword(), m_state.m_colHeldKeywords->isEmpty() ? 0 : 1);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kRemoveLog, e);
    }
}

void BidManager::RejoinHeldKeywords() {
    for (const clsKeywordPtr &k : *m_state.m_colHeldKeywords)
        if (!m_state.m_colKeywords->Exists(k->Keyword()))
            m_state.m_colKeywords->Add(k, k->Keyword());
    m_state.m_colHeldKeywords->Clear();
}

// ---- engine runs -------------------------------------------------------------------------

void BidManager::RunConnectWindow() {
    AutoBidRunningMark mark;
    m_frmConnect->ShowModal(m_owner);
}

bool BidManager::GetBids() {
    if (m_state.m_bOnline)
        return false;
    OnlineMark online(m_state.m_bOnline);
    bool result = false;
    try {
        setStatus(L(kRetrieving));
        if (!m_frmConnect) {
            // An engine without a connection window can't be fetched.
            setStatus(L(kCompleted));
            EnableButtons(false);
            return false;
        }
        RejoinHeldKeywords();
        m_frmConnect->setAction(L(IConnectWindow::kActionGetBids));
        m_frmConnect->Prepare(m_state.m_sEngine, true);
        m_frmConnect->setKeywordsCollection(m_state.m_colKeywords);
        m_state.m_bLoadEngineFile = false;
        RunConnectWindow();
        setStatus(L(kCompleted));
        if (!m_frmConnect->Cancelled()) {
            m_state.m_bBidsLoaded = true;
            RemoveInvalidKeyword();
            EnableButtons(!m_state.m_colKeywords->isEmpty());
            FillKeywordsValueFromLookup(false);
            PopulateKeywords();
            m_rules.ChangeNewBidColumToPosition(0, 0);
            result = true;
        } else {
            EnableButtons(false);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kGetBidsLog, e);
    }
    return result;
}

void BidManager::UpdateBids() {
    try {
        if (!m_frmConnect) {
            EnableButtons(false);
            return;
        }
        m_frmConnect->setAction(L(IConnectWindow::kActionUpdate));
        m_frmConnect->Prepare(m_state.m_sEngine, m_state.m_bLoadEngineFile);
        m_frmConnect->setKeywordsCollection(m_state.m_colKeywords);
        m_state.m_bLoadEngineFile = false;
        RunConnectWindow();
        if (!m_frmConnect->Cancelled()) {
            m_state.m_bBidsLoaded = true;
            KeywordLookUp();
            FillKeywordsValueFromLookup(false);
            PopulateKeywords();
            m_rules.ChangeNewBidColumToPosition(0, 0);
            if (m_state.m_sEngine == QLatin1String(kEngineFindWhat) && !m_state.m_bIsSchedler) {
                const QString text = L(kFindWhatNotice[0]) + QStringLiteral("\r\n") + L(kFindWhatNotice[1]) +
                                     QStringLiteral("\r\n") + L(kFindWhatNotice[2]);
                seam::MsgBox(text, seam::vbExclamation, Caption());
            }
        } else {
            EnableButtons(false);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kUpdateBidsLog, e);
    }
}

bool BidManager::KeywordLookUp() {
    setStatus(L(kLookingUp));
    const bool completed = chosen(LookUpHook(), defaultLookUp)(m_owner, m_state.m_sAccountName, m_state.m_oEngine,
                                                               m_state.m_sEngine);
    setStatus(QString());
    return completed;
}

bool BidManager::InKeywordsCollection(const QString &sCompareKeyword, const KeywordCollection &colKeywords) {
    try {
        if (colKeywords.isEmpty())
            return false;
        // The collection is keyed by the keyword text, compared the same way.
        if (colKeywords.Exists(sCompareKeyword))
            return true;
        for (const clsKeywordPtr &k : colKeywords)
            if (k && k->Keyword().compare(sCompareKeyword, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    } catch (const std::exception &e) {
        WriteErrorLog(kInCollectionLog, e);
        return false;
    }
}

void BidManager::FillKeywordsValueFromLookup(bool bAll) {
    try {
        if (!m_state.m_colKeywords || m_state.m_colKeywords->isEmpty())
            return;
        clsKeywords list;
        list.setEngine(m_state.m_sEngine);
        list.setAccountName(m_state.m_sAccountName);
        const QString path = list.KeywordsFile();
        QString text;
        if (!QFileInfo(path).isFile() || !platform::ReadAnsiFile(path, &text))
            return;
        const bool findWhat = m_state.m_sEngine == QLatin1String(kEngineFindWhat);
        KeywordCollection &keywords = *m_state.m_colKeywords;
        for (const QString &line : vb::Split(text, QStringLiteral("\r\n"))) {
            if (line.isEmpty())
                continue;
            const QStringList f = line.split(QLatin1Char(';'));
            if (f[0].isEmpty() || (f.size() != 9 && f.size() != 11))
                continue;
            if (!keywords.Exists(f[0]))
                continue;
            clsKeyword &k = *keywords.Item(f[0]);
            const bool eleven = f.size() == 11;
            k.setNextBid(f[3]);
            if (bAll) {
                k.setCurBid(f[2]);
                k.setFirstBid(f[4]);
                k.setSecondBid(f[5]);
                k.setThirdBid(f[6]);
                if (eleven) {
                    k.setFourthBid(f[7]);
                    k.setFifthBid(f[8]);
                }
            } else if (!findWhat) {
                k.setSecondBid(f[5]);
                k.setThirdBid(f[6]);
                if (eleven) {
                    k.setFourthBid(f[7]);
                    k.setFifthBid(f[8]);
                }
            }
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kFillLog, e);
    }
}

// ---- the apply step -------------------------------------------------------------------------

void BidManager::UpdateKeywordsToGrid() {
    if (m_grid.Rows() < 2 || m_state.m_bOnline || !m_state.m_bBidsLoaded)
        return;
    OnlineMark online(m_state.m_bOnline);
    try {
        KeywordCollection &keywords = *m_state.m_colKeywords;
        const int last = m_grid.Rows() - 1;
        if (m_state.m_bIsSchedler) {
            const bool limited = m_state.m_sEngine.contains(m_state.m_sLimitEngines);
            // The changes land only once every row is read: a counter that is no
            // integer stops the pass with nothing posted and nothing counted.
            std::vector<std::pair<clsKeyword *, clsKeyword>> changed;
            for (int row = 1; row <= last; ++row) {
                const QString key = m_grid.TextMatrix(row, BidGrid::colKeyword);
                if (!keywords.Exists(key))
                    continue;
                clsKeyword *target = keywords.Item(key).get();
                const QString cell = m_grid.TextMatrix(row, BidGrid::colNewBid);
                if (!IsNumericAmount(target->CurBid()) || !IsNumericAmount(cell))
                    continue;
                clsKeyword k = *target;
                k.setNewBid(cell);
                const float cur = StrToSingle(k.CurBid());
                const float next = StrToSingle(k.NewBid());
                if (BidStrategies::IsUpdateDue(k.FirstUpdateTime())) {
                    // The previous window is over: a change opens a new one.
                    if (cur != next) {
                        k.setUpdateNumber(QStringLiteral("1"));
                        k.setFirstUpdateTime(BidStrategies::UpdateTimeText(seam::Now()));
                    } else {
                        k.setUpdateNumber(QStringLiteral("0"));
                        k.setFirstUpdateTime(QStringLiteral(""));
                    }
                } else if (cur != next) {
                    const int n = vb::CInt(k.UpdateNumber());
                    if (n < BidStrategies::kChangeLimit || !limited) {
                        k.setUpdateNumber(QString::number(n + 1));
                    } else {
                        k.setNewBid(vb::SingleText(cur));
                        k.setNewPos(k.CurPos());
                    }
                }
                changed.emplace_back(target, std::move(k));
            }
            for (auto &[target, k] : changed)
                *target = std::move(k);
            if (m_state.m_oAccount && m_state.m_oAccount->SentReport())
                chosen(ReportMailHook(), defaultReportMail)(m_owner, m_state);
        } else {
            // Only amounts are bids; any other text leaves the keyword's bid as it was.
            for (int row = 1; row <= last; ++row) {
                const QString key = m_grid.TextMatrix(row, BidGrid::colKeyword);
                if (!keywords.Exists(key))
                    continue;
                const QString cell = m_grid.TextMatrix(row, BidGrid::colNewBid);
                if (IsNumericAmount(cell))
                    keywords.Item(key)->setNewBid(cell);
            }
        }
        UpdateBids();
        Q_EMIT lastUpdateChanged(L(kLastUpdate) + vb::FormatGeneralDate(seam::Now()));
    } catch (const std::exception &e) {
        WriteErrorLog(kApplyLog, e);
    }
}

void BidManager::ScheduledPass() {
    m_state.m_bIsSchedler = true;
    try {
        if (!m_state.m_bOnline) {
            if (GetBids() && !m_state.m_colKeywords->isEmpty())
                UpdateKeywordsToGrid();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kSchedulerLog, e);
    }
}

void BidManager::Report() { chosen(ReportHook(), defaultReport)(m_owner, m_state); }
