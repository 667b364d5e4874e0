#include "core/modCommon.h"

#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <exception>
#include <memory>

namespace {

const char *const kErrorLogName = "Error.log";
const char *const kTrimCommaLabel = "modCommon_TrimComma error:  ";
const char *const kHostFromUrlLabel = " frmHTTP_GetHostFromURL: ";
const char *const kKeywordsCountLabel = "modCommon_GetKeywordsCount error: ";
const char *const kValidTimeLabel = "isValidTime_Error: ";
const char *const kCrLf = "\r\n";
constexpr int kIniBufferSize = 560;
constexpr int kPoundCode = 163;


// The log is opened once per process. The attempt is remembered before the
// open, so a log that cannot be opened stays silent for the rest of the run.
struct ErrorLog {
    bool tried = false;
    std::unique_ptr<QFile> file;
};

ErrorLog &errorLog() {
    static ErrorLog log;
    return log;
}

// Money text without its pound signs; the dollar sign stays for the parser.
QString withoutPoundSigns(const QString &text) {
    QString t = text;
    t.remove(vb::Chr(kPoundCode));
    return t;
}

bool parseMoney(const QString &text, vb::Currency *out) {
    return vb::ParseAmount(withoutPoundSigns(text), out);
}

}  // namespace

// ---- Error log -------------------------------------------------------------

void WriteErrorLog(const QString &text) {
    try {
        ErrorLog &log = errorLog();
        if (!log.tried) {
            log.tried = true;
            auto file = std::make_unique<QFile>(
                platform::JoinPath(platform::ProgramFolder(), QString::fromLatin1(kErrorLogName)));
            if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
                return;
            log.file = std::move(file);
        }
        if (!log.file)
            return;
        QByteArray record = platform::ToAnsi(text);
        record += kCrLf;
        log.file->write(record);
        // Flushed per record so a crash loses nothing already logged.
        log.file->flush();
    } catch (...) {
        // The log must never disturb its caller.
    }
}

void WriteErrorLog(const char *label, const std::exception &e) {
    WriteErrorLog(QString::fromLatin1(label) + vb::Describe(e));
}

void ResetErrorLogForTests() {
    ErrorLog &log = errorLog();
    log.file.reset();
    log.tried = false;
}

// ---- Ini files ---------------------------------------------------------------

namespace {

// A value cut at a NUL ends there as if the line did: without the blanks
// (spaces, tabs) the reader trims from every line end, so what is written
// back reads back the same.
template <typename Read>
QString readIniValue(Read read) {
    try {
        QString value = StripNulls(read());
        qsizetype end = value.size();
        while (end > 0 && (value[end - 1] == QLatin1Char(' ') || value[end - 1] == QLatin1Char('\t')))
            --end;
        value.truncate(end);
        return value;
    } catch (...) {
        return QString();
    }
}

}  // namespace

// Through the kept parse: callers read an engine data file key by key.
QString ReadIniString(const QString &file, const QString &section, const QString &key) {
    return readIniValue([&] { return platform::GetProfileString(file, section, key, QString(), kIniBufferSize); });
}

QString ReadIniString(const platform::ProfileReader &file, const QString &section, const QString &key) {
    return readIniValue([&] { return file.GetString(section, key, QString(), kIniBufferSize); });
}

QString WriteIniString(const QString &file, const QString &section, const QString &key,
                       const QString &value) {
    // A null value would delete the key; callers always mean to write text.
    const QString text = value.isNull() ? QStringLiteral("") : value;
    const bool ok = platform::WriteProfileString(file, section, key, text);
    return QString::number(ok ? 1 : 0);
}

// ---- Folders, shell, forms ---------------------------------------------------

