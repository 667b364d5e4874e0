// Profile-string files read key by key, as the engine data load does: an
// engine data file with one 50 MiB value, loaded as at start-up (parsed
// once), and the same file just written (its stamps prove nothing yet, so
// the bytes are compared on each read for a moment). Also single reads of an ordinary
// engine data file, parsed afresh and from the parse kept, and a keyword
// file holding a 50 MiB keyword line.
#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <time.h>

namespace {

constexpr qsizetype kHuge = 50 * 1024 * 1024;

QByteArray engineFile(qsizetype hugeValue) {
    QByteArray text = "[OvertureEngines]\r\n1=Overture\r\n2=FindWhat\r\n3=Google\r\n\r\n";
    for (const char *e : {"Overture", "FindWhat", "Google"}) {
        text += QByteArray("[") + e + "]\r\n";
        for (const char *k : {"EngineKey", "LoginURL", "QueryKeyword1", "QueryKeyword2", "PostString", "SubmitMethod",
                              "ResultStartString", "ResultEndString", "beginTitle", "endTitle", "beginURL", "endURL",
                              "beginPrice", "endPrice", "QuerySuggest1", "QuerySuggest2"})
            text += QByteArray(k) + "=<value of " + k + ">\r\n";
        text += "EngineURL=" + (qstrcmp(e, "FindWhat") == 0 ? QByteArray(hugeValue, 'u') : QByteArray("http://x")) + "\r\n\r\n";
    }
    return text;
}

// As a file written a while ago: its stamps are no longer recent.
void age(const QString &) {
    const timespec wait{0, 300'000'000};
    ::nanosleep(&wait, nullptr);
}

struct Fixture {
    QTemporaryDir dir;
    Fixture() {
        QDir().mkpath(dir.path() + QStringLiteral("/program"));
        QDir().mkpath(dir.path() + QStringLiteral("/windows"));
        bench::UsePrivateFolders(dir.path());
    }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

void BM_LoadEngineDataWithHugeValue(benchmark::State &state) {
    fixture();
    platform::WriteFileAtomic(g_sEngineDataFile, engineFile(kHuge));
    age(g_sEngineDataFile);
    for (auto _ : state) {
        platform::DropProfileCache();
        clsEngine engine;
        benchmark::DoNotOptimize(engine.loadEngineData());
    }
}
BENCHMARK(BM_LoadEngineDataWithHugeValue)->Unit(benchmark::kMillisecond);

void BM_LoadEngineDataWithHugeValueJustWritten(benchmark::State &state) {
    fixture();
    for (auto _ : state) {
        state.PauseTiming();
        platform::WriteFileAtomic(g_sEngineDataFile, engineFile(kHuge));
        platform::DropProfileCache();
        state.ResumeTiming();
        clsEngine engine;
        benchmark::DoNotOptimize(engine.loadEngineData());
    }
}
BENCHMARK(BM_LoadEngineDataWithHugeValueJustWritten)->Unit(benchmark::kMillisecond);

void BM_ReadIniStringFirstRead(benchmark::State &state) {
    fixture();
    platform::WriteFileAtomic(g_sEngineDataFile, engineFile(30));
    age(g_sEngineDataFile);
    for (auto _ : state) {
        platform::DropProfileCache();
        benchmark::DoNotOptimize(ReadIniString(g_sEngineDataFile, QStringLiteral("Google"), QStringLiteral("endPrice")));
    }
}
BENCHMARK(BM_ReadIniStringFirstRead)->Unit(benchmark::kMicrosecond);

void BM_ReadIniStringParsedBefore(benchmark::State &state) {
    fixture();
    platform::WriteFileAtomic(g_sEngineDataFile, engineFile(30));
    age(g_sEngineDataFile);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadIniString(g_sEngineDataFile, QStringLiteral("Google"), QStringLiteral("endPrice")));
}
BENCHMARK(BM_ReadIniStringParsedBefore)->Unit(benchmark::kMicrosecond);

void BM_LoadKeywordsWithHugeLine(benchmark::State &state) {
    fixture();
    clsKeywords list;
    list.setEngine(QStringLiteral("Overture"));
    list.setAccountName(QStringLiteral("Shop"));
    QDir().mkpath(QFileInfo(list.KeywordsFile()).path());
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "keyword " + QByteArray::number(i) + ";1;$0.25;$0.24;$0.40;$0.30;$0.25;;;1;12:01:00 PM\r\n";
    bytes += QByteArray(kHuge, 'k') + ";;;;;;;;;;\r\n\r\n";
    platform::WriteFileAtomic(list.KeywordsFile(), bytes);
    for (auto _ : state) {
        clsKeywords loaded;
        loaded.setEngine(QStringLiteral("Overture"));
        loaded.setAccountName(QStringLiteral("Shop"));
        loaded.loadKeywords();
        benchmark::DoNotOptimize(loaded.Keywords()->Count());
    }
}
BENCHMARK(BM_LoadKeywordsWithHugeLine)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
