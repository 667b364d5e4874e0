#include "fakes/FakeSmtpServer.h"
#include "report/frmSendMail.h"
#include "support/TestEnv.h"

#include "platform/VB.h"

#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTcpSocket>
#include <gtest/gtest.h>

using fake::FakeSmtpServer;
using fake::SmtpReply;

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kServerLine = QStringLiteral("SMTPServer: 127.0.0.1");
const QString kDone = QStringLiteral("Send Message Done.");
const QString kErrorSending = QStringLiteral("Error sending mail...");
const QString kDisconnected = QStringLiteral("Disconnected from mail server after error...");

// The lines that date and name every message, from a fixed clock and id.
const QByteArray kStamp = "Date: Mon, 7 Dec 2026 14:05:09 +0100\r\nMessage-ID: <42@x.test>\r\nMIME-Version: 1.0\r\n";

// One mail window pointed at a fake server, recording what it logs.
struct Mailer {
    explicit Mailer(quint16 port) : spyLog(&mail, &frmSendMail::MailLogged), spyEnd(&mail, &frmSendMail::DialogueEnded) {
        testenv::setNow(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9), Qt::OffsetFromUTC, 3600));
        SmtpDialogue::setMessageIdSource([] { return QStringLiteral("42"); });
        mail.From(QStringLiteral("Me"), QStringLiteral("me@x.test"));
        mail.MailServer(kHost, port);
        mail.setReplyTimeout(5000);
    }
    QStringList logged() const {
        QStringList out;
        for (const auto &args : spyLog)
            out.append(args.at(0).toString());
        return out;
    }
    bool waitEnded(int count = 1, int timeoutMs = 5000) {
        while (spyEnd.size() < count)
            if (!spyEnd.wait(timeoutMs))
                return false;
        return true;
    }
    frmSendMail mail;
    QSignalSpy spyLog;
    QSignalSpy spyEnd;
};

// The client's bytes of a dialogue that goes through, from HELO to QUIT.
QByteArray fullDialogue(const QByteArray &rcpts, const QByteArray &headers, const QByteArray &data) {
    return "HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>\r\n" + rcpts + "DATA\r\n" + headers + kStamp +
           "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\n" + data + ".\r\nQUIT\r\n";
}

const QByteArray kPlainHead = "From: Me<me@x.test>\r\nTo: you@x.test\r\nContent-Type: text/plain; charset=us-ascii\r\n"
                              "Subject: hello\r\n";

struct Script { QByteArray command; QList<SmtpReply> replies; };

struct Case {
    const char *name;
    QString to, cc, bcc, body;
    QList<Script> scripts;
    QByteArray client;
    QStringList logged;
    bool delivered;
};

QString html(int position) {
    return QString(position - 1, QLatin1Char('a')) + QStringLiteral("<html>") + QString(10, QLatin1Char('b'));
}

}  // namespace