QString GetWindowsDir() {
    QString dir = StripNulls(platform::WindowsFolder());
    if (dir.isEmpty())
        return QString();
    if (!vb::RTrim(dir).endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString StripNulls(const QString &text) {
    const int nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

bool ShellOpen(const QString &target, int showCode) {
    (void)showCode;  // the desktop decides the window state
    seam::SetPointer(seam::Pointer::Hourglass);
    bool ok = false;
    try {
        ok = seam::ShellOpen(target);
    } catch (...) {
        ok = false;
    }
    seam::SetPointer(seam::Pointer::Default);
    return ok;
}

void CenterForm(QWidget *form) {
    if (!form)
        return;
    QScreen *screen = form->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Each difference is rounded first, then halved dropping the remainder.
    const long top = vb::CLng(0.9 * area.height() - form->height()) / 2;
    const long left = vb::CLng(double(area.width() - form->width())) / 2;
    form->move(area.x() + int(left), area.y() + int(top));
}

// ---- Text helpers ------------------------------------------------------------

QString RemoveLineBreaks(const QString &text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    t.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return t;
}

QString TrimComma(const QString &text) {
    QString t = text;
    try {
        if (t.startsWith(QLatin1Char(',')))
            t.remove(0, 1);
        if (t.endsWith(QLatin1Char(',')))
            t.chop(1);
    } catch (const std::exception &e) {
        WriteErrorLog(kTrimCommaLabel, e);
    }
    return t;
}

QString GetHostFromURL(const QString &url) {
    try {
        QString rest = url;
        const int slashes = rest.indexOf(QLatin1String("//"));
        if (slashes >= 0)
            rest = rest.mid(slashes + 2);
        const int slash = rest.indexOf(QLatin1Char('/'));
        return slash < 0 ? rest : rest.left(slash);
    } catch (const std::exception &e) {
        WriteErrorLog(kHostFromUrlLabel, e);
        return QString();
    }
}

QString ParseString(const QString &text, const QString &delimiter, int field) {
    int pos = 0;
    for (int i = 1; i < field; ++i) {
        const int found = text.indexOf(delimiter, pos, Qt::CaseInsensitive);
        if (found < 0)
            return QString();
        pos = found + int(delimiter.size());
    }
    const int end = text.indexOf(delimiter, pos, Qt::CaseInsensitive);
    return end < 0 ? text.mid(pos) : text.mid(pos, end - pos);
}

QString GetURLPath(const QString &url) {
    QString u = url;
    const int query = u.indexOf(QLatin1Char('?'));
    if (query >= 0)
        u = u.left(query) + QLatin1Char('.');  // a last segment before a query is a file name
    const int slashes = u.indexOf(QLatin1String("//"));
    if (slashes >= 0)
        u = u.mid(slashes + 2);
    const int lastSlash = u.lastIndexOf(QLatin1Char('/'));
    if (lastSlash < 0)
        return u;
    QString path = u.left(lastSlash + 1);
    const QString last = u.mid(lastSlash + 1);
    if (!last.contains(QLatin1Char('.')))
        path += last;
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString StripHTML(const QString &html) {
    static const QString kTwoBreaks = QStringLiteral("\r\n\r\n");
    static const QString kOneBreak = QStringLiteral("\r\n");
    static const QString kRule =
        QStringLiteral("\r\n") + QString(50, QLatin1Char('-')) + QStringLiteral("\r\n");

    // One forward pass: every search starts where the previous one ended.
    QString out;
    int pos = 0;
    const int n = int(html.size());
    while (pos < n) {
        const int open = html.indexOf(QLatin1Char('<'), pos);
        if (open < 0)
            break;  // text after the last tag is not copied
        out += QStringView(html).mid(pos, open - pos);
        const int close = html.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0)
            break;
        QStringView tag = QStringView(html).mid(open + 1, close - open - 1);
        const int blank = int(tag.indexOf(QLatin1Char(' ')));
        if (blank >= 0)
            tag = tag.left(blank);
        const QString name = tag.toString().toUpper();
        if (name == QLatin1String("P") || name == QLatin1String("/H1") ||
            name == QLatin1String("/H2") || name == QLatin1String("/H3") ||
            name == QLatin1String("/H4") || name == QLatin1String("/H5") ||
            name == QLatin1String("DL"))
            out += kTwoBreaks;
        else if (name == QLatin1String("BR"))
            out += kOneBreak;
        else if (name == QLatin1String("HR"))
            out += kRule;
        pos = close + 1;
    }

    // Line normalisation: CRs dropped, each LF becomes CR LF; the first line
    // stays as it is, every later line loses its leading blanks and the last
    // one its trailing blanks too.
    out.remove(QLatin1Char('\r'));
    const QStringList lines = out.split(QLatin1Char('\n'));
    if (lines.size() == 1)
        return out;
    QString result = lines.first();
    result.reserve(out.size() + lines.size());
    for (int i = 1; i < lines.size(); ++i) {
        result += kOneBreak;
        result += i + 1 == lines.size() ? vb::Trim(lines[i]) : vb::LTrim(lines[i]);
    }
    return result;
}

QString Base64Encode(const QString &text) {
    return QString::fromLatin1(platform::ToAnsi(text).toBase64());
}

// ---- Settings ----------------------------------------------------------------

bool GetEngineSetting(const QString &engineName) {
    return vb::CBool(
        GetRegistryValue(HKEY_CURRENT_USER, g_sEngineKey, engineName, REG_SZ, QStringLiteral("1")));
}

// ---- Money text ----------------------------------------------------------------

vb::Currency StrToCurrency(const QString &text) {
    vb::Currency amount;
    if (!parseMoney(text, &amount))
        vb::Raise(vb::errTypeMismatch);
    return amount;
}

float StrToSingle(const QString &text) {
    vb::Currency amount;
    if (!parseMoney(text, &amount))
        vb::Raise(vb::errTypeMismatch);
    // Read the digits again as a double so decimals beyond the currency's
    // four places are not rounded away before narrowing.
    QString digits = withoutPoundSigns(text);
    digits.remove(QLatin1Char('$'));
    digits.remove(QLatin1Char(','));
    digits.remove(QLatin1Char(' '));
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return vb::CSng(ok ? value : amount.toDouble());
}

bool IsNumericAmount(const QString &text) {
    vb::Currency amount;
    return parseMoney(text, &amount);
}

QString PoundSign() {
    return QString(vb::Chr(kPoundCode));
}

// ---- Time check ----------------------------------------------------------------

bool isValidTime(const QString &text) {
    try {
        if (!text.contains(QLatin1Char(':')))
            return false;
        const QStringList parts = vb::Split(text, QStringLiteral(":"));
        for (const QString &part : parts)
            if (!vb::IsNumeric(part))
                return false;
        const double hours = vb::CDbl(parts.first());
        const double minutes = vb::CDbl(parts.last());
        return hours >= 0 && hours < 24 && minutes >= 0 && minutes <= 59;
    } catch (const std::exception &e) {
        seam::MsgBox(QString::fromLatin1(kValidTimeLabel) + vb::Describe(e), seam::vbOKOnly,
                     app::Title());
        return false;
    }
}

// ---- Keyword file ----------------------------------------------------------------

int GetKeywordsCount(const QString &engineName, const QString &accountName) {
    int count = 0;
    try {
        const QString folder = platform::JoinPath(
            platform::ProgramFolder(), QStringLiteral("Accounts"),
            platform::SafePathComponent(engineName), platform::SafePathComponent(accountName));
        const QString path = platform::JoinPath(folder, QStringLiteral("Keywords.dat"));
        if (!QFile::exists(path))
            return 0;
        QByteArray bytes;
        if (!platform::ReadFileBytes(path, &bytes))
            throw vb::VBError(75, QStringLiteral("Path/File access error"));
        // Non-empty lines, counted on the bytes (one byte is one character)
        // with memchr: the tree counts every account's list at each rebuild.
        // The next LF is kept, so a file of CR ends alone is not rescanned.
        const char *p = bytes.constData();
        const char *const end = p + bytes.size();
        const char *lf = nullptr;
        while (p < end) {
            while (p < end && (*p == '\r' || *p == '\n'))
                ++p;
            if (p == end)
                break;
            ++count;
            if (!lf || lf < p) {
                lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
                if (!lf)
                    lf = end;
            }
            const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(lf - p)));
            p = cr ? cr : lf;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kKeywordsCountLabel, e);
    }
    return count;
}
