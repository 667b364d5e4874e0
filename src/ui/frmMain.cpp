#include "ui/frmMain.h"

#include "autobid/frmAutoBid.h"
#include "core/Globals.h"
#include "core/clsDealerInfo.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "lookup/clsRanking.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "report/frmSendMail.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmSplash.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
frmMain *g_mainWindow = nullptr;

const QString kExitQuestion = QStringLiteral("Are you sure you want to exit?");
const QString kExitTitle = QStringLiteral("Exit Keyword Tavisk");
const QString kLoadErrorStart =
    QStringLiteral("Error occur while loading the program. Please report this error to the the software vendor at '");
const QString kLoadErrorLog = QStringLiteral("FrmMain_load_Error: ");
const QString kUnloadErrorLog = QStringLiteral("frmMain_unLoad_error: ");
const QString kKeywordsNotResaved = QStringLiteral("not saved again, another window replaced it: ");
const QString kUpdateUIErrorLog = QStringLiteral("frmMain_UpdateUI:  ");
const QString kMenuStateErrorLog = QStringLiteral("frmMain_setMenuToolBarstatus error: ");
const QString kSearchStatus = QStringLiteral("Please wait while retrieving search results from the internet ...");
const QString kSchedulerOn = QStringLiteral("Scheduler: On");
const QString kSchedulerOff = QStringLiteral("Scheduler: Off");

// Widths are given in twips; 15 twips make a pixel at the usual 96 dpi.
int twips(int t) { return t / 15; }

// The lists' fixed column widths were measured for texts in the small
// 8-point system font of the classic desktop, 5 pixels a character on
// average at 96 dpi: in the list's own font a column needs as much more room
// as its characters are wider.
constexpr qreal kSizedAverageCharWidth = 5.0;
int fixedColumnPixels(int widthTwips, const QFont &listFont) {
    const qreal shown = QFontMetricsF(listFont).averageCharWidth();
    const qreal scale = shown > kSizedAverageCharWidth ? shown / kSizedAverageCharWidth : 1;
    return int(std::ceil(widthTwips / 15.0 * scale));
}
}  // namespace

frmMain *MainWindow() { return g_mainWindow; }
void SetMainWindow(frmMain *form) { g_mainWindow = form; }

frmMain::frmMain(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(app::Title());
    buildMenus();
    buildToolbar();
    buildLayout();
    connectAccountCommands();
    buildDispatch();
    setupLookUpControl();
    tmrScheduler = new QTimer(this);
    tmrScheduler->setObjectName(QStringLiteral("tmrScheduler"));
    tmrScheduler->setInterval(60000);
    setupScheduler();
    if (!g_mainWindow)
        g_mainWindow = this;
}

