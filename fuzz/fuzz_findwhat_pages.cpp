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

#include "PageReaderFuzz.h"

#include "connect/FindWhatPageReader.h"
#include "platform/VB.h"

#include <cstdint>
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

using Fixture = fuzz::PageReaderFixture<FindWhatMarkers, FindWhatPageReader>;

Fixture &reader() {
    static Fixture *r = new Fixture(markers(), "FindWhat");  // lives as long as the run
    return *r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QString page = platform::FromAnsi(fuzz::Bytes(data, size));
    FindWhatPageReader &r = *reader().reader;

    // A whole page: whatever it holds, what is read keeps its invariants.
    {
        KeywordPage out;
        FieldCollection fields;
        KeywordCollection keywords;
        const bool read = r.GetPageKeywordBids(page, kHere, true, out, fields, keywords);
        FUZZ_CHECK(fields.Count() == keywords.Count());
        FUZZ_CHECK(int(out.rows.size()) >= fields.Count());
        for (int i = 1; i <= keywords.Count(); ++i) {
            const clsKeyword &k = *keywords.Item(i);
            FUZZ_CHECK(!k.Keyword().isEmpty() && fuzz::OneLineTrimmed(k.Keyword()));
            FUZZ_CHECK(fuzz::OneLineTrimmed(k.CurPos()) && fuzz::OneLineTrimmed(k.FirstBid()) && fuzz::OneLineTrimmed(k.FifthBid()));
            FUZZ_CHECK(fields.Exists(k.Keyword()));
            FUZZ_CHECK(fields.Item(k.Keyword())->sBidValue == k.NewBid());
            FUZZ_CHECK(k.CurBid() == k.NewBid());
        }
        if (read) {
            FUZZ_CHECK(int(out.rows.size()) == out.record->KeywordCount());
            FUZZ_CHECK(out.firstField && !out.firstField->sFieldName.isEmpty());
            FUZZ_CHECK(!out.record->TermCount()->sFieldName.isEmpty());
            FUZZ_CHECK(out.record->PageURL() == kHere);
            fuzz::CheckPostString(FindWhatPageReader::PostString(out, out.firstField));
        }

        QStringList urls;
        if (r.GetEveryPageURLs(page, kHere, urls))
            FUZZ_CHECK(!urls.isEmpty() && urls.contains(kHere));
        else
            FUZZ_CHECK(urls.isEmpty());
        QStringList sites;
        if (!r.GetEveryWebSiteURLs(page, kHere, sites))
            FUZZ_CHECK(sites.isEmpty());
        for (const QString &site : sites)
            FUZZ_CHECK(!site.isEmpty());
        r.GetMaxKeywordPerPage(page);
        r.GetManageBidsURL(page);
    }

    // The input as a keyword cell of a well-formed row.
    {
        const QString text = fuzz::PlainCellText(page);
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
        FUZZ_CHECK(r.GetPageKeywordBids(form, kHere, true, out, fields, keywords));
        FUZZ_CHECK(out.record->KeywordCount() == 1);
        if (expected.isEmpty()) {
            FUZZ_CHECK(keywords.Count() == 0);
        } else {
            FUZZ_CHECK(keywords.Count() == 1);
            const clsKeyword &k = *keywords.Item(1);
            FUZZ_CHECK(k.Keyword() == expected);
            FUZZ_CHECK(k.CurPos() == QLatin1String("3"));
            FUZZ_CHECK(k.FirstBid() == QLatin1String("$1.00") && k.FifthBid() == QLatin1String("$0.10"));
            FUZZ_CHECK(k.NewBid() == QLatin1String("0.25"));
        }
    }
    return 0;
}
