// The main window's account commands and the events of its account tree.

#include "ui/frmMain.h"

#include "autobid/frmAutoBid.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/clsDealerInfo.h"
#include "core/clsEngine.h"
#include "core/clsPreference.h"
#include "core/clsURL.h"
#include "core/modCommon.h"
#include "lookup/clsRanking.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmAccount.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <QTreeWidget>

namespace {
const QString kAddAccountLog = QStringLiteral("frmMain_AddAccount error: ");
const QString kEditAccountLog = QStringLiteral("frmMain_EditAccount error: ");
const QString kTagLog = QStringLiteral("frmMain_ChangeNodeTagProperty error: ");
const QString kLoginLog = QStringLiteral("frmMain_LoginAccount_click:  ");
const QString kLoginURLLog = QStringLiteral("frmMain_LoginAccount_URL(");
const QString kOpenPageLog = QStringLiteral("mnuOpenPageItem_Click error:  ");
const QString kInvalidLogin = QStringLiteral("Invalid login URL. Please report this error to '");
const QString kLoginTitle = QStringLiteral("Login");
constexpr int kDeleteKeyCode = 46;
constexpr int kShowMaximized = 3;


QString vendorEmail() {
    return g_oDealerInfo ? g_oDealerInfo->DealerEmail() : QString::fromLatin1(clsDealerInfo::kDefaultEmail);
}

// An engine address the desktop may open: a web address whose first "." and
// whose "://" stand where a real host name can come before them.
bool isUsableEngineURL(const QString &url) {
    const int dot = vb::InStr(url, QStringLiteral("."));
    const int scheme = vb::InStr(url, QStringLiteral("://"));
    if (dot < 9 || scheme < 4)
        return false;
    const QString lower = url.toLower();
    return lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://"));
}
}  // namespace

std::function<void(QWidget *owner)> &frmMain::ConfigurationDialogHook() {
    static std::function<void(QWidget *)> hook;
    return hook;
}

void frmMain::connectAccountCommands() {
    // The menus and toolbar reach the account commands through the window's dispatch table.
    connect(tvwAccount, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem *item) {
        if (QApplication::mouseButtons() & Qt::LeftButton)
            tvwAccount_NodeClick(item);
    });
    connect(tvwAccount, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onTreeCurrentChanged(current); });
    connect(tvwAccount, &QTreeWidget::itemDoubleClicked, this, [this] { tvwAccount_DblClick(); });
    tvwAccount->installEventFilter(this);
    tvwAccount->viewport()->installEventFilter(this);
    tvwAccount->viewport()->setMouseTracking(true);
}

