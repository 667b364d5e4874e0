#include "autobid/frmAutoBid.h"

#include "autobid/BidGrid.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

namespace {

const char *const kTitle = "AutoBid";
const char *const kCloseQuestion = "Are you sure you want to close AutoBid?";
const char *const kLookUpQuestion1 = "The keyword ranking details may be changed since you last look up.";
const char *const kLookUpQuestion2 = "Do you want to perform keyword look up again? ";
const char *const kLookUpFailed = "Look up can not be completed. Do you still want to Get Bid from the engine server?";
const char *const kInvalidValue = "Invalid value, please enter a valid numeric value.";
const char *const kUnderMinimum =
    "The new bid amount can not smaller than your Minimum Bid. Please enter a valid amount.";
const char *const kOverMaximum =
    "The new bid amount is greater than your Maximum Bid, are you sure you want to bid on this amount?";
const char *const kMenuClickLog = "frmAutoBid_ButtonMenuClick error: ";
const char *const kEditKeyLog = "frmAotoBid_textEditKeyDown error: ";
const char *const kResizeLog = "frmAutoBid_Resize error:  ";
const char *const kGridEditLog = "frmEngineProfile_GridEdit error:  ";
const char *const kValidLog = "frmAutoBid_ValidNewBid error:  ";
const char *const kLoadLog = "frmAutoBid_FormLoad event error:  ";

const char *const kGetBid = "GetBid";
const char *const kUpdate = "Update";
const char *const kProperty = "Property";
const char *const kSort = "Sort";
const char *const kReport = "Report";
const char *const kClose = "Close";
const char *const kFirstSortItem = "KeywordAsc";

struct Button {
    const char *caption, *key, *tooltip;
    QStyle::StandardPixmap icon;
};
const Button kButtons[] = {
    {"Get Bids", kGetBid, "Login and retrieve keywords from your account", QStyle::SP_ArrowDown},
    {"Update Bids", kUpdate, "Update bids to your account", QStyle::SP_ArrowUp},
    {"Property", kProperty, "Keyword property setting", QStyle::SP_FileDialogInfoView},
    {"Sort", kSort, "Sorting", QStyle::SP_FileDialogListView},
    {"Report", kReport, "Genterate report", QStyle::SP_FileDialogDetailedView},
    {"Close", kClose, "Close AutoBid", QStyle::SP_DialogCloseButton},
};

struct SortItem {
    const char *caption, *key;
    int col;
};
const SortItem kSortItems[] = {
    {"by Keyword-Ascending", "KeywordAsc", 0},      {"by Keyword-Descending", "KeywordDes", 0},
    {"by Cur Bid-Ascending", "CurBidAsc", 1},       {"by Cur Bid-Descending", "CurBidDes", 1},
    {"by Next Bid-Ascending", "NextBidAsc", 2},     {"by Next Bid-Descending", "NextBidDes", 2},
    {"by Position-Ascending", "PositionAsc", 3},    {"by Position-Descending", "PositionDes", 3},
    {"by 1st Bid-Ascending", "1stBidAsc", 4},       {"by 1st Bid-Descending", "1stBidDes", 4},
    {"by 2nd Bid-Ascending", "2ndBidAsc", 5},       {"by 2nd Bid-Descending", "2ndBidDes", 5},
    {"by 3rd Bid-Ascending", "3rdBidAsc", 6},       {"by 3rd Bid-Descending", "3rdBidDes", 6},
    {"by Targe-Ascendingg", "TargeAsc", 9},         {"by Targe-Descendi", "TargeDes", 9},
    {"by New Bid-Ascending", "NewBidAsc", 10},      {"by New Bid-Descending", "NewBidDes", 10},
};

// Measures of the classic window in twips; 15 twips make a pixel.
constexpr int kGridSpareTwips = 250;
constexpr int kEditSpareTwips = 100;
constexpr int kTwipsPerPixel = 15;

QString L(const char *s) { return QString::fromLatin1(s); }

QList<QPointer<frmAutoBid>> &openWindows() {
    static QList<QPointer<frmAutoBid>> windows;
    return windows;
}

}  // namespace

// ---- the open windows ---------------------------------------------------------------

frmAutoBid *frmAutoBid::FindWindow(const QString &engine, const QString &account) {
    for (const QPointer<frmAutoBid> &w : openWindows()) {
        if (!w || w->m_bUnloaded || !w->m_bLoaded)
            continue;
        const BidWindowState &s = w->m_manager.State();
        if (s.m_sEngine.compare(engine, Qt::CaseInsensitive) == 0 &&
            s.m_sAccountName.compare(account, Qt::CaseInsensitive) == 0)
            return w;
    }
    return nullptr;
}

