// The FindWhat read and update of an account of 2 web sites and 5,000
// keywords over 100 pages from the fake site on loopback, each beside a
// plain loop that sends the same requests (and bodies) with the same HTTP
// stack and reads nothing; and the read of one keyword page of 50 and of
// 5,000 rows, per row.

#include "BenchFolders.h"
#include "BenchMain.h"
#include "connect/FindWhatSession.h"
#include "connect/clsConnect.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "fakes/FakeFindWhatSite.h"
#include "platform/Folders.h"
#include "platform/HttpControl.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kWebSites = 2;
constexpr int kKeywords = 5000;
constexpr int kPerPage = 50;
constexpr int kPagesPerSite = kKeywords / kWebSites / kPerPage;
constexpr int kSiteDefaultPerPage = 25;

fake::FakeFindWhatSite &site() {
    static fake::FakeFindWhatSite *s = [] {
        auto *created = new fake::FakeFindWhatSite;
        for (int w = 1; w <= kWebSites; ++w)
            created->addKeywords(created->addWebSite(QStringLiteral("www.site%1.example").arg(w)),
                                 kKeywords / kWebSites, QStringLiteral("site %1 keyword").arg(w));
        created->writeEngineData(g_sEngineDataFile, "FindWhat", QString::number(kPerPage));
        return created;
    }();
    return *s;
}

std::shared_ptr<clsAccount> account() {
    auto a = std::make_shared<clsAccount>();
    a->setUserName("joe");
    a->setPassword("secret");
    return a;
}

bool runOnce(FindWhatSession &session, const QString &action, const KeywordCollectionPtr &keywords) {
    session.setAction(action);
    session.Prepare("FindWhat", action == QLatin1String("GetBids"));
    session.setKeywordsCollection(keywords);
    session.FireStartTimer();
    return !session.Cancelled() && !session.RetryPending();
}

// One keyword page of n rows read without the network; items are rows.
// First, on a heap no read of an account has used yet.
void BM_ReadKeywordPage(benchmark::State &state) {
    const int rows = int(state.range(0));
    fake::FakeFindWhatSite pageSite;
    pageSite.addKeywords(pageSite.addWebSite("www.page.example"), rows);
    pageSite.setPerPage(rows);
    const QString page = pageSite.keywordPage(1, 1);
    FindWhatMarkers markers;
    markers.Read(g_sEngineDataFile, "FindWhat");
    clsConnect scraper;
    markers.ApplyTo(scraper);
    FindWhatPageReader reader(scraper, markers);
    reader.setEngine("FindWhat");
    int read = 0;
    for (auto _ : state) {
        KeywordPage out;
        FieldCollection fields;
        KeywordCollection keywords;
        reader.GetPageKeywordBids(page, QStringLiteral("http://fw.example/keywords?site=1"), true, out, fields,
                                  keywords);
        read = keywords.Count();
    }
    if (read != rows)
        state.SkipWithError("not every row was read");
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ReadKeywordPage)->Arg(50)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_GetBids(benchmark::State &state) {
    fake::FakeFindWhatSite &s = site();
    FindWhatSession session;
    session.setAccount(account());
    int read = 0;
    auto keywords = std::make_shared<KeywordCollection>();
    for (auto _ : state) {
        // The caller's collection of the last read is the caller's to release.
        state.PauseTiming();
        keywords = std::make_shared<KeywordCollection>();
        state.ResumeTiming();
        s.setPerPage(kSiteDefaultPerPage);  // as after a fresh login
        if (!runOnce(session, "GetBids", keywords)) {
            state.SkipWithError("the read failed");
            break;
        }
        read = keywords->Count();
    }
    if (read != kKeywords)
        state.SkipWithError("not every keyword was read");
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_GetBids)->Unit(benchmark::kMillisecond)->UseRealTime();

