#include "core/KeywordText.h"

#include "core/clsURL.h"
#include "platform/TextFile.h"

#include <QStringDecoder>

namespace KeywordText {

const char *const kOnePerLine = "One keyword per line";

namespace {
// The shared splitting rule: pieces trimmed, empty ones and repeats dropped.
QStringList collect(const QString &text, const QString &separator) {
    QStringList out;
    const URLCollectionPtr pieces = clsURL::ConverStrToCol(text, separator);
    out.reserve(pieces->Count());
    for (const QString &piece : *pieces)
        out.append(piece);
    return out;
}
}  // namespace

QString DecodeImport(const QByteArray &bytes) {
    // The decoder drops a leading byte order mark by default.
    // Stateless: a sequence cut off at the end is an error, not a wait for more.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return platform::FromAnsi(bytes);
}

QStringList SplitLines(const QString &text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return collect(lines, QStringLiteral("\n"));
}

QStringList SplitImport(const QString &text, const QString &separator) {
    if (separator.isEmpty() || separator == QLatin1String(kOnePerLine))
        return SplitLines(text);
    QString joined = text;
    joined.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (const char c : {'\r', '\n', '\t'})
        joined.replace(QLatin1Char(c), QLatin1Char(' '));
    return collect(joined, separator);
}

}  // namespace KeywordText
