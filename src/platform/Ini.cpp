#include "platform/Ini.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace platform {

namespace {
struct Line {
    QString text;
    QString section;  // set on a section header line
    QString key;      // set on a key line
    QString value;
    bool isSection = false;
    bool isKey = false;
};

QString trimWs(const QString &s) {
    int b = 0, e = int(s.size());
    while (b < e && (s[b] == QLatin1Char(' ') || s[b] == QLatin1Char('\t')))
        ++b;
    while (e > b && (s[e - 1] == QLatin1Char(' ') || s[e - 1] == QLatin1Char('\t')))
        --e;
    return s.mid(b, e - b);
}

Line parseLine(const QString &text) {
    Line l;
    l.text = text;
    const QString t = trimWs(text);
    if (t.startsWith(QLatin1Char('['))) {
        const int close = int(t.indexOf(QLatin1Char(']')));
        l.isSection = true;
        l.section = trimWs(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return l;
    }
    const int eq = int(t.indexOf(QLatin1Char('=')));
    if (eq > 0) {
        l.isKey = true;
        l.key = trimWs(t.left(eq));
        l.value = trimWs(t.mid(eq + 1));
    }
    return l;
}

bool sameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool readLines(const QString &file, QStringList *lines) {
    QString text;
    if (!ReadAnsiFile(file, &text))
        return false;
    *lines = SplitLines(text);
    return true;
}
}  // namespace

ProfileReader::ProfileReader(const QString &file) { m_bRead = readLines(file, &m_lines); }

QString ProfileReader::GetString(const QString &section, const QString &key, const QString &defaultValue,
                                 int bufferSize) const {
    QString result = defaultValue;
    if (m_bRead) {
        bool inSection = false, sectionSeen = false;
        for (const QString &raw : m_lines) {
            const Line l = parseLine(raw);
            if (l.isSection) {
                if (sectionSeen && inSection)
                    break;  // only the first matching section counts
                inSection = sameName(l.section, section);
                sectionSeen = sectionSeen || inSection;
            } else if (inSection && l.isKey && sameName(l.key, key)) {
                result = l.value;
                break;
            }
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
            out.append(l.section);
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
            out.append(l.key);
        }
    }
    return out;
}

}  // namespace platform