TEST(frmSendMail, DialoguesAgainstTheServerSendTheseBytesAndLogTheseTexts) {
    const QString you = QStringLiteral("you@x.test");
    const QByteArray multi = "250-fake.smtp.test\r\n250-SIZE 10240000\r\n250 HELP\r\n";
    const QByteArray rcptYou = "RCPT TO:<you@x.test>\r\n";
    const QString b1024(1024, QLatin1Char('x')), b1025(1025, QLatin1Char('x'));
    const Case cases[] = {
        {"To with two addresses, CC and BCC", QStringLiteral("a@x.test, b@x.test"), QStringLiteral("c@x.test"),
         QStringLiteral("d@x.test"), QStringLiteral("body"), {},
         "HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>\r\nRCPT TO:<a@x.test>\r\nRCPT TO:<b@x.test>\r\n"
         "RCPT TO:<c@x.test>\r\nRCPT TO:<d@x.test>\r\nDATA\r\n"
         "From: Me<me@x.test>\r\nTo: a@x.test, b@x.test\r\nCc: c@x.test\r\n"
         "Content-Type: text/plain; charset=us-ascii\r\nSubject: hello\r\n" + kStamp +
         "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\nbody\r\n.\r\nQUIT\r\n",
         {kServerLine, kDone}, true},
        {"stray commas send no empty RCPT", QStringLiteral(",you@x.test,,"), QString(), QString(), QStringLiteral("b"),
         {}, fullDialogue(rcptYou, "From: Me<me@x.test>\r\nTo: ,you@x.test,,\r\nContent-Type: text/plain; charset=us-ascii\r\nSubject: hello\r\n", "b\r\n"),
         {kServerLine, kDone}, true},
        {"<html> at character 295", you, {}, {}, html(295), {},
         fullDialogue(rcptYou, "From: Me<me@x.test>\r\nTo: you@x.test\r\nContent-Type: text/html; Charset=iso-8859-1\r\nSubject: hello\r\n",
                      html(295).toLatin1() + "\r\n"),
         {kServerLine, kDone}, true},
        {"<html> at character 300", you, {}, {}, html(300), {},
         fullDialogue(rcptYou, kPlainHead, html(300).toLatin1() + "\r\n"), {kServerLine, kDone}, true},
        {"body of 1024 characters", you, {}, {}, b1024, {}, fullDialogue(rcptYou, kPlainHead, b1024.toLatin1() + "\r\n"),
         {kServerLine, kDone}, true},
        {"body of 1025 characters", you, {}, {}, b1025, {}, fullDialogue(rcptYou, kPlainHead, b1025.toLatin1() + "\r\n"),
         {kServerLine, kDone}, true},
        {"a \".\" line in the body", you, {}, {}, QStringLiteral("a\r\n.\r\nQUIT\r\n"), {},
         fullDialogue(rcptYou, kPlainHead, "a\r\n..\r\nQUIT\r\n\r\n"), {kServerLine, kDone}, true},
        {"550 to a RCPT", QStringLiteral("a@x.test, b@x.test"), {}, {}, QStringLiteral("b"),
         {{"RCPT", {SmtpReply::line("250 ok"), SmtpReply::line("550 5.1.1 no such user")}}},
         "HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>\r\nRCPT TO:<a@x.test>\r\nRCPT TO:<b@x.test>\r\nQUIT\r\n",
         {kServerLine, kErrorSending, kDisconnected}, false},
        {"421 greeting", you, {}, {}, QStringLiteral("b"), {{"greeting", {SmtpReply::line("421 busy")}}}, "QUIT\r\n",
         {kServerLine, kErrorSending, kDisconnected}, false},
        {"450 to MAIL FROM", you, {}, {}, QStringLiteral("b"), {{"MAIL", {SmtpReply::line("450 try later")}}},
         "HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>\r\nQUIT\r\n", {kServerLine, kErrorSending, kDisconnected}, false},
        {"221 and a close before the message", you, {}, {}, QStringLiteral("b"),
         {{"MAIL", {SmtpReply::line("221 going away").thenClose()}}}, "HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>\r\n",
         {kServerLine, kDisconnected}, false},
        {"multi-line 250 in one write", you, {}, {}, QStringLiteral("b"), {{"HELO", {SmtpReply::raw(multi)}}},
         fullDialogue(rcptYou, kPlainHead, "b\r\n"), {kServerLine, kDone}, true},
        {"multi-line 250 over writes", you, {}, {}, QStringLiteral("b"),
         {{"HELO", {SmtpReply::raw(multi).cutAt({20, 40})}}}, fullDialogue(rcptYou, kPlainHead, "b\r\n"),
         {kServerLine, kDone}, true},
        {"a reply cut mid-line", you, {}, {}, QStringLiteral("b"),
         {{"greeting", {SmtpReply::line("220 fake ready").cutAt({2, 6})}}, {"RCPT", {SmtpReply::line("250 ok").cutAt({5})}}},
         fullDialogue(rcptYou, kPlainHead, "b\r\n"), {kServerLine, kDone}, true},
    };
    for (const Case &c : cases) {
        FakeSmtpServer server;
        for (const Script &s : c.scripts)
            server.on(s.command, s.replies);
        Mailer m(server.port());
        m.mail.SendMail(c.to, QStringLiteral("hello"), c.body, c.cc, c.bcc);
        ASSERT_TRUE(m.waitEnded()) << c.name;
        server.waitFor([&] { return server.clientBytes() == c.client; }, 1000);
        EXPECT_EQ(server.clientBytes(), c.client) << c.name;
        EXPECT_EQ(m.logged(), c.logged) << c.name;
        EXPECT_EQ(m.spyEnd.first().at(0).toBool(), c.delivered) << c.name;
        EXPECT_EQ(server.messages().size(), c.delivered ? 1 : 0) << c.name;
        EXPECT_EQ(m.mail.State(), 0) << c.name;
        EXPECT_FALSE(m.mail.IsBusy()) << c.name;
        EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default) << c.name;
    }
}

