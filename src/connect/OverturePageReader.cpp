#include "connect/OverturePageReader.h"

#include "connect/clsConnect.h"
#include "core/modCommon.h"
#include "platform/VB.h"

#include <exception>

namespace {

const char *const kComboLabel = "frmConnectOverture_GetComboFormField error: ";
const char *const kComboMissingLog = "frmConnectOverTure_GetComboFormField error: m_sSelectPageStart not find.";
const char *const kDisplayMaxLabel = "frmConnectOverture_GetDisplayMaxFormFields Error:  ";
const char *const kManageBidsLabel = "frmConnectOverture_GetManageBidsURL: ";
const char *const kReadRowLabel = "frmConnectOverture_ReadRow error:  ";
const char *const kMergeIDLabel = "frmConnectOverture_GetAllMergeAccountID error: ";
const char *const kMergeFieldsLabel = "frmConnectOverture_GetMergeAccountFieldCol error: ";
const char *const kMergeFormLabel = "frmConnectOverture_GetMergeAccountForm error: ";
const char *const kMergeFormMissingLog = "frmConnectOverTure_GetMergeAccountForm error: sAccountStart not find.";
const char *const kKeywordRowLabel = "frmConnectOverTure_GetKeywordAndFieldFromRow error: ";
const char *const kKeywordRowKey = "sKeyword=";
const char *const kNoBidForm = "MbFormStart or MbFormEnd not find.";
const char *const kSelected = "selected";
const char *const kPositionOne = "1";
const char *const kDollar = "$";

// The common row number, without the general number reading.
bool isDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool isBlankText(QStringView text) {
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            return false;
    return true;
}

// The text from `start` on, or "" when the marker is missing.
QString fromMarker(const QString &page, const QString &marker, bool *found) {
    const int p = int(page.indexOf(marker));
    *found = p >= 0;
    return p < 0 ? QString() : page.mid(p);
}

}  // namespace

const char *const OverturePageReader::kEngineUK = "Overture(UK)";

// ---- markers -----------------------------------------------------------------------------

void OvertureMarkers::Read(const QString &file, const QString &engine) {
    auto read = [&](const char *key) { return ReadIniString(file, engine, QString::fromLatin1(key)); };
    ReadLoginMarkers(file, engine);
    ImgMapSectionStart = read("ImgMapSectionStart");
    ImgMapSectionEnd = read("ImgMapSectionEnd");
    AltStart = read("AltStart");
    AltEnd = read("AltEnd");
    MngBids = read("MngBids");
    MngBidsURLStart = read("MngBidsURLStart");
    MbFormStart = read("MbFormStart");
    MbFormEnd = read("MbFormEnd");
    RowStart = read("RowStart");
    RowEnd = read("RowEnd");
    ColumStart = read("ColumStart");
    ColumEnd = read("ColumEnd");
    DisplayMaxStart = read("DisplayMaxStart");
    DisplayMaxFormStart = read("DisplayMaxFormStart");
    DisplayMaxFormEnd = read("DisplayMaxFormEnd");
    DisplayMaxInputName = read("DisplayMaxInputName");
    DisplayMaxNum = read("DisplayMaxNum");
    SelectPageStart = read("SelectPageStart");
    SelectPageformstart = read("SelectPageformstart");
    SelectPageformEnd = read("SelectPageformEnd");
    SelectTagstart = read("SelectTagstart");
    SelectTagend = read("SelectTagend");
    OptionTagStart = read("OptionTagStart");
    OptionTagEnd = read("OptionTagEnd");
    SelectTagFieldName = read("SelectTagFieldName");
    AccountIDFieldName = read("AccountIDFieldName");
}

void OvertureMarkers::ReadAccountForm(const QString &file, const QString &engine) {
    AccountFormStart = ReadIniString(file, engine, QStringLiteral("AccountFormStart"));
    AccountStart = ReadIniString(file, engine, QStringLiteral("AccountStart"));
    AccountFormEnd = ReadIniString(file, engine, QStringLiteral("AccountFormEnd"));
}

