#pragma once
// The program's one main window: the account tree, the keyword, ranking and
// URL lists, menus, toolbar and status bar; its load, the exit question and
// teardown, the keyword list refresh and the menu/toolbar enable rules.

#include "ui/KeywordListView.h"

#include <QIcon>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QSplitter;
class QSplitterHandle;
class frmTrayIcon;
class QMenu;
class QProgressBar;
class QPushButton;
class QGroupBox;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class clsAccount;
class clsEngine;
class clsKeywords;
class frmAutoBid;
class clsMain;
class frmSendMail;
class clsRanking;
class IRankingCaller;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Keeps the account-tree controller; loads nothing.
    void create(clsMain *oMain);
    // The load steps; false when the load took its error exit (the window is then not shown).
    bool Form_Load();
    void NewKeywords(const QString &sNewKeywords);
    void UpdateUI(bool bReloadKeywordFile, bool bRePopulateKeyword, bool bKeepSelectitem);
    // Called by the ranking object after each step of a look-up.
    void SetStatus();

    // Menu items by menu name ("File", "Keywords", "URL", "Run", "Report", "Help",
    // "OpenPage") and 1-based item number; nullptr when there is no such item.
    QAction *menuItem(const QString &menu, int number) const;
    // Toolbar buttons and drop-down items by key.
    QAction *toolButton(const QString &key) const;
    QAction *toolMenuItem(const QString &buttonKey, const QString &itemKey) const;
    // Tree images by key ("RootAccount", "AccountFolder", "AccountFolderOpen").
    QIcon treeImage(const QString &key) const;

    QTreeWidget *tvwAccount = nullptr;
    KeywordListView *lvwKeywords = nullptr;
    QTreeWidget *lvwRanking = nullptr;
    QTreeWidget *lvwURLs = nullptr;
    QGroupBox *fraMainRight = nullptr;
    QPushButton *cmdArrow = nullptr;
    QProgressBar *pbrSearch = nullptr;
    QLabel *stbPanel1 = nullptr;  // activity text
    QLabel *stbPanel2 = nullptr;  // scheduler text
    QTimer *tmrScheduler = nullptr;
    QToolBar *tlbToolbar = nullptr;

    // Window state shared by the main window's commands.
    clsMain *m_oMain = nullptr;
    // Shared: bid windows and look-ups keep the definitions they were given
    // even when the engine setting replaces the main window's.
    std::shared_ptr<clsEngine> m_oEngine;
    std::unique_ptr<clsKeywords> m_oKeywords;
    QTreeWidgetItem *m_oCurrentNode = nullptr;
    QString m_sEngineName;
    bool m_bInsearch = false;
    bool m_bDisconnecting = false;
    QString m_sLookupAccount;  // account whose look-up runs ("" when none)
    int m_iLastKeywordRow = -1;  // row shown last in the ranking list (-1 none)
    QStringList m_colCopiedKeywords;
    QString m_sNewKeywords;
    bool m_bLoaded = false;
    QString m_sHelpFile;

    // The node click of the tree: selection, engine name, lists and menu state.
    void tvwAccount_NodeClick(QTreeWidgetItem *node);
    void setMenuToolBarstatus();
    // The node selected at load and after a rebuild: the root alone, else the
    // first engine and its first account (nullptr for an empty tree).
    QTreeWidgetItem *FirstSelection() const;

    // Account commands and tree events (frmMainAccounts.cpp).
    void AddAccount();                 // File 1
    void EditAccount();                // File 2, tree double-click
    void DeleteAccountCommand();       // File 3, Delete key on the tree
    void ShowConfiguration();          // File 9
    void ShowURLs();
    // Brings the selected account's tag, and its engine's, in line with the keyword rows.
    void ChangeNodeTagProperty();
    void LoginAccount_click();
    void mnuOpenPageItem_Click(int index);  // 1 "Go to Engine", 2 "Login to Engine"
    void tvwAccount_DblClick();
    void tvwAccount_KeyDown(int keyCode);
    void tvwAccount_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    // An account whose look-up runs is neither deleted nor renamed.
    bool IsAccountLookingUp(const QString &engine, const QString &account) const;
    // Shows the configuration dialog modally, owned by the window; installed
    // by the configuration dialog's module (nothing is shown while unset).
    static std::function<void(QWidget *owner)> &ConfigurationDialogHook();

    // Each group of commands below lives in a file of its own; the dispatch of
    // menus, toolbar and lists (frmMainDispatch.cpp) calls them by these names.

    // --- Look-up control and highlighting (frmMainLookup.cpp) ---
    // Starts a look-up of the account's keywords ("SelectedKeyword" or
    // "AllKeywords"); false when none started. bScheduled: the scheduler's own
    // look-up, whose end continues the scheduled run.
    bool CreateRanking(const QString &sAccount, const QString &sEngine, const QString &sMode, bool bScheduled = false);
    std::unique_ptr<clsRanking> SetRankingObject(const QString &sAccount, int iEngineIndex, const QString &sKeyword,
                                                 int &iNumofKeyword);
    // Starts the prepared look-up (its name in the menus' terms is "connect").
    void connectRanking();
    // Run > Stop: asks the running look-up to stop; tmrDisconnect finishes the stop.
    void Disconnect();
    void LookUpComplete();
    // Fills the ranking list with the saved results of a keyword row.
    void ShowKeywordResults(int row);
    void HightLightKeyword();
    void HightLightResult();
    void HightLightMatchURL();
    // The one-second polls for the end and for the stop of a look-up.
    void tmrSearchComplete_Timer();
    void tmrDisconnect_Timer();
    QTimer *tmrSearchComplete = nullptr;
    QTimer *tmrDisconnect = nullptr;
    std::unique_ptr<clsRanking> m_oRanking;
    QString m_sCurrentKeyword;         // keyword whose saved results the ranking list shows
    bool m_bScheduledLookUp = false;   // the running look-up was started by the scheduler
    IRankingCaller *m_oRankingCaller = nullptr;  // this window as the look-ups' calling window
    void setupLookUpControl();

    // --- Run menu and bid launch (frmMainRun.cpp) ---
    void mnuRunItems_Click(int index);
    // Run > AutoBid: its checks, then the bid window of the selected account.
    void AutoBidItem();
    // Login, password, a limit other than 0 and a maximum not below the minimum.
    static bool IsAccountReady(const clsAccount &oAccount);
    // Opens the account's bid window (raises it when open), or offers the account dialog.
    void MenuBid(const std::shared_ptr<clsAccount> &oAccount);
    // The bid window of a scheduled pass, shown with its pass started; its
    // Completed tells the end. Null when the account can't be bid now (a
    // connection is open, the account has a bid window, or is not ready):
    // the caller goes on with the next account.
    frmAutoBid *AutoBid(const std::shared_ptr<clsAccount> &oAccount);
    std::shared_ptr<clsAccount> m_oBidAccount;
    QPointer<frmAutoBid> m_frmAutoBid;

    // --- Keyword list commands (frmMainKeywords.cpp) ---
    void DoAddKeywords();
    void DoDeleteKeywords();
    void DoRemoveAllKeywords();
    void DoCopyKeywords();
    void DoPasteKeywords();
    void DoBuildKeyword();
    void DownLoadKeywords();
    void Exportkeywords();
    // Adds the texts to the selected account's keywords (those already listed
    // keep their data), saves, redraws and tells how many were refused.
    void AddKeywordsToList(const QStringList &colKeywords);
    // The selected node is an account that no look-up is working on: only
    // then may a command change its keyword or URL files, as a look-up saves
    // at its end the list it read at its start.
    bool IsAccountEditable() const;
    // The keyword list shows exactly the first `rows` keywords of
    // m_oKeywords, in order: then a change needs to touch only its own rows.
    bool ListShowsKeywords(int rows) const;
    // Makes the connection window Retrieve Keywords drives for an engine,
    // owned by `owner`; null when the program has none for that engine.
    // Tests put a maker of their own here.
    using ConnectWindowMaker = std::function<class IConnectWindow *(const QString &engine, QWidget *owner)>;
    ConnectWindowMaker m_connectWindowMaker;
    bool m_bKeywordsCopied = false;  // m_colCopiedKeywords holds a copy (Paste has something)

    // --- URL list commands (frmMainURLs.cpp) ---
    void EditURLs();
    void ShowURLPosition();

    // --- Keyword reports (frmMainReports.cpp) ---
    void HTMLReport();
    void TextReport();
    void ExcelReport();

    // --- Mail report (frmMainMail.cpp) ---
    // The mail window kept for every keyword mail report: made in the load,
    // released at teardown.
    std::unique_ptr<frmSendMail> m_frmSendMail;
    // Mails an account's keyword report to the reporter's own address.
    void MailReport(const clsAccount &oAccount);
    // Sends a body through m_frmSendMail with the mail settings.
    void SentEmail(const QString &sBody);

    // --- Engine setting and engine data update (frmMainEngines.cpp) ---
    void Engingsetting();          // File 5
    void UpdateEngineDataFile();   // File 8
    // New engine definitions for m_oEngine and the controller, the tree
    // rebuilt from them and its first node selected (also when the build failed).
    void RebuildEngineTree();
    // The engine setting dialog, one for the window's life (loaded on first use).
    class frmEnginesetting *m_frmEnginesetting = nullptr;

    // --- Scheduler (frmMainScheduler.cpp) ---
    // The minute tick: stamps and collects the due accounts, then starts the run.
    void tmrScheduler_Timer();
    // Starts the next due account's look-up; past the last one the run is over.
    void Scheduler();
    // The end of the scheduler's own look-up: completed, or stopped by Run > Stop.
    void ScheduledLookUpEnded(bool completed);
    // The bid pass of the account in work; false when it can't be bid now.
    bool StartScheduledBidPass(const std::shared_ptr<clsAccount> &account);
    // The end of a scheduled bid pass, raised by its window (released once
    // the window's tick is over); the account of that window is stamped.
    void m_frmAutoBid_Completed(frmAutoBid *window);
    // The step in work got no answer for the watchdog's limit: stopped as
    // Stop or Cancel would the first time, left behind the next.
    void SchedulerStepSilent(int count);
    // The account a scheduled run works on now (its delete and rename are refused).
    bool IsAccountInScheduledWork(const QString &engine, const QString &account) const;
    // The run state, the due test and the watchdog.
    class SchedulerRun *m_oSchedulerRun = nullptr;
    void setupScheduler();

    // --- Layout and splitters (frmMainLayout.cpp) ---
    // The whole window; run at every resize and when the panels' bar is released.
    void resizeControl();
    // The left panel: title, tree, "Web Site URLs" with the arrow, URL list.
    void ResizeLeftFrame();
    // The right panel's columns; run by resizeControl and when the lists' bar is released.
    void resizeRightFrame();
    // Collapses or restores the URL list under the tree.
    void cmdArrow_Click();
    // The bars: the handle of the splitter between the panels, and of the one between the lists.
    QSplitterHandle *imgSpliterVertical() const;
    QSplitterHandle *imgSpliterHorizon() const;
    QWidget *fraMainLeft = nullptr;
    QLabel *lblProjectTitle = nullptr;
    QLabel *lblURLs = nullptr;
    QSplitter *splMain = nullptr;   // left panel | right panel
    QSplitter *splRight = nullptr;  // keyword list over ranking list
    QIcon ImgUP;    // the arrow's face while the URL list is collapsed
    QIcon imgDown;  // and while it is open
    bool m_bURLPanelCollapsed = false;
    bool m_bSplitterDrag = false;  // one flag for both bars

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

