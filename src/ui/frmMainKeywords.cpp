// The main window's keyword list commands: add typed or imported keywords,
// delete, copy and paste keywords, retrieve them from the engine, export
// them; every change is saved to Keywords.dat at once.

#include "ui/frmMain.h"

#include "connect/IConnectWindow.h"
#include "connect/ConnectWindowFor.h"
#include "core/AccountWindowGuard.h"
#include "core/KeywordRefusals.h"
#include "core/KeywordText.h"
#include "core/clsAccount.h"
#include "core/clsFileController.h"
#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "core/modCommon.h"
#include "lookup/frmKeywordBuilder.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"
#include "ui/frmAddkeywords.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPointer>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <exception>
#include <vector>

namespace {
const char kKeyPrefix[] = "Key";
const char kCrLf[] = "\r\n";
const char kFileFilter[] = "Text files (*.txt)|*.txt|All Files (*.*)|*.*";
const char kKeywordsMenu[] = "Keywords";
constexpr int kPasteItem = 7;
constexpr int kColKeyword = 1;

const char kDeleteQuestion[] = "Are you sure you want to delete the Keywords?";
const char kDeleteTitle[] = "Keywords";
const char kRemoveAllQuestion[] = "Are you sure you want to remove all keywords?";
const char kRemoveAllTitle[] = "Delete Keywords";

const char kLoginMissing[] = "Please setup your login details.";
const char kLoginMissingTitle[] = "Load Keyword";
const char kLookUpQuestion[] = "Do you want to perform keyword look up?";
const char kLookUpTitle[] = "Load Keywords";
const char kEngineOverture[] = "Overture";
const char kEngineOvertureUK[] = "Overture(UK)";
const char kEngineFindWhat[] = "FindWhat";
const char kRunMenu[] = "Run";
constexpr int kLookUpAllItem = 4;
const char kNoConnectWindow[] = "no connection window for the engine ";

const char kDownLoadLog[] = "frmMain_DownLoadKeywords:  ";
const char kAddLog[] = "frmMain_DoAddKeywords:  ";
const char kCopyLog[] = "frmMain_DoCopyKeywords error :  ";
const char kDeleteLog[] = "frmMain_DoDeleteKeywords error :  ";
const char kExportLog[] = "frmMain_Exportkeywords error:  ";

QString L(const char *s) { return QString::fromLatin1(s); }

}  // namespace

bool frmMain::IsAccountEditable() const {
    return treenode::IsAccount(tvwAccount->currentItem()) && !IsSearchingNode();
}

void frmMain::DoAddKeywords() {
    try {
        if (!IsAccountEditable())
            return;
        QStringList keywords;
        bool add = false;
        {
            const AccountWindowGuard open(m_sEngineName, tvwAccount->currentItem()->text(0));
            auto *dialog = new frmAddkeywords(this);
            const QPointer<frmAddkeywords> alive(dialog);
            dialog->setNewKeywords(QString());
            dialog->Prepare();
            dialog->exec();
            if (!alive)
                return;
            switch (dialog->ActionType()) {
            case frmAddkeywords::ActionOK:
                keywords = KeywordText::SplitLines(dialog->NewKeywords());
                add = true;
                break;
            case frmAddkeywords::ActionImport: {
                clsFileController files;
                const QString text = KeywordText::DecodeImport(files.openFileBytes(dialog->ImportFileName()));
                keywords = KeywordText::SplitImport(text, dialog->Separetor());
                add = true;
                break;
            }
            default:
                break;
            }
            dialog->deleteLater();
        }
        if (add)
            AddKeywordsToList(keywords);
    } catch (const std::exception &e) {
        WriteErrorLog(kAddLog, e);
    }
}

bool frmMain::ListShowsKeywords(int rows) const {
    const KeywordCollectionPtr collection = m_oKeywords ? m_oKeywords->Keywords() : KeywordCollectionPtr();
    const KeywordListModel *list = lvwKeywords->rows();
    if (!collection || rows > collection->Count() || list->count() != rows)
        return false;
    for (int i = 0; i < rows; ++i) {
        if (!list->keyedBy(i, collection->Item(i + 1)->Keyword()))
            return false;
    }
    return true;
}

