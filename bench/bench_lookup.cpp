// A ranking look-up of 200 keywords against the fake result server on
// loopback, next to a plain loop that fetches the same 200 pages through the
// same HTTP client window and does nothing else with them. The look-up
// should stay within 1.3x of the plain loop.
#include "BenchFolders.h"
#include "BenchMain.h"
#include "connect/frmHTTP.h"
#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "fakes/FakeResultServer.h"
#include "lookup/IRankingCaller.h"
#include "lookup/clsRanking.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "ui/AccountFixtures.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kKeywords = 200;
constexpr int kListingsPerPage = 12;
const QString kEngine = QStringLiteral("Google");
const QString kAccount = QStringLiteral("Bench Shop");

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<fake::FakeResultServer> server;
    std::shared_ptr<clsEngine> engine;
    QStringList urls;
    void setPages(int round);

    Fixture() {
        bench::UsePrivateFolders(dir.path());
        server = std::make_unique<fake::FakeResultServer>();
        server->writeEngineData({{kEngine, false}});
        engine = std::make_shared<clsEngine>();
        engine->loadEngineData();

        QStringList keywords;
        for (int k = 0; k < kKeywords; ++k) {
            keywords << QStringLiteral("keyword phrase %1").arg(k);
            urls << engine->GetURL(kEngine, keywords.last());
        }
        setPages(0);
        fixtures::writeKeywords(kEngine, kAccount, keywords);
        clsURL::SaveURL(kEngine, kAccount, QStringLiteral("benchshop.example\r\n"));
    }
};

// The pages of every keyword; another round gives other prices.
void Fixture::setPages(int round) {
    for (int k = 0; k < kKeywords; ++k) {
        const QString keyword = QStringLiteral("keyword phrase %1").arg(k);
        QList<fake::FakeListing> listings;
        for (int i = 0; i < kListingsPerPage; ++i) {
            const QString site = i == k % kListingsPerPage ? QStringLiteral("www.benchshop.example")
                                                           : QStringLiteral("site%1.example").arg(i);
            listings.append({site + QStringLiteral("/page/%1").arg(k),
                             QStringLiteral("Listing %1 for %2 - compare prices and save").arg(i).arg(keyword),
                             QStringLiteral("%1.%2").arg(2 - i / 6).arg((99 - i * 7 + round) % 100, 2, 10,
                                                                        QLatin1Char('0'))});
        }
        server->setListings(keyword, listings);
    }
}

Fixture &fixture() {
    static Fixture f;
    return f;
}

// Fetches every URL in turn and keeps nothing.
struct PlainLoop : IHTTPCaller {
    frmHTTP *http = new frmHTTP;
    const QStringList &urls;
    int next = 0;
    QEventLoop loop;
    explicit PlainLoop(const QStringList &u) : urls(u) { http->setObject(this); }
    ~PlainLoop() override {
        http->setObject(nullptr);
        http->Unload();
    }
    void ProcessData(const QString &, const QString &) override {
        if (++next < urls.size())
            http->Connect1(urls[next]);
        else
            loop.quit();
    }
    void setDisconnected(bool) override {}
    void run() {
        http->Connect1(urls[0]);
        loop.exec();
    }
};

struct NoStatus : IRankingCaller {
    void SetStatus() override {}
};

void BM_PlainFetch200(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        PlainLoop plain(f.urls);
        plain.run();
        benchmark::DoNotOptimize(plain.next);
    }
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_PlainFetch200)->Unit(benchmark::kMillisecond)->UseRealTime();

void lookUp(Fixture &f) {
    NoStatus status;
    clsRanking ranking;
    ranking.setAccountName(kAccount);
    ranking.setEngineObject(f.engine);
    ranking.setCallForm(&status);
    ranking.SetVariable(f.engine->GetEngineIndex(kEngine));
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ranking.Complete())
            loop.quit();
    });
    poll.start(1);
    ranking.Connect();
    loop.exec();
}

// The same pages as the last look-up: the results files stay as they are.
void BM_LookUp200(benchmark::State &state) {
    Fixture &f = fixture();
    f.setPages(0);
    lookUp(f);
    for (auto _ : state)
        lookUp(f);
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_LookUp200)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every page changed since the last look-up: every results file is rewritten.
void BM_LookUp200ChangedPages(benchmark::State &state) {
    Fixture &f = fixture();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.setPages(++round);
        state.ResumeTiming();
        lookUp(f);
    }
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_LookUp200ChangedPages)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of the case above: the same 200 results files replaced through
// the same writer, with nothing fetched. On a journalling disk each
// replacement (a new file renamed over the old one) costs about as much as
// a fetch from loopback.
void BM_RewriteResultsFiles200(benchmark::State &state) {
    Fixture &f = fixture();
    f.setPages(0);
    lookUp(f);
    QStringList paths;
    QList<QByteArray> bytes;
    for (int k = 0; k < kKeywords; ++k) {
        paths << clsKeywords::ResultsFile(kEngine, QStringLiteral("keyword phrase %1").arg(k));
        QByteArray b;
        platform::ReadFileBytes(paths.last(), &b);
        bytes << b;
    }
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int k = 0; k < kKeywords; ++k) {
            bytes[k][bytes[k].size() - 3] = char('0' + round % 10);  // another price
            platform::WriteCacheFileAtomic(paths[k], bytes[k]);
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_RewriteResultsFiles200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
