#include "lookup/clsKeywordBuilder.h"

#include "connect/clsConnect.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QFileInfo>
#include <QSet>
#include <QStringView>
#include <exception>

const char *const clsKeywordBuilder::kCaption = "Keyword Builder";
const char *const clsKeywordBuilder::kConnectionError = "Connection error. Please try again";

namespace {

const char kFolder[] = "KeywordBuilder";
const char kHistoryFileName[] = "Keywords.dat";
const char kCacheExt[] = ".dat";
const char kCrLf[] = "\r\n";
const char kRetrieving[] = "Retrieving data from the search engine ...";
const char kCompleted[] = "Retrieving data completed.";
const char kNbsp[] = "&nbsp;";
// Closes a cut cell so that its text after the last tag is kept too.
const char kCellClose[] = "<>";

const char kConnectLabel[] = "clsKeywordBuilder_Connect Error:  ";
const char kProcessDataLabel[] = "clsKeywordBuilder_ProcessData error:  ";
const char kGetResultLabel[] = "clsKeywordBuilder_GetResult: ";
const char kRepeated[] = "repeated suggestion skipped: ";
const char kHoldsSeparator[] = "suggestion skipped, it holds \";\": ";
const char kNoObject[] = "Object variable or With block variable not set";
constexpr int errNoObject = 91;

QString L(const char *s) { return QString::fromLatin1(s); }

bool isSuccessStatus(const QString &statusCode) {
    bool ok = false;
    const int status = statusCode.trimmed().toInt(&ok);
    return ok && status >= 200 && status <= 299;
}

// Position of a marker at or after `from`; -1 when absent or empty.
qsizetype find(QStringView text, const QString &marker, qsizetype from) {
    if (marker.isEmpty() || from > text.size())
        return -1;
    return text.indexOf(marker, from, Qt::CaseSensitive);
}

// The text between the first `begin` and the next `end` after it, and what
// follows that `end`; false when either marker is missing.
bool cutCell(QStringView text, const QString &begin, const QString &end, QStringView *cell, QStringView *after) {
    const qsizetype b = find(text, begin, 0);
    if (b < 0)
        return false;
    const qsizetype start = b + begin.size();
    const qsizetype e = find(text, end, start);
    if (e < 0)
        return false;
    *cell = text.mid(start, e - start);
    if (after)
        *after = text.mid(e + end.size());
    return true;
}

QString cellText(QStringView cell) {
    QString closed;
    closed.reserve(cell.size() + 2);
    closed.append(cell);
    closed.append(QLatin1String(kCellClose));
    return clsKeywordBuilder::CleanText(StripHTML(closed));
}

// Pages write "&" in a keyword as "&amp;": the keyword is the decoded text.
// A reference may stand for a line break or a blank, so the decoded text is
// cleaned once more. One that stands for a character the list's files cannot
// hold stays as written (its ";" then has the suggestion skipped).
QString keywordText(QStringView cell) {
    const QString text = cellText(cell);
    const QString decoded = clsConnect::DecodeEntities(text);
    if (decoded == text || platform::FromAnsi(platform::ToAnsi(decoded)) != decoded)
        return text;
    return clsKeywordBuilder::CleanText(decoded);
}

// Writes text and the final CR LF of the whole-file writer.
bool writeWholeFile(const QString &folder, const QString &path, const QString &text, QString *errorText) {
    try {
        platform::MakeFolder(folder);
    } catch (const std::exception &e) {
        if (errorText)
            *errorText = vb::Describe(e);
        return false;
    }
    return platform::WriteAnsiFileAtomic(path, text + L(kCrLf), false, errorText);
}

QString readWholeFile(const QString &path) {
    QString text;
    if (QFileInfo(path).isFile())
        platform::ReadAnsiFile(path, &text);
    return text;
}

}  // namespace

clsKeywordBuilder::clsKeywordBuilder() : m_frmHTTP(new frmHTTP) {}

clsKeywordBuilder::~clsKeywordBuilder() {
    try {
        CloseHTTPForm();
    } catch (...) {
    }
    m_oEngine.reset();
    m_oForm = nullptr;
}

QString clsKeywordBuilder::GetSuggestURL() const {
    if (!m_oEngine)
        vb::Raise(errNoObject, L(kNoObject));
    return m_oEngine->GetQuerySuggest1(m_iEngineIndex) + clsEngine::QueryTerm(vb::Trim(m_sKeyword)) +
           m_oEngine->GetQuerySuggest2(m_iEngineIndex);
}

