#include "core/clsKeywords.h"

#include <QHash>

#include "core/clsAccount.h"
#include "core/KeywordListModel.h"
#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/AnsiBuffer.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QVarLengthArray>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <sys/stat.h>

namespace {
const char kKeyPrefix[] = "Key";
const char kKeywordsFileName[] = "Keywords.dat";
const char kAccountsFolder[] = "Accounts";
const char kResultsFolder[] = "Results";
const char kResultsExt[] = ".dat";
const char kCrLf[] = "\r\n";
const char kFieldSep = ';';
const char kResultSep[] = ";#";
const char kNoPrice[] = "$0.00";
const char kNoPriceAfterPound[] = "0.00";

const char kLoadLabel[] = "clsKeywords_loadKeywords: ";
const char kSaveLabel[] = "clsKeywords_SaveKeywords";
const char kPopulateLabel[] = "clsKeywords_PopuLateKeywords error:  ";
const char kMergeLabel[] = "clsKeywords_UpdateKeyworsToURL error: ";
const char kEmailLabel[] = "clsKeywords_EmailMsg error:  ";
const char kAddLabel[] = "clsKeywords_Add: keyword refused, it holds \";\" or a line break: ";
const char kAddUnstorableLabel[] = "clsKeywords_Add: keyword refused, it holds a character the keyword file cannot store: ";
const char kSaveSkipLabel[] = "clsKeywords_SaveKeywords: keyword left out, it holds \";\" or a line break: ";
const char kNoObject[] = "Object variable or With block variable not set";
const char kNotRead[] = "could not be read";
const char kNotOverwritten[] = "could not be read when it was loaded; it is not overwritten";
const char kCutLine[] = "the last line has no line end; the file was cut short";
const char kLongLine[] = "a line too long to be a keyword (a field over 1000 characters) was skipped";
const char kKeptCopy[] = "the damaged file's bytes are kept as ";
const char kAddLongLabel[] = "clsKeywords_Add: keyword refused, it is over 1000 characters long";
const char kSaveLongLabel[] = "clsKeywords_SaveKeywords: keyword left out, a field is over 1000 characters long: ";
// No keyword is that long: a longer field is damage (and would freeze the list).
constexpr qsizetype kMaxFieldLength = 1000;

// Report text.
const char kTimeLine[] = "Time:  ";
const char kAccountLine[] = "Account Name:  ";
const char kEngineLine[] = "Engine Name:  ";
const char kURLsLine[] = "URLs:";
const char kEmptyCount[] = "-";
constexpr int kRuleWidth = 118;
struct Column {
    const char *title;
    int width;
};
const Column kColumns[] = {{"#", 5},       {"Keywords", 30}, {"Counts", 9},   {"Cur_Bid", 15},
                           {"Next_Bid", 9}, {"1st_Bid", 9},  {"2nd_Bid", 9},  {"3rd_Bid", 9},
                           {"CurPos", 10},  {"Status", 12}};

QString L(const char *s) { return QString::fromLatin1(s); }



constexpr int kReportColumns = 10;

// One report row: each value padded with blanks to its column, a longer one
// whole and two blanks, then the line end. A large account has tens of
// thousands of rows: each is sized first and written in one step.
void appendRow(QString &out, const QStringView (&cells)[kReportColumns]) {
    auto padding = [](qsizetype length, int width) { return length > width ? 2 : width - length; };
    qsizetype length = 2;
    for (int c = 0; c < kReportColumns; ++c)
        length += cells[c].size() + padding(cells[c].size(), kColumns[c].width);
    const qsizetype at = out.size();
    out.resize(at + length);
    QChar *d = out.data() + at;
    for (int c = 0; c < kReportColumns; ++c) {
        const qsizetype n = cells[c].size();
        std::copy_n(cells[c].data(), n, d);
        d = std::fill_n(d + n, padding(n, kColumns[c].width), QLatin1Char(' '));
    }
    d[0] = QLatin1Char('\r');
    d[1] = QLatin1Char('\n');
}

bool holdsLineBreakOrSeparator(const QString &text) {
    for (QChar c : text)
        if (c == QLatin1Char(kFieldSep) || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return true;
    return false;
}

// True when every character has a Windows-1252 byte of its own (the file
// would otherwise hold "?" in its place).
bool storableInCodePage(const QString &text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            continue;
        if (platform::FromAnsi(platform::ToAnsi(QString(c))) != QString(c))
            return false;
    }
    return true;
}

bool holdsOverlongField(const clsKeyword &k) {
    for (const QString *f : {&k.Keyword(), &k.Count(), &k.CurBid(), &k.NextBid(), &k.FirstBid(), &k.SecondBid(),
                             &k.ThirdBid(), &k.FourthBid(), &k.FifthBid(), &k.CurPos(), &k.Status()})
        if (f->size() > kMaxFieldLength)
            return true;
    return false;
}

// The 11 stored fields, in file order, then CR LF.
void appendStoredLine(platform::AnsiBuffer &out, const clsKeyword &k) {
    const QString *fields[] = {&k.Keyword(),  &k.Count(),     &k.CurBid(),   &k.NextBid(),
                               &k.FirstBid(), &k.SecondBid(), &k.ThirdBid(), &k.FourthBid(),
                               &k.FifthBid(), &k.CurPos(),    &k.Status()};
    out.append(*fields[0]);
    for (int i = 1; i < 11; ++i) {
        out.append(kFieldSep);
        out.append(*fields[i]);
    }
    out.append('\r');
    out.append('\n');
}
}  // namespace

