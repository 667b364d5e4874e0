#pragma once
// The keyword report as fixed-width text: each of the ten columns padded
// with blanks to its width; a text as long as its column or longer is
// written whole and followed by one TAB.

#include <QByteArray>
#include <QString>

class KeywordReportData;

class TextKeywordReport {
public:
    static QString Build(const KeywordReportData &data);
    // The same text as the report file's Windows-1252 bytes.
    static QByteArray BuildAnsi(const KeywordReportData &data);
};
