// HTML-to-text over result pages of growing size: the time should grow
// linearly with the page, however many tags it holds.
#include "core/modCommon.h"

#include <benchmark/benchmark.h>

static QString makePage(int rows) {
    QString page;
    page.reserve(rows * 64);
    for (int i = 0; i < rows; ++i)
        page += QStringLiteral("<TR><TD class=\"c\">keyword %1</TD><TD>$0.25<BR></TD></TR>\n").arg(i);
    page += QStringLiteral("</TABLE>");
    return page;
}

static void BM_StripHTML(benchmark::State &state) {
    const QString page = makePage(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(StripHTML(page));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * page.size() * 2);
}
BENCHMARK(BM_StripHTML)->RangeMultiplier(4)->Range(256, 65536)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
