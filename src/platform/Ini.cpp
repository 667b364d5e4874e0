#include "platform/Ini.h"

#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>
#include <time.h>

#include <list>
#include <memory>
#include <vector>

namespace platform {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

QStringView trimWs(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b].unicode()))
        ++b;
    while (e > b && isBlank(s[e - 1].unicode()))
        --e;
    return s.mid(b, e - b);
}

// A key line: its key and value, both trimmed; false for any other line.
bool parseKeyLine(QStringView line, QStringView *key, QStringView *value) {
    const QStringView t = trimWs(line);
    if (t.startsWith(u'['))
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return false;
    *key = trimWs(t.left(eq));
    *value = trimWs(t.mid(eq + 1));
    return true;
}

// The section header rule (IniSectionHeader) on a view of the line.
bool sectionHeader(QStringView line, QStringView *name) {
    const QStringView t = trimWs(line);
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    *name = trimWs(close < 0 ? t.mid(1) : t.mid(1, close - 1));
    return true;
}

// Case folding maps each UTF-16 unit to one: names of other lengths never match.
bool sameName(QStringView a, QStringView b) { return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0; }

QString fold(QStringView name) { return name.toString().toCaseFolded(); }

// ---- Parsed files, kept while the file is unchanged ----------------------------
//
// Callers read an engine data file key by key; parsing the whole file for
// each key made a file with one huge value take most of a minute. A file is
// parsed once and reused while it is the same file (device, inode), with the
// same size, modification and change times.
//
// Timestamps are coarse (a clock tick, or whole seconds on some file
// systems): a rewrite with the same size right after the file was read can
// keep every stamp. So a copy taken while the file's modification or change
// time was recent is "racy" and compares the bytes on every use, until a
// check made well after the last change shows them unchanged. "Recent" is
// a few clock ticks for stamps with sub-second parts, two seconds (the
// coarsest stamps there are) for whole-second ones.

constexpr qint64 kSecond = 1'000'000'000;
constexpr qint64 kRacyFine = kSecond / 10;
constexpr qint64 kRacyCoarse = 2 * kSecond;
constexpr size_t kMaxCachedFiles = 8;

struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    qint64 mtime = 0;
    qint64 ctime = 0;
    bool operator==(const Stamp &o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime == o.mtime && ctime == o.ctime;
    }
};