clsKeywords::clsKeywords() : m_colKeywords(std::make_shared<KeywordCollection>()) {}

QString clsKeywords::KeywordsFile() const {
    return platform::JoinPath(clsAccount::AccountFolder(m_sEngine, m_sAccountName), L(kKeywordsFileName));
}

QString clsKeywords::ResultsFile(const QString &engine, const QString &keyword) {
    return platform::JoinPath(platform::ProgramFolder(), L(kResultsFolder), platform::SafePathComponent(engine),
                              platform::SafePathComponent(vb::Trim(keyword)) + L(kResultsExt));
}

QString clsKeywords::GetKeyword(int index) const {
    if (!m_colKeywords || index < 1 || index > m_colKeywords->Count())
        vb::Raise(vb::errSubscript);
    return m_colKeywords->Item(index)->Keyword();
}

void clsKeywords::RemoveAll() {
    if (m_colKeywords)
        m_colKeywords->Clear();
}

void clsKeywords::Remove(int index) {
    if (!m_colKeywords || index < 1 || index > m_colKeywords->Count())
        vb::Raise(vb::errSubscript);
    m_colKeywords->Remove(index);
}

clsKeywords::Refusal clsKeywords::RefusalReason(const QString &keyword) {
    // Keywords.dat has no quoting: such a keyword would split its line.
    if (holdsLineBreakOrSeparator(keyword))
        return Refusal::SeparatorOrLineBreak;
    // The load skips such a line: it would be lost at the next start.
    if (keyword.size() > kMaxFieldLength)
        return Refusal::TooLong;
    if (!storableInCodePage(keyword))
        return Refusal::Unstorable;
    return Refusal::None;
}

void clsKeywords::Add(const QString &key, const QString &keyword, int position) {
    switch (RefusalReason(keyword)) {
    case Refusal::None:
        break;
    case Refusal::SeparatorOrLineBreak:
        WriteErrorLog(L(kAddLabel) + RemoveLineBreaks(keyword));
        return;
    case Refusal::TooLong:
        WriteErrorLog(L(kAddLongLabel));
        return;
    case Refusal::Unstorable:
        WriteErrorLog(L(kAddUnstorableLabel) + keyword);
        return;
    }
    try {
        if (!m_colKeywords)
            return;
        if (m_colKeywords->Exists(key))
            return;
        auto record = std::make_shared<clsKeyword>();
        record->setKeyword(keyword);
        if (position == -1)
            m_colKeywords->Add(record, key);
        else if (position >= 1 && position <= m_colKeywords->Count())
            m_colKeywords->Add(record, key, position);
    } catch (...) {
        // A failing add adds nothing.
    }
}

