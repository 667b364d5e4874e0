// The main window with a small and a large keyword list: a window resize and
// a click on another keyword row should cost about the same with 20,000 rows
// as with 100.

#include "BenchMain.h"
#include "ui/TreeNode.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

std::unique_ptr<frmMain> makeWindow(int rows) {
    auto w = std::make_unique<frmMain>();
    w->m_bLoaded = true;
    w->lvwKeywords->setHeaderLabels({"#", "Keywords", "Counts", "Cur Bid$", "Next Bid$", "1st Bid$", "2nd Bid$",
                                     "3rd Bid$", "Position", "Status"});
    w->lvwRanking->setHeaderLabels({"#", "Title", "URL", "Bid$"});
    w->lvwURLs->setHeaderLabels({"URLS"});
    std::vector<KeywordListModel::Row> items;
    items.reserve(size_t(rows));
    for (int i = 0; i < rows; ++i)
        items.push_back(KeywordListModel::RowOf({QString::number(i + 1), QStringLiteral("keyword %1").arg(i),
                                                 QStringLiteral("120"), QStringLiteral("$0.25"),
                                                 QStringLiteral("$0.26"), QStringLiteral("$0.90"),
                                                 QStringLiteral("$0.80"), QStringLiteral("$0.70"),
                                                 QStringLiteral("4"), QString()}));
    w->lvwKeywords->rows()->insertRows(0, std::move(items));
    treenode::AddRootNode(w->tvwAccount);
    treenode::AddNewNode(w->tvwAccount, treenode::RootKey(), treenode::EngineKey("Overture"), "Overture",
                         "AccountFolder", treenode::Kind::Engine);
    QTreeWidgetItem *account =
        treenode::AddNewNode(w->tvwAccount, treenode::EngineKey("Overture"), treenode::AccountKey("Overture", "a"),
                             "a", "AccountFolder", treenode::Kind::Account);
    w->tvwAccount->setCurrentItem(account);
    w->m_oCurrentNode = account;
    w->m_sEngineName = "Overture";
    w->show();
    QApplication::processEvents();
    return w;
}

void BM_WindowResize(benchmark::State &state) {
    auto w = makeWindow(int(state.range(0)));
    bool large = false;
    for (auto _ : state) {
        large = !large;
        w->resize(large ? QSize(1100, 760) : QSize(1000, 700));
        QApplication::processEvents();  // layout and paint
    }
}

void BM_KeywordRowClick(benchmark::State &state) {
    const int rows = int(state.range(0));
    auto w = makeWindow(rows);
    // Two rows at the end of the list, scrolled into view.
    const int a = rows - 2;
    const int b = rows - 1;
    w->lvwKeywords->scrollTo(w->lvwKeywords->model()->index(b, 0));
    bool first = false;
    for (auto _ : state) {
        first = !first;
        const int row = first ? a : b;
        w->lvwKeywords->setCurrentRow(row);
        w->lvwKeywords_ItemClick(row);
        QApplication::processEvents();
    }
}

BENCHMARK(BM_WindowResize)->Arg(100)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeywordRowClick)->Arg(100)->Arg(20000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