TEST(frmSendMail, LineBreaksInNameAddressAndSubjectCannotAddHeadersOrCommands) {
    FakeSmtpServer server;
    Mailer m(server.port());
    m.mail.From(QStringLiteral("Me\r\nBcc: evil@x.test"), QStringLiteral("me@x.test>\r\nRCPT TO:<evil@x.test"));
    m.mail.SendMail(QStringLiteral("you@x.test\r\n"), QStringLiteral("hi\r\nBcc: evil@x.test"), QStringLiteral("b"));
    ASSERT_TRUE(m.waitEnded());
    EXPECT_EQ(server.clientBytes(),
              QByteArray("HELO 127.0.0.1\r\nMAIL FROM:<me@x.test>RCPT TO:<evil@x.test>\r\nRCPT TO:<you@x.test>\r\nDATA\r\n"
                         "From: MeBcc: evil@x.test<me@x.test>RCPT TO:<evil@x.test>\r\nTo: you@x.test\r\n"
                         "Content-Type: text/plain; charset=us-ascii\r\nSubject: hiBcc: evil@x.test\r\n" + kStamp +
                         "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\nb\r\n.\r\nQUIT\r\n"));
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(server.messages().first().recipients, QList<QByteArray>{"<you@x.test>"});
}

TEST(frmSendMail, NoRecipientMeansNoConnection) {
    FakeSmtpServer server;
    for (const QString &to : {QString(), QStringLiteral(" , ,")}) {
        Mailer m(server.port());
        QSignalSpy idle(&m.mail, &frmSendMail::Idle);
        m.mail.SendMail(to, QStringLiteral("s"), QStringLiteral("b"));
        EXPECT_EQ(m.logged(), QStringList{kErrorSending});
        EXPECT_EQ(m.spyEnd.size(), 1);
        EXPECT_EQ(idle.size(), 1);
        EXPECT_FALSE(m.mail.IsBusy());
    }
    QTest::qWait(50);
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_TRUE(testenv::errorLog().contains("frmSendMail_MailLog: Error sending mail...\r\n"));
}

TEST(frmSendMail, ASilentServerAClosedPortAndADropEndAsFailures) {
    struct Case {
        const char *name;
        QList<Script> scripts;
        bool closedPort;
        int replyTimeoutMs;
        QString failure;
    } cases[] = {
        {"silent after HELO", {{"HELO", {SmtpReply::silence()}}}, false, 150,
         QStringLiteral("Error:  10060 - Connection timed out")},
        {"silent greeting", {{"greeting", {SmtpReply::silence()}}}, false, 150,
         QStringLiteral("Error:  10060 - Connection timed out")},
        {"connection dropped at RCPT", {{"RCPT", {SmtpReply::hangUp()}}}, false, 5000,
         QStringLiteral("Error:  10054 - The remote host closed the connection")},
        {"closed port", {}, true, 5000, QStringLiteral("Error:  10061 - Connection refused")},
    };
    for (const Case &c : cases) {
        FakeSmtpServer server;
        for (const Script &s : c.scripts)
            server.on(s.command, s.replies);
        quint16 port = server.port();
        if (c.closedPort) {
            // A port nobody listens on any more (the live server holds its own).
            QTcpServer closed;
            ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
            port = closed.serverPort();
            closed.close();
        }
        Mailer m(port);
        m.mail.setReplyTimeout(c.replyTimeoutMs);
        seam::SetPointer(seam::Pointer::Hourglass);
        m.mail.SendMail(QStringLiteral("you@x.test"), QStringLiteral("s"), QStringLiteral("b"));
        ASSERT_TRUE(m.waitEnded()) << c.name;
        EXPECT_EQ(m.logged(), (QStringList{kServerLine, c.failure})) << c.name;
        EXPECT_FALSE(m.spyEnd.first().at(0).toBool()) << c.name;
        EXPECT_EQ(m.mail.State(), 0) << c.name;
        EXPECT_EQ(m.mail.dsSocket1->state(), QAbstractSocket::UnconnectedState) << c.name;
        EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default) << c.name;
        EXPECT_TRUE(server.waitFor([&] { return server.openConnections() == 0; }, 2000)) << c.name;
    }
}