void frmMain::AddKeywordsToList(const QStringList &colKeywords) {
    if (!m_oKeywords || !m_oKeywords->Keywords())
        return;
    const int listed = m_oKeywords->Keywords()->Count();
    const bool shown = ListShowsKeywords(listed);
    KeywordRefusals refused;
    refused.AddTo(*m_oKeywords, colKeywords);
    lvwKeywords->clearSelection();
    m_oKeywords->SaveKeywords();
    if (shown) {
        // New keywords only go to the end, and their rows only need adding:
        // the fill skips the rows already shown. New keywords have no bids
        // to mark.
        m_oKeywords->PopulateKeywords(lvwKeywords->rows(), false);
        UpdateUI(false, false, true);
    } else {
        UpdateUI(false, true, true);
    }
    ChangeNodeTagProperty();
    refused.Report();
}

void frmMain::DoDeleteKeywords() {
    try {
        if (!IsAccountEditable() || !m_oKeywords || !m_oKeywords->Keywords())
            return;
        if (seam::MsgBox(L(kDeleteQuestion), seam::vbYesNo | seam::vbQuestion, L(kDeleteTitle)) != seam::vbYes)
            return;
        const KeywordCollectionPtr collection = m_oKeywords->Keywords();
        const int listed = collection->Count();
        const bool shown = ListShowsKeywords(listed);
        const std::vector<int> rows = lvwKeywords->selectedRowNumbers();
        // Rows find their keywords by key (a list that mirrors the keywords
        // has each at its own row), and the keywords go in one pass:
        // removing one by one re-indexes the rest each time.
        std::vector<bool> removed(size_t(listed), false);
        int removedCount = 0;
        for (int row : rows) {
            const int index = shown ? row + 1 : collection->IndexOf(lvwKeywords->rows()->key(row));
            if (index > 0 && !removed[size_t(index - 1)]) {
                removed[size_t(index - 1)] = true;
                ++removedCount;
            }
        }
        if (removedCount > 0)
            collection->RemoveMarked(removed);
        m_oKeywords->SaveKeywords();
        if (shown && removedCount > 0) {
            // The kept rows stay as they are, renumbered; only the deleted
            // ones go, in one pass. The list's reset drops the selection with
            // it, after the model let go of the selection's indexes at once.
            lvwKeywords->rows()->removeMarked(removed);
            const int kept = lvwKeywords->rowCount();
            if (kept > 0)
                lvwKeywords->setCurrentRow(rows.front() < kept ? rows.front() : 0);
            UpdateUI(false, false, true);
        } else {
            // The redraw keeps the place of the first deleted row selected. The
            // rows change at once, so the view need not repaint each deselected
            // row first.
            {
                const QSignalBlocker quietList(lvwKeywords);
                const QSignalBlocker quietSelection(lvwKeywords->selectionModel());
                // Cleared first: replacing thousands of selected ranges by one
                // compares them all with it.
                lvwKeywords->selectionModel()->clearSelection();
                if (!rows.empty())
                    lvwKeywords->selectionModel()->setCurrentIndex(
                        lvwKeywords->model()->index(rows.front(), 0),
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            }
            UpdateUI(false, true, true);
        }
        ChangeNodeTagProperty();
    } catch (const std::exception &e) {
        WriteErrorLog(kDeleteLog, e);
    }
}

void frmMain::DoRemoveAllKeywords() {
    if (!IsAccountEditable() || !m_oKeywords)
        return;
    if (seam::MsgBox(L(kRemoveAllQuestion), seam::vbYesNo | seam::vbQuestion, L(kRemoveAllTitle)) != seam::vbYes)
        return;
    m_oKeywords->RemoveAll();
    m_oKeywords->SaveKeywords();
    UpdateUI(false, true, false);
    ChangeNodeTagProperty();
}

void frmMain::DoCopyKeywords() {
    try {
        if (lvwKeywords->rowCount() == 0)
            return;
        m_colCopiedKeywords.clear();
        for (int row : lvwKeywords->selectedRowNumbers())
            m_colCopiedKeywords.append(vb::Trim(lvwKeywords->text(row, kColKeyword)));
        m_bKeywordsCopied = true;
        menuItem(L(kKeywordsMenu), kPasteItem)->setEnabled(true);
    } catch (const std::exception &e) {
        WriteErrorLog(kCopyLog, e);
    }
}

void frmMain::DoPasteKeywords() {
    if (!m_bKeywordsCopied)
        return;
    // Elsewhere Paste stays offered for the next account chosen.
    if (!IsAccountEditable())
        return;
    AddKeywordsToList(m_colCopiedKeywords);
    menuItem(L(kKeywordsMenu), kPasteItem)->setEnabled(false);
}

void frmMain::DoBuildKeyword() {
    static const QString kLog = QStringLiteral("frmMain_DoBuildKeyword:  ");
    try {
        QTreeWidgetItem *node = tvwAccount->currentItem();
        if (!node || !treenode::IsAccount(node))
            return;
        const QString account = node->text(0);
        // A look-up saves its own copy of the keywords at its end, over what the tool adds.
        if (IsAccountLookingUp(m_sEngineName, account))
            return;
        // Nor may a look-up start while the tool is open: the window marks
        // its account while it is shown.
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

void frmMain::DownLoadKeywords() {
    try {
        if (!IsAccountEditable() || !m_oKeywords)
            return;
        const QString engine = m_sEngineName;
        if (engine != QLatin1String(kEngineOverture) && engine != QLatin1String(kEngineOvertureUK) &&
            engine != QLatin1String(kEngineFindWhat))
            return;
        const QString accountName = tvwAccount->currentItem()->text(0);
        IConnectWindow *made = nullptr;
        if (m_connectWindowMaker)
            made = m_connectWindowMaker(engine, this);
        else
            made = NewConnectWindowFor(engine, this);
        if (!made)
            vb::Raise(vb::errInvalidCall, L(kNoConnectWindow) + engine);
        // Released once this command is over: it may still be in its own event handling.
        const std::unique_ptr<IConnectWindow, void (*)(IConnectWindow *)> window(made, [](IConnectWindow *w) {
            if (auto *object = dynamic_cast<QObject *>(w))
                object->deleteLater();
            else
                delete w;
        });

        auto account = std::make_shared<clsAccount>();
        account->setEngine(engine);
        account->setAccountName(accountName);
        window->setAccount(account);
        account->GetSettings();
        if (account->UserName().isEmpty() || account->Password().isEmpty()) {
            seam::MsgBox(L(kLoginMissing), seam::vbOKOnly, L(kLoginMissingTitle));
            return;
        }

        KeywordCollectionPtr fetched;
        {
            // Nor may a look-up of the account start meanwhile: its end would
            // save the old list over the one fetched here.
            const AccountWindowGuard open(engine, accountName);
            window->setAction(QString::fromLatin1(IConnectWindow::kActionGetBids));
            window->Prepare(engine, true);
            window->setKeywordsCollection(std::make_shared<KeywordCollection>());
            window->ShowModal(this);
            if (window->Cancelled())
                return;
            fetched = window->KeywordsCollection();
        }

        // The window keys its keywords by their bare text; the list keys them
        // "Key" & keyword, so a later add finds them.
        auto keyed = std::make_shared<KeywordCollection>();
        KeywordRefusals refused;
        if (fetched) {
            keyed->Reserve(fetched->Count());
            const QLatin1String prefix(kKeyPrefix);
            for (const clsKeywordPtr &k : *fetched) {
                if (!k || refused.Check(k->Keyword()))
                    continue;
                const QString key = prefix + k->Keyword();
                if (!keyed->Exists(key))
                    keyed->Add(k, key);
            }
        }
        m_oKeywords->setKeywords(keyed);
        m_oKeywords->SaveKeywords();
        UpdateUI(false, true, false);
        ChangeNodeTagProperty();
        refused.Report();
        if (seam::MsgBox(L(kLookUpQuestion), seam::vbYesNo | seam::vbInformation, L(kLookUpTitle)) == seam::vbYes)
            mnuItems_Click(L(kRunMenu), kLookUpAllItem);
    } catch (const std::exception &e) {
        WriteErrorLog(kDownLoadLog, e);
    }
}

void frmMain::Exportkeywords() {
    try {
        clsFileController files;
        const QString file = files.GetFileName(1, L(kFileFilter));
        if (file.isEmpty())
            return;
        QString text;
        for (int i = 0; i < lvwKeywords->rowCount(); ++i)
            text += lvwKeywords->text(i, kColKeyword) + L(kCrLf);
        files.saveTextFile(file, text);
    } catch (const std::exception &e) {
        WriteErrorLog(kExportLog, e);
    }
}
