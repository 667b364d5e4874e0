#include "platform/Ini.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace platform {

namespace {
// Views into one line of the file.
struct Line {
    QStringView section;  // set on a section header line
    QStringView key;      // set on a key line
    QStringView value;
    bool isSection = false;
    bool isKey = false;
};

QStringView trimWs(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == QLatin1Char(' ') || s[b] == QLatin1Char('\t')))
        ++b;
    while (e > b && (s[e - 1] == QLatin1Char(' ') || s[e - 1] == QLatin1Char('\t')))
        --e;
    return s.mid(b, e - b);
}

Line parseLine(QStringView text) {
    Line l;
    const QStringView t = trimWs(text);
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        l.isSection = true;
        l.section = trimWs(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return l;
    }
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq > 0) {
        l.isKey = true;
        l.key = trimWs(t.left(eq));
        l.value = trimWs(t.mid(eq + 1));
    }
    return l;
}

// Case folding maps each UTF-16 unit to one unit: names of other lengths never match.
bool sameName(QStringView a, QStringView b) { return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0; }

bool readLines(const QString &file, QStringList *lines) {
    QString text;
    if (!ReadAnsiFile(file, &text))
        return false;
    *lines = SplitLines(text);
    return true;
}
}  // namespace

ProfileReader::ProfileReader(const QString &file) {
    m_bRead = ReadAnsiFile(file, &m_text);
    if (!m_bRead)
        return;
    // Lines end at CR LF, CR or LF, as SplitLines cuts them.
    const QStringView text(m_text);
    auto take = [this](QStringView raw) {
        const Line l = parseLine(raw);
        if (l.isSection)
            m_entries.append({true, l.section, QStringView()});
        else if (l.isKey)
            m_entries.append({false, l.key, l.value});
    };
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            take(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        take(text.mid(start));
}

ProfileReader::~ProfileReader() = default;

QString ProfileReader::GetString(const QString &section, const QString &key, const QString &defaultValue,
                                 int bufferSize) const {
    QString result = defaultValue;
    bool inSection = false, sectionSeen = false;
    for (const Entry &e : m_entries) {
        if (e.isSection) {
            if (sectionSeen && inSection)
                break;  // only the first matching section counts
            inSection = sameName(e.name, section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && sameName(e.name, key)) {
            result = e.value.toString();
            break;
        }
    }
    if (bufferSize > 0 && result.size() > bufferSize - 1)
        result.truncate(bufferSize - 1);
    return result;
}

QString GetProfileString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue, int bufferSize) {
    return ProfileReader(file).GetString(section, key, defaultValue, bufferSize);
}

bool WriteProfileString(const QString &file, const QString &section, const QString &key, const QString &value) {
    QStringList lines;
    if (QFileInfo::exists(file) && !readLines(file, &lines))
        return false;
    const QString newLine = key + QLatin1Char('=') + value;
    int sectionAt = -1, keyAt = -1, lastContent = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const Line l = parseLine(lines[i]);
        if (l.isSection) {
            if (sectionAt >= 0)
                break;
            if (sameName(l.section, section)) {
                sectionAt = i;
                lastContent = i;
            }
        } else if (sectionAt >= 0) {
            if (!trimWs(lines[i]).isEmpty())
                lastContent = i;
            if (l.isKey && sameName(l.key, key)) {
                keyAt = i;
                break;
            }
        }
    }
    if (sectionAt < 0) {
        if (value.isNull())
            return true;
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(newLine);
    } else if (keyAt >= 0) {
        if (value.isNull())
            lines.removeAt(keyAt);
        else
            lines[keyAt] = newLine;
    } else if (!value.isNull()) {
        lines.insert(lastContent + 1, newLine);
    }
    QString text = lines.join(QStringLiteral("\r\n"));
    if (!lines.isEmpty())
        text += QStringLiteral("\r\n");
    return WriteAnsiFileAtomic(file, text);
}

QStringList GetProfileSections(const QString &file) {
    QStringList lines, out;
    if (!readLines(file, &lines))
        return out;
    for (const QString &raw : std::as_const(lines)) {
        const Line l = parseLine(raw);
        if (l.isSection)
            out.append(l.section.toString());
    }
    return out;
}

QStringList GetProfileKeys(const QString &file, const QString &section) {
    QStringList lines, out;
    if (!readLines(file, &lines))
        return out;
    bool inSection = false, seen = false;
    for (const QString &raw : std::as_const(lines)) {
        const Line l = parseLine(raw);
        if (l.isSection) {
            if (seen && inSection)
                break;
            inSection = sameName(l.section, section);
            seen = seen || inSection;
        } else if (inSection && l.isKey) {
            out.append(l.key.toString());
        }
    }
    return out;
}

}  // namespace platform