frmMain::~frmMain() {
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

void frmMain::setupListColumns() {
    // Widths in twips; a share of the list's own width is not a fixed width.
    struct Column {
        QString caption;
        int width;
        bool fixed = true;
    };
    auto setColumns = [](auto *list, const QList<Column> &columns) {
        QStringList captions;
        for (const Column &c : columns)
            captions.append(c.caption);
        list->setHeaderLabels(captions);
        for (int i = 0; i < columns.size(); ++i)
            list->setColumnWidth(i, columns[i].fixed ? fixedColumnPixels(columns[i].width, list->font())
                                                     : twips(columns[i].width));
    };
    const int wk = lvwKeywords->width() * 15;
    setColumns(lvwKeywords, {{QStringLiteral("#"), 400}, {QStringLiteral("Keywords"), wk * 2 / 5, false},
                             {QStringLiteral("Counts"), 800}, {QStringLiteral("Cur Bid$"), 1500},
                             {QStringLiteral("Next Bid$"), 800}, {QStringLiteral("1st Bid$"), 800},
                             {QStringLiteral("2nd Bid$"), 800}, {QStringLiteral("3rd Bid$"), 800},
                             {QStringLiteral("Position"), 800}, {QStringLiteral("Status"), 1200}});
    const int wr = lvwRanking->width() * 15;
    setColumns(lvwRanking, {{QStringLiteral("#"), 400}, {QStringLiteral("Title"), wr * 2 / 5, false},
                            {QStringLiteral("URL"), wr * 2 / 5, false}, {QStringLiteral("Bid$"), 700}});
    setColumns(lvwURLs, {{QStringLiteral("URLS"), lvwURLs->width() * 15 - 335, false}});
    resizeControl();
}

QAction *frmMain::menuItem(const QString &menu, int number) const {
    return m_menuItems.value(menu).value(number, nullptr);
}
QAction *frmMain::toolButton(const QString &key) const { return m_toolButtons.value(key, nullptr); }
QAction *frmMain::toolMenuItem(const QString &buttonKey, const QString &itemKey) const {
    return m_toolMenuItems.value(buttonKey).value(itemKey, nullptr);
}
QIcon frmMain::treeImage(const QString &key) const { return treenode::ImageIcon(key); }

void frmMain::create(clsMain *oMain) {
    m_oMain = oMain;
    if (m_oMain)
        m_oMain->setBusyCheck([this](const QString &e, const QString &a) { return IsAccountLookingUp(e, a); });
}

void frmMain::NewKeywords(const QString &sNewKeywords) { m_sNewKeywords = sNewKeywords; }

bool frmMain::Form_Load() {
    try {
        m_bLoaded = true;
        CenterForm(this);
        pbrSearch->hide();
        m_sHelpFile = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("zqam.hlp"));
        const QString reports = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("reports"));
        if (!QDir(reports).exists() && !QDir().mkpath(reports))
            vb::Raise(vb::errPathNotFound);
        setupListColumns();
        cmdArrow->setIcon(imgDown);

        m_oEngine = std::make_shared<clsEngine>();
        m_oEngine->loadEngineData();
        if (m_oMain)
            m_oMain->setEngineObject(m_oEngine.get());

        tvwAccount->setSortingEnabled(true);
        tvwAccount->sortByColumn(0, Qt::AscendingOrder);
        if (!m_oMain || !m_oMain->loadProject()) {
            loadErrorExit(QString());
            return false;
        }

        QTreeWidgetItem *node = FirstSelection();
        if (node) {
            tvwAccount->setCurrentItem(node);
            tvwAccount_NodeClick(node);
        }

        show();
        m_frmSendMail = std::make_unique<frmSendMail>();
        m_sCurrentKeyword.clear();

        ApplySchedulerSetting();
        LoadTrayIcon();
        seam::SetPointer(seam::Pointer::Default);
        return true;
    } catch (const std::exception &e) {
        loadErrorExit(vb::Describe(e));
        return false;
    }
}

QTreeWidgetItem *frmMain::FirstSelection() const {
    QTreeWidgetItem *node = tvwAccount->topLevelItemCount() > 0 ? tvwAccount->topLevelItem(0) : nullptr;
    if (node && node->childCount() > 0) {
        node = node->child(0);
        if (node->childCount() > 0)
            node = node->child(0);
    }
    return node;
}

void frmMain::ApplySchedulerSetting() {
    // Reading the settings also stamps the program's version.
    clsPreference pref;
    pref.GetSettings();
    if (pref.SchedulerEnable()) {
        tmrScheduler->start();
        stbPanel2->setText(kSchedulerOn);
    } else {
        tmrScheduler->stop();
        stbPanel2->setText(kSchedulerOff);
    }
}

void frmMain::loadErrorExit(const QString &errorText) {
    seam::SetPointer(seam::Pointer::Default);
    // The splash stays on top; it must not cover the message.
    frmSplash::UnloadSplash();
    const QString vendor = g_oDealerInfo ? g_oDealerInfo->DealerEmail() : QString::fromLatin1(clsDealerInfo::kDefaultEmail);
    seam::MsgBox(kLoadErrorStart + vendor + QStringLiteral("'.\r\n\r\nError: ") + errorText, seam::vbCritical,
                 app::Title());
    WriteErrorLog(kLoadErrorLog + errorText);
    hide();
    // Nothing else would end the process: no window is shown and no tray icon exists.
    seam::EndProgram();
}

void frmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    // The lists have their real widths only once the window is laid out.
    if (m_bLoaded && !m_bShownOnce) {
        m_bShownOnce = true;
        setupListColumns();
    }
}

void frmMain::closeEvent(QCloseEvent *event) {
    // The close box is refused while a look-up runs.
    if (event->spontaneous() && m_bInsearch) {
        event->ignore();
        return;
    }
    if (m_bUnloading || Form_Unload())
        event->accept();
    else
        event->ignore();
}

