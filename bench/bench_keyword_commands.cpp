// The main window's Paste, Import and Delete on a large account, each next
// to its baseline:
// - the add loop of Paste (20,000 keywords, half already listed) within 4x
//   of folding and inserting the same keys into a QSet with one record each;
// - Paste and Import of 20,000 keywords into a 20,000-keyword account, and
//   Delete of every second row of 40,000, each within 3x of one atomic
//   write of the resulting Keywords.dat plus one batch fill of an empty
//   list view with its rows.
// Every case runs on the real main window (offscreen).

#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "core/KeywordRefusals.h"
#include "core/clsKeywords.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "ui/AccountFixtures.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmAddkeywords.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

const QString kEngine = QStringLiteral("Google");
const QString kAccount = QStringLiteral("bench");
constexpr int kAccountSize = 20000;
constexpr int kIterations = 5;

QString listed(int i) { return QStringLiteral("keyword phrase %1").arg(i); }
QString fresh(int i) { return QStringLiteral("new keyword phrase %1").arg(i); }

// A stored line with the bids and status a looked-up keyword has.
QByteArray storedLine(const QString &keyword) {
    return keyword.toLatin1() + ";120;$0.25;$0.24;$0.40;$0.30;$0.25;;;1;12:01:00 PM\r\n";
}

// Half listed, half new.
QStringList halfListed(int n) {
    QStringList texts;
    texts.reserve(n);
    for (int i = 0; i < n; ++i)
        texts << (i % 2 ? fresh(i) : listed(i));
    return texts;
}

struct Program {
    QTemporaryDir dir;
    frmMain *form = nullptr;
    clsMain *main = nullptr;
    QByteArray original;

    explicit Program(int keywords) {
        bench::UsePrivateFolders(dir.path());
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) { return int(seam::vbYes); });
        fixtures::writeEngineData({kEngine});
        fixtures::writeProject("[Google]\r\n1=bench\r\nLast=1\r\n\r\n");
        original.reserve(keywords * 64);
        for (int i = 0; i < keywords; ++i)
            original += storedLine(listed(i));
        original += "\r\n";
        reset();
        form = new frmMain;
        main = new clsMain(form);
        main->Display();
        QApplication::processEvents();
    }
    ~Program() {
        form->m_oMain = nullptr;
        delete main;
        delete form;
        seam::setMessageBoxHandler({});
        seam::setFileDialogHandler({});
    }
    QString keywordsFile() const { return fixtures::accountFile(kEngine, kAccount, QStringLiteral("Keywords.dat")); }
    // The account as it was, read and listed again.
    void reset() {
        testenv::writeFile(keywordsFile(), original);
        if (form)
            form->UpdateUI(true, true, false);
    }
};

// One atomic write of the file and one batch fill of an empty, shown list
// with the rows the file holds.
void baselineWriteAndFill(benchmark::State &state, const QByteArray &file, int rows) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Keywords.dat");
    QTreeWidget list;
    list.setColumnCount(10);
    list.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
        platform::WriteFileAtomic(path, file);
        QList<QTreeWidgetItem *> items;
        items.reserve(rows);
        for (int i = 0; i < rows; ++i)
            items << new QTreeWidgetItem(QStringList{QString::number(i + 1), listed(i), QStringLiteral("120"),
                                                     QStringLiteral("$0.25"), QStringLiteral("$0.24"),
                                                     QStringLiteral("$0.40"), QStringLiteral("$0.30"),
                                                     QStringLiteral("$0.25"), QStringLiteral("1"),
                                                     QStringLiteral("12:01:00 PM")});
        list.addTopLevelItems(items);
    }
}

QByteArray resultFile(int rows) {
    QByteArray bytes;
    for (int i = 0; i < rows; ++i)
        bytes += storedLine(listed(i));
    return bytes + "\r\n";
}

// ---- Paste: the add loop -------------------------------------------------

void BM_PasteAddLoop(benchmark::State &state) {
    const QStringList texts = halfListed(kAccountSize);
    QTemporaryDir dir;
    platform::setProgramFolder(dir.path());
    const QByteArray original = resultFile(kAccountSize);
    for (auto _ : state) {
        state.PauseTiming();
        clsKeywords list;
        list.setEngine(kEngine);
        list.setAccountName(kAccount);
        testenv::writeFile(list.KeywordsFile(), original);
        list.loadKeywords();
        state.ResumeTiming();
        KeywordRefusals refused;
        refused.AddTo(list, texts);
        benchmark::DoNotOptimize(refused.Total());
    }
}

