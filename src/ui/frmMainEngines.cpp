// The main window's engine setting and engine data update commands.

#include "ui/frmMain.h"

#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "platform/VB.h"
#include "ui/clsMain.h"
#include "ui/frmEnginesetting.h"
#include "ui/frmUpdateEngines.h"

#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {
const QString kEngingsettingLog = QStringLiteral("frmMain_Engingsetting error:  ");
}  // namespace

void frmMain::Engingsetting() {
    try {
        if (!m_frmEnginesetting)
            m_frmEnginesetting = new frmEnginesetting(this);
        m_frmEnginesetting->Prepare();
        m_frmEnginesetting->exec();
        const bool cancelled = m_frmEnginesetting->Cancelled();
        m_frmEnginesetting->Form_Unload();
        if (cancelled)
            return;
        if (m_oMain)
            m_oMain->SaveAccount();
        RebuildEngineTree();
    } catch (const std::exception &e) {
        WriteErrorLog(kEngingsettingLog + vb::Describe(e));
    }
}

void frmMain::RebuildEngineTree() {
    // Holders of the old definitions (bid windows, a running look-up) keep them.
    auto engine = std::make_shared<clsEngine>();
    engine->loadEngineData();
    m_oEngine = engine;
    if (m_oMain)
        m_oMain->setEngineObject(m_oEngine.get());

    // Nothing may point into the tree while it is cleared.
    m_oCurrentNode = nullptr;
    const bool loaded = m_oMain && m_oMain->loadProject();
    Q_UNUSED(loaded);  // a failed build is logged by the controller; its nodes still get selected

    QTreeWidgetItem *node = FirstSelection();
    if (node) {
        {
            const QScopedValueRollback<bool> selecting(m_bSelectingNode, true);
            tvwAccount->setCurrentItem(node);
        }
        tvwAccount_NodeClick(node);
        return;
    }
    // No tree at all: the lists must not go on showing an account it lost.
    m_sEngineName.clear();
    m_oKeywords = std::make_unique<clsKeywords>();
    m_iLastKeywordRow = -1;
    lvwKeywords->clear();
    lvwRanking->clear();
    lvwURLs->clear();
}

void frmMain::UpdateEngineDataFile() { frmUpdateEngines::ShowModal(this); }
