#include "connect/FindWhatPageReader.h"

#include "connect/clsConnect.h"
#include "core/modCommon.h"
#include "platform/VB.h"

#include <exception>

namespace {

// Log labels and records.
const char *const kPageLabel = "frmConnectFindwhat_GetPageKeywordBids error:  ";
const char *const kNoFormLog = "frmConnectFindWhat_GetPageKeywordBids error: m_sKeywordFormStart or m_sKeywordFormEnd.";
const char *const kNoActionLog = "frmConnectFindWhat_GetPageKeywordBids error: ActionURL";
const char *const kNoFirstFieldLog = "frmConnectFindWhat_GetPageKeywordBids error: Firstpage HiddenField not found.";
const char *const kNoKeywordTableLog =
    "frmConnectFindWhat_GetPageKeywordBids error: Keyword table start and end not found.";
const char *const kNoAdditionLog =
    "frmConnectFindWhat_GetPageKeywordBids error: addition 5 Keyword table start and end not found.";
const char *const kNoLastFieldLog =
    "frmConnectFindWhat_GetPageKeywordBids error: hidden field in the end of page do not found.";
const char *const kRowLabel = "frmConnectFindWhat_RetrieveKeywordAndField error: ";
const char *const kPageURLsLabel = "frmConnectFindwhat_GetEveryPageURLs error: ";
const char *const kPerPageLabel = "frmConnecFindWhat_GetMaxKeywordPerPage error:  ";
const char *const kWebSitesLabel = "frmConnectFindWhat_GetEveryWebSiteURLs error: ";
const char *const kManageLabel = "frmConnectFindwhat_GetManageBidsURL: ";
const char *const kLinkNotClosed = "a page link is not closed.";
const char *const kNoWebSiteTable = "no web-site table.";
const char *const kRowNotClosed = "a row of the web-site table is not closed.";

// Site texts.
const char *const kLinkStart = "<a";
const char *const kLinkEnd = "</a>";
const char *const kSelected = "selected";

constexpr int kTopBids = 5;

bool containsCaseless(QStringView text, const QString &what) {
    return text.contains(QStringView(what), Qt::CaseInsensitive);
}

// The same for a lower-case ASCII word, without the general search's set-up
// on plain ASCII text (other text takes the general search).
bool containsCaseless(QStringView text, QLatin1String word) {
    const qsizetype m = word.size();
    const qsizetype n = text.size();
    for (qsizetype p = 0; p + m <= n; ++p) {
        qsizetype i = 0;
        for (; i < m; ++i) {
            const char16_t c = text[p + i].unicode();
            if (char16_t((c >= 'A' && c <= 'Z') ? c | 0x20 : c) != char16_t(uchar(word.data()[i])))
                break;
        }
        if (i == m)
            return true;
    }
    // Letters outside ASCII may fold into the word's.
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return text.contains(word, Qt::CaseInsensitive);
    return false;
}

// A cut link holding the start of another one lost its end: the cut
// swallowed the next link.
bool holdsAnotherLink(QStringView link) {
    for (qsizetype p = link.indexOf(QLatin1String(kLinkStart), 1, Qt::CaseInsensitive); p >= 0;
         p = link.indexOf(QLatin1String(kLinkStart), p + 1, Qt::CaseInsensitive)) {
        const qsizetype next = p + 2;
        if (next >= link.size())
            return true;
        const QChar c = link.at(next);
        if (c == QLatin1Char(' ') || c == QLatin1Char('>') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

}  // namespace

// ---- markers -----------------------------------------------------------------------------

void FindWhatMarkers::Read(const QString &file, const QString &engine) {
    auto read = [&](const char *key) { return ReadIniString(file, engine, QString::fromLatin1(key)); };
    ReadLoginMarkers(file, engine);
    TabTableStart = read("TabTableStart");
    TableEnd = read("TableEnd");
    ColumStart = read("ColumStart");
    ColumEnd = read("ColumEnd");
    WebSiteProfileTableStart = read("WebSiteProfileTableStart");
    WebSiteProfileTableEnd = read("WebSiteProfileTableEnd");
    RowStart = read("RowStart");
    RowEnd = read("RowEnd");
    KeywordPerPageStart = read("KeywordPerPageStart");
    KeywordPerPageEnd = read("KeywordPerPageEnd");
    const QString displayMax = read("DisplayMaxNum");
    // "True" is a number to CInt, not a page size.
    if (!vb::IsNumeric(displayMax))
        vb::Raise(vb::errTypeMismatch);
    DisplayMaxNum = vb::CInt(displayMax);
    PageTableStart = read("PageTableStart");
    KeywordFormStart = read("KeywordFormStart");
    KeywordFormEnd = read("KeywordFormEnd");
    KeywordBidTableStart = read("KeywordBidTableStart");
    KeywordBidTableEnd = read("KeywordBidTableEnd");
    KeywordBidRowEnd = read("KeywordBidRowEnd");
    OptionTagStart = read("OptionTagStart");
    OptionTagEnd = read("OptionTagEnd");
    AdditionKeywordStart = read("AdditionKeywordStart");
    AdditionKeywordEnd = read("AdditionKeywordEnd");
    LastFieldsStart = read("LastFieldsStart");
}

// ---- reader ------------------------------------------------------------------------------

FindWhatPageReader::FindWhatPageReader(clsConnect &scraper, const FindWhatMarkers &markers)
    : m_scraper(scraper), m_markers(markers) {}

bool FindWhatPageReader::nextInput(QStringView &text, QString &name, QString &value) const {
    const QStringView section = clsConnect::FindSection(text, m_markers.FieldStart, m_markers.FieldEnd);
    if (section.isEmpty())
        return false;
    name = m_scraper.FindName(section);
    value = m_scraper.FindValue(section);
    return true;
}

clsFieldPtr FindWhatPageReader::nextInput(QStringView &text) const {
    auto field = std::make_shared<clsField>();
    return nextInput(text, field->sFieldName, field->sFieldValue) ? field : nullptr;
}

QString FindWhatPageReader::GetManageBidsURL(const QString &page) const {
    try {
        QStringView rest(page);
        QStringView tabs = clsConnect::FindSection(rest, m_markers.TabTableStart, m_markers.TableEnd);
        if (tabs.isEmpty())
            return QString();
        clsConnect::FindSection(tabs, m_markers.ColumStart, m_markers.ColumEnd);
        const QStringView second = clsConnect::FindSection(tabs, m_markers.ColumStart, m_markers.ColumEnd);
        return m_scraper.FindhrefURL(second.toString());
    } catch (const std::exception &e) {
        WriteErrorLog(kManageLabel, e);
        return QString();
    }
}

bool FindWhatPageReader::GetEveryWebSiteURLs(const QString &page, const QString &currentURL,
                                             QStringList &urls) const {
    urls.clear();
    try {
        QStringView rest(page);
        QStringView table =
            clsConnect::FindSection(rest, m_markers.WebSiteProfileTableStart, m_markers.WebSiteProfileTableEnd);
        if (table.isEmpty()) {
            // A refused login or an ended session: the account's web sites are unknown.
            WriteErrorLog(QString::fromLatin1(kWebSitesLabel) + QString::fromLatin1(kNoWebSiteTable));
            return false;
        }
        clsConnect::FindSection(table, m_markers.RowStart, m_markers.RowEnd);  // the heading row
        while (!table.isEmpty() && containsCaseless(table, m_markers.RowStart)) {
            QStringView row = clsConnect::FindSection(table, m_markers.RowStart, m_markers.RowEnd);
            if (row.isEmpty()) {
                WriteErrorLog(QString::fromLatin1(kWebSitesLabel) + QString::fromLatin1(kRowNotClosed));
                urls.clear();
                return false;
            }
            clsConnect::FindSection(row, m_markers.ColumStart, m_markers.ColumEnd);
            clsConnect::FindSection(row, m_markers.ColumStart, m_markers.ColumEnd);
            const QStringView third = clsConnect::FindSection(row, m_markers.ColumStart, m_markers.ColumEnd);
            if (third.isEmpty())
                continue;
            const QString url = clsConnect::FormatURL(m_scraper.FindhrefURL(third.toString()), currentURL);
            if (!url.isEmpty())
                urls.append(url);
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kWebSitesLabel, e);
        urls.clear();
        return false;
    }
}

QString FindWhatPageReader::GetMaxKeywordPerPage(const QString &page) const {
    try {
        const QString linkStart = QString::fromLatin1(kLinkStart);
        const QString linkEnd = QString::fromLatin1(kLinkEnd);
        const QString choice = QLatin1Char('[') + QString::number(m_markers.DisplayMaxNum) + QLatin1Char(']');
        QStringView rest(page);
        QStringView section =
            clsConnect::FindSection(rest, m_markers.KeywordPerPageStart, m_markers.KeywordPerPageEnd);
        while (!section.isEmpty() && containsCaseless(section, linkStart)) {
            // A link that can't be cut ends the search: the page stays as it is.
            const QStringView link = clsConnect::FindSection(section, linkStart, linkEnd);
            if (link.isEmpty())
                break;
            if (containsCaseless(link, choice))
                return m_scraper.FindhrefURL(link.toString());
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kPerPageLabel, e);
    }
    return QString();
}

bool FindWhatPageReader::GetEveryPageURLs(const QString &page, const QString &currentURL, QStringList &urls) const {
    urls.clear();
    try {
        const QString linkStart = QString::fromLatin1(kLinkStart);
        const QString linkEnd = QString::fromLatin1(kLinkEnd);
        QStringView rest(page);
        QStringView table = clsConnect::FindSection(rest, m_markers.PageTableStart, m_markers.TableEnd);
        while (!table.isEmpty() && containsCaseless(table, linkStart)) {
            const QStringView link = clsConnect::FindSection(table, linkStart, linkEnd);
            if (link.isEmpty() || holdsAnotherLink(link)) {
                // The rest of the pages can't be known.
                WriteErrorLog(QString::fromLatin1(kPageURLsLabel) + QString::fromLatin1(kLinkNotClosed));
                urls.clear();
                return false;
            }
            const QString linkText = link.toString() + linkEnd;
            const QString text = vb::Trim(RemoveLineBreaks(StripHTML(linkText)));
            if (!vb::IsNumeric(text))
                continue;  // "Next", "Previous"
            const double number = vb::CDbl(text);
            const QString url = clsConnect::FormatURL(m_scraper.FindhrefURL(linkText), currentURL);
            const int count = int(urls.size());
            if (number == count + 1) {
                urls.append(url);
            } else if (number == count + 2) {
                // The page in hand has no link of its own.
                urls.append(currentURL);
                urls.append(url);
            }
        }
        // A single page, or the page in hand after the last link.
        if (!urls.contains(currentURL))
            urls.append(currentURL);
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kPageURLsLabel, e);
        urls.clear();
        return false;
    }
}

bool FindWhatPageReader::GetPageKeywordBids(const QString &page, const QString &currentURL, bool firstPage,
                                            KeywordPage &out, FieldCollection &keywordFields,
                                            KeywordCollection &keywords) const {
    try {
        QStringView rest(page);
        const QStringView formCut = clsConnect::FindSection(rest, m_markers.KeywordFormStart, m_markers.KeywordFormEnd);
        if (formCut.isEmpty()) {
            WriteErrorLog(QString::fromLatin1(kNoFormLog));
            return false;
        }
        QStringView form = formCut;
        const QString action = m_scraper.FindActionURL(form);
        if (action.isEmpty()) {
            WriteErrorLog(QString::fromLatin1(kNoActionLog));
            return false;
        }
        out.record->setPostURL(clsConnect::FormatURL(action, currentURL));
        out.record->setPageURL(currentURL);

        // The form's first input goes back with the page; the first page
        // read must have one.
        QStringView beforeTable = form;
        out.firstField = nextInput(beforeTable);
        if (firstPage) {
            if (!out.firstField) {
                WriteErrorLog(QString::fromLatin1(kNoFirstFieldLog));
                return false;
            }
            if (out.firstField->sFieldName.isEmpty())
                return false;
        } else if (out.firstField && out.firstField->sFieldName.isEmpty()) {
            out.firstField.reset();
        }

        QStringView table =
            clsConnect::FindSection(form, m_markers.KeywordBidTableStart, m_markers.KeywordBidTableEnd);
        if (table.isEmpty()) {
            WriteErrorLog(QString::fromLatin1(kNoKeywordTableLog));
            return false;
        }
        clsConnect::FindSection(table, m_markers.RowStart, m_markers.RowEnd);  // the heading row
        int count = 0;
        while (!table.isEmpty() && table.contains(QStringView(m_markers.RowStart))) {
            const QStringView row = clsConnect::FindSection(table, m_markers.RowStart, m_markers.KeywordBidRowEnd);
            if (row.isEmpty())
                break;
            RetrieveKeywordAndField(row, out, keywordFields, keywords);
            ++count;
        }

        QStringView additional =
            clsConnect::FindSection(form, m_markers.AdditionKeywordStart, m_markers.AdditionKeywordEnd);
        if (additional.isEmpty()) {
            WriteErrorLog(QString::fromLatin1(kNoAdditionLog));
            return false;
        }
        while (!additional.isEmpty() && containsCaseless(additional, m_markers.RowStart) &&
               containsCaseless(additional, m_markers.RowEnd)) {
            QStringView row = clsConnect::FindSection(additional, m_markers.RowStart, m_markers.RowEnd);
            if (row.isEmpty())
                break;
            const clsFieldPtr field = nextInput(row);
            if (!field)
                continue;
            nextInput(row, field->sBidName, field->sBidValue);
            out.additional.push_back(field);
        }

        const int last = int(form.indexOf(QStringView(m_markers.LastFieldsStart), 0, Qt::CaseInsensitive));
        if (last < 0) {
            WriteErrorLog(QString::fromLatin1(kNoLastFieldLog));
            return false;
        }
        QStringView tail = form.mid(last);
        const clsFieldPtr termCount = nextInput(tail);
        if (!termCount || termCount->sFieldName.isEmpty())
            return false;
        out.record->setTermCount(termCount);
        out.record->setKeywordCount(count);
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kPageLabel, e);
        return false;
    }
}

void FindWhatPageReader::RetrieveKeywordAndField(QStringView row, KeywordPage &page, FieldCollection &keywordFields,
                                                 KeywordCollection &keywords) const {
    try {
        const QString &colStart = m_markers.ColumStart;
        const QString &colEnd = m_markers.ColumEnd;
        QStringView first = clsConnect::FindSection(row, colStart, colEnd);
        const QString keywordText = clsConnect::CellValue(first, colEnd);

        auto field = std::make_shared<clsField>();
        if (nextInput(first, field->sFieldName, field->sFieldValue))
            nextInput(first, field->sFieldname2, field->sFieldValue2);
        QStringView bidCell = clsConnect::FindSection(row, colStart, colEnd);
        if (nextInput(bidCell, field->sBidName, field->sBidValue))
            nextInput(bidCell, field->sBidName2, field->sBidValue2);
        // The row goes back with its page whatever happens to its keyword.
        page.rows.push_back(field);

        QStringView positionCell = clsConnect::FindSection(row, colStart, colEnd);
        QString position;
        // The cut fails when no option start is left, or no complete option.
        for (;;) {
            const QStringView option =
                clsConnect::FindSection(positionCell, m_markers.OptionTagStart, m_markers.OptionTagEnd);
            if (option.isEmpty())
                break;
            if (containsCaseless(option, QLatin1String(kSelected))) {
                position = clsConnect::CellValue(option, m_markers.OptionTagEnd);
                break;
            }
        }

        // The first row of the top-5 table: the bids of positions 1 to 5.
        QStringView topRow = clsConnect::FindSection(row, colStart, m_markers.RowEnd);
        QString top[kTopBids];
        for (QString &bid : top)
            bid = clsConnect::CellValue(clsConnect::FindSection(topRow, colStart, colEnd), colEnd);

        if (keywordText.isEmpty())
            return;  // nothing to key the row by
        if (keywordFields.Exists(keywordText)) {
            // On another page or web site too: the first row stands for it.
            WriteErrorLog(QString::fromLatin1(kRowLabel) + vb::ErrorText(vb::errDuplicateKey));
            return;
        }
        auto keyword = std::make_shared<clsKeyword>();
        keyword->setKeyword(keywordText);
        keyword->setCurBid(field->sBidValue);
        keyword->setCurPos(position);
        keyword->setFirstBid(top[0]);
        keyword->setSecondBid(top[1]);
        keyword->setThirdBid(top[2]);
        keyword->setFourthBid(top[3]);
        keyword->setFifthBid(top[4]);
        keyword->setNewBid(field->sBidValue);
        m_scraper.AddKeywordValues(keyword, keywords, m_sEngine);
        keywordFields.Add(field, keywordText);
    } catch (const std::exception &e) {
        WriteErrorLog(kRowLabel, e);
    }
}

QString FindWhatPageReader::PostString(const KeywordPage &page, const clsFieldPtr &firstField) {
    FieldCollection fields;
    fields.Reserve(int(page.rows.size() + page.additional.size()) + 2);
    for (const clsFieldPtr &f : page.rows)
        fields.Add(f);
    for (const clsFieldPtr &f : page.additional)
        fields.Add(f);
    const clsFieldPtr &first = page.firstField ? page.firstField : firstField;
    if (first)
        fields.Add(first);
    fields.Add(page.record->TermCount());
    return clsConnect::CreatePostStringFromCollection(fields);
}
