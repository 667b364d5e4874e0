// The engine-setting rebuild after OK: the project file saved, new engine
// definitions loaded, the account tree built from the project file and its
// first account clicked. 40 engines (every key of their sections), 200
// accounts of 500 keywords. Beside it: reading and line-splitting the same
// files once plus one atomic write of the project file. The rebuild should
// stay within 3x of that.
#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

namespace {

constexpr int kEngines = 40;
constexpr int kAccountsPerEngine = 5;  // 200 accounts
constexpr int kKeywordsPerAccount = 500;

// Every key the engine definitions read, with values of a realistic length.
const char *const kEngineKeys[] = {
    "EngineKey", "EngineURL", "LoginURL", "QueryKeyword1", "QueryKeyword2", "PostString", "SubmitMethod",
    "ResultStartString", "ResultEndString", "NoFoundString", "FilterKeyword1", "FilterKeyword2", "HREF_KEYWORD1",
    "HREF_KEYWORD2", "NextPage1", "NextPage2", "NextPage3", "NextPage4", "LinkType", "Start", "PerPage",
    "beginTitle", "endTitle", "beginURL", "endURL", "beginPrice", "endPrice", "QuerySuggest1", "QuerySuggest2",
    "SuggestStartString", "SuggestEndString", "SuggestSectionStart", "SuggestSectionEnd", "beginCountSection",
    "endCountSection", "begineKeywordSection", "endKeywordSection"};

QString engineName(int e) { return QStringLiteral("Engine%1").arg(e, 2, 10, QLatin1Char('0')); }

struct Fixture {
    QTemporaryDir dir;
    frmMain *form = nullptr;
    clsMain *main = nullptr;
    QStringList files;  // what the rebuild reads
    QString project;

    Fixture() {
        bench::UsePrivateFolders(dir.path());
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) { return int(seam::vbOK); });

        QByteArray data = "[OvertureEngines]\r\n";
        for (int e = 1; e <= kEngines; ++e)
            data += QByteArray::number(e) + '=' + engineName(e).toLatin1() + "\r\n";
        for (int e = 1; e <= kEngines; ++e) {
            data += "\r\n[" + engineName(e).toLatin1() + "]\r\n";
            for (const char *key : kEngineKeys)
                data += QByteArray(key) + "=<div class=\"" + key + "\"><a href=\"http://www.engine" +
                        QByteArray::number(e) + ".example/search?q=\">\r\n";
            data += "MinBid=0.10\r\n";
        }
        platform::WriteFileAtomic(g_sEngineDataFile, data);
        files << g_sEngineDataFile;

        QString projectText;
        for (int e = 1; e <= kEngines; ++e) {
            projectText += QLatin1Char('[') + engineName(e) + QStringLiteral("]\r\n");
            for (int a = 1; a <= kAccountsPerEngine; ++a) {
                const QString account = QStringLiteral("Account %1").arg(a);
                projectText += QString::number(a) + QLatin1Char('=') + account + QStringLiteral("\r\n");
                clsKeywords list;
                list.setEngine(engineName(e));
                list.setAccountName(account);
                QByteArray lines;
                for (int k = 0; k < kKeywordsPerAccount; ++k)
                    lines += "keyword phrase " + QByteArray::number(k) + ";" + QByteArray::number(900 + k) +
                             ";$0." + QByteArray::number(10 + k % 89) + ";$0.45;$1.20;$0.90;$0.75;$0.60;$0.50;3,1;"
                             "3:15:07 PM\r\n";
                QDir().mkpath(QFileInfo(list.KeywordsFile()).absolutePath());
                platform::WriteFileAtomic(list.KeywordsFile(), lines);
                files << list.KeywordsFile();
            }
            projectText += QStringLiteral("Last=%1\r\n\r\n").arg(kAccountsPerEngine);
        }
        project = platform::JoinPath(platform::ProgramFolder(), QString::fromLatin1(clsMain::kProjectFileName));
        platform::WriteAnsiFileAtomic(project, projectText + QStringLiteral("\r\n"));
        files << project;

        form = new frmMain;
        main = new clsMain(form);
        main->Display();
    }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

void BM_EngineSettingRebuild(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        f.main->SaveAccount();
        f.form->RebuildEngineTree();
        benchmark::DoNotOptimize(f.form->tvwAccount->topLevelItem(0));
    }
    state.counters["accounts"] = double(f.form->tvwAccount->topLevelItem(0)->childCount() * kAccountsPerEngine);
}
BENCHMARK(BM_EngineSettingRebuild)->Unit(benchmark::kMillisecond);

// Its parts, to see where the time goes.
void BM_PartSaveProject(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state)
        f.main->SaveAccount();
}
BENCHMARK(BM_PartSaveProject)->Unit(benchmark::kMillisecond);

void BM_PartLoadEngines(benchmark::State &state) {
    fixture();
    for (auto _ : state) {
        clsEngine engines;
        benchmark::DoNotOptimize(engines.loadEngineData());
    }
}
BENCHMARK(BM_PartLoadEngines)->Unit(benchmark::kMillisecond);

void BM_PartBuildTree(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.main->loadProject());
    f.form->RebuildEngineTree();
}
BENCHMARK(BM_PartBuildTree)->Unit(benchmark::kMillisecond);

void BM_ReadSplitOnceAndWriteProject(benchmark::State &state) {
    Fixture &f = fixture();
    QByteArray projectBytes;
    platform::ReadFileBytes(f.project, &projectBytes);
    for (auto _ : state) {
        qsizetype lines = 0;
        for (const QString &file : f.files) {
            QString text;
            platform::ReadAnsiFile(file, &text);
            lines += platform::SplitLines(text).size();
        }
        platform::WriteFileAtomic(f.project, projectBytes);
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_ReadSplitOnceAndWriteProject)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
