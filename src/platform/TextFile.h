#pragma once
// Windows-1252 text, whole-file atomic writes and the mapping of user texts
// (engine, account, keyword names) to safe path components.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace platform {

// Windows-1252 <-> Unicode. Characters with no 1252 byte become "?".
QByteArray ToAnsi(const QString &text);
// The same into place: writes text.size() bytes at `out`.
void ToAnsi(QStringView text, char *out);
QString FromAnsi(QByteArrayView bytes);

// Reads a whole file's bytes; false when it can't be opened.
bool ReadFileBytes(const QString &path, QByteArray *out);
// Reads a whole file as Windows-1252 text; false when it can't be opened.
bool ReadAnsiFile(const QString &path, QString *out);

// Writes a whole file atomically: the old file stays intact until the new
// one is complete and synced, and any failure (a full disk, a size limit)
// returns false with the old file whole. `ownerOnly` creates it readable by the owner only.
// The folder must exist. False on failure (errorText says why when given).
bool WriteFileAtomic(const QString &path, const QByteArray &bytes, bool ownerOnly = false,
                     QString *errorText = nullptr);
bool WriteAnsiFileAtomic(const QString &path, const QString &text, bool ownerOnly = false,
                         QString *errorText = nullptr);
// The same for a file the program can fetch again (look-up results, suggestion
// caches): written whole and renamed into place, so nothing ever reads half a
// file, but not synced to disk, which would cost more than the fetch itself.
bool WriteCacheFileAtomic(const QString &path, const QByteArray &bytes, QString *errorText = nullptr);

// Keeps the bytes of a damaged file beside it as "<path>.bad" (owner-only),
// once: an existing copy is never replaced. Returns the copy's path, or ""
// when nothing was written (a copy already there, or the write failed).
QString KeepDamagedCopy(const QString &path, const QByteArray &bytes);

// Splits text into lines at CR LF, CR or LF (a final line break gives no extra empty line).
QStringList SplitLines(const QString &text);

// A user text as one path component: ordinary names come back unchanged;
// path separators, reserved characters (< > : " | ? * and "%"), control
// characters and the names "", "." and ".." are percent-encoded, so the
// result never leaves its folder and different texts never collide.
QString SafePathComponent(const QString &name);

}  // namespace platform
