// Keywords.dat of 100,000 keywords: load and save next to a raw read with a
// line split and a raw write of the same bytes. Load should stay within 5x
// of the raw split, save within 3x of the raw write.
#include "core/clsKeywords.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kKeywords = 100000;
const QString kEngine = QStringLiteral("Overture");
const QString kAccount = QStringLiteral("Bench Shop");

// Bids spread over about a thousand cent values, as in a real account.
QString money(int cents) { return QStringLiteral("$%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0')); }

struct Fixture {
    QTemporaryDir dir;
    QString file;
    QByteArray bytes;
    Fixture() {
        platform::setProgramFolder(dir.path());
        clsKeywords list;
        list.setEngine(kEngine);
        list.setAccountName(kAccount);
        for (int i = 0; i < kKeywords; ++i) {
            const QString kw = QStringLiteral("keyword phrase %1").arg(i);
            list.Add(QStringLiteral("Key") + kw, kw);
            list.UpdateObject(kw, QStringLiteral("Count"), QString::number(1000 + i));
            list.UpdateObject(kw, QStringLiteral("CurBid"), money(i % 997) + QLatin1Char(',') + money(i % 499));
            list.UpdateObject(kw, QStringLiteral("NextBid"), money(i % 991));
            list.UpdateObject(kw, QStringLiteral("1"), money(i % 983 + 100));
            list.UpdateObject(kw, QStringLiteral("2"), money(i % 977 + 50));
            list.UpdateObject(kw, QStringLiteral("3"), money(i % 971 + 20));
            list.UpdateObject(kw, QStringLiteral("4"), money(i % 967 + 10));
            list.UpdateObject(kw, QStringLiteral("5"), money(i % 953 + 5));
            list.UpdateObject(kw, QStringLiteral("CurPos"), QStringLiteral("%1,%2").arg(i % 20 + 1).arg(i % 7 + 1));
            list.UpdateObject(kw, QStringLiteral("Status"), QStringLiteral("3:%1:07 PM").arg(i / 2000 % 60, 2, 10, QLatin1Char('0')));
        }
        list.SaveKeywords();
        file = list.KeywordsFile();
        platform::ReadFileBytes(file, &bytes);
    }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

// Both sides leave their result's teardown out of the timing (it is the
// allocator's work, not the reading); BM_LoadAndFreeKeywords shows it.
void BM_LoadKeywords(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        auto list = std::make_unique<clsKeywords>();
        list->setEngine(kEngine);
        list->setAccountName(kAccount);
        list->loadKeywords();
        if (list->Keywords()->Count() != kKeywords)
            state.SkipWithError("wrong keyword count");
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_LoadKeywords)->Unit(benchmark::kMillisecond);

void BM_LoadAndFreeKeywords(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        clsKeywords list;
        list.setEngine(kEngine);
        list.setAccountName(kAccount);
        list.loadKeywords();
        benchmark::DoNotOptimize(list.Keywords()->Count());
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_LoadAndFreeKeywords)->Unit(benchmark::kMillisecond);

void BM_RawReadAndSplit(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        QString text;
        platform::ReadAnsiFile(f.file, &text);
        auto lines = std::make_unique<QStringList>(text.split(QStringLiteral("\r\n")));
        benchmark::DoNotOptimize(lines->size());
        state.PauseTiming();
        lines.reset();
        text = QString();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_RawReadAndSplit)->Unit(benchmark::kMillisecond);

void BM_SaveKeywords(benchmark::State &state) {
    Fixture &f = fixture();
    clsKeywords list;
    list.setEngine(kEngine);
    list.setAccountName(kAccount);
    list.loadKeywords();
    for (auto _ : state)
        list.SaveKeywords();
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_SaveKeywords)->Unit(benchmark::kMillisecond);

void BM_RawWrite(benchmark::State &state) {
    Fixture &f = fixture();
    const QString path = f.dir.path() + QStringLiteral("/raw.dat");
    for (auto _ : state) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(f.bytes);
        out.close();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond);

void BM_RawWriteAtomic(benchmark::State &state) {
    Fixture &f = fixture();
    const QString path = f.dir.path() + QStringLiteral("/raw-atomic.dat");
    for (auto _ : state)
        platform::WriteFileAtomic(path, f.bytes);
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_RawWriteAtomic)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