namespace {
// Enough for every distinct bid and position of a large account.
constexpr qsizetype kValuePoolLimit = 8192;

// The bytes the line reader stops at: field separator and line ends.
constexpr std::array<bool, 256> kFieldOrLineEnd = [] {
    std::array<bool, 256> t{};
    t[static_cast<unsigned char>(kFieldSep)] = true;
    t['\r'] = true;
    t['\n'] = true;
    return t;
}();

qsizetype countByte(const QByteArray &bytes, char c) {
    qsizetype n = 0;
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    while ((p = static_cast<const char *>(std::memchr(p, c, size_t(end - p)))) != nullptr) {
        ++n;
        ++p;
    }
    return n;
}

// Bids, positions and statuses repeat from keyword to keyword: records
// share one copy of each value instead of allocating their own. A value of
// up to 15 bytes is its own key, two words held in the table (its bytes,
// then its length in the last byte), so a look-up compares two words in one
// slot instead of following a pointer back into the file.
class ValuePool {
public:
    // `end` is the end of the bytes the values are cut from: a value well
    // before it is read a word at a time.
    ValuePool(qsizetype expected, const char *end) : m_end(end) {
        size_t slots = 16;
        while (slots < size_t(qMin(kValuePoolLimit, expected)) * 2)
            slots *= 2;
        m_keys.resize(slots);
        m_texts.resize(slots);
        for (size_t n = slots; n > 1; n /= 2)
            --m_shift;
    }
    QString value(QByteArrayView v) {
        const qsizetype n = v.size();
        if (n == 0)
            return QString();
        if (n > kInline)
            return platform::FromAnsi(v);
        const Key key = keyOf(v.data(), n);
        const size_t mask = m_keys.size() - 1;
        for (size_t i = slotOf(key);; i = (i + 1) & mask) {
            const Key &k = m_keys[i];
            if (k.low == key.low && k.high == key.high)
                return m_texts[i];
            if (k.high == 0) {  // a used slot's length byte is never 0
                QString text = platform::FromAnsi(v);
                // At most half the slots fill, so a look-up always meets an empty one.
                if (m_used < size_t(kValuePoolLimit) && 2 * (m_used + 1) <= m_keys.size()) {
                    m_keys[i] = key;
                    m_texts[i] = text;
                    ++m_used;
                }
                return text;
            }
        }
    }

private:
    static constexpr qsizetype kInline = 15;
    struct Key {
        quint64 low = 0;   // bytes 0-7
        quint64 high = 0;  // bytes 8-14, then the length
    };
    static quint64 firstBytes(quint64 word, qsizetype n) { return n >= 8 ? word : word & ((quint64(1) << (8 * n)) - 1); }
    Key keyOf(const char *p, qsizetype n) const {
        Key key;
        if (m_end - p >= 16) {
            key.low = firstBytes(qFromLittleEndian<quint64>(p), n);
            key.high = n > 8 ? firstBytes(qFromLittleEndian<quint64>(p + 8), n - 8) : 0;
        } else {
            uchar bytes[16] = {};
            std::memcpy(bytes, p, size_t(n));
            key.low = qFromLittleEndian<quint64>(bytes);
            key.high = qFromLittleEndian<quint64>(bytes + 8);
        }
        key.high |= quint64(n) << 56;
        return key;
    }
    size_t slotOf(const Key &k) const {
        const quint64 h = (k.low * 0x9e3779b97f4a7c15ULL) ^ (k.high * 0xc2b2ae3d27d4eb4fULL);
        return size_t(((h ^ (h >> 29)) * 0x9e3779b97f4a7c15ULL) >> m_shift);
    }