bool clsKeywordBuilder::Connect() {
    try {
        if (!m_frmHTTP)
            vb::Raise(errNoObject, L(kNoObject));
        const QString url = GetSuggestURL();
        m_frmHTTP->setObject(this);
        m_bDisconnected = false;
        m_bStopping = false;
        m_bAnswered = false;
        if (m_oForm) {
            m_oForm->setProgressValue(1);
            m_oForm->setActivityText(L(kRetrieving));
        }
        m_frmHTTP->Connect1(url);
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kConnectLabel, e);
    }
    return false;
}

void clsKeywordBuilder::Disconnect() {
    m_bStopping = true;
    if (m_frmHTTP)
        m_frmHTTP->Disconnect();
}

void clsKeywordBuilder::ProcessData(const QString &sStatusCode, const QString &sResult) {
    if (m_bStopping || m_bAnswered)
        return;
    m_bAnswered = true;
    bool received = false;
    try {
        // An error page holds no suggestions: it must not replace the cache.
        received = !sResult.isEmpty() && isSuccessStatus(sStatusCode);
        if (received) {
            GetResult(sResult);
            seam::MsgBox(L(kCompleted), seam::vbInformation, L(kCaption));
            if (m_oForm)
                m_oForm->setProgressValue(3);
        } else {
            seam::MsgBox(L(clsKeywordBuilder::kConnectionError), seam::vbCritical, L(kCaption));
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kProcessDataLabel, e);
    }
    // The window goes back to idle whatever happened here.
    if (m_oForm)
        m_oForm->DownLoadCompleted(received);
}

void clsKeywordBuilder::GetResult(const QString &sResult) {
    try {
        if (m_oForm)
            m_oForm->setProgressValue(2);
        if (!m_oEngine)
            vb::Raise(errNoObject, L(kNoObject));
        const SuggestionPage page = ParsePage(Markers(*m_oEngine, m_iEngineIndex), sResult);
        for (const QString &note : page.Skipped)
            WriteErrorLog(L(kGetResultLabel) + note);
        if (m_oForm)
            m_oForm->addListItems(page.Rows);
    } catch (const std::exception &e) {
        WriteErrorLog(kGetResultLabel, e);
    }
}

void clsKeywordBuilder::CloseHTTPForm() {
    if (!m_frmHTTP)
        return;
    m_frmHTTP->Unload();
    m_frmHTTP = nullptr;
}

QString clsKeywordBuilder::CleanText(const QString &s) {
    QString out;
    out.reserve(s.size());
    const QString nbsp = L(kNbsp);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            continue;
        if (c == QLatin1Char('&') && QStringView(s).mid(i).startsWith(nbsp, Qt::CaseSensitive)) {
            i += nbsp.size() - 1;
            continue;
        }
        out += c;
    }
    return vb::Trim(out);
}

SuggestMarkers clsKeywordBuilder::Markers(const clsEngine &engine, int i) {
    SuggestMarkers m;
    m.SuggestStartString = vb::Trim(engine.GetSuggestStartString(i));
    m.SuggestEndString = vb::Trim(engine.GetSuggestEndString(i));
    m.SuggestSectionStart = vb::Trim(engine.GetSuggestSectionStart(i));
    m.SuggestSectionEnd = vb::Trim(engine.GetSuggestSectionEnd(i));
    m.beginCountSection = vb::Trim(engine.GetBeginCountSection(i));
    m.endCountSection = vb::Trim(engine.GetEndCountSection(i));
    m.begineKeywordSection = vb::Trim(engine.GetBegineKeywordSection(i));
    m.endKeywordSection = vb::Trim(engine.GetEndKeywordSection(i));
    return m;
}

