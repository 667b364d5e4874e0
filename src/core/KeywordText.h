#pragma once
// Keywords from text: typed keywords and keyword import files, split into
// trimmed keywords without empty entries or repeats (letter case aside).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace KeywordText {

// The separator choice that takes every line of the file as one keyword.
extern const char *const kOnePerLine;  // "One keyword per line"

// An import file's bytes as text: UTF-8 when they are valid UTF-8 (a
// leading byte order mark dropped), else Windows-1252.
QString DecodeImport(const QByteArray &bytes);

// One keyword per line; lines end in CR LF, CR or LF.
QStringList SplitLines(const QString &text);

// The keyword import form: with kOnePerLine, or an empty separator, one
// keyword per line; with any other separator every line break and tab
// becomes one blank and the text is split at each exact occurrence of the
// separator, so no keyword ever holds a line break.
QStringList SplitImport(const QString &text, const QString &separator);

}  // namespace KeywordText
