// Overture page reading on arbitrary bytes. Besides never crashing:
//  - every keyword read is non-empty text of one line without outer blanks,
//    keyed once, with the bid input of its row as its new bid;
//  - the post string of the rows read is name=value pairs (nothing in a
//    name or value can split it);
//  - a keyword cell made from the input reads back as its text, with the
//    bid one cent under the position-1 amount.

#include "PageReaderFuzz.h"

#include "connect/OverturePageReader.h"
#include "platform/VB.h"

#include <memory>

namespace {

OvertureMarkers markers() {
    OvertureMarkers m;
    m.LoginFormStart = "<form name=\"login\"";
    m.LoginFormEnd = "</form>";
    m.ActionStart = "action=";
    m.ActionEnd = ">";
    m.FieldStart = "<input";
    m.FieldEnd = ">";
    m.NameStart = "name=";
    m.ValueStart = "value=";
    m.ImgMapSectionStart = "<area";
    m.ImgMapSectionEnd = ">";
    m.AltStart = "alt=\"";
    m.AltEnd = "\"";
    m.MngBids = "Manage Bids";
    m.MngBidsURLStart = "href=";
    m.MbFormStart = "<form name=\"bidForm\"";
    m.MbFormEnd = "</form>";
    m.RowStart = "<tr";
    m.RowEnd = "</tr>";
    m.ColumStart = "<td";
    m.ColumEnd = "</td>";
    m.DisplayMaxStart = "<div id=\"displayMax\">";
    m.DisplayMaxFormStart = "<form";
    m.DisplayMaxFormEnd = "</form>";
    m.SelectPageStart = "<div id=\"pager\">";
    m.SelectPageformstart = "<form";
    m.SelectPageformEnd = "</form>";
    m.SelectTagstart = "<select";
    m.SelectTagend = "</select>";
    m.OptionTagStart = "<option";
    m.OptionTagEnd = "</option>";
    m.SelectTagFieldName = "selectedPage";
    m.AccountIDFieldName = "accountId";
    m.AccountFormStart = "<form";
    m.AccountStart = "<div id=\"accounts\">";
    m.AccountFormEnd = "</form>";
    return m;
}

using Fixture = fuzz::PageReaderFixture<OvertureMarkers, OverturePageReader>;

Fixture &reader() {
    static Fixture *r = new Fixture(markers(), "Overture");  // lives as long as the run
    return *r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString page = platform::FromAnsi(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    OverturePageReader &r = *reader().reader;

    // A whole page: whatever it holds, what is read keeps its invariants.
    {
        BidPage bidPage;
        FieldCollection fields;
        KeywordCollection keywords;
        r.ReadBidPage(page, bidPage, fields, keywords, QString());
        FUZZ_CHECK(fields.Count() == keywords.Count());
        FUZZ_CHECK(int(bidPage.rows.size()) >= fields.Count());
        for (int i = 1; i <= keywords.Count(); ++i) {
            const clsKeyword &k = *keywords.Item(i);
            FUZZ_CHECK(!k.Keyword().isEmpty() && fuzz::OneLineTrimmed(k.Keyword()));
            FUZZ_CHECK(fuzz::OneLineTrimmed(k.CurPos()) && fuzz::OneLineTrimmed(k.CurBid()));
            FUZZ_CHECK(fields.Exists(k.Keyword()));
            FUZZ_CHECK(fields.Item(k.Keyword())->sBidValue == k.NewBid());
        }
        FieldCollection all;
        for (const clsFieldPtr &f : *bidPage.hidden)
            all.Add(f);
        for (const clsFieldPtr &f : bidPage.rows)
            all.Add(f);
        const QString post = clsConnect::CreatePostStringFromCollection(all);
        fuzz::CheckPostString(post);

        QString action, selected;
        int pages = -1;
        const FieldCollectionPtr select = r.GetComboFormField(page, action, pages, selected);
        FUZZ_CHECK(pages >= 0);
        if (select) {
            FUZZ_CHECK(select->Count() >= 1);
            FUZZ_CHECK(select->Item(1)->sFieldValue == QLatin1String("1"));
        }
        QString chosen;
        const QString ids = r.GetAllMergeAccountID(page, chosen);
        FUZZ_CHECK(!ids.startsWith(QLatin1Char(';')));
        if (!chosen.isEmpty())
            FUZZ_CHECK(ids.contains(chosen));
        r.GetManageBidsURL(page);
        r.GetDisplayMaxFormFields(page, action);
        r.GetMergeAccountFieldCol(page, action, QStringLiteral("1001"));
    }

    // The input as a keyword cell of a well-formed row.
    {
        const QString text = fuzz::PlainCellText(page);
        const QString expected = vb::Trim(text);
        const QString row = QStringLiteral("<form name=\"bidForm\" action=\"/u\"><table><tr><td>1</td><td>"
                                           "<input name=\"kw_1\" value=\"1\">") +
                            text +
                            QStringLiteral("</td><td>$0.25</td><td>3</td><td>$0.40</td><td>x</td><td>"
                                           "<input name=\"bid_1\" value=\"0.25\"></td></tr></table></form>");
        BidPage bidPage;
        FieldCollection fields;
        KeywordCollection keywords;
        FUZZ_CHECK(r.ReadBidPage(row, bidPage, fields, keywords, QString()));
        if (expected.isEmpty()) {
            FUZZ_CHECK(keywords.Count() == 0);
        } else {
            FUZZ_CHECK(keywords.Count() == 1);
            const clsKeyword &k = *keywords.Item(1);
            FUZZ_CHECK(k.Keyword() == expected);
            FUZZ_CHECK(k.FirstBid() == QLatin1String("$0.39"));
            FUZZ_CHECK(k.NewBid() == QLatin1String("0.25"));
        }
    }
    return 0;
}
