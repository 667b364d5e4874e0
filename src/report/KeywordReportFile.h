#pragma once
// Where keyword reports go and how a written report is shown:
// program folder/reports/<engine>/<account>.<ext>, names made safe.

#include <QByteArray>
#include <QString>

class KeywordReportFile {
public:
    // The report file's path; the reports folder and the engine folder are
    // made when missing (error 76 when they can't be).
    static QString Path(const QString &engineName, const QString &accountName, const QString &extension);
    // Writes the text, as Windows-1252 bytes, as the whole file (one CR LF
    // added) and opens it, maximised; opens nothing when the write failed.
    // True when written.
    static bool WriteAndOpen(const QString &path, QByteArray ansiText);
};
