#include "ProgramFixtures.h"

#include "core/clsKeywords.h"
#include "fakes/FakeSmtpServer.h"
#include "platform/TextFile.h"
#include "report/SmtpDialogue.h"
#include "report/frmSendMail.h"

namespace {

const QString kTitle = "-                Keyword report";
const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 30, 0));

void setMailSettings(const QString &port, const QString &email = "me@x.test") {
    testenv::setRegistryValue(g_sPreferenceKey, "SMTPServer", "127.0.0.1");
    testenv::setRegistryValue(g_sPreferenceKey, "SMTPPort", port);
    testenv::setRegistryValue(g_sPreferenceKey, "Email", email);
    testenv::setRegistryValue(g_sPreferenceKey, "ReporterName", "Reporter");
}

struct MailReportTest : ::testing::Test {
    void SetUp() override {
        testenv::setNow(kNow);
        SmtpDialogue::setMessageIdSource([] { return QStringLiteral("7"); });
        w.m_frmSendMail = std::make_unique<frmSendMail>();
        setMailSettings(QString::number(server.port()));
    }
    // Waits for the kept window's dialogue; the message the server took.
    fake::SmtpMessage delivered() {
        QSignalSpy ended(w.m_frmSendMail.get(), &frmSendMail::DialogueEnded);
        EXPECT_TRUE(ended.wait(5000));
        EXPECT_EQ(server.messages().size(), 1);
        return server.messages().value(0);
    }
    fake::FakeSmtpServer server;
    frmMain w;
};

}  // namespace

TEST_F(MailReportTest, TheKeywordReportGoesToTheReportersOwnAddress) {
    const QString pound(QChar(0xA3));
    testenv::writeFile(fixtures::accountFile("Overture(UK)", "acme", "Keywords.dat"),
                       "shoes;120;" + platform::ToAnsi(pound) + "0.50;0.51;0.90;0.70;0.60;;;2;Found\r\n"
                       "boots;;;;;;;;;;\r\n");
    w.MailReport(fixtures::accountOf("Overture(UK)", "acme"));
    const fake::SmtpMessage m = delivered();

    clsKeywords list;
    list.setEngine("Overture(UK)");
    list.setAccountName("acme");
    list.loadKeywords();
    const QString body = kTitle + "\r\n\r\n\r\n\r\n" + list.EmailMsg();
    ASSERT_TRUE(body.contains("shoes"));
    EXPECT_EQ(m.from, QByteArray("<me@x.test>"));
    EXPECT_EQ(m.recipients, QList<QByteArray>{"<me@x.test>"});
    EXPECT_EQ(m.data, "From: Reporter<me@x.test>\r\nTo: me@x.test\r\n"
                      "Content-Type: text/plain; charset=windows-1252\r\nSubject: report\r\n" +
                          platform::ToAnsi(SmtpDialogue::DateLine(kNow)) +
                          "\r\nMessage-ID: <7@x.test>\r\nMIME-Version: 1.0\r\n"
                          "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\n" +
                          platform::ToAnsi(body) + "\r\n");
}

TEST_F(MailReportTest, AnAccountWithoutKeywordsSendsTheTitleAndEmptyLines) {
    w.MailReport(fixtures::accountOf("Google", "nobody"));
    const fake::SmtpMessage m = delivered();
    EXPECT_TRUE(m.data.endsWith("\r\n\r\n" + kTitle.toLatin1() + "\r\n\r\n\r\n\r\n\r\n")) << m.data.toStdString();
    EXPECT_TRUE(m.data.contains("Subject: report\r\n"));
}

TEST_F(MailReportTest, SettingsThatCannotBeUsedAreLoggedAndSendNothing) {
    struct Case {
        const char *name;
        QString port;
        QString email;
        bool window;
        QByteArray logged;
    } cases[] = {
        {"port not a number", "abc", "me@x.test", true, "clsKeywords_SentEmail error: Type mismatch\r\n"},
        {"port out of range", "70000", "me@x.test", true, "clsKeywords_SentEmail error: Overflow\r\n"},
        {"no mail window", QString::number(server.port()), "me@x.test", false,
         "clsKeywords_SentEmail error: Object variable or With block variable not set\r\n"},
        {"no e-mail address", QString::number(server.port()), QString(), true,
         "frmSendMail_MailLog: Error sending mail...\r\n"},
    };
    for (const Case &c : cases) {
        setMailSettings(c.port, c.email);
        if (!c.window)
            w.m_frmSendMail.reset();
        else if (!w.m_frmSendMail)
            w.m_frmSendMail = std::make_unique<frmSendMail>();
        w.SentEmail("body");
        EXPECT_TRUE(testenv::errorLog().endsWith(c.logged)) << c.name << ": " << testenv::errorLog().toStdString();
        EXPECT_FALSE(w.m_frmSendMail && w.m_frmSendMail->IsBusy()) << c.name;
    }
    EXPECT_EQ(server.connectionCount(), 0);
}