void BM_PasteAddLoopBaseline(benchmark::State &state) {
    const QStringList texts = halfListed(kAccountSize);
    for (auto _ : state) {
        state.PauseTiming();
        QSet<QString> keys;
        keys.reserve(kAccountSize);
        for (int i = 0; i < kAccountSize; ++i)
            keys.insert((QStringLiteral("Key") + listed(i)).toCaseFolded());
        std::vector<std::shared_ptr<clsKeyword>> records;
        state.ResumeTiming();
        keys.reserve(kAccountSize + int(texts.size()));
        records.reserve(size_t(texts.size()));
        for (const QString &text : texts) {
            const QString key = QStringLiteral("Key") + text;
            const QString folded = key.toCaseFolded();
            if (keys.contains(folded))
                continue;
            keys.insert(folded);
            auto record = std::make_shared<clsKeyword>();
            record->setKeyword(text);
            records.push_back(std::move(record));
        }
        benchmark::DoNotOptimize(records.size());
    }
}

// ---- Paste: the whole command ---------------------------------------------

void BM_PasteCommand(benchmark::State &state) {
    Program p(kAccountSize);
    for (auto _ : state) {
        state.PauseTiming();
        p.reset();
        p.form->m_colCopiedKeywords = halfListed(kAccountSize);
        p.form->m_bKeywordsCopied = true;
        state.ResumeTiming();
        p.form->DoPasteKeywords();
    }
    state.counters["rows"] = p.form->lvwKeywords->rowCount();
}

void BM_PasteCommandBaseline(benchmark::State &state) {
    baselineWriteAndFill(state, resultFile(kAccountSize * 3 / 2), kAccountSize * 3 / 2);
}

// ---- Import: the whole command, through the dialog ------------------------

void BM_ImportCommand(benchmark::State &state) {
    Program p(kAccountSize);
    const QString file = p.dir.path() + QStringLiteral("/import.txt");
    testenv::writeFile(file, halfListed(kAccountSize).join(QStringLiteral("\n")).toLatin1());
    seam::setFileDialogHandler([file](const seam::FileDialogRequest &) { return file; });
    for (auto _ : state) {
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
        QTimer::singleShot(0, [] {
            if (auto *d = qobject_cast<frmAddkeywords *>(QApplication::activeModalWidget()))
                d->cmdImport->click();
        });
        p.form->DoAddKeywords();
    }
    state.counters["rows"] = p.form->lvwKeywords->rowCount();
}

// ---- Delete of every second row -------------------------------------------

void BM_DeleteEverySecondRow(benchmark::State &state) {
    Program p(int(state.range(0)));
    KeywordListView *list = p.form->lvwKeywords;
    for (auto _ : state) {
        state.PauseTiming();
        p.reset();
        {
            // Gone before the timer runs: each of its ranges holds persistent
            // indexes that every removal of rows would have to update.
            QItemSelection every2nd;
            for (int r = 1; r < list->rowCount(); r += 2) {
                const QModelIndex row = list->model()->index(r, 0);
                every2nd.select(row, row);
            }
            list->selectionModel()->select(every2nd, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        state.ResumeTiming();
        p.form->DoDeleteKeywords();
    }
    state.counters["rows"] = list->rowCount();
}

void BM_DeleteBaseline(benchmark::State &state) {
    const int rows = int(state.range(0)) / 2;
    baselineWriteAndFill(state, resultFile(rows), rows);
}

BENCHMARK(BM_PasteAddLoop)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteAddLoopBaseline)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteCommand)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteCommandBaseline)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCommand)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
// Smaller lists as well: the cost should grow with the rows.
BENCHMARK(BM_DeleteEverySecondRow)->Arg(kAccountSize / 5)->Arg(kAccountSize)->Arg(kAccountSize * 2)->Iterations(kIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteBaseline)->Arg(kAccountSize / 5)->Arg(kAccountSize)->Arg(kAccountSize * 2)->Iterations(kIterations)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