    const char *m_end;
    std::vector<Key> m_keys;
    std::vector<QString> m_texts;  // the value of each used slot
    size_t m_used = 0;
    int m_shift = 64;
};
}  // namespace

namespace {
// Identity and version of a file: device, inode, size and change time to the nanosecond.
QByteArray fileStamp(const QString &path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QByteArray();
    return QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qlonglong(st.st_size)) + ':' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) +
           '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}
}  // namespace

bool clsKeywords::FileReplacedSinceRead() const { return fileStamp(KeywordsFile()) != m_fileStamp; }

void clsKeywords::loadKeywords() {
    const QString file = KeywordsFile();
    m_fileStamp = fileStamp(file);
    if (!QFileInfo(file).isFile() || !m_colKeywords)
        return;
    clsFileController files;
    bool readable = true;
    // Fields are decoded straight from the file's bytes; no copy of the whole text.
    const QByteArray bytes = files.openFileBytes(file, &readable);
    if (!readable) {
        // Saving now would replace the keywords the file still holds.
        m_bUnreadFile = true;
        WriteErrorLog(L(kLoadLabel) + clsFileController::FileErrorText(file, L(kNotRead)));
        return;
    }
    const QString keyPrefix = L(kKeyPrefix);
    const char *p = bytes.constData();
    const char *const textEnd = p + bytes.size();
    auto text = [](QByteArrayView v) { return platform::FromAnsi(v); };
    // Field views of the current line; one pass over the text finds both
    // the field separators and the line ends (CR LF, LF or CR).
    QVarLengthArray<QByteArrayView, 16> fields;
    // Anything skipped or cut: the file's bytes are kept before a save replaces them.
    bool damaged = false;
    const qsizetype lines = qMax(countByte(bytes, '\n'), countByte(bytes, '\r')) + 1;
    // The records go into the list together once the file is read, so the
    // key index is filled in one pass; a repeated keyword is found there.
    std::vector<KeywordCollection::Entry> records;
    records.reserve(size_t(lines));
    // Problems met while reading are logged afterwards, in file order with
    // the repeats: each knows how many records came before it.
    struct Problem {
        size_t after;
        QString text;
    };
    std::vector<Problem> problems;
    auto problem = [&](const QString &what) {
        damaged = true;
        problems.push_back(Problem{records.size(), L(kLoadLabel) + what});
    };
    ValuePool pool(lines * 8, textEnd);
    auto shared = [&pool](QByteArrayView v) { return pool.value(v); };
    while (p < textEnd) {
        fields.clear();
        const char *fieldStart = p;
        const char *lineEnd = textEnd;
        const char *next = textEnd;
        for (const char *q = p; q < textEnd; ++q) {
            const char c = *q;
            if (!kFieldOrLineEnd[static_cast<unsigned char>(c)])
                continue;
            if (c == ';') {
                fields.append(QByteArrayView(fieldStart, q));
                fieldStart = q + 1;
            } else if (c == '\r' || c == '\n') {
                lineEnd = q;
                next = c == '\r' && q + 1 < textEnd && q[1] == '\n' ? q + 2 : q + 1;
                break;
            }
        }
        fields.append(QByteArrayView(fieldStart, lineEnd));
        const bool lastLineCut = lineEnd == textEnd;
        p = next;

        if (fields.size() == 1 && fields[0].isEmpty())
            continue;  // empty line
        if (lastLineCut)
            problem(L(kCutLine));
        if (fields[0].isEmpty())
            continue;
        // A bad or repeated line is logged and skipped; the lines after it
        // still load, so the next save keeps them.
        if (fields.size() != 9 && fields.size() < 11) {
            problem(vb::ErrorText(vb::errSubscript));
            continue;
        }
        const auto tooLong = [](QByteArrayView f) { return f.size() > kMaxFieldLength; };
        if (std::any_of(fields.begin(), fields.end(), tooLong)) {
            problem(L(kLongLine));
            continue;
        }
        auto k = std::make_shared<clsKeyword>();
        k->m_sKeyword = text(fields[0]);
        k->m_sCount = text(fields[1]);
        k->m_sCurBid = text(fields[2]);
        k->m_sNextBid = shared(fields[3]);
        k->m_sFirstBid = shared(fields[4]);
        k->m_sSecondBid = shared(fields[5]);
        k->m_sThirdBid = shared(fields[6]);
        if (fields.size() == 9) {
            k->m_sCurPos = shared(fields[7]);
            k->m_sStatus = shared(fields[8]);
        } else {
            k->m_sFourthBid = shared(fields[7]);
            k->m_sFifthBid = shared(fields[8]);
            k->m_sCurPos = shared(fields[9]);
            k->m_sStatus = shared(fields[10]);
        }
        QString key = keyPrefix + k->m_sKeyword;
        records.push_back(KeywordCollection::Keyed(std::move(k), std::move(key)));
    }
    const std::vector<size_t> repeats = m_colKeywords->Append(std::move(records));
    // A repeat was met when its record came, after the problems before it.
    const QString repeated = L(kLoadLabel) + vb::ErrorText(vb::errDuplicateKey);
    auto nextProblem = problems.cbegin();
    for (const size_t r : repeats) {
        for (; nextProblem != problems.cend() && nextProblem->after <= r; ++nextProblem)
            WriteErrorLog(nextProblem->text);
        damaged = true;
        WriteErrorLog(repeated);
    }
    for (; nextProblem != problems.cend(); ++nextProblem)
        WriteErrorLog(nextProblem->text);
    if (damaged) {
        const QString copy = platform::KeepDamagedCopy(file, bytes);
        if (!copy.isEmpty())
            WriteErrorLog(L(kLoadLabel) + L(kKeptCopy) + QDir::toNativeSeparators(copy));
    }
}

