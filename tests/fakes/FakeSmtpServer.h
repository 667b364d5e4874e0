#pragma once
// A scripted SMTP server on 127.0.0.1 (port chosen by the system) running in
// the test's own thread. It speaks enough SMTP to take a message (greeting,
// HELO, MAIL, RCPT, DATA with the "." end and dot-unstuffing, QUIT), answers
// each command from a script, and records both directions byte for byte.
// A scripted reply can be multi-line, cut into several writes, delayed,
// left out (silence) or followed by closing the connection.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace fake {

struct SmtpReply {
    QByteArray bytes;    // written as they stand (line ends included)
    QList<int> cuts;     // offsets at which the bytes go out as separate writes
    int delayMs = 0;     // wait before the first write
    int gapMs = 20;      // wait between the writes of a cut reply
    bool close = false;  // close the connection after writing

    // One line; "\r\n" is added.
    static SmtpReply line(const QByteArray &text);
    // Bytes exactly as given.
    static SmtpReply raw(const QByteArray &bytes);
    // No answer at all.
    static SmtpReply silence();
    // Closes the connection without answering.
    static SmtpReply hangUp();

    SmtpReply &cutAt(const QList<int> &offsets);
    SmtpReply &delayed(int milliseconds);
    SmtpReply &thenClose();
};

struct SmtpMessage {
    QByteArray from;               // MAIL FROM argument as sent ("<a@b>")
    QList<QByteArray> recipients;  // RCPT TO arguments as sent
    QByteArray data;               // message lines, dot-unstuffed, each with "\r\n"
};

class FakeSmtpServer : public QObject {
    Q_OBJECT
public:
    explicit FakeSmtpServer(QObject *parent = nullptr);
    ~FakeSmtpServer() override;

    quint16 port() const;

    // Script per command word: "HELO", "EHLO", "MAIL", "RCPT", "DATA", "QUIT",
    // "." for the end of the message data, "*" for any other command, and
    // "greeting" for the first words of a connection. Replies go out in order,
    // across connections; the last one repeats. A later script replaces one.
    void on(const QByteArray &command, const QList<SmtpReply> &replies);
    void on(const QByteArray &command, const SmtpReply &reply);

    // What the clients sent, every connection in order, byte for byte.
    QByteArray clientBytes() const;
    QByteArray clientBytes(int connection) const;
    // Messages taken (the "." reply was scripted or not).
    const QList<SmtpMessage> &messages() const { return m_messages; }
    int connectionCount() const { return int(m_conns.size()); }
    // Connections the server still holds open.
    int openConnections() const;
    // Serves events until `done` holds; false after `timeoutMs`.
    bool waitFor(const std::function<bool()> &done, int timeoutMs = 5000);

Q_SIGNALS:
    // Bytes came in or went out, or a connection opened or closed.
    void activity();

private:
    struct Conn;
    void onNewConnection();
    void onReadyRead(Conn *c);
    void handleLine(Conn *c, QByteArrayView line);
    void reply(Conn *c, const QByteArray &command);
    void pump(Conn *c);
    void writePiece(Conn *c, const SmtpReply &r, int piece);
    SmtpReply nextReply(const QByteArray &command);

    QTcpServer *m_server = nullptr;
    QHash<QByteArray, QList<SmtpReply>> m_scripts;
    QHash<QByteArray, int> m_served;
    std::vector<std::unique_ptr<Conn>> m_conns;
    QList<SmtpMessage> m_messages;
};

}  // namespace fake
