#pragma once
// A keyword's ranking results file: one listing per line, URL ";#" title
// ";#" price, each line ended by CR LF, Windows-1252 bytes; rewritten whole
// for every look-up of the keyword, empty for a page without results.

#include "lookup/ResultPageParser.h"

#include <QByteArray>
#include <QList>
#include <QString>

class RankingResultsFile {
public:
    // The file's bytes for the listings, in order.
    static QByteArray Bytes(const QList<ResultListing> &listings);
    // Replaces the file (its folders are created); false with the reason when it can't.
    static bool Write(const QString &path, const QList<ResultListing> &listings, QString *errorText = nullptr);

    // The rows a reader shows: lines up to the end or the first empty line;
    // only lines of exactly three fields count.
    static QList<ResultListing> Parse(const QByteArray &bytes);
    // Nothing when the file is missing or can't be read.
    static QList<ResultListing> Read(const QString &path);
};