void clsKeywords::PopulateKeywords(KeywordListModel *listView, bool keywordOnly) {
    if (!listView || !m_colKeywords) {
        WriteErrorLog(L(kPopulateLabel) + L(kNoObject));
        return;
    }
    const QString keyPrefix = L(kKeyPrefix);
    // Keys already in the list, so a repeat is skipped without a scan per item;
    // compared without regard to case, without a folded copy of each key.
    QSet<vb::CaselessKey> keys;
    keys.reserve(listView->count() + m_colKeywords->Count());
    for (int r = 0; r < listView->count(); ++r)
        keys.insert(vb::CaselessKey(listView->key(r)));
    // Rows that go to consecutive positions are inserted in one batch: one
    // insertion per row makes the view react to every single row.
    std::vector<KeywordListModel::Row> run;
    int runStart = 0;
    auto flush = [&] {
        listView->insertRows(runStart, std::move(run));
        run.clear();
    };
    int i = 0;
    for (const clsKeywordPtr &k : *m_colKeywords) {
        ++i;
        if (!k)
            continue;
        QString key = keyPrefix + k->Keyword();
        const int position = i - 1;
        // A row that can't go to its position, or whose key is taken, is skipped.
        if (position > listView->count() + int(run.size()))
            continue;
        const qsizetype known = keys.size();
        keys.insert(vb::CaselessKey(key));
        if (keys.size() == known)
            continue;
        if (position != runStart + int(run.size())) {
            flush();
            runStart = position;
        }
        KeywordListModel::Row row;
        if (keywordOnly) {
            row.key = std::move(key);
            row.text[0] = k->Keyword();
        } else {
            row.keyedByKeyword = true;
            row.number = i;
            row.text[1] = k->Keyword();
            row.text[2] = k->Count();
            row.text[3] = k->CurBid();
            row.text[4] = k->NextBid();
            row.text[5] = k->FirstBid();
            row.text[6] = k->SecondBid();
            row.text[7] = k->ThirdBid();
            row.text[8] = k->CurPos();
            row.text[9] = k->Status();
        }
        run.push_back(std::move(row));
    }
    flush();
}

