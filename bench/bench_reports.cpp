// The three keyword reports of an account of 20,000 keywords in a filled
// keyword list, each next to its plain counterpart: the text and HTML
// reports against an atomic write of the same bytes (target: within 3x),
// the workbook report against a bare libxlsxwriter loop writing the same
// cells (target: within 1.5x).
#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "ui/TreeNode.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kKeywords = 20000;
const QString kEngine = QStringLiteral("Overture");
const QString kAccount = QStringLiteral("Bench Shop");

QString money(int cents) { return QStringLiteral("$%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0')); }

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;
    QString folder;

    Fixture() {
        bench::UsePrivateFolders(dir.path());
        auto &registry = platform::Registry::instance();
        registry.createKey(g_sPreferenceKey);
        registry.setValue(g_sPreferenceKey, QStringLiteral("ReporterName"), QStringLiteral("Ann Lee"));
        registry.setValue(g_sPreferenceKey, QStringLiteral("CompanyName"), QStringLiteral("Shop & Co"));
        registry.setValue(g_sPreferenceKey, QStringLiteral("WebSite"), QStringLiteral("http://www.shop.example"));
        registry.setValue(g_sPreferenceKey, QStringLiteral("Email"), QStringLiteral("ann@shop.example"));
        const QString accountFolder = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Accounts"), kEngine, kAccount);
        QDir().mkpath(accountFolder);
        platform::WriteFileAtomic(accountFolder + QStringLiteral("/URLs.dat"),
                                  "www.shop.example\r\nshop.example/sale\r\nwww.shop-two.example\r\n");
        seam::setShellOpenHandler([](const QString &) { return true; });
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &r) {
            std::fprintf(stderr, "unexpected message: %s\n", qPrintable(r.text));
            std::abort();
            return 0;
        });

        w = std::make_unique<frmMain>();
        treenode::AddRootNode(w->tvwAccount);
        treenode::AddNewNode(w->tvwAccount, treenode::RootKey(), treenode::EngineKey(kEngine), kEngine,
                             QStringLiteral("AccountFolder"), treenode::Kind::Engine);
        QTreeWidgetItem *acct = treenode::AddNewNode(w->tvwAccount, treenode::EngineKey(kEngine),
                                                     treenode::AccountKey(kEngine, kAccount), kAccount,
                                                     QStringLiteral("AccountFolder"), treenode::Kind::Account);
        w->tvwAccount->setCurrentItem(acct);
        w->m_sEngineName = kEngine;
        std::vector<KeywordListModel::Row> items;
        for (int i = 0; i < kKeywords; ++i) {
            items.push_back(KeywordListModel::RowOf(
                {QString::number(i + 1), QStringLiteral("keyword phrase %1").arg(i), QString::number(1000 + i),
                 money(i % 997) + QLatin1Char(',') + money(i % 499), money(i % 991), money(i % 983 + 100),
                 money(i % 977 + 50), money(i % 971 + 20), QStringLiteral("%1,%2").arg(i % 20 + 1).arg(i % 7 + 1),
                 QStringLiteral("3:%1:07 PM").arg(i / 2000 % 60, 2, 10, QLatin1Char('0'))}));
        }
        w->lvwKeywords->rows()->insertRows(0, std::move(items));
        folder = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("reports"), kEngine);
    }
    QString file(const char *ext) const { return folder + QLatin1Char('/') + kAccount + QLatin1String(ext); }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

// The floor every report shares: reading the list's 200,000 cells once.
void BM_ReadListCells(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        qsizetype chars = 0;
        const KeywordListModel *list = f.w->lvwKeywords->rows();
        for (int r = 0; r < kKeywords; ++r)
            for (int c = 0; c < 10; ++c)
                chars += list->text(r, c).size();
        benchmark::DoNotOptimize(chars);
    }
}