// Keyboard moves through the tree are node clicks too; selections made by
// the program run their node click themselves.
void frmMain::onTreeCurrentChanged(QTreeWidgetItem *current) {
    if (!current || current == m_oCurrentNode || m_bSelectingNode || !isVisible() ||
        focusWidget() != tvwAccount || QApplication::mouseButtons() != Qt::NoButton)
        return;
    tvwAccount_NodeClick(current);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    if (tvwAccount && watched == tvwAccount && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
            tvwAccount_KeyDown(kDeleteKeyCode);
            return true;
        }
    } else if (tvwAccount && watched == tvwAccount->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            seam::SetPointer(seam::Pointer::Default);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The right button only brings up the popup; it does not move the selection.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                return true;
            break;
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::RightButton) {
                tvwAccount_MouseUp(Qt::RightButton, me->globalPosition().toPoint());
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmMain::IsAccountLookingUp(const QString &engine, const QString &account) const {
    // The same test that disables Edit and Delete for the node being looked up;
    // the account a scheduled run works on, one a bid window's look-up works
    // on and one with an open bid window (which saves into its folder) stay put as well.
    return (m_bInsearch && !m_sLookupAccount.isEmpty() && !account.isEmpty() && m_sLookupAccount.contains(account)) ||
           IsAccountInScheduledWork(engine, account) || clsRanking::IsAccountBeingLookedUp(engine, account) ||
           frmAutoBid::IsAccountOpen(engine, account);
}

void frmMain::AddAccount() {
    try {
        QTreeWidgetItem *selected = tvwAccount->currentItem();
        if (!selected || treenode::IsRoot(selected))
            return;
        lvwKeywords->clear();
        lvwRanking->clear();
        auto account = std::make_shared<clsAccount>();
        account->setEngine(treenode::IsEngine(selected) ? selected->text(0)
                                                        : (selected->parent() ? selected->parent()->text(0) : QString()));
        {
            frmAccount dialog(this, tvwAccount);
            dialog.setAccount(account);
            dialog.setBusyCheck([this](const QString &e, const QString &a) { return IsAccountLookingUp(e, a); });
            // The dialog selects the new node; its node click follows below.
            const QScopedValueRollback<bool> selecting(m_bSelectingNode, true);
            dialog.exec();
        }
        tvwAccount_NodeClick(tvwAccount->currentItem());
    } catch (const std::exception &e) {
        WriteErrorLog(kAddAccountLog + vb::Describe(e));
    }
}

void frmMain::EditAccount() {
    try {
        QTreeWidgetItem *selected = tvwAccount->currentItem();
        if (!treenode::IsAccount(selected))
            return;
        auto account = std::make_shared<clsAccount>();
        account->setEngine(selected->parent() ? selected->parent()->text(0) : QString());
        account->setAccountName(selected->text(0));
        account->GetSettings();
        {
            frmAccount dialog(this, tvwAccount);
            dialog.setAccount(account);
            dialog.setBusyCheck([this](const QString &e, const QString &a) { return IsAccountLookingUp(e, a); });
            dialog.exec();
        }
        // A renamed account shows its new name, its lists and its state at once.
        tvwAccount_NodeClick(tvwAccount->currentItem());
    } catch (const std::exception &e) {
        WriteErrorLog(kEditAccountLog + vb::Describe(e));
    }
}

// The account items of the File menu, also run by the toolbar, the tree's
// double-click and its Delete key whatever the items' enabled state.
void frmMain::runFileItem(int item) {
    switch (item) {
    case 1:
        AddAccount();
        break;
    case 2:
        EditAccount();
        break;
    case 3:
        DeleteAccountCommand();
        return;  // the delete command saves the project itself
    default:
        return;
    }
    if (m_oMain)
        m_oMain->SaveAccount();
}

void frmMain::DeleteAccountCommand() {
    if (!m_oMain)
        return;
    m_oMain->DeleteAccount();
    if (QTreeWidgetItem *next = m_oMain->SelectNode()) {
        {
            const QScopedValueRollback<bool> selecting(m_bSelectingNode, true);
            tvwAccount->setCurrentItem(next);
        }
        tvwAccount_NodeClick(next);
    }
    m_oMain->SaveAccount();
}

void frmMain::ShowConfiguration() {
    if (ConfigurationDialogHook())
        ConfigurationDialogHook()(this);
    ApplySchedulerSetting();
}

void frmMain::ShowURLs() {
    try {
        lvwURLs->clear();
        QTreeWidgetItem *selected = tvwAccount->currentItem();
        // Only an account has a URL list of its own.
        if (!treenode::IsAccount(selected) || !selected->parent())
            return;
        const URLCollectionPtr urls = clsURL::GetURLCollection(selected->parent()->text(0), selected->text(0));
        if (urls)
            clsURL::AddURLList(urls, lvwURLs);
    } catch (const std::exception &) {
        // An unreadable URL list leaves the list empty.
    }
}

void frmMain::ChangeNodeTagProperty() {
    try {
        QTreeWidgetItem *selected = tvwAccount->currentItem();
        if (!treenode::IsAccount(selected))
            return;
        const qint64 old = treenode::NodeTag(selected);
        const qint64 rows = lvwKeywords->rowCount();
        treenode::SetNodeTag(selected, rows);
        if (QTreeWidgetItem *engineNode = selected->parent())
            treenode::SetNodeTag(engineNode, treenode::NodeTag(engineNode) - old + rows);
    } catch (const std::exception &e) {
        WriteErrorLog(kTagLog + vb::Describe(e));
    }
}

bool frmMain::OpenEnginePage(const QString &url) {
    if (!isUsableEngineURL(url)) {
        seam::MsgBox(kInvalidLogin + vendorEmail() + QStringLiteral("'."), seam::vbOKOnly | seam::vbInformation,
                     kLoginTitle);
        return false;
    }
    seam::SetPointer(seam::Pointer::Hourglass);
    ::ShellOpen(url, kShowMaximized);
    seam::SetPointer(seam::Pointer::Default);
    return true;
}

void frmMain::LoginAccount_click() {
    try {
        if (!m_oEngine)
            vb::Raise(91, QStringLiteral("Object variable or With block variable not set"));
        const int index = m_oEngine->GetEngineIndex(m_sEngineName);
        const QString url = m_oEngine->GetLoginURL(index);
        if (!OpenEnginePage(url))
            WriteErrorLog(kLoginURLLog + m_sEngineName + QStringLiteral("):") + url);
    } catch (const std::exception &e) {
        seam::SetPointer(seam::Pointer::Default);
        WriteErrorLog(kLoginLog + vb::Describe(e));
    }
}

void frmMain::mnuOpenPageItem_Click(int index) {
    try {
        if (m_sEngineName.isEmpty() || !m_oEngine)
            return;
        const int engineIndex = m_oEngine->GetEngineIndex(m_sEngineName);
        QString url;
        if (index == 1) {
            url = m_oEngine->GetEngineURL(engineIndex);
        } else if (index == 2) {
            url = m_oEngine->GetLoginURL(engineIndex);
            if (url.contains(QLatin1String("overture"))) {
                const QString host = QString::fromLatin1(clsEngine::kSecureLoginHostLabel);
                url.replace(QString::fromLatin1(clsEngine::kAlternateHostPrefix) + host, host);
            }
        } else {
            return;
        }
        OpenEnginePage(url);
    } catch (const std::exception &e) {
        seam::SetPointer(seam::Pointer::Default);
        WriteErrorLog(kOpenPageLog + vb::Describe(e));
    }
}

void frmMain::tvwAccount_DblClick() {
    if (treenode::IsAccount(tvwAccount->currentItem()))
        runFileItem(2);
}

void frmMain::tvwAccount_KeyDown(int keyCode) {
    if (keyCode != kDeleteKeyCode)
        return;
    if (m_oCurrentNode && !treenode::IsRoot(m_oCurrentNode))
        runFileItem(3);
    else
        QApplication::beep();
}

void frmMain::tvwAccount_MouseUp(Qt::MouseButton button, const QPoint &globalPos) {
    if (button != Qt::RightButton)
        return;
    if (QMenu *popup = findChild<QMenu *>(QStringLiteral("mnuOpenPage")))
        popup->popup(globalPos);
}
