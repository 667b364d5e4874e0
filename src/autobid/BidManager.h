#pragma once
// The bid window's work without its screen: the keyword collection and its
// settings file, the grid rows, the engine runs through the account's
// connection window (fetch and post), the rank look-up before and after
// them, the merge of the last look-up's values, the apply step with the
// change counter, and the scheduled pass. The window shows the grid and
// the texts this object reports and forwards the user's commands.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "autobid/BidGrid.h"
#include "autobid/BidStrategies.h"
#include "autobid/BidWindowState.h"

class IConnectWindow;
class QWidget;
class clsAccount;
class clsEngine;

// True while any bid window shows its connection window; the scheduler
// leaves accounts alone meanwhile.
extern bool g_bAutoBidRunning;

class BidManager : public QObject {
    Q_OBJECT
public:
    // ---- the windows this object drives: the real ones unless a hook is set (tests) ----
    // The connection window of an engine; null when the engine has none.
    using ConnectWindowFactory = std::function<std::unique_ptr<IConnectWindow>(const QString &engine)>;
    static ConnectWindowFactory &ConnectWindowHook();
    // Runs a modal rank look-up of the account's keywords; true when it completed.
    using LookUpRunner = std::function<bool(QWidget *owner, const QString &account,
                                            std::shared_ptr<const clsEngine> engines, const QString &engine)>;
    static LookUpRunner &LookUpHook();
    // Shows the settings dialog modally over the selected keywords (texts
    // in grid order), which writes its values into their records; true
    // after OK.
    using SettingsDialogRunner = std::function<bool(QWidget *owner, const QString &engineMin,
                                                    KeywordCollectionPtr keywords, const QStringList &selected)>;
    static SettingsDialogRunner &SettingsDialogHook();
    // The bid report: written and opened (the Report button), or mailed
    // (a scheduled pass of an account that asks for it).
    using ReportRunner = std::function<void(QWidget *owner, BidWindowState &state)>;
    static ReportRunner &ReportHook();
    static ReportRunner &ReportMailHook();

    explicit BidManager(QObject *parent = nullptr);
    ~BidManager() override;

    // The window that owns the modal windows shown from here.
    void setOwner(QWidget *owner) { m_owner = owner; }
    // Account and engine definitions; set before Load.
    void setAccount(std::shared_ptr<clsAccount> oAccount);
    std::shared_ptr<clsAccount> Account() const { return m_state.m_oAccount; }
    void setEngineObject(std::shared_ptr<const clsEngine> oEngine) { m_state.m_oEngine = std::move(oEngine); }

    BidWindowState &State() { return m_state; }
    const BidWindowState &State() const { return m_state; }
    BidGrid &Grid() { return m_grid; }
    BidStrategies &Strategies() { return m_rules; }
    IConnectWindow *ConnectWindow() const { return m_frmConnect.get(); }
    bool Online() const { return m_state.m_bOnline; }
    // "AutoBid for " & engine & " - " & account
    QString Caption() const;

    // The steps of the window's load after its screen is built: limit word
    // and connection window, engine minimum, captions and formats, the
    // saved keywords with the last look-up's values.
    void Load();
    // Saves the settings and lets go of the connection window and the keywords.
    void Unload();

    // ---- grid ----
    void PopulateKeywords();
    void ClearGrid();
    void FormatGridFirstRow();
    void FormatGridCells();
    // "AutoBid: On", "AutoBid: off" at the limit on a limited engine, else "AutoBid: " & n.
    QString StatusText(const QString &updateNumber) const;

    // ---- settings file ----
    void loadKeywordsetting();
    void SaveKeywordsSetting();
    void KeywordsSetting();
    void ApplyKeywordsSetting(int iFirst, int iLast);
    void RemoveInvalidKeyword();

    // ---- engine runs and the apply step ----
    bool GetBids();
    void UpdateBids();
    bool KeywordLookUp();
    void FillKeywordsValueFromLookup(bool bAll);
    static bool InKeywordsCollection(const QString &sCompareKeyword, const KeywordCollection &colKeywords);
    void UpdateKeywordsToGrid();
    // The unattended pass: fetch, apply, post (skipped while busy).
    void ScheduledPass();
    void Report();

Q_SIGNALS:
    // Status bar panel 1.
    void statusChanged(const QString &text);
    // The panel keyed "LastUpdate".
    void lastUpdateChanged(const QString &text);
    // The Update and Report buttons.
    void buttonsEnabled(bool enabled);

private:
    void EnableButtons(bool bEnable);
    void setStatus(const QString &text);
    // Runs the connection window modally with the process-wide flag set.
    void RunConnectWindow();
    // Keywords held back by the last fetch take part in the next one.
    void RejoinHeldKeywords();

    BidWindowState m_state;
    BidGrid m_grid;
    BidStrategies m_rules;
    std::unique_ptr<IConnectWindow> m_frmConnect;
    QWidget *m_owner = nullptr;
};
