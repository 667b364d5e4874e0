// Scraping a bid form row by row: the cutting primitive consumes the page
// as it goes, so the time per row must not grow with the page.

#include "BenchMain.h"
#include "connect/clsConnect.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString bidFormPage(int rows) {
    QString page;
    page.reserve(rows * 260 + 400);
    page += "<html><body><h1>Manage bids</h1>\r\n"
            "<form name=\"bids\" action=\"/go2/bids.asp?acct=1&amp;view=all\" method=\"post\">\r\n"
            "<input type=\"hidden\" name=\"_D:submit\" value=\" \">\r\n<table class=\"bids\">\r\n";
    for (int i = 1; i <= rows; ++i) {
        const QString n = QString::number(i);
        page += "<tr class=\"row\"><td>" + n + "</td><td><input type=\"hidden\" name=\"kw_" + n +
                "\" value=\"keyword &amp; phrase " + n + "\">keyword phrase " + n +
                "</td><td><input type=\"text\" name=\"bid_" + n +
                "\" value=\"0.25\" size=\"6\"></td><td>3</td><td>$0.31</td></tr>\r\n";
    }
    page += "</table><input type=\"submit\" value=\"Update\"></form></body></html>\r\n";
    return page;
}

// Reads every row of the form into a field collection keyed by keyword and
// builds the post string, as an update of all bids does.
int scrape(clsConnect &scraper, const QString &page) {
    QString rest = page;
    const QString form = clsConnect::FindSection(rest, "<form name=\"bids\"", "</form>");
    QString text = form;
    const QString action = scraper.FindActionURL(text);
    benchmark::DoNotOptimize(action);
    FieldCollection fields;
    for (;;) {
        QString row = clsConnect::FindSection(text, "<tr", "</tr>");
        if (row.isEmpty())
            break;
        const QString position = clsConnect::FindSection(row, "<td>", "</td>");
        QString keywordCell = clsConnect::FindSection(row, "<td>", "</td>");
        QString bidCell = clsConnect::FindSection(row, "<td>", "</td>");
        if (position.isEmpty() || keywordCell.isEmpty())
            break;
        const QString keywordInput = clsConnect::FindSection(keywordCell, "<input", ">");
        const QString bidInput = clsConnect::FindSection(bidCell, "<input", ">");
        auto field = std::make_shared<clsField>();
        field->sFieldName = scraper.FindName(keywordInput);
        field->sFieldValue = scraper.FindValue(keywordInput);
        field->sBidName = scraper.FindName(bidInput);
        field->sBidValue = scraper.FindValue(bidInput);
        fields.Add(field, keywordCell.mid(keywordCell.lastIndexOf('>') + 1));
    }
    const QString body = clsConnect::CreatePostStringFromCollection(fields, "bid_1", "0.30");
    benchmark::DoNotOptimize(body);
    return fields.Count();
}

void BM_ScrapeBidForm(benchmark::State &state) {
    const int rows = int(state.range(0));
    const QString page = bidFormPage(rows);
    clsConnect scraper;
    scraper.setActionStart("action=");
    scraper.setActionEnd(">");
    scraper.setNameStart("name=");
    scraper.setValueStart("value=");
    int read = 0;
    for (auto _ : state)
        read = scrape(scraper, page);
    if (read != rows)
        state.SkipWithError("not every row was read");
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["per_row"] = benchmark::Counter(
        double(rows) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScrapeBidForm)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir settings;  // the scraper loads preferences; keep the user's own store out of it
    platform::Registry::setStoreFile(settings.filePath("registry.json"));
    return bench::RunBenchmarks(argc, argv, bench::UnknownArguments::Refuse);
}
