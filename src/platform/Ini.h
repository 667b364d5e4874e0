#pragma once
// Profile-string (ini) files with the semantics the program relies on:
// section and key names without regard to case (first match wins), values
// trimmed, reads limited by a buffer, missing file/section/key gives the
// default. The writer creates the file (not its folders), adds the section
// or key when missing, replaces the value in place and keeps every other line.
// Files are Windows-1252 text; lines end in CR LF, LF or CR when read, in
// CR LF when written. A file is parsed once and reused until it changes.

#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

// Reads a value into a buffer of `bufferSize` characters (so at most
// bufferSize-1 come back). Returns the default when anything is missing.
QString GetProfileString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue, int bufferSize);
// One read and one parse of a file for several look-ups with
// GetProfileString's rules, without a look at the file for each of them (a
// reader of many small files each once, like the minute tick over every
// scheduled account).
class ProfileReader {
public:
    explicit ProfileReader(const QString &file);
    ~ProfileReader();
    ProfileReader(const ProfileReader &) = delete;
    ProfileReader &operator=(const ProfileReader &) = delete;
    bool FileRead() const;
    QString GetString(const QString &section, const QString &key, const QString &defaultValue,
                      int bufferSize) const;

private:
    struct Data;
    std::shared_ptr<const Data> m_data;  // null when the file could not be read
};

// Writes one key; an empty-null `value` (QString()) deletes the key. False on failure.
bool WriteProfileString(const QString &file, const QString &section, const QString &key,
                        const QString &value);
// Names of the sections / of the keys of a section, in file order.
QStringList GetProfileSections(const QString &file);
QStringList GetProfileKeys(const QString &file, const QString &section);

// The one rule for a section header line: "[" after blanks and tabs, the name
// up to "]" (or the line's end) with blanks and tabs trimmed. False for any
// other line. Every reader and writer of ini-style files uses it.
bool IniSectionHeader(const QString &line, QString *name);

// Forgets every parsed file (tests and benchmarks measuring a first read).
void DropProfileCache();

}  // namespace platform
