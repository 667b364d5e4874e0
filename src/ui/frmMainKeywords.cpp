// The main window's keyword list commands.

#include "ui/frmMain.h"

#include "core/modCommon.h"
#include "lookup/clsRanking.h"
#include "lookup/frmKeywordBuilder.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"

#include <QTreeWidget>
#include <exception>

void frmMain::DoAddKeywords() {}
void frmMain::DoDeleteKeywords() {}
void frmMain::DoRemoveAllKeywords() {}
void frmMain::DoCopyKeywords() {}
void frmMain::DoPasteKeywords() {}
void frmMain::DoBuildKeyword() {
    static const QString kLog = QStringLiteral("frmMain_DoBuildKeyword:  ");
    try {
        QTreeWidgetItem *node = tvwAccount->currentItem();
        if (!node || !treenode::IsAccount(node))
            return;
        const QString account = node->text(0);
        // A look-up saves its own copy of the keywords at its end, over what the tool adds.
        if (IsAccountLookingUp(m_sEngineName, account) || clsRanking::IsAccountBeingLookedUp(m_sEngineName, account))
            return;
        // The window may still be in its own event handling when exec returns.
        std::unique_ptr<frmKeywordBuilder, void (*)(frmKeywordBuilder *)> builder(
            new frmKeywordBuilder(this), [](frmKeywordBuilder *w) { w->deleteLater(); });
        builder->setAccountName(account);
        builder->setEngineName(m_sEngineName);
        builder->setEngineObject(m_oEngine);
        builder->Prepare();
        builder->exec();
        if (builder->AddToList()) {
            UpdateUI(true, true, true);
            ChangeNodeTagProperty();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kLog + vb::Describe(e));
    }
}
void frmMain::DownLoadKeywords() {}
void frmMain::Exportkeywords() {}
