// Profile-string files: the reader and the writer.
// Properties: a parse served from the cache equals a fresh parse; values come
// back trimmed and cut to the buffer; a write is read back, changes nothing
// else that was readable and keeps every other line; writes are CR LF.

#include "FuzzSupport.h"

#include "platform/Ini.h"

#include <QMap>

namespace {

using Values = QMap<QString, QString>;  // "section\nkey" (folded) -> value

// What a listed key must never read as: no value on a line holds a line break.
const QString kMissing = QStringLiteral("\n");

Values readAll(const QString &file) {
    Values out;
    for (const QString &section : platform::GetProfileSections(file)) {
        for (const QString &key : platform::GetProfileKeys(file, section)) {
            const QString id = section.toCaseFolded() + QLatin1Char('\n') + key.toCaseFolded();
            if (!out.contains(id))
                out.insert(id, platform::GetProfileString(file, section, key, kMissing, 560));
        }
    }
    return out;
}

bool trimmedAndCut(const QString &v) {
    if (v.size() > 559)
        return false;
    return v.isEmpty() || (v.front() != QLatin1Char(' ') && v.front() != QLatin1Char('\t'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QString file = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("fuzz.ini"));
    // The input: the file's bytes, then after a 0xFF byte the section, key and value to write.
    const QList<QByteArray> parts = fuzz::Pieces(fuzz::Bytes(data, size), '\xFF', 2);
    const QList<QByteArray> write = fuzz::Pieces(parts[1], '\xFE', 3);
    fuzz::WriteRaw(file, parts[0]);

    const Values before = readAll(file);
    for (const QString &v : before)
        FUZZ_CHECK(v != kMissing && trimmedAndCut(v));
    platform::DropProfileCache();
    FUZZ_CHECK(readAll(file) == before);

    // Names the writer can put in a file and the reader find again.
    auto clean = [](const QByteArray &raw) {
        QString s = platform::FromAnsi(raw);
        for (QChar &c : s)
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('[') || c == QLatin1Char(']') ||
                c == QLatin1Char('='))
                c = QLatin1Char('_');
        return s.trimmed().remove(QLatin1Char('\t'));
    };
    QString section = clean(write[0]);
    QString key = clean(write[1]);
    QString value = clean(write[2]);
    if (section.isEmpty())
        section = QStringLiteral("S");
    if (key.isEmpty())
        key = QStringLiteral("k");
    const QStringList linesBefore = platform::SplitLines(platform::FromAnsi(parts[0]));

    FUZZ_CHECK(platform::WriteProfileString(file, section, key, value));
    FUZZ_CHECK(platform::GetProfileString(file, section, key, QString(), 560) == value.left(559));
    Values after = readAll(file);
    const QString id = section.toCaseFolded() + QLatin1Char('\n') + key.toCaseFolded();
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        if (it.key() != id)
            FUZZ_CHECK(after.value(it.key()) == it.value());
    platform::DropProfileCache();
    FUZZ_CHECK(readAll(file) == after);

    // Every other line is kept: at most the written line and a new header are added.
    QByteArray written;
    platform::ReadFileBytes(file, &written);
    FUZZ_CHECK(written.count('\n') == written.count("\r\n") && written.count('\r') == written.count("\r\n"));
    const QStringList linesAfter = platform::SplitLines(platform::FromAnsi(written));
    // One line replaced, one inserted, or a new section appended; nothing else moves.
    qsizetype d = 0;
    while (d < linesBefore.size() && d < linesAfter.size() && linesBefore[d] == linesAfter[d])
        ++d;
    const qsizetype grown = linesAfter.size() - linesBefore.size();
    FUZZ_CHECK((grown == 0 && linesBefore.mid(d + 1) == linesAfter.mid(d + 1)) ||
               (grown == 1 && linesBefore.mid(d) == linesAfter.mid(d + 1)) ||
               (grown == 2 && d == linesBefore.size()));
    return 0;
}
