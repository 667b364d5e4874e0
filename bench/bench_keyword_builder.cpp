// The keyword suggestion window with long lists.
//
// Add to List of 5,000 selected suggestions, half of them already in an
// account of 5,000 keywords, beside the load and save of the account's
// Keywords.dat it needs anyway: the add should stay within 1.5x of that.
//
// A suggestion page of 100 and of 5,000 rows parsed, listed, cached and
// shown again from its cache: the time per row of the long page should stay
// within 1.5x of the short one's.
#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "fakes/FakeSuggestionServer.h"
#include "lookup/clsKeywordBuilder.h"
#include "lookup/frmKeywordBuilder.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "ui/AccountFixtures.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kRows = 5000;
const QString kEngine = QStringLiteral("Google");
const QString kAccount = QStringLiteral("Bench Shop");

QString suggestion(int i) { return QStringLiteral("keyword suggestion phrase %1").arg(i); }

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<fake::FakeSuggestionServer> server;
    std::shared_ptr<clsEngine> engine;
    QByteArray accountBytes;  // the account before any add
    QString keywordsFile;

    Fixture() {
        bench::UsePrivateFolders(dir.path());
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) { return int(seam::vbOK); });
        server = std::make_unique<fake::FakeSuggestionServer>();
        server->writeEngineData({kEngine}, {kEngine});
        engine = std::make_shared<clsEngine>();
        engine->loadEngineData();

        // The account holds every second suggestion and as many others.
        QStringList keywords;
        for (int i = 0; i < kRows; ++i)
            keywords << (i % 2 == 0 ? suggestion(i) : QStringLiteral("own keyword %1").arg(i));
        fixtures::writeKeywords(kEngine, kAccount, keywords);
        keywordsFile = fixtures::accountFile(kEngine, kAccount, QStringLiteral("Keywords.dat"));
        accountBytes = testenv::readFile(keywordsFile);
    }
    void restoreAccount() const { platform::WriteFileAtomic(keywordsFile, accountBytes); }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

std::unique_ptr<frmKeywordBuilder> window(Fixture &f) {
    auto w = std::make_unique<frmKeywordBuilder>();
    w->setAccountName(kAccount);
    w->setEngineName(kEngine);
    w->setEngineObject(f.engine);
    w->Prepare();
    return w;
}

// ---- Add to List -------------------------------------------------------------

void BM_AccountLoadAndSave(benchmark::State &state) {
    Fixture &f = fixture();
    // The list as it is after the add.
    f.restoreAccount();
    clsKeywords after;
    after.setEngine(kEngine);
    after.setAccountName(kAccount);
    after.loadKeywords();
    for (int i = 1; i < kRows; i += 2)
        after.Add(QStringLiteral("Key") + suggestion(i), suggestion(i));
    for (auto _ : state) {
        state.PauseTiming();
        f.restoreAccount();
        state.ResumeTiming();
        clsKeywords before;
        before.setEngine(kEngine);
        before.setAccountName(kAccount);
        before.loadKeywords();
        after.SaveKeywords();
        benchmark::DoNotOptimize(before.Keywords()->Count());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AccountLoadAndSave)->Unit(benchmark::kMillisecond);

void BM_AddToList5000(benchmark::State &state) {
    Fixture &f = fixture();
    QList<SuggestionRow> rows;
    for (int i = 0; i < kRows; ++i)
        rows.append({suggestion(i), QString::number(10000 - i)});
    clsKeywordBuilder::WriteHistory({QStringLiteral("keyword")});
    clsKeywordBuilder::WriteCacheFile(kEngine, QStringLiteral("keyword"), rows);
    auto w = window(f);
    w->lvwKeywords->selectAll();
    for (auto _ : state) {
        state.PauseTiming();
        f.restoreAccount();
        state.ResumeTiming();
        w->cmdAddToList->click();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AddToList5000)->Unit(benchmark::kMillisecond);

// ---- A fetched page ----------------------------------------------------------

// One fetch whose answer is the page: request made, then answered at once.
void BM_SuggestionPage(benchmark::State &state) {
    Fixture &f = fixture();
    const int n = int(state.range(0));
    QList<fake::FakeSuggestion> suggestions;
    for (int i = 0; i < n; ++i)
        suggestions.append({QStringLiteral("%1").arg(100000 - i * 7), suggestion(i)});
    const QString page = fake::FakeSuggestionServer::Page(suggestions);
    auto w = window(f);
    w->cboKeyword->setEditText(QStringLiteral("page %1").arg(n));
    for (auto _ : state) {
        w->cmdGet->click();
        w->KeywordBuilder()->CloseHTTPForm();
        w->KeywordBuilder()->ProcessData(QStringLiteral("200"), page);
        state.PauseTiming();
        if (w->lvwKeywords->topLevelItemCount() != n)
            state.SkipWithError("rows missing");
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SuggestionPage)->Arg(100)->Arg(kRows)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
