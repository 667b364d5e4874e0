#pragma once
// What a keyword report shows: the account, its engine, the day, the
// account's own URLs, the keyword list's rows as the window shows them and
// the reporter's details from the settings.

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
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
    std::vector<Row> rows;
    QString reporterName, companyName, email, webSite, logoURL, logoPosition;

    // The account's URLs, the reporter settings and today's date; the rows are the caller's.
    static KeywordReportData ForAccount(const QString &engineName, const QString &accountName);

    // The date as the general date form shows a day (M/D/YYYY).
    QString ShortDate() const;
    // The date written out in full ("Monday, December 7, 2026").
    QString LongDate() const;
};
