#include "report/SmtpDialogue.h"
#include "support/TestEnv.h"

#include <QLocale>
#include <QSet>
#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

// Records what the dialogue asks for.
struct Recorder : SmtpDialogue::Sink {
    QByteArray wire;
    QList<QByteArray> pieces;
    QStringList statuses;
    int ended = 0;
    bool delivered = false;
    void SendCommand(const QByteArray &b) override { wire += b; }
    void SendPiece(const QByteArray &b) override {
        wire += b;
        pieces.append(b);
    }
    void Status(const QString &t) override { statuses.append(t); }
    void Ended(bool d) override {
        ++ended;
        delivered = d;
    }
};

SmtpDialogue::Envelope envelope(const QString &body = QStringLiteral("hi")) {
    SmtpDialogue::Envelope e;
    e.senderName = QStringLiteral("Me");
    e.senderAddress = QStringLiteral("me@x.test");
    e.host = QStringLiteral("mail.test");
    e.to = QStringLiteral("you@x.test");
    e.subject = QStringLiteral("s");
    e.body = body;
    e.recipients = {QStringLiteral("you@x.test")};
    return e;
}

// The server's view: dot-unstuffed lines up to the end mark.
QByteArray unstuff(const QByteArray &wire) {
    QByteArray out;
    for (QByteArray line : wire.split('\n')) {
        if (!line.endsWith('\r'))
            break;
        line.chop(1);
        if (line == ".")
            return out;
        if (line.startsWith('.'))
            line.remove(0, 1);
        out += line + "\r\n";
    }
    return "<no end mark>";
}

}  // namespace

TEST(SmtpDialogueMessage, BodyGoesInPiecesOf1024WithCrLfAndDoubledDots) {
    const QByteArray a1023(1023, 'a');
    struct Case { const char *name; QByteArray body; QList<QByteArray> pieces; } cases[] = {
        {"empty", "", {"\r\n"}},
        {"1024 characters", QByteArray(1024, 'x'), {QByteArray(1024, 'x') + "\r\n"}},
        {"1025 characters", QByteArray(1025, 'x'), {QByteArray(1024, 'x'), "x\r\n"}},
        {"a dot line", "a\r\n.\r\nb", {"a\r\n..\r\nb\r\n"}},
        {"a leading dot and a double dot", ".x\n..y", {"..x\r\n...y\r\n"}},
        {"a dot inside a line stays", "a.b\r\n x.", {"a.b\r\n x.\r\n"}},
        {"bare LF and lone CR", "a\nb\rc", {"a\r\nb\r\nc\r\n"}},
        {"CR LF cut by the piece end", a1023 + "\r\nb", {a1023, "\r\nb\r\n"}},
        {"a dot opening the second piece", a1023.left(1022) + "\r\n.b", {a1023.left(1022) + "\r\n", "..b\r\n"}},
        {"trailing line end", "a\r\n", {"a\r\n\r\n"}},
    };
    for (const Case &c : cases) {
        const QList<QByteArray> got = SmtpDialogue::BodyPieces(c.body);
        EXPECT_EQ(got, c.pieces) << c.name;
    }
}

TEST(SmtpDialogueMessage, NoBodyLineCanEndTheMessageEarly) {
    // Dots and line ends at every offset around the piece boundary.
    for (int offset = 1015; offset < 1030; ++offset) {
        QByteArray body(offset, 'a');
        body += "\r\n.\r\nQUIT\r\n.\n.\r.";
        QByteArray wire;
        for (const QByteArray &p : SmtpDialogue::BodyPieces(body))
            wire += p;
        wire += ".\r\n";
        EXPECT_EQ(unstuff(wire), QByteArray(offset, 'a') + "\r\n.\r\nQUIT\r\n.\r\n.\r\n.\r\n") << offset;
    }
}

TEST(SmtpDialogueMessage, AddressListSkipsEmptyItemsAndLineBreaks) {
    struct Case { QString text; QStringList expected; } cases[] = {
        {QStringLiteral("a@x.test, b@x.test"), {QStringLiteral("a@x.test"), QStringLiteral("b@x.test")}},
        {QStringLiteral(" a@x.test "), {QStringLiteral("a@x.test")}},
        {QStringLiteral("a@x.test,,b@x.test"), {QStringLiteral("a@x.test"), QStringLiteral("b@x.test")}},
        {QStringLiteral(",a@x.test,"), {QStringLiteral("a@x.test")}},
        {QStringLiteral(" , ,"), {}},
        {QString(), {}},
        {QStringLiteral("a@x.test\r\nRCPT TO:<evil@x.test>"), {QStringLiteral("a@x.testRCPT TO:<evil@x.test>")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SmtpDialogue::SplitAddresses(c.text), c.expected) << c.text.toStdString();
}

TEST(SmtpDialogueMessage, TheHeaderDatesAndNamesTheMessageBeforeTheMailerLine) {
    testenv::setNow(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9), Qt::OffsetFromUTC, 3600));
    SmtpDialogue::setMessageIdSource([] { return QStringLiteral("1a2b.7.1"); });
    Recorder r;
    SmtpDialogue d(&r);
    SmtpDialogue::Envelope e = envelope(QStringLiteral("Bid \u00A30.25"));
    e.cc = QStringLiteral("boss@x.test");
    d.Begin(e);
    d.Receive("220 a\r\n250 b\r\n250 c\r\n250 d\r\n354 e\r\n");
    EXPECT_EQ(r.wire, QByteArray("HELO mail.test\r\nMAIL FROM:<me@x.test>\r\nRCPT TO:<you@x.test>\r\nDATA\r\n"
                                 "From: Me<me@x.test>\r\nTo: you@x.test\r\nCc: boss@x.test\r\n"
                                 "Content-Type: text/plain; charset=windows-1252\r\nSubject: s\r\n"
                                 "Date: Mon, 7 Dec 2026 14:05:09 +0100\r\n"
                                 "Message-ID: <1a2b.7.1@x.test>\r\n"
                                 "MIME-Version: 1.0\r\n"
                                 "X-Mailer: Zentrova Quillbeck Ambrivex\r\n\r\n"
                                 "Bid \xA3" "0.25\r\n.\r\n"));
}