void frmAutoBid::SaveAllKeywordsSettings() {
    for (const QPointer<frmAutoBid> &w : openWindows())
        if (w && w->m_bLoaded && !w->m_bUnloaded)
            w->m_manager.SaveKeywordsSetting();
}

// ---- building ---------------------------------------------------------------------------

frmAutoBid::frmAutoBid(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmAutoBid"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(L(kTitle));
    resize(960, 600);
    m_manager.setOwner(this);
    buildToolbar();
    buildGrid();

    stbPanel1 = new QLabel(this);
    stbLastUpdate = new QLabel(this);
    stbLastUpdate->setObjectName(QStringLiteral("LastUpdate"));
    stbLastUpdate->setMinimumWidth(260);
    statusBar()->addWidget(stbPanel1, 1);
    statusBar()->addPermanentWidget(stbLastUpdate);

    tmrScheduler = new QTimer(this);
    tmrScheduler->setObjectName(QStringLiteral("tmrScheduler"));
    tmrScheduler->setInterval(1000);
    tmrScheduler->setSingleShot(true);
    connect(tmrScheduler, &QTimer::timeout, this, &frmAutoBid::tmrScheduler_Timer);

    connect(&m_manager, &BidManager::statusChanged, stbPanel1, &QLabel::setText);
    connect(&m_manager, &BidManager::lastUpdateChanged, stbLastUpdate, &QLabel::setText);
    connect(&m_manager, &BidManager::buttonsEnabled, this, &frmAutoBid::EnableButtons);
    openWindows().append(this);
}

frmAutoBid::~frmAutoBid() {
    openWindows().removeAll(QPointer<frmAutoBid>(this));
    openWindows().removeAll(QPointer<frmAutoBid>());
}

void frmAutoBid::buildToolbar() {
    tlbManageBids = addToolBar(QStringLiteral("tlbManageBids"));
    tlbManageBids->setObjectName(QStringLiteral("tlbManageBids"));
    tlbManageBids->setMovable(false);
    tlbManageBids->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const Button &b : kButtons) {
        const QString key = L(b.key);
        auto *action = new QAction(style()->standardIcon(b.icon), L(b.caption), this);
        action->setObjectName(key);
        action->setToolTip(L(b.tooltip));
        if (key == L(kSort)) {
            mnuSort = new QMenu(this);
            mnuSort->setObjectName(QStringLiteral("mnuSort"));
            for (const SortItem &item : kSortItems) {
                QAction *sub = mnuSort->addAction(L(item.caption));
                sub->setObjectName(L(item.key));
                sub->setData(item.col);
                m_sortItems.insert(L(item.key), sub);
                connect(sub, &QAction::triggered, this, [this, k = L(item.key)] { tlbManageBids_ButtonMenuClick(k); });
            }
            action->setMenu(mnuSort);
        }
        if (key == L(kClose))
            tlbManageBids->addSeparator();
        tlbManageBids->addAction(action);
        if (key == L(kSort))
            if (auto *button = qobject_cast<QToolButton *>(tlbManageBids->widgetForAction(action)))
                button->setPopupMode(QToolButton::MenuButtonPopup);
        connect(action, &QAction::triggered, this, [this, key] { tlbManageBids_ButtonClick(key); });
        m_buttons.insert(key, action);
    }
}

void frmAutoBid::buildGrid() {
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 8, 12, 10);
    grdBidsManage = new QTableView(central);
    grdBidsManage->setObjectName(QStringLiteral("grdBidsManage"));
    grdBidsManage->setModel(&m_manager.Grid());
    grdBidsManage->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdBidsManage->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdBidsManage->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBidsManage->setWordWrap(false);
    grdBidsManage->verticalHeader()->hide();
    grdBidsManage->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdBidsManage->verticalHeader()->setDefaultSectionSize(grdBidsManage->fontMetrics().height() + 6);
    grdBidsManage->horizontalHeader()->setSectionsClickable(false);
    grdBidsManage->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(grdBidsManage);
    setCentralWidget(central);

    txtEdit = new QLineEdit(grdBidsManage->viewport());
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    txtEdit->hide();

    grdBidsManage->installEventFilter(this);
    grdBidsManage->viewport()->installEventFilter(this);
    txtEdit->installEventFilter(this);
    connect(grdBidsManage, &QTableView::doubleClicked, this, [this] { grdBidsManage_DblClick(); });
    connect(grdBidsManage->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { syncGridFromView(); });
    connect(grdBidsManage->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncGridFromView(); });
    connect(&m_manager.Grid(), &BidGrid::selectionMoved, this, [this] { syncViewFromGrid(); });
    connect(txtEdit, &QLineEdit::textChanged, this, [this] { txtEdit_Change(); });
    auto follow = [this] {
        if (m_bEditing)
            placeEditor();
    };
    connect(grdBidsManage->horizontalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(grdBidsManage->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
}

// ---- account, load and unload ------------------------------------------------------------

void frmAutoBid::setAccount(std::shared_ptr<clsAccount> oAccount) { m_manager.setAccount(std::move(oAccount)); }

void frmAutoBid::setEngineObject(std::shared_ptr<const clsEngine> oEngine) {
    m_manager.setEngineObject(std::move(oEngine));
}

void frmAutoBid::Form_Load() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;
    try {
        CenterForm(this);
        setWindowTitle(m_manager.Caption());
        Form_Resize();
        m_manager.Load();
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadLog, e);
    }
}