// A report's own bytes (from one run of the command) written atomically.
void plainAtomicWrite(benchmark::State &state, void (frmMain::*report)(), const char *ext, const char *plainExt) {
    Fixture &f = fixture();
    (f.w.get()->*report)();
    QByteArray bytes;
    platform::ReadFileBytes(f.file(ext), &bytes);
    const QString target = f.file(plainExt);
    for (auto _ : state)
        platform::WriteFileAtomic(target, bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

void BM_TextReport(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state)
        f.w->TextReport();
}

void BM_TextPlainAtomicWrite(benchmark::State &state) {
    plainAtomicWrite(state, &frmMain::TextReport, ".txt", ".plain.txt");
}

void BM_HtmlReport(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state)
        f.w->HTMLReport();
}

void BM_HtmlPlainAtomicWrite(benchmark::State &state) {
    plainAtomicWrite(state, &frmMain::HTMLReport, ".html", ".plain.html");
}

void BM_ExcelReport(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state)
        f.w->ExcelReport();
}

// The same cells, merges and fills written straight through libxlsxwriter.
void BM_ExcelPlainLoop(benchmark::State &state) {
    Fixture &f = fixture();
    const QByteArray target = QFile::encodeName(f.file(".plain.xlsx"));
    std::vector<std::array<QByteArray, 10>> rows{size_t(kKeywords)};
    for (int i = 0; i < kKeywords; ++i)
        for (int c = 0; c < 10; ++c)
            rows[size_t(i)][size_t(c)] = f.w->lvwKeywords->text(i, c).toUtf8();
    const char *urls[3] = {"www.shop.example", "shop.example/sale", "www.shop-two.example"};
    const char *titles[10] = {"No", "Keywords", "Count", "Curr_Bid", "Next_Bid",
                              "1st_Bid", "2nd_Bid", "3rd_Bid", "Position", "Status"};
    for (auto _ : state) {
        lxw_workbook *wb = workbook_new(target.constData());
        lxw_worksheet *ws = workbook_add_worksheet(wb, "Report");
        lxw_format *band = workbook_add_format(wb);
        format_set_pattern(band, LXW_PATTERN_SOLID);
        format_set_bg_color(band, 0x61C4F3);
        for (int c = 0; c < 10; ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), 10, nullptr);
        worksheet_write_string(ws, 3, 0, "Account name:", nullptr);
        worksheet_write_string(ws, 4, 0, "Engine name:", nullptr);
        worksheet_write_string(ws, 5, 0, "Date:", nullptr);
        worksheet_write_string(ws, 3, 2, "Bench Shop", nullptr);
        worksheet_write_string(ws, 4, 2, "Overture", nullptr);
        worksheet_write_string(ws, 5, 2, "Monday, December 7, 2026", nullptr);
        for (int i = 0; i < 3; ++i)
            worksheet_merge_range(ws, lxw_row_t(6 + i), 2, lxw_row_t(6 + i), 9, urls[i], nullptr);
        const lxw_row_t header = 11;
        for (int c = 0; c < 10; ++c)
            worksheet_write_string(ws, header, lxw_col_t(c), titles[c], band);
        lxw_row_t r = header + 2;
        for (const auto &row : rows) {
            for (int c = 0; c < 10; ++c)
                worksheet_write_string(ws, r, lxw_col_t(c), row[size_t(c)].constData(), nullptr);
            ++r;
        }
        for (int c = 0; c < 10; ++c)
            worksheet_write_blank(ws, r, lxw_col_t(c), band);
        const char *footer[3] = {"This report is generated by: Ann Lee", "Shop & Co", "http://www.shop.example"};
        for (int i = 0; i < 3; ++i)
            worksheet_merge_range(ws, r + 3 + lxw_row_t(i), 0, r + 3 + lxw_row_t(i), 9, footer[i], nullptr);
        workbook_close(wb);
    }
}

BENCHMARK(BM_ReadListCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPlainAtomicWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HtmlReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HtmlPlainAtomicWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExcelReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExcelPlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return bench::RunWithWindows(argc, argv); }
