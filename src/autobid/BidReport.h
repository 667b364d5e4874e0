#pragma once
// The bid run report of one account: the keywords whose bid the run changes,
// with old and new bid and position, as fixed-width text. The bid window's
// "Report" key writes and opens it; a scheduled pass mails it.
//
// The keywords are the bid window's collection (keyed by the bare keyword
// text, shared records): the report fills an empty NewPos from CurPos and an
// empty NewBid from CurBid in the records themselves.

#include "core/clsKeyword.h"

#include <QPointer>
#include <QString>

class frmSendMail;

class BidReport {
public:
    // The report text; a keyword whose CurBid or NewBid is not an amount is
    // left out (and logged).
    static QString GenerateReport(const QString &engine, const QString &account, const KeywordCollection &keywords);
    // One table row, its line end included.
    static QString ReportLine(const clsKeyword &keyword);
    // Builds the report, writes it as reports/<engine>/<account>_autobid.txt
    // and opens that file. False (logged) when it could not be written; only
    // a file just written is opened.
    static bool Report(const QString &engine, const QString &account, const KeywordCollection &keywords);
    // Mails a report text to the reporter's own address through a mail window
    // of its own, which deletes itself when its dialogue has ended. Returns
    // that window (null when the mail could not be started; logged).
    static QPointer<frmSendMail> SentEmail(const QString &engine, const QString &account, const QString &text);
    // program folder/reports/<engine>/<account>_autobid.txt (names made safe)
    static QString ReportFile(const QString &engine, const QString &account);
};