public:

    // --- Menu, toolbar and list dispatch, Help menu, tray timer (frmMainDispatch.cpp) ---
    using Command = std::function<void()>;
    // The commands that menu items, toolbar keys, drop-down items and list
    // keys reach, by the name of the member they run ("AddAccount",
    // "SaveAccount", "DoDeleteKeywords", "mnuRunItems_Click(3)", "About" ...).
    // Tests replace entries to record the wiring; an unknown name runs nothing.
    Command &DispatchCommand(const QString &name);
    void RunCommand(const QString &name);
    // One click procedure per menu ("File", "Keywords", "URL", "Run", "Report",
    // "Help", "OpenPage"), by item number.
    void mnuItems_Click(const QString &menu, int index);
    void tlbToolbar_ButtonClick(const QString &key);
    void tlbToolbar_ButtonMenuClick(const QString &buttonKey, int item);
    // Run before any drop-down opens: "Edit Account" only for an account node.
    void tlbToolbar_ButtonDropDown();
    void lvwKeywords_ItemClick(int row);
    void lvwKeywords_DblClick();
    void lvwKeywords_KeyDown(int keyCode);
    void lvwRanking_DblClick();
    void lvwURLs_DblClick();
    void lvwURLs_SelectionChanged();
    void lvwURLs_KeyDown(int keyCode);
    // Right button released over a list: its menu ("Keywords" or "URL") pops up there.
    void ShowListMenu(const QString &menu, const QPoint &globalPos);
    void mnuHelpContents();
    void mnuHelpSupport();
    void mnuHelpWeb();
    void mnuHelpAbout();
    void mnuURLOpen();
    // Hides a minimised window to the tray when the desktop has one.
    void tmrTrayIcon_Timer();
    // The tray icon's hidden host window: loaded at the end of the load, unloaded at teardown.
    void LoadTrayIcon();
    void UnloadTrayIcon();
    frmTrayIcon *TrayHost() const;
    QTimer *tmrTrayIcon = nullptr;
    // Row text ("#") of the keyword row shown by the last UpdateUI; null when none.
    QString m_sLastKeywordText;

