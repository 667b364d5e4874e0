// FindWhat page reading on arbitrary bytes. Besides never crashing and
// never looping for ever:
//  - every keyword read is non-empty text of one line without outer blanks,
//    keyed once, its bid input's value as both its bid and its new bid;
//  - a page read whole keeps one row per row counted, and its post body is
//    name=value pairs (nothing in a name or value can split it);
//  - a page list that was read holds the page in hand; a web-site table
//    that was not read gives no web site;
//  - a keyword cell made from the input reads back as its text, and the
//    top-5 cells of the row read back whole.

#include "connect/FindWhatPageReader.h"
#include "connect/clsConnect.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

const QString kHere = QStringLiteral("http://fw.example/keywords?site=1");

FindWhatMarkers markers() {
    FindWhatMarkers m;
    m.LoginFormStart = "<form name=\"login\"";
    m.LoginFormEnd = "</form>";
    m.ActionStart = "action=";
    m.ActionEnd = ">";
    m.FieldStart = "<input";
    m.FieldEnd = ">";
    m.NameStart = "name=";
    m.ValueStart = "value=";
    m.TabTableStart = "<table class=\"tabs\">";
    m.TableEnd = "</table>";
    m.ColumStart = "<td";
    m.ColumEnd = "</td>";
    m.WebSiteProfileTableStart = "<table class=\"sites\">";
    m.WebSiteProfileTableEnd = "</table>";
    m.RowStart = "<tr";
    m.RowEnd = "</tr>";
    m.KeywordPerPageStart = "<div class=\"perpage\">";
    m.KeywordPerPageEnd = "</div>";
    m.DisplayMaxNum = 100;
    m.PageTableStart = "<table class=\"pages\">";
    m.KeywordFormStart = "<form name=\"keywords\"";
    m.KeywordFormEnd = "</form>";
    m.KeywordBidTableStart = "<table class=\"keywords\">";
    m.KeywordBidTableEnd = "</table><!--/keywords-->";
    m.KeywordBidRowEnd = "</tr><!--/kw-->";
    m.OptionTagStart = "<option";
    m.OptionTagEnd = "</option>";
    m.AdditionKeywordStart = "<table class=\"addkw\">";
    m.AdditionKeywordEnd = "</table>";
    m.LastFieldsStart = "<!-- last fields -->";
    return m;
}

struct Reader {
    FindWhatMarkers m = markers();
    clsConnect scraper;
    std::unique_ptr<FindWhatPageReader> reader;
    Reader() {
        m.ApplyTo(scraper);
        reader = std::make_unique<FindWhatPageReader>(scraper, m);
        reader->setEngine("FindWhat");
    }
};

Reader *g_reader = nullptr;

void check(bool ok) {
    if (!ok)
        std::abort();
}

bool oneLineTrimmed(const QString &t) {
    return !t.contains(QLatin1Char('\r')) && !t.contains(QLatin1Char('\n')) && !t.startsWith(QLatin1Char(' ')) &&
           !t.endsWith(QLatin1Char(' '));
}

void checkPostString(const QString &post) {
    if (post.isEmpty())
        return;
    for (const QString &pair : post.split(QLatin1Char('&')))
        check(pair.count(QLatin1Char('=')) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    const QString root = QDir::tempPath() + QStringLiteral("/fuzz_findwhat_pages");
    QDir().mkpath(root + QStringLiteral("/program"));
    platform::setProgramFolder(root + QStringLiteral("/program"));
    platform::setWindowsFolder(root);
    platform::Registry::setStoreFile(root + QStringLiteral("/registry.json"));
    g_reader = new Reader;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString page = platform::FromAnsi(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    FindWhatPageReader &r = *g_reader->reader;

    // A whole page: whatever it holds, what is read keeps its invariants.
    {
        KeywordPage out;
        FieldCollection fields;
        KeywordCollection keywords;
        const bool read = r.GetPageKeywordBids(page, kHere, true, out, fields, keywords);
        check(fields.Count() == keywords.Count());
        check(int(out.rows.size()) >= fields.Count());
        for (int i = 1; i <= keywords.Count(); ++i) {
            const clsKeyword &k = *keywords.Item(i);
            check(!k.Keyword().isEmpty() && oneLineTrimmed(k.Keyword()));
            check(oneLineTrimmed(k.CurPos()) && oneLineTrimmed(k.FirstBid()) && oneLineTrimmed(k.FifthBid()));
            check(fields.Exists(k.Keyword()));
            check(fields.Item(k.Keyword())->sBidValue == k.NewBid());
            check(k.CurBid() == k.NewBid());
        }
        if (read) {
            check(int(out.rows.size()) == out.record->KeywordCount());
            check(out.firstField && !out.firstField->sFieldName.isEmpty());
            check(!out.record->TermCount()->sFieldName.isEmpty());
            check(out.record->PageURL() == kHere);
            checkPostString(FindWhatPageReader::PostString(out, out.firstField));
        }

        QStringList urls;
        if (r.GetEveryPageURLs(page, kHere, urls))
            check(!urls.isEmpty() && urls.contains(kHere));
        else
            check(urls.isEmpty());
        QStringList sites;
        if (!r.GetEveryWebSiteURLs(page, kHere, sites))
            check(sites.isEmpty());
        for (const QString &site : sites)
            check(!site.isEmpty());
        r.GetMaxKeywordPerPage(page);
        r.GetManageBidsURL(page);
    }

    // The input as a keyword cell of a well-formed row.
    {
        QString text;
        for (const QChar c : page)
            if (c.unicode() >= 0x20 && c != QLatin1Char('<') && c != QLatin1Char('>') && c != QLatin1Char('&') &&
                c.unicode() != 0xA0 && c.unicode() != 0x7F)
                text += c;
        const QString expected = vb::Trim(text);
        const QString form =
            QStringLiteral("<form name=\"keywords\" action=\"/u\"><input name=\"siteId\" value=\"1\">"
                           "<table class=\"keywords\"><tr><th>k</th></tr><tr><td><input name=\"kw_1\" value=\"1\">") +
            text +
            QStringLiteral("</td><td><input name=\"bid_1\" value=\"0.25\"></td><td><select><option selected>3"
                           "</option></select></td><td><table><tr><td>$1.00</td><td>$0.90</td><td>$0.50</td>"
                           "<td>$0.25</td><td>$0.10</td></tr></table></td></tr><!--/kw--></table><!--/keywords-->"
                           "<table class=\"addkw\"></table><!-- last fields --><input name=\"termCount\" value=\"1\">"
                           "</form>");
        KeywordPage out;
        FieldCollection fields;
        KeywordCollection keywords;
        check(r.GetPageKeywordBids(form, kHere, true, out, fields, keywords));
        check(out.record->KeywordCount() == 1);
        if (expected.isEmpty()) {
            check(keywords.Count() == 0);
        } else {
            check(keywords.Count() == 1);
            const clsKeyword &k = *keywords.Item(1);
            check(k.Keyword() == expected);
            check(k.CurPos() == QLatin1String("3"));
            check(k.FirstBid() == QLatin1String("$1.00") && k.FifthBid() == QLatin1String("$0.10"));
            check(k.NewBid() == QLatin1String("0.25"));
        }
    }
    return 0;
}