void clsKeywords::SaveKeywords() {
    try {
        platform::MakeFolder(platform::JoinPath(platform::ProgramFolder(), L(kAccountsFolder)));
        if (m_sAccountName.isEmpty() || m_sEngine.isEmpty())
            return;
        if (m_bUnreadFile)
            vb::Raise(vb::errPermissionDenied,
                      clsFileController::FileErrorText(KeywordsFile(), L(kNotOverwritten)));
        const QString folder = clsAccount::AccountFolder(m_sEngine, m_sAccountName);
        platform::MakeFolder(QFileInfo(folder).path());
        platform::MakeFolder(folder);

        const int count = m_colKeywords ? m_colKeywords->Count() : 0;
        platform::AnsiBuffer bytes(qsizetype(count) * 96 + 2);
        if (m_colKeywords) {
            for (const clsKeywordPtr &k : *m_colKeywords) {
                if (!k)
                    continue;
                // A record put into the collection directly bypasses Add's check.
                if (holdsLineBreakOrSeparator(k->Keyword())) {
                    WriteErrorLog(L(kSaveSkipLabel) + RemoveLineBreaks(k->Keyword()));
                    continue;
                }
                if (holdsOverlongField(*k)) {
                    WriteErrorLog(L(kSaveLongLabel) + k->Keyword().left(int(kMaxFieldLength)));
                    continue;
                }
                appendStoredLine(bytes, *k);
            }
        }
        // The whole-file writer's closing line end.
        bytes.append('\r');
        bytes.append('\n');
        QString error;
        if (!platform::WriteFileAtomic(KeywordsFile(), bytes.take(), false, &error))
            vb::Raise(vb::errPermissionDenied, error.isEmpty() ? vb::ErrorText(vb::errPermissionDenied) : error);
        m_fileStamp = fileStamp(KeywordsFile());
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveLabel, e);
    }
}

bool clsKeywords::UpdateObject(const QString &keyword, const QString &fieldName, const QString &value) {
    if (!m_colKeywords)
        return false;
    clsKeywordPtr target;
    // The list is keyed by keyword; fall back to a scan for other keyings.
    const int at = m_colKeywords->IndexOf(L(kKeyPrefix) + keyword);
    if (at > 0) {
        const clsKeywordPtr &k = m_colKeywords->Item(at);
        if (k && k->Keyword().compare(keyword, Qt::CaseInsensitive) == 0)
            target = k;
    }
    if (!target) {
        for (const clsKeywordPtr &k : *m_colKeywords) {
            if (k && k->Keyword().compare(keyword, Qt::CaseInsensitive) == 0) {
                target = k;
                break;
            }
        }
    }
    if (!target)
        return false;
    if (fieldName == QLatin1String("Count"))
        target->setCount(value);
    else if (fieldName == QLatin1String("CurBid"))
        target->setCurBid(value);
    else if (fieldName == QLatin1String("NextBid"))
        target->setNextBid(value);
    else if (fieldName == QLatin1String("1"))
        target->setFirstBid(value);
    else if (fieldName == QLatin1String("2"))
        target->setSecondBid(value);
    else if (fieldName == QLatin1String("3"))
        target->setThirdBid(value);
    else if (fieldName == QLatin1String("4"))
        target->setFourthBid(value);
    else if (fieldName == QLatin1String("5"))
        target->setFifthBid(value);
    else if (fieldName == QLatin1String("CurPos"))
        target->setCurPos(value);
    else if (fieldName == QLatin1String("Status"))
        target->setStatus(value);
    return true;
}

