// The bid window's grid with an account of 20,000 keywords: from the fetched
// collection to a filled grid sorted by New Bid (descending), beside building
// the same twelve texts per row in a plain vector. The grid should stay
// within three times the plain vector.

#include "BenchMain.h"
#include "autobid/BidGrid.h"
#include "autobid/BidManager.h"
#include "autobid/frmAutoBid.h"
#include "core/clsAccount.h"
#include "core/clsKeyword.h"

#include <QApplication>
#include <array>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

KeywordCollectionPtr fetchedKeywords(int count) {
    auto keywords = std::make_shared<KeywordCollection>();
    keywords->Reserve(count);
    for (int i = 0; i < count; ++i) {
        auto k = std::make_shared<clsKeyword>();
        const QString text = QStringLiteral("keyword %1").arg(i);
        const int cents = 10 + (i * 7919) % 490;
        auto money = [](int c) { return QStringLiteral("$%1.%2").arg(c / 100).arg(c % 100, 2, 10, QLatin1Char('0')); };
        k->setKeyword(text);
        k->setCurBid(money(cents));
        k->setNextBid(money(cents - 5));
        k->setCurPos(QString::number(1 + i % 5));
        k->setFirstBid(money(cents + 40));
        k->setSecondBid(money(cents + 30));
        k->setThirdBid(money(cents + 20));
        k->setFourthBid(money(cents + 10));
        k->setFifthBid(money(cents));
        k->setBidTo(i % 3 == 0 ? QStringLiteral("2") : QString());
        k->setNewBid(QStringLiteral("%1.%2").arg((cents - 4) / 100).arg((cents - 4) % 100, 2, 10, QLatin1Char('0')));
        k->setUpdateNumber(QString::number(i % 7));
        keywords->Add(k, text);
    }
    return keywords;
}

std::unique_ptr<BidManager> manager(const KeywordCollectionPtr &keywords) {
    auto m = std::make_unique<BidManager>();
    auto account = std::make_shared<clsAccount>();
    account->setEngine(QStringLiteral("Overture"));
    account->setAccountName(QStringLiteral("bench"));
    m->setAccount(account);
    m->State().m_sLimitEngines = QStringLiteral("Overture");
    m->FormatGridFirstRow();
    m->State().m_colKeywords = keywords;
    return m;
}

// The baseline: the same texts, one array per row, in a vector.
void BM_PlainVectorRows(benchmark::State &state) {
    const KeywordCollectionPtr keywords = fetchedKeywords(int(state.range(0)));
    auto m = manager(keywords);
    for (auto _ : state) {
        std::vector<std::array<QString, 12>> rows;
        rows.reserve(size_t(keywords->Count()));
        for (const clsKeywordPtr &k : *keywords)
            rows.push_back({k->Keyword(), k->CurBid(), k->NextBid(), k->CurPos(), k->FirstBid(), k->SecondBid(),
                            k->ThirdBid(), k->FourthBid(), k->FifthBid(), k->BidTo(), k->NewBid(),
                            m->StatusText(k->UpdateNumber())});
        benchmark::DoNotOptimize(rows.data());
    }
}

// Fill and sort, as after a fetch the user sorts by New Bid.
void BM_GridFillAndSort(benchmark::State &state) {
    const KeywordCollectionPtr keywords = fetchedKeywords(int(state.range(0)));
    auto m = manager(keywords);
    for (auto _ : state) {
        m->PopulateKeywords();
        m->Grid().Sort(BidGrid::colNewBid, false);
        benchmark::DoNotOptimize(m->Grid().Rows());
    }
}

// The same in the bid window, shown, with its table view on the grid.
void BM_WindowFillAndSort(benchmark::State &state) {
    const KeywordCollectionPtr keywords = fetchedKeywords(int(state.range(0)));
    frmAutoBid window;
    auto account = std::make_shared<clsAccount>();
    account->setEngine(QStringLiteral("Overture"));
    account->setAccountName(QStringLiteral("bench"));
    window.setAccount(account);
    window.show();
    QApplication::processEvents();
    BidManager &m = window.Manager();
    m.State().m_colKeywords = keywords;
    for (auto _ : state) {
        m.PopulateKeywords();
        m.Grid().Sort(BidGrid::colNewBid, false);
        QApplication::processEvents();  // layout and paint
    }
}

BENCHMARK(BM_PlainVectorRows)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridFillAndSort)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowFillAndSort)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