// ---- reader ------------------------------------------------------------------------------

OverturePageReader::OverturePageReader(clsConnect &scraper, const OvertureMarkers &markers)
    : m_scraper(scraper), m_markers(markers) {}

FieldCollectionPtr OverturePageReader::inputsOf(QStringView text, bool keepUnnamed) const {
    auto fields = std::make_shared<FieldCollection>();
    for (;;) {
        const QStringView section = clsConnect::FindSection(text, m_markers.FieldStart, m_markers.FieldEnd);
        if (section.isEmpty())
            break;
        const QString name = m_scraper.FindName(section);
        if (name.isEmpty() && !keepUnnamed)
            break;
        auto field = std::make_shared<clsField>();
        field->sFieldName = name;
        field->sFieldValue = m_scraper.FindValue(section);
        fields->Add(field);
    }
    return fields;
}

QString OverturePageReader::GetMergeAccountForm(const QString &page) const {
    try {
        bool found = false;
        QString rest = fromMarker(page, m_markers.AccountStart, &found);
        if (!found) {
            WriteErrorLog(QString::fromLatin1(kMergeFormMissingLog));
            return QString();
        }
        return clsConnect::FindSection(rest, m_markers.AccountFormStart, m_markers.AccountFormEnd);
    } catch (const std::exception &e) {
        WriteErrorLog(kMergeFormLabel, e);
        return QString();
    }
}

QString OverturePageReader::GetAllMergeAccountID(const QString &page, QString &selected) const {
    QString ids;
    try {
        QString form = GetMergeAccountForm(page);
        QString list = clsConnect::FindSection(form, m_markers.SelectTagstart, m_markers.SelectTagend);
        for (;;) {
            const QString option = clsConnect::FindSection(list, m_markers.OptionTagStart, QStringLiteral(">"));
            if (option.isEmpty())
                break;
            const QString value = m_scraper.FindValue(option);
            if (!value.isEmpty())
                ids += QLatin1Char(';') + value;
            if (option.contains(QLatin1String(kSelected), Qt::CaseInsensitive))
                selected = value;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kMergeIDLabel, e);
    }
    if (ids.startsWith(QLatin1Char(';')))
        ids.remove(0, 1);
    return ids;
}

FieldCollectionPtr OverturePageReader::GetMergeAccountFieldCol(const QString &page, QString &actionURL,
                                                               const QString &accountID) const {
    try {
        const QString whole = GetMergeAccountForm(page);
        QString form = whole;
        actionURL = m_scraper.FindActionURL(form);
        QString copy = whole;
        if (clsConnect::FindSection(copy, m_markers.SelectTagstart, m_markers.SelectTagend).isEmpty())
            return nullptr;
        auto fields = std::make_shared<FieldCollection>();
        auto idField = std::make_shared<clsField>();
        idField->sFieldName = m_markers.AccountIDFieldName;
        idField->sFieldValue = accountID;
        fields->Add(idField);
        const FieldCollectionPtr inputs = inputsOf(whole, false);
        for (const clsFieldPtr &f : *inputs)
            fields->Add(f);
        return fields;
    } catch (const std::exception &e) {
        WriteErrorLog(kMergeFieldsLabel, e);
        return nullptr;
    }
}

QString OverturePageReader::GetManageBidsURL(const QString &page) const {
    try {
        QString rest = page;
        for (;;) {
            const QString section =
                clsConnect::FindSection(rest, m_markers.ImgMapSectionStart, m_markers.ImgMapSectionEnd);
            if (section.isEmpty())
                break;
            const int a = int(section.indexOf(m_markers.AltStart));
            if (a < 0)
                continue;
            const int from = a + int(m_markers.AltStart.size());
            const int b = int(section.indexOf(m_markers.AltEnd, from));
            if (b < 0 || section.mid(from, b - from) != m_markers.MngBids)
                continue;
            if (!section.contains(m_markers.MngBidsURLStart))
                continue;
            return m_scraper.FindAfterMarker(section, m_markers.MngBidsURLStart);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kManageBidsLabel, e);
    }
    return QString();
}

