#pragma once
// What a keyword report shows: the account, its engine, the day, the
// account's own URLs, the keyword list's rows as the window shows them and
// the reporter's details from the settings.

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

class KeywordReportData {
public:
    // Per row: its number and the texts of Keywords, Counts, Cur Bid, Next Bid,
    // 1st Bid, 2nd Bid, 3rd Bid, Position and Status.
    using Row = std::array<QString, 10>;

    QString accountName;
    QString engineName;
    QDate date;
    QStringList urls;  // empty when the account has no URL file
    QString reporterName, companyName, email, webSite, logoURL, logoPosition;

    // The keyword rows, read one cell at a time as the report is built, so
    // a long list is never copied whole.
    int RowCount() const { return m_rowCount; }
    // Column 0 is the row's number, 1 to 9 its texts; rows from 0.
    QString Cell(int row, int column) const { return m_cell(row, column); }
    void SetRowSource(int count, std::function<QString(int row, int column)> cell);
    void SetRows(std::vector<Row> rows);

    // The account's URLs, the reporter settings and today's date; the rows are the caller's.
    static KeywordReportData ForAccount(const QString &engineName, const QString &accountName);

    // The date as the general date form shows a day (M/D/YYYY).
    QString ShortDate() const;
    // The date written out in full ("Monday, December 7, 2026").
    QString LongDate() const;

private:
    int m_rowCount = 0;
    std::function<QString(int, int)> m_cell;
};