qint64 nanos(const timespec &t) { return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

bool stampOf(const QString &file, Stamp *out) {
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out->dev = st.st_dev;
    out->ino = st.st_ino;
    out->size = st.st_size;
    out->mtime = nanos(st.st_mtim);
    out->ctime = nanos(st.st_ctim);
    return true;
}

qint64 nowNanos() {
    timespec t;
    ::clock_gettime(CLOCK_REALTIME, &t);
    return nanos(t);
}

struct Section {
    QString name;
    QHash<QString, int> keys;   // folded key -> line of its first occurrence
    std::vector<int> keyLines;  // every key line, in file order
    int header = -1;            // line of the header
    int lastContent = -1;       // last non-blank line of the section
};

struct Parsed {
    QString path;
    Stamp stamp;
    QByteArray bytes;  // what was parsed (kept for the racy check)
    qint64 checkedAt = 0;
    QStringList lines;
    std::vector<Section> sections;  // in file order
    QHash<QString, int> firstSection;  // folded name -> index in sections

    bool racy() const {
        const bool wholeSeconds = stamp.mtime % kSecond == 0 || stamp.ctime % kSecond == 0;
        const qint64 recent = checkedAt - (wholeSeconds ? kRacyCoarse : kRacyFine);
        return stamp.mtime >= recent || stamp.ctime >= recent;
    }

    const Section *section(const QString &name) const {
        auto it = firstSection.constFind(name.toCaseFolded());
        return it == firstSection.constEnd() ? nullptr : &sections[size_t(it.value())];
    }
};

using ParsedPtr = std::shared_ptr<Parsed>;

ParsedPtr parse(const QString &path, const Stamp &stamp, const QByteArray &bytes, qint64 checkedAt) {
    auto p = std::make_shared<Parsed>();
    p->path = path;
    p->stamp = stamp;
    p->bytes = bytes;
    p->checkedAt = checkedAt;
    p->lines = SplitLines(FromAnsi(bytes));
    Section *current = nullptr;
    for (int i = 0; i < p->lines.size(); ++i) {
        const QString &line = p->lines.at(i);
        QString name;
        if (IniSectionHeader(line, &name)) {
            p->sections.push_back(Section());
            current = &p->sections.back();
            current->name = name;
            current->header = i;
            current->lastContent = i;
            const QString folded = name.toCaseFolded();
            if (!p->firstSection.contains(folded))  // only the first of a name counts
                p->firstSection.insert(folded, int(p->sections.size()) - 1);
            continue;
        }
        if (!current)
            continue;
        if (!trimWs(line).isEmpty())
            current->lastContent = i;
        QStringView key, value;
        if (parseKeyLine(line, &key, &value)) {
            current->keyLines.push_back(i);
            const QString folded = fold(key);
            if (!current->keys.contains(folded))
                current->keys.insert(folded, i);
        }
    }
    return p;
}

// Most recently used first.
std::list<ParsedPtr> &cache() {
    static std::list<ParsedPtr> c;
    return c;
}

void remember(ParsedPtr p) {
    auto &c = cache();
    for (auto it = c.begin(); it != c.end(); ++it) {
        if ((*it)->path == p->path) {
            c.erase(it);
            break;
        }
    }
    c.push_front(std::move(p));
    while (c.size() > kMaxCachedFiles)
        c.pop_back();
}

void forget(const QString &path) {
    cache().remove_if([&path](const ParsedPtr &p) { return p->path == path; });
}

// The parsed file, from the cache when it is still the file on disk;
// nullptr when the file can't be read.
ParsedPtr load(const QString &path) {
    Stamp stamp;
    if (!stampOf(path, &stamp)) {
        forget(path);
        return nullptr;
    }
    auto &c = cache();
    for (auto it = c.begin(); it != c.end(); ++it) {
        if ((*it)->path != path)
            continue;
        ParsedPtr p = *it;
        if (p->stamp == stamp && !p->racy()) {
            c.splice(c.begin(), c, it);
            return p;
        }
        if (p->stamp == stamp) {
            // Racy: same stamps prove nothing yet; the bytes decide.
            const qint64 at = nowNanos();
            QByteArray bytes;
            if (!ReadFileBytes(path, &bytes)) {
                c.erase(it);
                return nullptr;
            }
            if (bytes == p->bytes) {
                p->checkedAt = at;
                if (!p->racy())
                    p->bytes = QByteArray();  // no longer needed
                c.splice(c.begin(), c, it);
                return p;
            }
            ParsedPtr reparsed = parse(path, stamp, bytes, at);
            remember(reparsed);
            return reparsed;
        }
        c.erase(it);
        break;
    }
    const qint64 at = nowNanos();
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes))
        return nullptr;
    Stamp after;
    if (!stampOf(path, &after))
        return nullptr;
    ParsedPtr p = parse(path, after, bytes, at);
    if (!(after == stamp))
        p->checkedAt = 0;  // changed while read: compare the bytes next time
    if (!p->racy())
        p->bytes = QByteArray();
    remember(p);
    return p;
}

// What a buffer of that many characters (with its closing NUL) takes of a
// value; only that much is copied, so a huge value costs nothing.
QString inBuffer(QStringView value, int bufferSize) {
    if (bufferSize > 0 && value.size() > bufferSize - 1)
        value = value.left(bufferSize - 1);
    return value.toString();
}

// The value of a key in a parsed file, or the default.
QString lookUp(const ParsedPtr &p, const QString &section, const QString &key, const QString &defaultValue,
               int bufferSize) {
    if (p) {
        if (const Section *s = p->section(section)) {
            auto it = s->keys.constFind(key.toCaseFolded());
            if (it != s->keys.constEnd()) {
                QStringView k, value;
                parseKeyLine(p->lines.at(it.value()), &k, &value);
                return inBuffer(value, bufferSize);
            }
        }
    }
    return inBuffer(defaultValue, bufferSize);
}

}  // namespace

