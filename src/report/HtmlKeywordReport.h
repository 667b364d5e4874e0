#pragma once
// The keyword report as an HTML page. Every text the page takes in is
// escaped for where it stands, so keywords read from engine pages can carry
// no markup into the page; ordinary texts come out unchanged.

#include <QByteArray>
#include <QString>

class KeywordReportData;

class HtmlKeywordReport {
public:
    static QString Build(const KeywordReportData &data);
    // The same page as the report file's Windows-1252 bytes.
    static QByteArray BuildAnsi(const KeywordReportData &data);

    // Text between tags: "&", "<" and ">" escaped.
    static void AppendText(QString &out, const QString &text);
    // A quoted attribute value: quotes escaped as well.
    static void AppendQuotedValue(QString &out, const QString &text);
    // An unquoted link value: as a quoted value, with blanks and line breaks percent-encoded.
    static void AppendUnquotedLink(QString &out, const QString &text);
};