void clsKeywords::UpdateKeywordsToURLs(const URLCollectionPtr &urls) {
    try {
        if (!m_colKeywords)
            return;
        const QString sep = L(kResultSep);
        const QString noPrice = L(kNoPrice);
        const QString noPricePound = PoundSign() + L(kNoPriceAfterPound);
        for (const clsKeywordPtr &k : *m_colKeywords) {
            if (!k)
                continue;
            k->setCurBid(QString());
            k->setCurPos(QString());
            k->setNextBid(QString());

            const QString file = ResultsFile(m_sEngine, k->Keyword());
            if (!QFileInfo(file).isFile())
                continue;
            QString text;
            if (!platform::ReadAnsiFile(file, &text))
                vb::Raise(vb::errPermissionDenied);

            QString bids, positions, nextBid;
            int n = 0;
            const QStringList lines = platform::SplitLines(text);
            for (const QString &line : lines) {
                if (line.isEmpty())
                    continue;
                // URL before the first ";#", price after the last, the title
                // (which may itself hold ";#") in between.
                const int first = int(line.indexOf(sep));
                const int last = int(line.lastIndexOf(sep));
                if (first < 0 || last <= first)
                    continue;
                ++n;
                const QString url = line.left(first);
                const QString price = line.mid(last + sep.size());
                if (clsURL::ValidURL(url, urls)) {
                    if (bids.isEmpty()) {
                        bids = price;
                        positions = QString::number(n);
                    } else if (price != noPrice && price != noPricePound) {
                        bids += QLatin1Char(',') + price;
                        positions += QLatin1Char(',') + QString::number(n);
                    }
                } else if (!bids.isEmpty() && nextBid.isEmpty()) {
                    nextBid = price;
                }
            }
            k->setCurBid(TrimComma(bids));
            k->setCurPos(TrimComma(positions));
            k->setNextBid(nextBid);
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kMergeLabel, e);
    }
}

QString clsKeywords::EmailMsg() {
    try {
        if (!m_colKeywords || m_colKeywords->Count() == 0)
            return QString();
        const QString crlf = L(kCrLf);
        QString out;
        // One row is its columns' width and a line end, more only for
        // overlong values: the text is allocated once.
        out.reserve(4096 + qsizetype(m_colKeywords->Count()) * (kRuleWidth + 16));
        out += L(kTimeLine) + vb::FormatGeneralDate(seam::Now()) + crlf;
        out += L(kAccountLine) + m_sAccountName + crlf;
        out += L(kEngineLine) + m_sEngine + crlf;
        out += L(kURLsLine) + crlf;
        // An account without a URL file lists no URLs; the report still goes out.
        if (const URLCollectionPtr urls = clsURL::GetURLCollection(m_sEngine, m_sAccountName))
            for (const QString &url : *urls)
                out += url + crlf;
        out += crlf;

        QString titles[kReportColumns];
        QStringView titleCells[kReportColumns];
        for (int c = 0; c < kReportColumns; ++c) {
            titles[c] = L(kColumns[c].title);
            titleCells[c] = titles[c];
        }
        appendRow(out, titleCells);
        const QString rule(kRuleWidth, QLatin1Char('='));
        out += rule + crlf;

        int row = 0;
        const QString emptyCount = L(kEmptyCount);
        char16_t digits[12];
        for (const clsKeywordPtr &k : *m_colKeywords) {
            if (!k || k->CurBid().isEmpty())
                continue;
            ++row;
            qsizetype first = qsizetype(std::size(digits));
            for (int v = row; v > 0; v /= 10)
                digits[--first] = char16_t(u'0' + v % 10);
            const QStringView cells[kReportColumns] = {
                QStringView(digits + first, qsizetype(std::size(digits)) - first),
                k->Keyword(),
                k->Count().isEmpty() ? emptyCount : k->Count(),
                k->CurBid(),
                k->NextBid(),
                k->FirstBid(),
                k->SecondBid(),
                k->ThirdBid(),
                k->CurPos(),
                k->Status()};
            appendRow(out, cells);
        }
        out += rule + crlf;
        out += crlf;
        return out;
    } catch (const std::exception &e) {
        WriteErrorLog(kEmailLabel, e);
    }
    return QString();
}
