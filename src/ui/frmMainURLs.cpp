// The main window's URL list commands: the URL dialog, and the marking of
// one own URL's listings in the ranking list.

#include "ui/frmMain.h"

#include "core/AccountWindowGuard.h"
#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "core/modCommon.h"
#include "platform/VB.h"
#include "ui/frmURLs.h"

#include <QColor>
#include <QPointer>
#include <QTreeWidget>
#include <exception>

namespace {
const char kEditLog[] = "frmMain_EditURLs: ";
const char kPositionLog[] = "frmMain_ShowURLPosition error:  ";
const char kNoURLSelected[] = "no URL is selected";
constexpr int kColURL = 2;
const QColor kOwnColour(255, 0, 0);
const QColor kChosenColour(128, 0, 128);

QString L(const char *s) { return QString::fromLatin1(s); }

bool hasColour(const QTreeWidgetItem *row, const QColor &colour) {
    const QBrush brush = row->foreground(0);
    return brush.style() != Qt::NoBrush && brush.color() == colour;
}

void colourRow(QTreeWidgetItem *row, int columns, const QColor &colour) {
    for (int c = 0; c < columns; ++c)
        row->setForeground(c, colour);
}
}  // namespace

void frmMain::EditURLs() {
    try {
        if (!IsAccountEditable())
            return;
        const QString engine = m_sEngineName;
        const QString account = tvwAccount->currentItem()->text(0);
        URLCollectionPtr urls;
        {
            const AccountWindowGuard open(engine, account);
            auto *dialog = new frmURLs(this);
            const QPointer<frmURLs> alive(dialog);
            dialog->setEngineName(engine);
            dialog->setAccountName(account);
            dialog->Prepare();
            const int result = dialog->exec();
            if (!alive)
                return;
            const bool saved = result == QDialog::Accepted && !dialog->Cancelled();
            urls = dialog->URLCollection();
            dialog->deleteLater();
            if (!saved)
                return;
        }
        // The keywords' own listings follow the new URLs.
        clsKeywords keywords;
        keywords.setEngine(engine);
        keywords.setAccountName(account);
        keywords.loadKeywords();
        keywords.UpdateKeywordsToURLs(urls);
        keywords.SaveKeywords();
        lvwURLs->clear();
        clsURL::AddURLList(urls, lvwURLs);
        UpdateUI(true, true, true);
    } catch (const std::exception &e) {
        WriteErrorLog(kEditLog, e);
    }
}

void frmMain::lvwURLs_SelectionChanged() { setMenuToolBarstatus(); }

void frmMain::ShowURLPosition() {
    try {
        QTreeWidgetItem *selected = lvwURLs->currentItem();
        if (!selected || !selected->isSelected()) {
            const QList<QTreeWidgetItem *> items = lvwURLs->selectedItems();
            selected = items.isEmpty() ? nullptr : items.first();
        }
        if (!selected)
            vb::Raise(vb::errInvalidCall, L(kNoURLSelected));
        const QString url = vb::Trim(selected->text(0));
        const int columns = lvwRanking->columnCount();
        // No events are handled mid-way: a node click could clear the list under the loop.
        for (int i = 0; i < lvwRanking->topLevelItemCount(); ++i) {
            QTreeWidgetItem *row = lvwRanking->topLevelItem(i);
            if (hasColour(row, kChosenColour))
                colourRow(row, columns, kOwnColour);
            if (vb::Trim(row->text(kColURL)).contains(url, Qt::CaseSensitive))
                colourRow(row, columns, kChosenColour);
        }
        lvwRanking->viewport()->update();
    } catch (const std::exception &e) {
        WriteErrorLog(kPositionLog, e);
    }
}