bool frmMain::Form_Unload() {
    if (seam::MsgBox(kExitQuestion, seam::vbYesNo | seam::vbQuestion, kExitTitle) != seam::vbYes)
        return false;
    m_bUnloading = true;
    try {
        // Open bid windows end with the program: their settings are kept.
        frmAutoBid::SaveAllKeywordsSettings();
        delete m_oMain;
        m_oMain = nullptr;
        if (m_oRanking) {
            m_oRanking->CloseHTTPForm();
            m_oRanking.reset();
        }
        m_oEngine.reset();
        if (m_oKeywords) {
            // Every keyword command saved already; a look-up from a bid window
            // may have written newer results since, which this copy must not undo.
            if (m_oKeywords->FileReplacedSinceRead())
                WriteErrorLog(kUnloadErrorLog + kKeywordsNotResaved + m_oKeywords->KeywordsFile());
            else
                m_oKeywords->SaveKeywords();
        }
        m_oKeywords.reset();
        m_iLastKeywordRow = -1;
        m_frmSendMail.reset();
        m_colCopiedKeywords.clear();
        delete g_oDealerInfo;
        g_oDealerInfo = nullptr;
        m_oCurrentNode = nullptr;
        UnloadTrayIcon();
        QCoreApplication::processEvents();
    } catch (const std::exception &e) {
        WriteErrorLog(kUnloadErrorLog + vb::Describe(e));
    }
    tmrScheduler->stop();
    seam::EndProgram();
    return true;
}

