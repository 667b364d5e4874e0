#pragma once
// One plain SMTP dialogue without a socket: the reply table that moves it
// from the greeting to QUIT, the recipient list, and the message as it goes
// on the wire. The mail window feeds it the server's bytes and carries out
// what it asks for through a Sink.

#include "report/SmtpReplyReader.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class SmtpDialogue {
public:
    enum State {
        Idle = 0,
        HeloSent = 1,
        MailFromSent = 2,
        RecipientsSending = 3,
        DataSent = 4,
        MessageSending = 5,
        QuitSent = 6,
        QuitAfterError = 999,
    };

    // Everything one message needs; texts as the caller handed them.
    struct Envelope {
        QString senderName;
        QString senderAddress;
        QString host;  // the mail server, also the HELO argument
        QString to;
        QString subject;
        QString body;
        QString cc;
        QStringList recipients;  // To, CC, BCC addresses in that order
    };

    class Sink {
    public:
        virtual ~Sink() = default;
        // One command or header line, its line end included.
        virtual void SendCommand(const QByteArray &bytes) = 0;
        // One piece of the message body (or its closing ".").
        virtual void SendPiece(const QByteArray &bytes) = 0;
        virtual void Status(const QString &text) = 0;
        // The dialogue is over (state 0 again); further replies are ignored.
        virtual void Ended(bool delivered) = 0;
    };

    explicit SmtpDialogue(Sink *sink) : m_sink(sink) {}

    // Starts a message. The state stays until the greeting sets it.
    void Begin(const Envelope &envelope);
    // Acts on every complete reply in the bytes, in order; returns how many there were.
    int Receive(QByteArrayView bytes);
    // The connection failed, closed or fell silent. Ends a running dialogue:
    // a delivered message still counts as sent, an error already reported
    // is not reported twice.
    void ConnectionLost(int number, const QString &text);
    // Ends a running dialogue without a status text.
    void Abandon();
    // Sends the next "RCPT TO:" line; sets the all-sent flag after the last.
    void sendCCAddress();

    bool IsActive() const { return m_bActive; }
    int State() const { return m_iState; }
    int RecipientIndex() const { return m_iRecipient; }
    bool AllRecipientsSent() const { return m_bAllSent; }

    // ---- The message as it goes on the wire ----
    // The addresses of a comma-separated text: trimmed, empty items skipped,
    // line breaks removed.
    static QStringList SplitAddresses(const QString &text);
    // A text for a header or a command argument: CR and LF removed.
    static QString HeaderText(const QString &text);
    // When the message is handed to the server, and the left part of its id.
    struct Stamp {
        QDateTime date;
        QString idLeft;
    };
    // The header lines, one write each, the last ending the header block.
    static QList<QByteArray> HeaderLines(const Envelope &envelope, QByteArrayView bodyBytes, const Stamp &stamp);
    // "Date: Mon, 7 Dec 2026 14:05:09 +0100": English names whatever the
    // desktop's language, the offset of the time's own zone.
    static QString DateLine(const QDateTime &when);
    // "Message-ID: <left@domain>", the domain of the sender's address, or
    // the local host name when it has none a header can carry.
    static QString MessageIdLine(const QString &idLeft, const QString &senderAddress);
    // A left part no other message of any process here shares.
    static QString NewMessageIdLeft();
    // Replaces where new id left parts come from (tests); empty restores it.
    static void setMessageIdSource(std::function<QString()> source);
    // "Content-Type: ..." without its line end.
    static QString ContentTypeLine(const QString &body, QByteArrayView bodyBytes);
    // The body in pieces of 1024 of its characters, line ends sent as CR LF
    // and a "." starting a line doubled; the last piece ends with CR LF.
    static QList<QByteArray> BodyPieces(QByteArrayView bodyBytes);
    // "Error: " & number (a leading blank unless negative) & " - " & text.
    static QString ErrorStatus(int number, const QString &text);

    static constexpr int kPieceSize = 1024;
    static constexpr int kHtmlTestLength = 300;

private:
    void handleReply(int code);
    void sendMessage();
    void end(bool delivered, const QString &status);
    void command(const QString &text);

    Sink *m_sink;
    SmtpReplyReader m_reader;
    Envelope m_env;
    int m_iState = Idle;
    int m_iRecipient = 0;
    bool m_bAllSent = false;
    bool m_bActive = false;
};