TEST(frmSendMail, ASecondMessageWaitsForTheFirstAndKeepsItsOwnSender) {
    FakeSmtpServer server;
    server.on(".", {SmtpReply::line("250 queued").delayed(200), SmtpReply::line("250 queued")});
    Mailer m(server.port());
    m.mail.SendMail(QStringLiteral("first@x.test"), QStringLiteral("one"), QStringLiteral("first body"));
    ASSERT_TRUE(server.waitFor([&] { return server.messages().size() == 1; }));
    // Mid-dialogue: another sender and a second message.
    m.mail.From(QStringLiteral("Other"), QStringLiteral("other@x.test"));
    m.mail.SendMail(QStringLiteral("second@x.test"), QStringLiteral("two"), QStringLiteral("second body"));
    EXPECT_EQ(m.mail.WaitingCount(), 1);
    EXPECT_EQ(m.mail.lstAddressList->item(0)->text(), QStringLiteral("first@x.test"));
    ASSERT_TRUE(m.waitEnded(2));
    ASSERT_EQ(server.connectionCount(), 2);
    EXPECT_EQ(server.clientBytes(0),
              fullDialogue("RCPT TO:<first@x.test>\r\n",
                           "From: Me<me@x.test>\r\nTo: first@x.test\r\nContent-Type: text/plain; charset=us-ascii\r\nSubject: one\r\n",
                           "first body\r\n"));
    EXPECT_EQ(server.clientBytes(1),
              QByteArray("HELO 127.0.0.1\r\nMAIL FROM:<other@x.test>\r\nRCPT TO:<second@x.test>\r\nDATA\r\n"
                         "From: Other<other@x.test>\r\nTo: second@x.test\r\nContent-Type: text/plain; charset=us-ascii\r\n"
                         "Subject: two\r\n" + kStamp + "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\nsecond body\r\n.\r\nQUIT\r\n"));
    EXPECT_EQ(m.logged(), (QStringList{kServerLine, kDone, kServerLine, kDone}));
    EXPECT_FALSE(m.mail.IsBusy());
}

TEST(frmSendMail, CancelEndsTheDialogueAndDropsWaitingMessages) {
    FakeSmtpServer server;
    server.on("HELO", SmtpReply::silence());
    Mailer m(server.port());
    QSignalSpy idle(&m.mail, &frmSendMail::Idle);
    m.mail.SendMail(QStringLiteral("a@x.test"), QStringLiteral("s"), QStringLiteral("b"));
    m.mail.SendMail(QStringLiteral("b@x.test"), QStringLiteral("s"), QStringLiteral("b"));
    ASSERT_TRUE(server.waitFor([&] { return server.clientBytes().startsWith("HELO"); }));
    m.mail.SendCancel();
    EXPECT_FALSE(m.mail.IsBusy());
    EXPECT_EQ(idle.size(), 1);
    EXPECT_TRUE(server.waitFor([&] { return server.openConnections() == 0; }));
    QTest::qWait(30);
    EXPECT_EQ(server.connectionCount(), 1);
    EXPECT_EQ(m.logged(), QStringList{kServerLine});
}

TEST(frmSendMail, PortsTakeTheWholeRangeAndZeroMeansTwentyFive) {
    struct Case {
        const char *text;
        int port;  // -1: overflow, -2: type mismatch
    } cases[] = {{"25", 25}, {"0", 0}, {"40000", 40000}, {"65535", 65535}, {"65536", -1},
                 {"-1", -1}, {"abc", -2}, {"", -2}};
    for (const Case &c : cases) {
        const QString text = QString::fromLatin1(c.text);
        try {
            EXPECT_EQ(frmSendMail::PortValue(text), c.port) << c.text;
        } catch (const vb::VBError &e) {
            EXPECT_EQ(e.Number(), c.port == -1 ? vb::errOverflow : vb::errTypeMismatch) << c.text;
            EXPECT_LT(c.port, 0) << c.text;
        }
    }
    frmSendMail mail;
    EXPECT_EQ(mail.windowTitle(), QStringLiteral("Send Mail"));
    EXPECT_FALSE(mail.isVisible());
    EXPECT_THROW(mail.MailServer(kHost, 70000), vb::VBError);
    mail.MailServer(kHost, 0);
    testenv::clearShownMsgBoxes();
    mail.SendMail(QString(), QStringLiteral("s"), QStringLiteral("b"));  // no recipient: nothing connects
    EXPECT_EQ(mail.SMTPPort(), 25);
}
