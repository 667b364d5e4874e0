// Reading the bids of an account of 5,000 keywords over 100 pages from the
// fake Overture site on loopback, beside a plain loop that sends the same
// requests with the same HTTP stack and reads nothing. The difference is
// what logging in, scraping and merging the rows costs.

#include "BenchFolders.h"
#include "BenchMain.h"
#include "connect/OvertureSession.h"
#include "connect/clsConnect.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/FakeOvertureSite.h"
#include "platform/Folders.h"
#include "platform/HttpControl.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kKeywords = 5000;
constexpr int kPerPage = 50;
constexpr int kPages = kKeywords / kPerPage;

fake::FakeOvertureSite &site() {
    static fake::FakeOvertureSite *s = [] {
        auto *created = new fake::FakeOvertureSite;
        created->addKeywords(kKeywords);
        created->writeEngineData(g_sEngineDataFile, "Overture", QString::number(kPerPage));
        return created;
    }();
    return *s;
}

void BM_ReadAccount(benchmark::State &state) {
    fake::FakeOvertureSite &s = site();
    OvertureSession session;
    auto account = std::make_shared<clsAccount>();
    account->setUserName("joe");
    account->setPassword("secret");
    session.setAccount(account);
    session.setAction("GetBids");
    // The bid window hands the same collection to every read; the first
    // read fills it, later ones merge into it.
    const bool merge = state.range(0) != 0;
    auto keywords = std::make_shared<KeywordCollection>();
    int read = 0;
    for (auto _ : state) {
        s.setPerPage(40);  // the site's own page size, as after a fresh login
        if (!merge)
            keywords = std::make_shared<KeywordCollection>();
        session.Prepare("Overture", true);
        session.setKeywordsCollection(keywords);
        session.FireStartTimer();
        if (session.Cancelled() || session.RetryPending()) {
            state.SkipWithError("the read failed");
            break;
        }
        read = keywords->Count();
    }
    if (read != kKeywords)
        state.SkipWithError("not every keyword was read");
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
// 0: into a new collection (keyword download); 1: into the bid window's collection.
BENCHMARK(BM_ReadAccount)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading one bid page of 50 rows, without the network: what the read adds
// to each page.
void BM_ReadBidPage(benchmark::State &state) {
    fake::FakeOvertureSite &s = site();
    s.setPerPage(kPerPage);
    const QString page = s.bidPage(2);
    OvertureMarkers markers;
    markers.Read(g_sEngineDataFile, "Overture");
    clsConnect scraper;
    markers.ApplyTo(scraper);
    OverturePageReader reader(scraper, markers);
    reader.setEngine("Overture");
    int rows = 0;
    for (auto _ : state) {
        BidPage bidPage;
        FieldCollection fields;
        KeywordCollection keywords;
        reader.ReadBidPage(page, bidPage, fields, keywords, QString());
        rows = keywords.Count();
    }
    if (rows != kPerPage)
        state.SkipWithError("not every row was read");
    state.SetItemsProcessed(state.iterations() * kPerPage);
}
BENCHMARK(BM_ReadBidPage)->Unit(benchmark::kMicrosecond);

// The same requests, bodies and cookies, without reading the answers.
void BM_PlainRequestLoop(benchmark::State &state) {
    fake::FakeOvertureSite &s = site();
    platform::HttpControl http;
    http.setSynchronous(true);
    http.setCache(false);
    http.setTimeout(120000);
    const QString pageForm = QStringLiteral("&_D:selectedPage=%20");
    auto get = [&](const QString &path) {
        http.setURL(s.server().url(path));
        return http.Get();
    };
    auto post = [&](const QString &path, const QString &body) {
        http.setURL(s.server().url(path));
        return http.Post(body);
    };
    qint64 bytes = 0;
    for (auto _ : state) {
        s.setPerPage(40);
        bytes += get("/login").size();
        bytes += post("/login/submit", "src=home&username=joe&password=secret").size();
        bytes += get("/bids/manage?src=nav&view=all").size();
        bytes += post("/bids/displaymax", QStringLiteral("displayMax=%1&_D:displayMax=%20").arg(kPerPage)).size();
        for (int n = 2; n <= kPages; ++n)
            bytes += post("/bids/page", QStringLiteral("selectedPage=%1").arg(n) + pageForm).size();
        bytes += post("/bids/page", "selectedPage=1" + pageForm).size();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_PlainRequestLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folders;
    bench::UsePrivateFolders(folders.path());
    return bench::RunBenchmarks(argc, argv, bench::UnknownArguments::Refuse);
}
