// The form scraper and the page cuts on a page from a web site.
// Properties: each cut is a trimmed piece of the page and consumes it,
// so a walk ends; a miss leaves the page whole; the login form's fields all
// have names and decoded values; decoding never grows a text and leaves a
// text without "&" alone.

#include "FuzzSupport.h"

#include "connect/clsConnect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    // The page, then after a 0xFF byte the start and end markers of the cut.
    const QList<QByteArray> parts = fuzz::Pieces(fuzz::Bytes(data, size), '\xFF', 3);
    const QString page = platform::FromAnsi(parts[0]);
    QString start = platform::FromAnsi(parts[1]);
    QString end = platform::FromAnsi(parts[2]);
    if (start.isEmpty())
        start = QStringLiteral("<td");
    if (end.isEmpty())
        end = QStringLiteral("</td>");

    // Walk every section.
    QString rest = page;
    int guard = 0;
    while (!rest.isEmpty()) {
        const QString before = rest;
        const QString section = clsConnect::FindSection(rest, start, end);
        if (section.isEmpty()) {
            FUZZ_CHECK(rest.size() < before.size() || rest == before);
            if (rest == before)
                break;
            continue;
        }
        FUZZ_CHECK(vb::Trim(section) == section);
        FUZZ_CHECK(before.contains(section));
        FUZZ_CHECK(rest.size() < before.size());
        FUZZ_CHECK(before.endsWith(rest));
        FUZZ_CHECK(++guard <= page.size() + 1);
    }

    clsConnect c;
    c.setLoginFormStart(QStringLiteral("<form"));
    c.setLoginFormEnd(QStringLiteral("</form>"));
    c.setActionStart(QStringLiteral("action="));
    c.setActionEnd(QStringLiteral(">"));
    c.setFieldStart(QStringLiteral("<input"));
    c.setFieldEnd(QStringLiteral(">"));
    c.setNameStart(QStringLiteral("name="));
    c.setValueStart(QStringLiteral("value="));
    QString action = QStringLiteral("unchanged");
    const FieldCollectionPtr fields = c.GetLoginFormFields(page, action);
    if (!fields) {
        FUZZ_CHECK(action == QStringLiteral("unchanged"));
    } else {
        for (const clsFieldPtr &f : *fields)
            FUZZ_CHECK(f && !f->sFieldName.isEmpty());
        clsConnect::CreatePostStringFromCollection(*fields);
        clsConnect::FormatURL(action, QStringLiteral("https://site.example/dir/page.asp?x=1"));
    }
    QString actionRest = page;
    const QString url = c.FindActionURL(actionRest);
    FUZZ_CHECK(page.endsWith(actionRest));
    c.FindhrefURL(page);

    const QString decoded = clsConnect::DecodeEntities(page);
    FUZZ_CHECK(decoded.size() <= page.size());
    if (!page.contains(QLatin1Char('&')))
        FUZZ_CHECK(decoded == page);
    return 0;
}
