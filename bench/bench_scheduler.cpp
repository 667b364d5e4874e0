// One scheduler tick over 1,000 scheduled accounts, none of them due, beside
// a plain read of the same 1,000 account files: the tick should cost no more
// than about three such reads.

#include "core/clsAccount.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/SchedulerRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kAccounts = 1000;

struct Accounts {
    QTemporaryDir dir;
    QList<SchedulerRun::Node> nodes;
    QStringList files;

    Accounts() {
        platform::setProgramFolder(dir.path());
        const QDateTime now = QDateTime::currentDateTime();
        seam::setClock([now] { return now; });
        for (int i = 0; i < kAccounts; ++i) {
            clsAccount account;
            account.setEngine(i % 2 ? QStringLiteral("Overture") : QStringLiteral("Google"));
            account.setAccountName(QStringLiteral("account %1").arg(i));
            account.setUserName(QStringLiteral("user%1").arg(i));
            account.setPassword(QStringLiteral("secret"));
            account.setMaxBid(1.5f);
            account.setMinBid(0.1f);
            account.setSchedulerEnable(true);
            account.setHours(24);
            account.setLastLookup(now.addSecs(-3600));  // an hour ago: not due
            account.setSentReport(true);
            account.SaveSettings();
            nodes.append({account.Engine(), account.AccountName()});
            files.append(account.SettingsFile());
        }
    }
};

Accounts &accounts() {
    static Accounts a;
    return a;
}

void BM_SchedulerTickNoneDue(benchmark::State &state) {
    Accounts &a = accounts();
    SchedulerRun run;
    for (auto _ : state) {
        QString panel = QStringLiteral("Scheduler: On");
        run.Collect(a.nodes, &panel);
        if (!run.m_colScheduled.isEmpty())
            state.SkipWithError("an account was due");
        benchmark::DoNotOptimize(panel);
    }
}

void BM_RawReadOfAccountFiles(benchmark::State &state) {
    Accounts &a = accounts();
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (const QString &file : a.files) {
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                bytes += f.readAll().size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

BENCHMARK(BM_SchedulerTickNoneDue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawReadOfAccountFiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