bool IniSectionHeader(const QString &line, QString *name) {
    QStringView view;
    if (!sectionHeader(line, &view))
        return false;
    if (name)
        *name = view.toString();
    return true;
}


QString GetProfileString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue, int bufferSize) {
    return lookUp(load(file), section, key, defaultValue, bufferSize);
}

// A file read for a handful of keys: scanning its few lines costs less
// than building the look-up tables of a parse that is kept.
struct ProfileReader::Data {
    struct Entry {
        bool isSection;
        QStringView name;  // views into text
        QStringView value;
    };
    QString text;
    std::vector<Entry> entries;  // section headers and key lines, in file order
};

ProfileReader::ProfileReader(const QString &file) {
    QByteArray bytes;
    if (!ReadFileBytes(file, &bytes))
        return;
    auto data = std::make_shared<Data>();
    data->text = FromAnsi(bytes);
    const QStringView text(data->text);
    auto take = [&data](QStringView line) {
        QStringView name, value;
        if (sectionHeader(line, &name))
            data->entries.push_back({true, name, QStringView()});
        else if (parseKeyLine(line, &name, &value))
            data->entries.push_back({false, name, value});
    };
    // Lines end in CR LF, LF or CR, as SplitLines cuts them.
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            take(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        take(text.mid(start));
    m_data = std::move(data);
}

ProfileReader::~ProfileReader() = default;

bool ProfileReader::FileRead() const { return m_data != nullptr; }

QString ProfileReader::GetString(const QString &section, const QString &key, const QString &defaultValue,
                                 int bufferSize) const {
    if (m_data) {
        // The first section of the name counts, and in it the first line of the key.
        bool inSection = false;
        for (const Data::Entry &e : m_data->entries) {
            if (e.isSection) {
                if (inSection)
                    break;
                inSection = sameName(e.name, section);
            } else if (inSection && sameName(e.name, key)) {
                return inBuffer(e.value, bufferSize);
            }
        }
    }
    return inBuffer(defaultValue, bufferSize);
}

bool WriteProfileString(const QString &file, const QString &section, const QString &key, const QString &value) {
    ParsedPtr current;
    if (QFileInfo::exists(file)) {
        current = load(file);
        if (!current)
            return false;
    }
    QStringList lines = current ? current->lines : QStringList();
    const Section *s = current ? current->section(section) : nullptr;
    const QString newLine = key + QLatin1Char('=') + value;
    if (!s) {
        if (value.isNull())
            return true;
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(newLine);
    } else {
        auto it = s->keys.constFind(key.toCaseFolded());
        if (it != s->keys.constEnd()) {
            if (value.isNull())
                lines.removeAt(it.value());
            else
                lines[it.value()] = newLine;
        } else if (!value.isNull()) {
            lines.insert(s->lastContent + 1, newLine);
        }
    }
    QString text = lines.join(QStringLiteral("\r\n"));
    if (!lines.isEmpty())
        text += QStringLiteral("\r\n");
    const QByteArray bytes = ToAnsi(text);
    const qint64 at = nowNanos();
    if (!WriteFileAtomic(file, bytes)) {
        forget(file);
        return false;
    }
    // The file now holds exactly these bytes: parse them instead of reading it back.
    Stamp stamp;
    if (stampOf(file, &stamp))
        remember(parse(file, stamp, bytes, at));
    else
        forget(file);
    return true;
}

QStringList GetProfileSections(const QString &file) {
    QStringList out;
    if (const ParsedPtr p = load(file))
        for (const Section &s : p->sections)
            out.append(s.name);
    return out;
}

QStringList GetProfileKeys(const QString &file, const QString &section) {
    QStringList out;
    const ParsedPtr p = load(file);
    if (!p)
        return out;
    if (const Section *s = p->section(section)) {
        for (int line : s->keyLines) {
            QStringView key, value;
            parseKeyLine(p->lines.at(line), &key, &value);
            out.append(key.toString());
        }
    }
    return out;
}

void DropProfileCache() { cache().clear(); }

}  // namespace platform