FieldCollectionPtr OverturePageReader::GetDisplayMaxFormFields(const QString &page, QString &actionURL) const {
    try {
        bool found = false;
        QString rest = fromMarker(page, m_markers.DisplayMaxStart, &found);
        if (!found)
            return nullptr;
        QString form = clsConnect::FindSection(rest, m_markers.DisplayMaxFormStart, m_markers.DisplayMaxFormEnd);
        if (form.isEmpty())
            return nullptr;
        const QString action = m_scraper.FindActionURL(form);
        if (action.isEmpty())
            return nullptr;
        actionURL = action;
        return inputsOf(form, false);
    } catch (const std::exception &e) {
        WriteErrorLog(kDisplayMaxLabel, e);
        return nullptr;
    }
}

FieldCollectionPtr OverturePageReader::GetComboFormField(const QString &page, QString &actionURL, int &pageCount,
                                                         QString &selected) const {
    try {
        pageCount = 0;
        bool found = false;
        QString rest = fromMarker(page, m_markers.SelectPageStart, &found);
        if (!found) {
            WriteErrorLog(QString::fromLatin1(kComboMissingLog));
            return nullptr;
        }
        QString form = clsConnect::FindSection(rest, m_markers.SelectPageformstart, m_markers.SelectPageformEnd);
        if (form.isEmpty())
            return nullptr;
        const QString formCopy = form;
        actionURL = m_scraper.FindActionURL(form);
        QString list = clsConnect::FindSection(form, m_markers.SelectTagstart, m_markers.SelectTagend);
        if (list.isEmpty())
            return nullptr;
        const QString tag = clsConnect::FindSection(list, m_markers.SelectTagstart, QStringLiteral(">"));
        const QString listName = m_scraper.FindName(tag);
        for (;;) {
            const QString option = clsConnect::FindSection(list, m_markers.OptionTagStart, m_markers.OptionTagEnd);
            if (option.isEmpty())
                break;
            ++pageCount;
            if (option.contains(QLatin1String(kSelected), Qt::CaseInsensitive))
                selected = vb::Trim(RemoveLineBreaks(StripHTML(option + m_markers.OptionTagEnd)));
        }
        auto fields = std::make_shared<FieldCollection>();
        auto listField = std::make_shared<clsField>();
        listField->sFieldName = listName;
        listField->sFieldValue = QStringLiteral("1");
        fields->Add(listField);
        const FieldCollectionPtr inputs = inputsOf(formCopy, false);
        for (const clsFieldPtr &f : *inputs)
            fields->Add(f);
        return fields;
    } catch (const std::exception &e) {
        WriteErrorLog(kComboLabel, e);
        return nullptr;
    }
}

