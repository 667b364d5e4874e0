#pragma once
// The bid management window of one account: the grid of keywords with their
// bids, positions, target and new bid; a toolbar to fetch bids, post them,
// edit keyword settings, sort, write the report and close; an editor over
// the New Bid cell; a status bar. Opened by the user (modeless) or by the
// scheduler, which starts its unattended pass and is told of its end by
// `Completed`. One window per account: the open ones can be found by
// engine and account.

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <memory>

#include "autobid/BidManager.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QTimer;
class QToolBar;
class clsAccount;
class clsEngine;

class frmAutoBid : public QMainWindow {
    Q_OBJECT
public:
    explicit frmAutoBid(QWidget *parent = nullptr);
    ~frmAutoBid() override;

    // ---- what other windows use ----
    std::shared_ptr<clsAccount> Account() const { return m_manager.Account(); }
    // Set before the window is shown.
    void setAccount(std::shared_ptr<clsAccount> oAccount);
    void setEngineObject(std::shared_ptr<const clsEngine> oEngine);
    bool Online() const { return m_manager.Online(); }
    static bool InKeywordsCollection(const QString &sCompareKeyword, const KeywordCollection &colKeywords) {
        return BidManager::InKeywordsCollection(sCompareKeyword, colKeywords);
    }
    // One unattended pass starts a second after this (tmrScheduler).
    void StartScheduledPass();
    QTimer *tmrScheduler = nullptr;

    // The open bid window of an account (engine and account compared without
    // regard to letter case), or null.
    static frmAutoBid *FindWindow(const QString &engine, const QString &account);
    static bool IsAccountOpen(const QString &engine, const QString &account) {
        return FindWindow(engine, account) != nullptr;
    }
    // Saves the keyword settings of every open bid window (the program is ending).
    static void SaveAllKeywordsSettings();

    // ---- the window's steps ----
    // Runs once, at the first show at the latest.
    void Form_Load();
    void tlbManageBids_ButtonClick(const QString &key);
    void tlbManageBids_ButtonMenuClick(const QString &itemKey);
    void grdBidsManage_DblClick();
    void GridEdit();
    bool ValidNewBid();
    void tmrScheduler_Timer();

    BidManager &Manager() { return m_manager; }
    QAction *toolButton(const QString &key) const { return m_buttons.value(key, nullptr); }
    QAction *sortItem(const QString &key) const { return m_sortItems.value(key, nullptr); }

    QToolBar *tlbManageBids = nullptr;
    QMenu *mnuSort = nullptr;
    QTableView *grdBidsManage = nullptr;
    QLineEdit *txtEdit = nullptr;
    QLabel *stbPanel1 = nullptr;     // activity texts
    QLabel *stbLastUpdate = nullptr; // the panel keyed "LastUpdate"

Q_SIGNALS:
    // Raised once at the end of a scheduled pass, also when the window
    // closed or failed before its pass ended.
    void Completed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar();
    void buildGrid();
    // The close question, the save and the release; false keeps the window open.
    bool Form_Unload();
    void Form_Resize();
    void EnableButtons(bool bEnable);
    void RaiseCompleted();
    // Places the editor over the New Bid cell of the edited row.
    void placeEditor();
    void txtEdit_Change();
    void txtEdit_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void grdBidsManage_KeyDown(QKeyEvent *event);
    // Ends an open edit before a click on the grid; false when the edit was refused.
    bool endEditForClick();
    // Selects the cells of a row from column 0 to `lastCol`.
    void selectRow(int row, int lastCol);
    void syncGridFromView();
    void syncViewFromGrid();

    BidManager m_manager;
    QMap<QString, QAction *> m_buttons;
    QMap<QString, QAction *> m_sortItems;
    int m_iEditRow = 0;
    bool m_bInEditKey = false;
    bool m_bEditing = false;
    bool m_bValidating = false;
    bool m_bSyncing = false;
    bool m_bLoaded = false;
    bool m_bUnloaded = false;
    bool m_bScheduled = false;
    bool m_bCompletedRaised = false;
};