SuggestionPage clsKeywordBuilder::ParsePage(const SuggestMarkers &m, const QString &answer) {
    SuggestionPage out;
    QStringView page(answer);
    // The suggestion section, start marker kept; the whole answer when it has none.
    const qsizetype p1 = find(page, m.SuggestStartString, 0);
    if (p1 >= 0) {
        const qsizetype p2 = find(page, m.SuggestEndString, p1);
        if (p2 > p1)
            page = page.mid(p1, p2 - p1);
    }

    QSet<QString> seen;
    // Offsets into the page instead of cutting it: the walk stays linear.
    qsizetype pos = 0;
    while (pos < page.size()) {
        const qsizetype s1 = find(page, m.SuggestSectionStart, pos);
        if (s1 < 0)
            break;
        const qsizetype s2 = find(page, m.SuggestSectionEnd, s1);
        if (s2 < 0)
            break;
        const QStringView item = page.mid(s1, s2 - s1);
        const qsizetype next = s2 + m.SuggestSectionEnd.size();
        if (next <= pos)
            break;  // nothing consumed
        pos = next;

        QStringView count, rest, keyword;
        if (!cutCell(item, m.beginCountSection, m.endCountSection, &count, &rest) ||
            !cutCell(rest, m.begineKeywordSection, m.endKeywordSection, &keyword, nullptr))
            break;

        SuggestionRow row;
        row.Keyword = keywordText(keyword);
        if (row.Keyword.isEmpty())
            continue;
        // The cache holds "keyword;count": such a keyword would come back cut in two.
        if (row.Keyword.contains(QLatin1Char(';'))) {
            out.Skipped.append(L(kHoldsSeparator) + row.Keyword);
            continue;
        }
        const QString folded = row.Keyword.toCaseFolded();
        if (seen.contains(folded)) {
            out.Skipped.append(L(kRepeated) + row.Keyword);
            continue;
        }
        seen.insert(folded);
        row.Count = cellText(count);
        out.Rows.append(row);
    }
    return out;
}

QString clsKeywordBuilder::BuilderFolder() { return platform::JoinPath(platform::ProgramFolder(), L(kFolder)); }

QString clsKeywordBuilder::HistoryFile() { return platform::JoinPath(BuilderFolder(), L(kHistoryFileName)); }

QString clsKeywordBuilder::CacheFile(const QString &engine, const QString &keyword) {
    return platform::JoinPath(BuilderFolder(), platform::SafePathComponent(engine),
                              platform::SafePathComponent(keyword) + L(kCacheExt));
}

QList<SuggestionRow> clsKeywordBuilder::ParseCache(const QString &text) {
    QList<SuggestionRow> rows;
    for (const QString &line : platform::SplitLines(text)) {
        if (line.isEmpty())
            continue;
        const QStringView view(line);
        const qsizetype sep = view.indexOf(QLatin1Char(';'));
        if (sep <= 0)
            continue;  // one field, or no keyword
        const qsizetype sep2 = view.indexOf(QLatin1Char(';'), sep + 1);
        const QStringView count = sep2 < 0 ? view.mid(sep + 1) : view.mid(sep + 1, sep2 - sep - 1);
        rows.append({line.left(sep), count.toString()});
    }
    return rows;
}

QByteArray clsKeywordBuilder::CacheBytes(const QList<SuggestionRow> &rows) {
    QString text;
    for (const SuggestionRow &r : rows) {
        if (r.Keyword.isEmpty())
            continue;
        text += r.Keyword;
        text += QLatin1Char(';');
        text += r.Count;
        text += QLatin1String(kCrLf);
    }
    text += QLatin1String(kCrLf);
    return platform::ToAnsi(text);
}

QList<SuggestionRow> clsKeywordBuilder::ReadCacheFile(const QString &engine, const QString &keyword) {
    return ParseCache(readWholeFile(CacheFile(engine, keyword)));
}

bool clsKeywordBuilder::WriteCacheFile(const QString &engine, const QString &keyword,
                                       const QList<SuggestionRow> &rows, QString *errorText) {
    const QString path = CacheFile(engine, keyword);
    try {
        platform::MakeFolder(QFileInfo(path).absolutePath());
    } catch (const std::exception &e) {
        if (errorText)
            *errorText = vb::Describe(e);
        return false;
    }
    return platform::WriteCacheFileAtomic(path, CacheBytes(rows), errorText);
}

QStringList clsKeywordBuilder::ReadHistory() {
    QStringList entries;
    for (const QString &line : platform::SplitLines(readWholeFile(HistoryFile())))
        if (!line.isEmpty())
            entries.append(line);
    return entries;
}

bool clsKeywordBuilder::WriteHistory(const QStringList &entries, QString *errorText) {
    QString text;
    for (const QString &e : entries) {
        if (e.isEmpty())
            continue;
        text += e;
        text += QLatin1String(kCrLf);
    }
    return writeWholeFile(BuilderFolder(), HistoryFile(), text, errorText);
}