void frmAutoBid::showEvent(QShowEvent *event) {
    Form_Load();
    QMainWindow::showEvent(event);
}

void frmAutoBid::closeEvent(QCloseEvent *event) {
    if (m_bUnloaded || Form_Unload())
        event->accept();
    else
        event->ignore();
}

bool frmAutoBid::Form_Unload() {
    // A fetch or an update holds this window's records until it returns.
    if (m_manager.Online())
        return false;
    if (!m_manager.State().m_bIsSchedler &&
        seam::MsgBox(L(kCloseQuestion), seam::vbYesNo | seam::vbInformation, L(kTitle)) != seam::vbYes)
        return false;
    tmrScheduler->stop();
    if (m_bLoaded)
        m_manager.Unload();
    m_bUnloaded = true;
    // A scheduled window ends its pass, however it ends.
    if (m_bScheduled)
        RaiseCompleted();
    return true;
}

// ---- the scheduled pass ------------------------------------------------------------------------

void frmAutoBid::StartScheduledPass() {
    m_bScheduled = true;
    tmrScheduler->start();
}

void frmAutoBid::tmrScheduler_Timer() {
    tmrScheduler->stop();
    m_bScheduled = true;
    Form_Load();
    QPointer<frmAutoBid> self(this);
    m_manager.ScheduledPass();
    if (!self)
        return;
    RaiseCompleted();
    if (self)
        m_manager.State().m_bIsSchedler = false;
}

void frmAutoBid::RaiseCompleted() {
    if (m_bCompletedRaised)
        return;
    m_bCompletedRaised = true;
    Q_EMIT Completed();
}

// ---- toolbar --------------------------------------------------------------------------------------

void frmAutoBid::EnableButtons(bool bEnable) {
    m_buttons.value(L(kUpdate))->setEnabled(bEnable);
    m_buttons.value(L(kReport))->setEnabled(bEnable);
}

void frmAutoBid::tlbManageBids_ButtonClick(const QString &key) {
    if (!ValidNewBid())
        return;
    BidWindowState &state = m_manager.State();
    if (key == L(kGetBid)) {
        const QString question = L(kLookUpQuestion1) + QStringLiteral("\r\n") + L(kLookUpQuestion2);
        if (seam::MsgBox(question, seam::vbYesNo | seam::vbQuestion, L(kTitle)) == seam::vbYes &&
            !m_manager.KeywordLookUp() &&
            seam::MsgBox(L(kLookUpFailed), seam::vbYesNo | seam::vbQuestion, L(kTitle)) != seam::vbYes)
            return;
        if (state.m_bSettingsDirty) {
            m_manager.SaveKeywordsSetting();
            state.m_bSettingsDirty = false;
        }
        m_manager.GetBids();
    } else if (key == L(kUpdate)) {
        if (state.m_bSettingsDirty) {
            m_manager.SaveKeywordsSetting();
            state.m_bSettingsDirty = false;
        }
        m_manager.UpdateKeywordsToGrid();
    } else if (key == L(kSort)) {
        tlbManageBids_ButtonMenuClick(L(kFirstSortItem));
    } else if (key == L(kProperty)) {
        m_manager.KeywordsSetting();
    } else if (key == L(kReport)) {
        m_manager.Report();
    } else if (key == L(kClose)) {
        close();
    }
}

void frmAutoBid::tlbManageBids_ButtonMenuClick(const QString &itemKey) {
    try {
        if (!ValidNewBid())
            return;
        QAction *item = m_sortItems.value(itemKey, nullptr);
        if (!item)
            return;
        m_manager.Grid().Sort(item->data().toInt(), itemKey.endsWith(QLatin1String("Asc")));
    } catch (const std::exception &e) {
        WriteErrorLog(kMenuClickLog, e);
    }
}