// The requests of a read: the same URLs, cookies and order.
void BM_PlainGetBidsLoop(benchmark::State &state) {
    fake::FakeFindWhatSite &s = site();
    platform::HttpControl http;
    http.setSynchronous(true);
    http.setCache(false);
    http.setTimeout(120000);
    auto get = [&](const QString &path) {
        http.setURL(s.server().url(path));
        return http.Get();
    };
    qint64 bytes = 0;
    for (auto _ : state) {
        s.setPerPage(kSiteDefaultPerPage);
        bytes += get("/login").size();
        http.setURL(s.server().url("/login/submit"));
        bytes += http.Post("src=fw&username=joe&password=secret").size();
        bytes += get("/manager?view=sites&sort=name").size();
        for (int w = 1; w <= kWebSites; ++w) {
            bytes += get(QStringLiteral("/keywords?site=%1").arg(w)).size();
            bytes += get(QStringLiteral("/keywords?site=%1&perpage=%2").arg(w).arg(kPerPage)).size();
            for (int p = 2; p <= kPagesPerSite; ++p)
                bytes += get(fake::FakeFindWhatSite::pagePath(w, p)).size();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_PlainGetBidsLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// A session logged in and read, the bodies its update sends, and the
// bid each keyword gets in turn.
struct UpdateSetup {
    FindWhatSession session;
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    QStringList pageURLs, bodies;
    bool ok = false;

    UpdateSetup() {
        site().setPerPage(kSiteDefaultPerPage);
        session.setAccount(account());
        ok = runOnce(session, "GetBids", keywords);
    }
    void setNewBids(int round) {
        const QString bid = QStringLiteral("0.%1").arg(10 + round % 80);
        for (const clsKeywordPtr &k : *keywords)
            k->setNewBid(bid);
        pageURLs.clear();
        bodies.clear();
        // The bodies the plain loop posts: the same bytes the update sends.
        for (const KeywordPagePtr &p : session.Pages()) {
            for (const clsFieldPtr &row : p->rows)
                row->sBidValue = bid;
            pageURLs << p->record->PageURL();
            bodies << FindWhatPageReader::PostString(*p, session.FirstField());
        }
    }
};

void BM_Update(benchmark::State &state) {
    UpdateSetup setup;
    if (!setup.ok) {
        state.SkipWithError("the read failed");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setup.setNewBids(++round);
        state.ResumeTiming();
        if (!runOnce(setup.session, "Update", setup.keywords)) {
            state.SkipWithError("the update failed");
            break;
        }
    }
    if (site().loginCount() < 1 || !site().refused().isEmpty())
        state.SkipWithError("the site refused a page");
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_Update)->Unit(benchmark::kMillisecond)->UseRealTime();

// The requests of an update: each page shown and posted, then read again.
void BM_PlainUpdateLoop(benchmark::State &state) {
    UpdateSetup setup;
    if (!setup.ok) {
        state.SkipWithError("the read failed");
        return;
    }
    platform::HttpControl &http = setup.session.HttpAutoBid();  // its cookie
    const QString post = site().server().url("/keywords/update");
    qint64 bytes = 0;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setup.setNewBids(++round);
        state.ResumeTiming();
        for (int i = 0; i < setup.pageURLs.size(); ++i) {
            http.setURL(setup.pageURLs[i]);
            bytes += http.Get().size();
            http.setURL(post);
            const QString answer = http.Post(setup.bodies[i]);
            if (!answer.contains(QLatin1String(FindWhatSession::kAcknowledgement), Qt::CaseInsensitive))
                state.SkipWithError("not acknowledged");
            bytes += answer.size();
        }
        for (const QString &url : setup.pageURLs) {
            http.setURL(url);
            bytes += http.Get().size();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_PlainUpdateLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folders;
    bench::UsePrivateFolders(folders.path());
    site();  // writes the engine data
    return bench::RunBenchmarks(argc, argv, bench::UnknownArguments::Refuse);
}