void frmMain::tvwAccount_NodeClick(QTreeWidgetItem *node) {
    if (!node)
        return;
    // A frame title takes "&" as an access key; the node's text is shown as it is.
    fraMainRight->setTitle(QString(node->text(0)).replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_oCurrentNode = node;
    if (m_oMain)
        m_oMain->setSelectNode(node);
    tvwAccount->setCurrentItem(node);
    switch (treenode::kind(node)) {
    case treenode::Kind::Engine: m_sEngineName = node->text(0); break;
    case treenode::Kind::Account: m_sEngineName = node->parent() ? node->parent()->text(0) : QString(); break;
    default: m_sEngineName.clear(); break;
    }
    ShowURLs();
    UpdateUI(true, true, false);
}

void frmMain::UpdateUI(bool bReloadKeywordFile, bool bRePopulateKeyword, bool bKeepSelectitem) {
    try {
        if (bReloadKeywordFile) {
            m_oKeywords = std::make_unique<clsKeywords>();
            QTreeWidgetItem *selected = tvwAccount->currentItem();
            if (selected && treenode::kind(selected) == treenode::Kind::Account) {
                m_oKeywords->setEngine(m_sEngineName);
                m_oKeywords->setAccountName(selected->text(0));
                m_oKeywords->loadKeywords();
            }
        }
        int index = 1;
        if (lvwKeywords->rowCount() > 0) {
            const int cur = lvwKeywords->currentRow();
            if (cur < 0 || !lvwKeywords->isRowSelected(cur))
                lvwKeywords->setCurrentRow(0);
            else
                index = cur + 1;
        }
        if (bRePopulateKeyword) {
            lvwKeywords->clear();
            lvwRanking->clear();
            if (m_oKeywords)
                m_oKeywords->PopulateKeywords(lvwKeywords->rows(), false);
            const int rows = lvwKeywords->rowCount();
            if (rows > 0 && bKeepSelectitem) {
                if (index <= rows) {
                    lvwKeywords->setRowSelected(0, false);
                    lvwKeywords->setCurrentRow(index - 1);
                } else {
                    lvwKeywords->setCurrentRow(0);
                }
            } else if (rows > 0) {
                // A freshly filled list view has its first row as the selected item.
                lvwKeywords->setCurrentRow(0);
            }
            HightLightKeyword();
        }
        m_iLastKeywordRow = lvwKeywords->currentRow();
        m_sLastKeywordText = m_iLastKeywordRow >= 0 ? lvwKeywords->text(m_iLastKeywordRow, 0) : QString();
        if (m_iLastKeywordRow >= 0 && m_sLastKeywordText.isNull())
            m_sLastKeywordText = QStringLiteral("");
        if (lvwKeywords->rowCount() > 0)
            ShowKeywordResults(lvwKeywords->currentRow());
        if (lvwRanking->topLevelItemCount() > 0) {
            HightLightResult();
            HightLightMatchURL();
        }
        setMenuToolBarstatus();
    } catch (const std::exception &e) {
        WriteErrorLog(kUpdateUIErrorLog + vb::Describe(e));
    }
}

void frmMain::SetStatus() {
    if (!m_bInsearch)
        return;
    pbrSearch->show();
    if (pbrSearch->maximum() > pbrSearch->value()) {
        stbPanel1->setText(kSearchStatus);
        pbrSearch->setValue(pbrSearch->value() + 1);
    }
}

bool frmMain::IsSearchingNode() const {
    return m_bInsearch && !m_sLookupAccount.isEmpty() && m_oCurrentNode &&
           m_sLookupAccount.contains(m_oCurrentNode->text(0));
}

void frmMain::setMenuToolBarstatus() {
    if (!m_oCurrentNode)
        return;
    try {
        const treenode::Kind kind = treenode::kind(m_oCurrentNode);
        const bool account = kind == treenode::Kind::Account;
        const bool notRoot = kind != treenode::Kind::Root;
        const bool searching = IsSearchingNode();
        const bool busy = m_bInsearch;
        const bool kwSelected = lvwKeywords->hasSelectedRows();
        const bool kwRows = lvwKeywords->rowCount() > 0;
        const bool rankRows = lvwRanking->topLevelItemCount() > 0;
        const bool urlRows = lvwURLs->topLevelItemCount() > 0;
        const bool urlSelected = !lvwURLs->selectedItems().isEmpty();
        const bool bidEngine = m_sEngineName == QLatin1String("Overture") ||
                               m_sEngineName == QLatin1String("FindWhat") ||
                               m_sEngineName == QLatin1String("Overture(UK)");
        auto set = [this](const QString &menu, int n, bool on) { menuItem(menu, n)->setEnabled(on); };
        const QString F = QStringLiteral("File"), K = QStringLiteral("Keywords"), U = QStringLiteral("URL"),
                      R = QStringLiteral("Run"), P = QStringLiteral("Report");
        set(F, 1, notRoot);
        set(F, 2, account && !searching);
        set(F, 3, account && !searching);
        set(F, 5, !busy);
        set(F, 11, !busy);
        set(K, 1, account && !searching);
        set(K, 9, account && !searching);
        set(K, 10, account && !searching);
        set(K, 3, kwSelected && account && !searching);
        set(K, 4, account && kwRows && !searching);
        set(K, 6, kwRows);
        set(K, 12, kwRows);
        set(U, 1, account && !searching);
        set(U, 2, rankRows && urlRows);
        set(U, 3, urlSelected);
        for (int i = 1; i <= 3; ++i)
            set(P, i, kwRows);
        set(R, 1, account && bidEngine);
        set(R, 3, kwSelected && !busy);
        set(R, 4, kwRows && !busy);
        set(R, 5, !busy);
        set(R, 7, busy && !m_bDisconnecting);

        auto copy = [this](const QString &key, const QString &menu, int n) {
            toolButton(key)->setEnabled(menuItem(menu, n)->isEnabled());
        };
        copy(QStringLiteral("NewAccount"), F, 1);
        copy(QStringLiteral("Keyword"), K, 1);
        copy(QStringLiteral("LoadKeyword"), K, 10);
        copy(QStringLiteral("URL"), U, 1);
        copy(QStringLiteral("LookUp"), R, 3);
        copy(QStringLiteral("Stop"), R, 7);
        copy(QStringLiteral("AutoBid"), R, 1);
        copy(QStringLiteral("Report"), P, 1);
        toolMenuItem(QStringLiteral("Report"), QStringLiteral("HTML"))->setEnabled(menuItem(P, 1)->isEnabled());
        toolMenuItem(QStringLiteral("Report"), QStringLiteral("Text"))->setEnabled(menuItem(P, 2)->isEnabled());
        toolMenuItem(QStringLiteral("Report"), QStringLiteral("Excel"))->setEnabled(menuItem(P, 3)->isEnabled());
        toolButton(QStringLiteral("Login"))->setEnabled(notRoot);
    } catch (const std::exception &e) {
        WriteErrorLog(kMenuStateErrorLog + vb::Describe(e));
    }
}