void frmAutoBid::grdBidsManage_DblClick() { m_manager.KeywordsSetting(); }

// ---- grid selection --------------------------------------------------------------------------------

void frmAutoBid::syncGridFromView() {
    if (m_bSyncing)
        return;
    const QModelIndex current = grdBidsManage->selectionModel()->currentIndex();
    int row = 0, col = 0, rowSel = 0, colSel = 0;
    if (current.isValid()) {
        row = rowSel = BidGrid::GridRow(current);
        col = colSel = current.column();
        for (const QItemSelectionRange &range : grdBidsManage->selectionModel()->selection()) {
            if (!range.contains(current))
                continue;
            rowSel = (current.row() == range.top() ? range.bottom() : range.top()) + 1;
            colSel = current.column() == range.left() ? range.right() : range.left();
            break;
        }
    }
    m_bSyncing = true;
    m_manager.Grid().setSelection(row, col, rowSel, colSel);
    m_bSyncing = false;
}

void frmAutoBid::syncViewFromGrid() {
    if (m_bSyncing)
        return;
    m_bSyncing = true;
    const BidGrid &grid = m_manager.Grid();
    QItemSelectionModel *sel = grdBidsManage->selectionModel();
    if (grid.Row() < 1) {
        sel->clear();
    } else {
        const QModelIndex current = grid.index(grid.Row() - 1, grid.Col());
        const QItemSelection range(grid.index(qMin(grid.Row(), grid.RowSel()) - 1, qMin(grid.Col(), grid.ColSel())),
                                   grid.index(qMax(grid.Row(), grid.RowSel()) - 1, qMax(grid.Col(), grid.ColSel())));
        sel->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        sel->select(range, QItemSelectionModel::ClearAndSelect);
    }
    m_bSyncing = false;
}

void frmAutoBid::selectRow(int row, int lastCol) {
    m_manager.Grid().setSelection(row, 0, row, lastCol);
    grdBidsManage->scrollTo(m_manager.Grid().index(row - 1, 0));
}

// ---- the New Bid editor ------------------------------------------------------------------------------

void frmAutoBid::grdBidsManage_KeyDown(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ShiftModifier || mods == Qt::ControlModifier)
        return;
    GridEdit();
    // A typed character goes on into the editor, which has all its text selected.
    if (m_bEditing && !event->text().isEmpty() && event->text().at(0).isPrint())
        txtEdit->insert(event->text());
}

void frmAutoBid::GridEdit() {
    try {
        BidGrid &grid = m_manager.Grid();
        const int row = grid.Row();
        if (row < 1 || row >= grid.Rows())
            return;
        txtEdit->setFont(grdBidsManage->font());
        m_iEditRow = row;
        grid.setCurrentCell(row, BidGrid::colNewBid);
        m_bEditing = true;
        txtEdit->setText(grid.TextMatrix(row, BidGrid::colNewBid));
        txtEdit->selectAll();
        placeEditor();
        txtEdit->show();
        txtEdit->setFocus();
    } catch (const std::exception &e) {
        WriteErrorLog(kGridEditLog, e);
    }
}

void frmAutoBid::placeEditor() {
    const QRect cell = grdBidsManage->visualRect(m_manager.Grid().index(m_iEditRow - 1, BidGrid::colNewBid));
    const int spare = kEditSpareTwips / kTwipsPerPixel;
    const int width = cell.width() > spare ? cell.width() - spare : cell.width();
    txtEdit->setGeometry(cell.left(), cell.top(), width, cell.height());
}

void frmAutoBid::txtEdit_Change() {
    if (!m_bEditing || m_iEditRow < 1 || m_iEditRow >= m_manager.Grid().Rows())
        return;
    BidGrid &grid = m_manager.Grid();
    grid.setTextMatrix(m_iEditRow, BidGrid::colNewBid, txtEdit->text());
    const QString cur = grid.TextMatrix(m_iEditRow, BidGrid::colCurBid);
    const QString bid = txtEdit->text();
    if (IsNumericAmount(cur) && IsNumericAmount(bid))
        grid.setCellForeColor(m_iEditRow, BidGrid::colNewBid,
                              StrToCurrency(cur) != StrToCurrency(bid) ? BidGrid::kBlue : BidGrid::kBlack);
}

