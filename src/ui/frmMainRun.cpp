// The main window's Run menu and bid launch.

#include "ui/frmMain.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"

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

enum RunItem { itemAutoBid = 1, itemLookUpSelected = 3, itemLookUpAll = 4, itemLookUpEverywhere = 5, itemStop = 7 };

}  // namespace

void frmMain::mnuRunItems_Click(int index) {
    try {
        if (index != itemLookUpSelected && index != itemLookUpAll) {
            if (index == itemStop)
                Disconnect();
            // itemAutoBid is the bid window's; itemLookUpEverywhere is hidden and does nothing.
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
        if (lvwKeywords->topLevelItemCount() == 0)
            return refuse(texts.noKeyword);
        if (lvwURLs->topLevelItemCount() == 0)
            return refuse(texts.noURL);
        CreateRanking(node->text(0), node->parent()->text(0), QString::fromLatin1(texts.mode));
    } catch (const std::exception &e) {
        WriteErrorLog(QString::fromLatin1(kRunMenuLog) + vb::Describe(e));
    }
}
