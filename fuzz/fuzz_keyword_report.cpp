// Keyword reports built from arbitrary texts (keywords come from engine
// pages): the page keeps exactly the tags of a page built from plain texts,
// and the text report keeps one line per keyword; the bytes written are the
// texts in the code page.
#include "report/HtmlKeywordReport.h"
#include "report/KeywordReportData.h"
#include "report/TextKeywordReport.h"
#include "platform/TextFile.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

// Splits the input at NUL bytes into texts; the first byte picks the row count.
QStringList texts(const uint8_t *data, size_t size) {
    QStringList out;
    QByteArray current;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            out.append(QString::fromUtf8(current));
            current.clear();
        } else {
            current.append(char(data[i]));
        }
    }
    out.append(QString::fromUtf8(current));
    return out;
}

KeywordReportData build(const QStringList &t, int rows, bool plain) {
    int next = 0;
    auto take = [&]() {
        const QString s = t.isEmpty() ? QString() : t[next++ % t.size()];
        // Plain stand-ins keep which texts are empty (an empty logo URL shows no logo).
        return plain && !s.isEmpty() ? QString(1 + s.size() % 7, QLatin1Char('x')) : s;
    };
    KeywordReportData d;
    d.date = QDate(2026, 12, 7);
    d.accountName = take();
    d.engineName = take();
    d.reporterName = take();
    d.companyName = take();
    d.email = take();
    d.webSite = take();
    d.logoURL = take();
    d.logoPosition = (rows % 3 == 0) ? QStringLiteral("Top") : QStringLiteral("Bottom");
    for (int i = 0; i < rows % 3; ++i)
        d.urls.append(take());
    std::vector<KeywordReportData::Row> list(static_cast<size_t>(rows));
    for (auto &row : list)
        for (QString &cell : row)
            cell = take();
    d.SetRows(std::move(list));
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const int rows = data[0] % 8;
    const QStringList t = texts(data, size);
    const KeywordReportData full = build(t, rows, false);
    const QString page = HtmlKeywordReport::Build(full);
    // The file bytes are the report's text in the code page.
    if (HtmlKeywordReport::BuildAnsi(full) != platform::ToAnsi(page) ||
        TextKeywordReport::BuildAnsi(full) != platform::ToAnsi(TextKeywordReport::Build(full)))
        std::abort();
    const QString plainPage = HtmlKeywordReport::Build(build(t, rows, true));
    if (page.count(QLatin1Char('<')) != plainPage.count(QLatin1Char('<')) ||
        page.count(QLatin1Char('>')) != plainPage.count(QLatin1Char('>')))
        std::abort();

    // Line breaks inside texts would add lines of their own; without them the
    // text report has one line per keyword row and its fixed lines.
    QStringList flat = t;
    for (QString &s : flat)
        s.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    const KeywordReportData d = build(flat, rows, false);
    const QString text = TextKeywordReport::Build(d);
    const int fixedLines = 11 + std::max(1, int(d.urls.size()));
    if (text.count(QStringLiteral("\r\n")) != fixedLines + rows)
        std::abort();
    return 0;
}