void frmAutoBid::txtEdit_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if (mods == Qt::ShiftModifier || mods == Qt::ControlModifier)
        return;
    m_bInEditKey = true;
    try {
        const int last = m_manager.Grid().Rows() - 1;
        int row = m_iEditRow;
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down || key == Qt::Key_Up) {
            if (ValidNewBid()) {
                grdBidsManage->setFocus();
                if (key == Qt::Key_Down && row < last)
                    ++row;
                else if (key == Qt::Key_Up && row > 1)
                    --row;
                selectRow(row, BidGrid::colStatus);
            }
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kEditKeyLog, e);
    }
    m_bInEditKey = false;
}

bool frmAutoBid::ValidNewBid() {
    if (!m_bEditing || m_bValidating)
        return !m_bEditing;
    m_bValidating = true;
    bool valid = true;
    try {
        BidGrid &grid = m_manager.Grid();
        float min = 0, max = 0;
        bool hasMax = false;
        if (m_iEditRow >= 1 && m_iEditRow < grid.Rows()) {
            const QString key = grid.TextMatrix(m_iEditRow, BidGrid::colKeyword);
            if (m_manager.State().m_colKeywords->Exists(key)) {
                const clsKeyword &k = *m_manager.State().m_colKeywords->Item(key);
                // Limits that are no amounts set no limit.
                if (IsNumericAmount(k.MinBid()))
                    min = StrToSingle(k.MinBid());
                if (IsNumericAmount(k.MaxBid())) {
                    max = StrToSingle(k.MaxBid());
                    hasMax = true;
                }
            }
        }
        const QString text = txtEdit->text();
        if (!IsNumericAmount(text)) {
            seam::MsgBox(L(kInvalidValue), seam::vbCritical, windowTitle());
            valid = false;
        } else {
            const float v = vb::CSng(vb::Round(double(StrToSingle(text)), 2));
            if (v < min) {
                seam::MsgBox(L(kUnderMinimum), seam::vbOKOnly, app::Title());
                valid = false;
            } else if (hasMax && v > max &&
                       seam::MsgBox(L(kOverMaximum), seam::vbYesNo | seam::vbInformation, windowTitle()) !=
                           seam::vbYes) {
                valid = false;
            }
        }
        if (valid) {
            m_bEditing = false;
            txtEdit->hide();
            selectRow(m_iEditRow, BidGrid::colNewBid);
        } else {
            grid.setCurrentCell(m_iEditRow, BidGrid::colNewBid);
            txtEdit->selectAll();
            txtEdit->setFocus();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kValidLog, e);
    }
    m_bValidating = false;
    return valid;
}

bool frmAutoBid::endEditForClick() {
    QScrollBar *across = grdBidsManage->horizontalScrollBar();
    QScrollBar *down = grdBidsManage->verticalScrollBar();
    const int x = across->value(), y = down->value();
    if (!ValidNewBid())
        return false;
    // Ending the edit brings its row into sight; the click was aimed at what was shown.
    across->setValue(x);
    down->setValue(y);
    return true;
}

bool frmAutoBid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grdBidsManage && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
            break;
        default: {
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (mods != Qt::ShiftModifier && mods != Qt::ControlModifier) {
                grdBidsManage_KeyDown(key);
                return true;
            }
        }
        }
    } else if (watched == grdBidsManage->viewport() && m_bEditing &&
               (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        // The edit ends before the click chooses its cell, so the clicked row is the one
        // chosen; a refused edit keeps its row and the click is dropped.
        if (!endEditForClick())
            return true;
    } else if (watched == txtEdit) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            txtEdit_KeyDown(key->key(), key->modifiers());
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Up ||
                key->key() == Qt::Key_Down)
                return true;
        } else if (event->type() == QEvent::FocusOut && !m_bInEditKey && m_bEditing) {
            // A box shown by the check takes the focus for a moment; that is no leaving.
            QTimer::singleShot(0, this, [this] {
                if (m_bEditing && !m_bValidating && QApplication::activeModalWidget() == nullptr &&
                    !txtEdit->hasFocus())
                    ValidNewBid();
            });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- layout -------------------------------------------------------------------------------------------

void frmAutoBid::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmAutoBid::Form_Resize() {
    try {
        const int w = grdBidsManage->width() - (kGridSpareTwips + kTwipsPerPixel / 2) / kTwipsPerPixel;
        if (w > 0) {
            grdBidsManage->setColumnWidth(0, w * 4 / 16);
            for (int col = 1; col <= 10; ++col)
                grdBidsManage->setColumnWidth(col, w / 16);
            grdBidsManage->setColumnWidth(11, w * 2 / 16);
        }
        if (m_bEditing)
            placeEditor();
    } catch (const std::exception &e) {
        WriteErrorLog(kResizeLog, e);
    }
}