TEST(SmtpDialogueMessage, TheDateIsEnglishWithTheZonesOffsetWhateverTheDesktopLanguage) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case { QDateTime when; const char *line; } cases[] = {
        {QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9), Qt::OffsetFromUTC, 3600), "Date: Mon, 7 Dec 2026 14:05:09 +0100"},
        {QDateTime(QDate(2027, 5, 23), QTime(0, 0, 0), Qt::OffsetFromUTC, -(3 * 3600 + 1800)),
         "Date: Sun, 23 May 2027 00:00:00 -0330"},
        {QDateTime(QDate(2026, 3, 12), QTime(23, 59, 59), Qt::UTC), "Date: Thu, 12 Mar 2026 23:59:59 +0000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SmtpDialogue::DateLine(c.when), QString::fromLatin1(c.line));
    QLocale::setDefault(saved);
}

TEST(SmtpDialogueMessage, MessageIdsAreNeverSharedAndFallBackToTheHostName) {
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(SmtpDialogue::NewMessageIdLeft());
    EXPECT_EQ(seen.size(), 1000);

    // Two messages of one dialogue, one after the other.
    testenv::setNow(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9), Qt::UTC));
    QStringList ids;
    for (int i = 0; i < 2; ++i) {
        Recorder r;
        SmtpDialogue d(&r);
        d.Begin(envelope());
        d.Receive("220 a\r\n250 b\r\n250 c\r\n250 d\r\n354 e\r\n");
        const int start = int(r.wire.indexOf("Message-ID: <"));
        ASSERT_GE(start, 0);
        ids << QString::fromLatin1(r.wire.mid(start, r.wire.indexOf("\r\n", start) - start));
    }
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_TRUE(ids[0].endsWith(QLatin1String("@x.test>"))) << ids[0].toStdString();

    const QString host = QSysInfo::machineHostName();
    for (const QString &sender : {QString(), QStringLiteral("postmaster"), QStringLiteral("me@"),
                                  QStringLiteral("me@bad domain"), QStringLiteral("me@x..test")})
        EXPECT_EQ(SmtpDialogue::MessageIdLine(QStringLiteral("id"), sender),
                  QStringLiteral("Message-ID: <id@") + (host.isEmpty() ? QStringLiteral("localhost") : host) + '>')
            << sender.toStdString();
    EXPECT_EQ(SmtpDialogue::MessageIdLine(QStringLiteral("id"), QStringLiteral(" Me@Mail.X-1.test ")),
              QStringLiteral("Message-ID: <id@Mail.X-1.test>"));
}

TEST(SmtpDialogueReplies, OddRepliesEndTheDialogueOnceAndHonestly) {
    struct Case {
        const char *name;
        QByteArray replies;
        QByteArray wire;
        QStringList statuses;
        bool delivered;
    } cases[] = {
        {"221 before the message is a failure", "220 a\r\n250 b\r\n221 bye\r\n", "HELO mail.test\r\nMAIL FROM:<me@x.test>\r\n",
         {QStringLiteral("Disconnected from mail server after error...")}, false},
        {"an error reply to the error's QUIT ends it without a second QUIT", "554 no\r\n500 what\r\n", "QUIT\r\n",
         {QStringLiteral("Error sending mail..."), QStringLiteral("Disconnected from mail server after error...")},
         false},
        {"a 354 after QUIT sends no message", "554 no\r\n354 go\r\n221 bye\r\n", "QUIT\r\n",
         {QStringLiteral("Error sending mail..."), QStringLiteral("Disconnected from mail server after error...")},
         false},
    };
    for (const Case &c : cases) {
        Recorder r;
        SmtpDialogue d(&r);
        d.Begin(envelope());
        d.Receive(c.replies);
        EXPECT_EQ(r.wire, c.wire) << c.name;
        EXPECT_EQ(r.statuses, c.statuses) << c.name;
        EXPECT_EQ(r.ended, 1) << c.name;
        EXPECT_EQ(r.delivered, c.delivered) << c.name;
        EXPECT_EQ(d.State(), SmtpDialogue::Idle) << c.name;
        EXPECT_FALSE(d.IsActive()) << c.name;
    }
}

TEST(SmtpDialogueReplies, ALostConnectionAfterTheMessageWasTakenStillCountsAsSent) {
    Recorder r;
    SmtpDialogue d(&r);
    d.Begin(envelope());
    d.Receive("220 a\r\n250 b\r\n250 c\r\n250 d\r\n354 e\r\n250 f\r\n");
    EXPECT_EQ(d.State(), SmtpDialogue::QuitSent);
    d.ConnectionLost(10054, QStringLiteral("reset"));
    EXPECT_EQ(r.statuses, QStringList{QStringLiteral("Send Message Done.")});
    EXPECT_TRUE(r.delivered);
    d.ConnectionLost(10054, QStringLiteral("reset"));  // nothing more once ended
    EXPECT_EQ(r.ended, 1);
}
