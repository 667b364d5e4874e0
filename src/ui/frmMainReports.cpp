// The main window's keyword reports: the selected account's keyword list,
// as the list shows it, written as an HTML page, a fixed-width text or a
// workbook, and opened.

#include "ui/frmMain.h"

#include "core/clsURL.h"
#include "core/modCommon.h"
#include "platform/VB.h"
#include "report/ExcelKeywordReport.h"
#include "report/HtmlKeywordReport.h"
#include "report/KeywordReportData.h"
#include "report/KeywordReportFile.h"
#include "report/TextKeywordReport.h"
#include "ui/TreeNode.h"

#include <QTreeWidget>

namespace {

const QString kHTMLReportLabel = QStringLiteral("frmMain_HTMLReport error:  ");
const QString kTextReportLabel = QStringLiteral("frmMain_TextReport error:  ");
const QString kHtmlExtension = QStringLiteral(".html");
const QString kTextExtension = QStringLiteral(".txt");
constexpr int kReportColumns = 10;

// The selected account, its URLs, the settings and every row of the keyword list.
KeywordReportData reportData(const frmMain &w) {
    QTreeWidgetItem *node = w.tvwAccount->currentItem();
    if (!node || !treenode::IsAccount(node) || !node->parent())
        vb::Raise(91, QStringLiteral("Object variable or With block variable not set"));
    KeywordReportData d = KeywordReportData::ForAccount(w.m_sEngineName, node->text(0));
    const KeywordListModel *list = w.lvwKeywords->rows();
    d.SetRowSource(list->count(), [list](int r, int column) {
        return column < kReportColumns ? list->text(r, column) : QString();
    });
    return d;
}

// The HTML and text reports: built from the list, written and opened; a
// failure goes to the error log under the command's label.
void writeReport(const frmMain &w, QByteArray (*build)(const KeywordReportData &), const QString &extension,
                 const QString &logLabel) {
    if (w.lvwKeywords->rowCount() == 0)
        return;
    try {
        const KeywordReportData d = reportData(w);
        KeywordReportFile::WriteAndOpen(KeywordReportFile::Path(d.engineName, d.accountName, extension), build(d));
    } catch (const std::exception &e) {
        WriteErrorLog(logLabel + vb::Describe(e));
    }
}

}  // namespace

void frmMain::HTMLReport() { writeReport(*this, HtmlKeywordReport::BuildAnsi, kHtmlExtension, kHTMLReportLabel); }

void frmMain::TextReport() { writeReport(*this, TextKeywordReport::BuildAnsi, kTextExtension, kTextReportLabel); }

void frmMain::ExcelReport() {
    if (lvwKeywords->rowCount() == 0)
        return;
    KeywordReportData d;
    try {
        d = reportData(*this);
    } catch (const std::exception &e) {
        ExcelKeywordReport::ShowFailure(e);
        return;
    }
    ExcelKeywordReport::Run(d);
}
