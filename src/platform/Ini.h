#pragma once
// Profile-string (ini) files with the semantics the program relies on:
// section and key names without regard to case (first match wins), values
// trimmed, reads limited by a buffer, missing file/section/key gives the
// default. The writer creates the file (not its folders), adds the section
// or key when missing, replaces the value in place and keeps every other line.
// Files are Windows-1252 text with CR LF line ends.

#include <QString>
#include <QList>
#include <QStringList>
#include <QStringView>

namespace platform {

// Reads a value into a buffer of `bufferSize` characters (so at most
// bufferSize-1 come back). Returns the default when anything is missing.
QString GetProfileString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue, int bufferSize);
// One read of a file serving several look-ups with GetProfileString's rules
// (a reader of settings files that are read often reads each file once).
class ProfileReader {
public:
    explicit ProfileReader(const QString &file);
    ~ProfileReader();
    ProfileReader(const ProfileReader &) = delete;
    ProfileReader &operator=(const ProfileReader &) = delete;
    bool FileRead() const { return m_bRead; }
    QString GetString(const QString &section, const QString &key, const QString &defaultValue,
                      int bufferSize) const;

private:
    struct Entry {
        bool isSection;
        QStringView name;  // section or key name, in m_text
        QStringView value;
    };
    QString m_text;
    QList<Entry> m_entries;  // section headers and key lines, in file order
    bool m_bRead = false;
};

// Writes one key; an empty-null `value` (QString()) deletes the key. False on failure.
bool WriteProfileString(const QString &file, const QString &section, const QString &key,
                        const QString &value);
// Names of the sections / of the keys of a section, in file order.
QStringList GetProfileSections(const QString &file);
QStringList GetProfileKeys(const QString &file, const QString &section);

}  // namespace platform
