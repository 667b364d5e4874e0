// The main window's Run menu and bid launch.

#include "ui/frmMain.h"

#include "autobid/BidManager.h"
#include "autobid/frmAutoBid.h"
#include "core/clsAccount.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"
#include "ui/frmAccount.h"

#include <QTreeWidget>
#include <exception>

namespace {

const char kRunMenuLog[] = "frmMain_mnuRunItems_Click:  ";
const char kLookUpTitle[] = "Look Up";
const char kSelectAccount[] = "Please select a Account you want to look up.";

// The checks of the two look-up items, each with its own wording.
struct LookUpTexts {
    const char *noKeyword;
    const char *noURL;
    const char *mode;
};
const LookUpTexts kLookUpSelected = {
    "There is not keyword in the Keyword list. Please enter your keywords by click the 'Keywords' button from the "
    "Tool bar.",
    "There is not URL in the Web Site URL list. Please enter your web site URLs by click the 'URL' button from Tool "
    "bar.",
    "SelectedKeyword"};
const LookUpTexts kLookUpAll = {
    "There is not Keyward in the Keyword list. Please enter your keywords by click the 'Keyword' button from the Tool "
    "bar.",
    "There is not URL in the Web Site URL list. Please enter your URLs by click the 'URL' button from Tool bar.",
    "AllKeywords"};

const char kAutoBidTitle[] = "AutoBid";
const char kAutoBidTitleSpaced[] = "Auto Bid";
const char kSelectBidAccount[] = "Please select a Account.";
const char kNoURLForBid[] =
    "There is not URL in the Web Site URL list. Please enter your web site URLs by click the 'URL' button from Tool "
    "bar.";
const char kNoKeywordForBid[] = "There is not keyword in the Keyword list.Do you still want to go to Auto Bid screen.";
const char kSetUpAccount1[] = "You have to set up your Account details before doing AutoBid. ";
const char kSetUpAccount2[] = "Do you want to set up it now?";
const char kMenuBidLog[] = "frmMain_MenuBid error:  ";
const char kAutoBidLog[] = "frmMain_AutoBid error:  ";
const char *const kBiddingEngines[] = {"Overture(UK)", "Overture", "FindWhat"};

QString T(const char *s) { return QString::fromLatin1(s); }

enum RunItem { itemAutoBid = 1, itemLookUpSelected = 3, itemLookUpAll = 4, itemLookUpEverywhere = 5, itemStop = 7 };

}  // namespace

void frmMain::mnuRunItems_Click(int index) {
    try {
        if (index == itemAutoBid)
            return AutoBidItem();
        if (index != itemLookUpSelected && index != itemLookUpAll) {
            if (index == itemStop)
                Disconnect();
            // itemLookUpEverywhere is hidden and does nothing.
            return;
        }
        const LookUpTexts &texts = index == itemLookUpSelected ? kLookUpSelected : kLookUpAll;
        auto refuse = [](const char *text) {
            seam::MsgBox(QString::fromLatin1(text), seam::vbOKOnly | seam::vbExclamation,
                         QString::fromLatin1(kLookUpTitle));
        };
        QTreeWidgetItem *node = tvwAccount->currentItem();
        if (!treenode::IsAccount(node) || !node->parent())
            return refuse(kSelectAccount);
        if (lvwKeywords->rowCount() == 0)
            return refuse(texts.noKeyword);
        if (lvwURLs->topLevelItemCount() == 0)
            return refuse(texts.noURL);
        CreateRanking(node->text(0), node->parent()->text(0), QString::fromLatin1(texts.mode));
    } catch (const std::exception &e) {
        WriteErrorLog(kRunMenuLog, e);
    }
}

// ---- bid launch ----------------------------------------------------------------

void frmMain::AutoBidItem() {
    QTreeWidgetItem *node = tvwAccount->currentItem();
    if (!treenode::IsAccount(node) || !node->parent()) {
        seam::MsgBox(T(kSelectBidAccount), seam::vbOKOnly | seam::vbInformation, T(kAutoBidTitle));
        return;
    }
    bool bidding = false;
    for (const char *engine : kBiddingEngines)
        bidding = bidding || m_sEngineName == QLatin1String(engine);
    if (!bidding)
        return;
    if (lvwURLs->topLevelItemCount() == 0) {
        seam::MsgBox(T(kNoURLForBid), seam::vbOKOnly | seam::vbExclamation, T(kAutoBidTitleSpaced));
        return;
    }
    if (lvwKeywords->rowCount() == 0 &&
        seam::MsgBox(T(kNoKeywordForBid), seam::vbYesNo | seam::vbQuestion, T(kAutoBidTitleSpaced)) != seam::vbYes)
        return;
    m_oBidAccount = std::make_shared<clsAccount>();
    m_oBidAccount->setEngine(node->parent()->text(0));
    m_oBidAccount->setAccountName(node->text(0));
    m_oBidAccount->GetSettings();
    MenuBid(m_oBidAccount);
}

bool frmMain::IsAccountReady(const clsAccount &oAccount) {
    return !oAccount.UserName().isEmpty() && !oAccount.Password().isEmpty() &&
           (oAccount.MaxBid() != 0 || oAccount.MinBid() != 0) && oAccount.MaxBid() >= oAccount.MinBid();
}

void frmMain::MenuBid(const std::shared_ptr<clsAccount> &oAccount) {
    try {
        // One bid window per account: a second would save over the first's
        // settings and count its changes apart.
        if (frmAutoBid *open = frmAutoBid::FindWindow(oAccount->Engine(), oAccount->AccountName())) {
            open->showNormal();
            open->raise();
            open->activateWindow();
            return;
        }
        // The offer repeats until the account is ready or the user declines.
        while (!IsAccountReady(*oAccount)) {
            if (seam::MsgBox(T(kSetUpAccount1) + T(kSetUpAccount2), seam::vbYesNo | seam::vbInformation,
                             T(kAutoBidTitle)) != seam::vbYes)
                return;
            frmAccount dialog(this, tvwAccount);
            dialog.setAccount(oAccount);
            dialog.setBusyCheck([this](const QString &e, const QString &a) { return IsAccountLookingUp(e, a); });
            dialog.exec();
        }
        auto *window = new frmAutoBid;
        window->setEngineObject(m_oEngine);
        window->setAccount(oAccount);
        window->show();
    } catch (const std::exception &e) {
        WriteErrorLog(T(kMenuBidLog) + vb::Describe(e));
    }
}

frmAutoBid *frmMain::AutoBid(const std::shared_ptr<clsAccount> &oAccount) {
    try {
        // Another window holds a connection, or the account has a bid window of its own.
        if (g_bAutoBidRunning || !oAccount || frmAutoBid::IsAccountOpen(oAccount->Engine(), oAccount->AccountName()))
            return nullptr;
        if (!IsAccountReady(*oAccount))
            return nullptr;
        m_frmAutoBid = new frmAutoBid;
        m_frmAutoBid->setEngineObject(m_oEngine);
        m_frmAutoBid->setAccount(oAccount);
        m_frmAutoBid->StartScheduledPass();
        m_frmAutoBid->show();
        return m_frmAutoBid;
    } catch (const std::exception &e) {
        WriteErrorLog(T(kAutoBidLog) + vb::Describe(e));
        return nullptr;
    }
}
