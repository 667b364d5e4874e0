// The keyword mail report: an account's keyword list as plain text, mailed
// to the reporter's own address through the main window's kept mail window.

#include "ui/frmMain.h"

#include "core/clsAccount.h"
#include "core/clsKeywords.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/VB.h"
#include "report/frmSendMail.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kReportTitle = QStringLiteral("-") + QString(16, QLatin1Char(' ')) + QStringLiteral("Keyword report");
const QString kSubject = QStringLiteral("report");
const QString kMailReportLabel = QStringLiteral("frmMain_MailReport:  ");
const QString kSentEmailLabel = QStringLiteral("clsKeywords_SentEmail error: ");
constexpr int kObjectNotSet = 91;
const QString kObjectNotSetText = QStringLiteral("Object variable or With block variable not set");
}  // namespace

void frmMain::MailReport(const clsAccount &oAccount) {
    try {
        clsKeywords keywords;
        keywords.setAccountName(oAccount.AccountName());
        keywords.setEngine(oAccount.Engine());
        keywords.loadKeywords();
        const QString report = keywords.EmailMsg();
        // The report of a large account runs to megabytes: the body is
        // allocated once and the report copied into it once.
        QString body;
        body.reserve(kReportTitle.size() + 4 * kCrLf.size() + report.size());
        body += kReportTitle;
        for (int i = 0; i < 4; ++i)
            body += kCrLf;
        body += report;
        SentEmail(body);
    } catch (const std::exception &e) {
        WriteErrorLog(kMailReportLabel + vb::Describe(e));
    }
}

void frmMain::SentEmail(const QString &sBody) {
    try {
        clsPreference pref;
        pref.GetSettings();
        if (!m_frmSendMail)
            vb::Raise(kObjectNotSet, kObjectNotSetText);
        m_frmSendMail->From(pref.ReporterName(), pref.Email());
        m_frmSendMail->MailServer(pref.SMTPServer(), frmSendMail::PortValue(pref.SMTPPort()));
        m_frmSendMail->SendMail(pref.Email(), kSubject, sBody, QString(), QString());
    } catch (const std::exception &e) {
        WriteErrorLog(kSentEmailLabel + vb::Describe(e));
    }
}