bool OverturePageReader::ReadBidPage(const QString &page, BidPage &bidPage, FieldCollection &keywordFields,
                                     KeywordCollection &keywords, const QString &logLabel) const {
    try {
        QString form = page;
        form = clsConnect::FindSection(form, m_markers.MbFormStart, m_markers.MbFormEnd);
        if (form.isEmpty()) {
            WriteErrorLog(logLabel + QString::fromLatin1(kNoBidForm));
            return false;
        }
        bidPage.actionURL = m_scraper.FindActionURL(form);
        // The form's own inputs stand before its first row.
        const int firstRow = int(form.indexOf(m_markers.RowStart));
        bidPage.hidden = inputsOf(vb::Trim(firstRow < 0 ? form : form.left(firstRow)), false);
        QStringView rest(form);
        for (;;) {
            const QStringView row = clsConnect::FindSection(rest, m_markers.RowStart, m_markers.RowEnd);
            if (row.isEmpty())
                break;
            ReadRow(row, bidPage, keywordFields, keywords);
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(logLabel + vb::Describe(e));
        return false;
    }
}

void OverturePageReader::ReadRow(QStringView row, BidPage &bidPage, FieldCollection &keywordFields,
                                 KeywordCollection &keywords) const {
    try {
        QStringView rest = row;
        const QStringView first = clsConnect::FindSection(rest, m_markers.ColumStart, m_markers.ColumEnd);
        if (first.isEmpty())
            return;  // a heading row
        const QString text = clsConnect::CellText(first, m_markers.ColumEnd);
        if (isDigits(text) || vb::IsNumeric(text)) {
            GetKeywordAndFieldFromRow(rest, bidPage, keywordFields, keywords);
        } else if (isBlankText(text)) {
            const FieldCollectionPtr inputs = inputsOf(row, true);
            for (const clsFieldPtr &f : *inputs)
                bidPage.hidden->Add(f);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kReadRowLabel, e);
    }
}

void OverturePageReader::GetKeywordAndFieldFromRow(QStringView rest, BidPage &bidPage, FieldCollection &keywordFields,
                                                   KeywordCollection &keywords) const {
    const QString &colStart = m_markers.ColumStart;
    const QString &colEnd = m_markers.ColumEnd;
    QStringView cell2 = clsConnect::FindSection(rest, colStart, colEnd);
    const QString keywordText = clsConnect::CellValue(cell2, colEnd);
    if (keywordText.isEmpty())
        return;
    auto field = std::make_shared<clsField>();
    const QStringView keywordInput = clsConnect::FindSection(cell2, m_markers.FieldStart, m_markers.FieldEnd);
    field->sFieldName = m_scraper.FindName(keywordInput);
    field->sFieldValue = m_scraper.FindValue(keywordInput);

    const QString curBid = clsConnect::CellValue(clsConnect::FindSection(rest, colStart, colEnd), colEnd);
    const QString position = clsConnect::CellValue(clsConnect::FindSection(rest, colStart, colEnd), colEnd);
    const QString amount = clsConnect::CellValue(clsConnect::FindSection(rest, colStart, colEnd), colEnd);
    clsConnect::FindSection(rest, colStart, colEnd);  // cell 6 is not read
    QStringView cell7 = clsConnect::FindSection(rest, colStart, colEnd);
    const QStringView bidInput = clsConnect::FindSection(cell7, m_markers.FieldStart, m_markers.FieldEnd);
    field->sBidName = m_scraper.FindName(bidInput);
    field->sBidValue = m_scraper.FindValue(bidInput);
    bidPage.rows.push_back(field);

    if (keywordFields.Exists(keywordText)) {
        // Listed twice: the first row stands for the keyword; this one goes
        // back with its page unchanged.
        WriteErrorLog(QString::fromLatin1(kKeywordRowLabel) + vb::ErrorText(vb::errDuplicateKey) +
                      QString::fromLatin1(kKeywordRowKey) + keywordText);
        return;
    }
    auto keyword = std::make_shared<clsKeyword>();
    keyword->setKeyword(keywordText);
    keyword->setCurBid(curBid);
    keyword->setCurPos(position);
    keyword->setFirstBid(FirstBid(amount, curBid, position, m_bPound));
    keyword->setNewBid(field->sBidValue);
    m_scraper.AddKeywordValues(keyword, keywords, m_sEngine);
    keywordFields.Add(field, keywordText);
}

QString OverturePageReader::FirstBid(const QString &amount, const QString &curBid, const QString &position,
                                     bool pound) {
    // The shared money reading: pound signs dropped, then the amount parsed.
    static const QString kPound = PoundSign();
    QString digits = amount;
    if (digits.contains(kPound))
        digits.remove(kPound);
    vb::Currency value;
    if (vb::ParseAmount(digits, &value)) {
        const vb::Currency under = value - vb::Currency::fromScaled(100);  // one cent
        QString text = vb::Format00(under);
        const bool negative = text.startsWith(QLatin1Char('-'));
        text.insert(negative ? 1 : 0, pound ? kPound : QString::fromLatin1(kDollar));
        return text;
    }
    if (position == QLatin1String(kPositionOne))
        return curBid;
    return amount;
}