private:
    void buildDispatch();
    QMap<QString, Command> m_commands;
    QPointer<frmTrayIcon> m_frmTrayIcon;
    // Parent of the window's event hooks: they go with the window's members,
    // before its child widgets, so no event reaches a half-destroyed window.
    std::unique_ptr<QObject> m_hooks = std::make_unique<QObject>();

public:

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildLayout();
    void setupListColumns();
    void loadErrorExit(const QString &errorText);
    // Starts or stops the scheduler tick as the settings say and shows it in the status bar.
    void ApplySchedulerSetting();
    // The exit question and teardown; false when the user keeps the program running.
    bool Form_Unload();
    bool IsSearchingNode() const;
    void connectAccountCommands();
    void runFileItem(int item);
    bool m_bSelectingNode = false;  // the program is moving the tree's selection
    void onTreeCurrentChanged(QTreeWidgetItem *current);
    // Opens an engine's site or login address; false (with the message) when it is not a usable web address.
    bool OpenEnginePage(const QString &url);

    QMap<QString, QMap<int, QAction *>> m_menuItems;
    QMap<QString, QAction *> m_toolButtons;
    QMap<QString, QMap<QString, QAction *>> m_toolMenuItems;
    bool m_bUnloading = false;
    bool m_bShownOnce = false;
};

// The main window once the controller has loaded it (nullptr before).
frmMain *MainWindow();
void SetMainWindow(frmMain *form);
