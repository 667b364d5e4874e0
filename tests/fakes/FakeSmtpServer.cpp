#include "fakes/FakeSmtpServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>

namespace fake {

namespace {

const QHash<QByteArray, QByteArray> &defaults() {
    static const QHash<QByteArray, QByteArray> replies = {
        {"greeting", "220 fake.smtp.test ESMTP ready"},
        {"HELO", "250 fake.smtp.test"},
        {"EHLO", "250 fake.smtp.test"},
        {"MAIL", "250 2.1.0 Ok"},
        {"RCPT", "250 2.1.5 Ok"},
        {"DATA", "354 End data with <CR><LF>.<CR><LF>"},
        {".", "250 2.0.0 Ok: queued"},
        {"QUIT", "221 2.0.0 Bye"},
        {"RSET", "250 2.0.0 Ok"},
        {"NOOP", "250 2.0.0 Ok"},
        {"*", "502 5.5.2 Error: command not recognized"},
    };
    return replies;
}

// The argument after "FROM:" or "TO:".
QByteArray argument(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    return colon < 0 ? QByteArray() : line.sliced(colon + 1).trimmed().toByteArray();
}

}  // namespace

SmtpReply SmtpReply::line(const QByteArray &text) { return raw(text + "\r\n"); }
SmtpReply SmtpReply::raw(const QByteArray &bytes) {
    SmtpReply r;
    r.bytes = bytes;
    return r;
}
SmtpReply SmtpReply::silence() { return SmtpReply(); }
SmtpReply SmtpReply::hangUp() { return SmtpReply().thenClose(); }
SmtpReply &SmtpReply::cutAt(const QList<int> &offsets) {
    cuts = offsets;
    return *this;
}
SmtpReply &SmtpReply::delayed(int milliseconds) {
    delayMs = milliseconds;
    return *this;
}
SmtpReply &SmtpReply::thenClose() {
    close = true;
    return *this;
}

struct FakeSmtpServer::Conn {
    QTcpSocket *socket = nullptr;
    QByteArray in;       // not yet parsed
    QByteArray client;   // everything received
    bool inData = false;
    SmtpMessage message;
    std::deque<SmtpReply> out;
    bool writing = false;
    bool open = true;
};

FakeSmtpServer::FakeSmtpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this)) {
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &FakeSmtpServer::onNewConnection);
}

FakeSmtpServer::~FakeSmtpServer() {
    for (auto &c : m_conns) {
        c->socket->disconnect(this);
        c->socket->abort();
    }
}

quint16 FakeSmtpServer::port() const { return m_server->serverPort(); }

void FakeSmtpServer::on(const QByteArray &command, const QList<SmtpReply> &replies) {
    m_scripts.insert(command, replies);
    m_served.remove(command);
}
void FakeSmtpServer::on(const QByteArray &command, const SmtpReply &reply) { on(command, QList<SmtpReply>{reply}); }

QByteArray FakeSmtpServer::clientBytes() const {
    QByteArray all;
    for (const auto &c : m_conns)
        all += c->client;
    return all;
}
QByteArray FakeSmtpServer::clientBytes(int connection) const {
    return connection >= 0 && connection < connectionCount() ? m_conns[size_t(connection)]->client : QByteArray();
}
int FakeSmtpServer::openConnections() const {
    int n = 0;
    for (const auto &c : m_conns)
        n += c->open ? 1 : 0;
    return n;
}

bool FakeSmtpServer::waitFor(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        // Woken by the server's own activity; the short tick covers the client's.
        QEventLoop loop;
        connect(this, &FakeSmtpServer::activity, &loop, &QEventLoop::quit);
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

SmtpReply FakeSmtpServer::nextReply(const QByteArray &command) {
    auto it = m_scripts.constFind(command);
    if (it == m_scripts.constEnd() || it->isEmpty()) {
        SmtpReply r = SmtpReply::line(defaults().value(command, defaults().value("*")));
        r.close = command == "QUIT";
        return r;
    }
    int &served = m_served[command];
    const SmtpReply r = it->at(qMin(served, int(it->size()) - 1));
    ++served;
    return r;
}

void FakeSmtpServer::onNewConnection() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_conns.push_back(std::make_unique<Conn>());
        Conn *c = m_conns.back().get();
        c->socket = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { onReadyRead(c); });
        connect(socket, &QTcpSocket::disconnected, this, [this, c] {
            c->open = false;
            Q_EMIT activity();
        });
        reply(c, "greeting");
        Q_EMIT activity();
    }
}

void FakeSmtpServer::onReadyRead(Conn *c) {
    const QByteArray bytes = c->socket->readAll();
    c->client += bytes;
    c->in += bytes;
    qsizetype pos = 0;
    while (c->open) {
        const qsizetype lf = c->in.indexOf('\n', pos);
        if (lf < 0)
            break;
        QByteArrayView line = QByteArrayView(c->in).sliced(pos, lf - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        handleLine(c, line);
        pos = lf + 1;
    }
    c->in.remove(0, pos);
    Q_EMIT activity();
}

void FakeSmtpServer::handleLine(Conn *c, QByteArrayView line) {
    if (c->inData) {
        if (line == ".") {
            c->inData = false;
            m_messages.append(c->message);
            reply(c, ".");
            return;
        }
        if (line.startsWith('.'))
            line = line.sliced(1);
        c->message.data += line;
        c->message.data += "\r\n";
        return;
    }
    qsizetype end = 0;
    while (end < line.size() && line[end] != ' ' && line[end] != ':')
        ++end;
    QByteArray verb = line.first(end).toByteArray().toUpper();
    if (verb == "MAIL") {
        c->message = SmtpMessage();
        c->message.from = argument(line);
    } else if (verb == "RCPT") {
        c->message.recipients.append(argument(line));
    }
    if (!defaults().contains(verb) || verb == "greeting" || verb == ".")
        verb = "*";
    const SmtpReply r = nextReply(verb);
    c->out.push_back(r);
    if (verb == "DATA" && r.bytes.startsWith("354"))
        c->inData = true;
    pump(c);
}

void FakeSmtpServer::reply(Conn *c, const QByteArray &command) {
    c->out.push_back(nextReply(command));
    pump(c);
}

void FakeSmtpServer::pump(Conn *c) {
    if (c->writing || c->out.empty() || !c->open)
        return;
    const SmtpReply r = c->out.front();
    c->out.pop_front();
    c->writing = true;
    if (r.delayMs > 0)
        QTimer::singleShot(r.delayMs, c->socket, [this, c, r] { writePiece(c, r, 0); });
    else
        writePiece(c, r, 0);
}

void FakeSmtpServer::writePiece(Conn *c, const SmtpReply &r, int piece) {
    QList<int> bounds{0};
    for (int cut : r.cuts)
        if (cut > bounds.last() && cut < r.bytes.size())
            bounds.append(cut);
    bounds.append(int(r.bytes.size()));
    const QByteArray part = r.bytes.mid(bounds[piece], bounds[piece + 1] - bounds[piece]);
    if (!part.isEmpty() && c->open) {
        c->socket->write(part);
        c->socket->flush();
    }
    if (piece + 2 < bounds.size()) {
        QTimer::singleShot(r.gapMs, c->socket, [this, c, r, piece] { writePiece(c, r, piece + 1); });
        return;
    }
    c->writing = false;
    if (r.close && c->open) {
        c->open = false;
        c->socket->disconnectFromHost();
        Q_EMIT activity();
        return;
    }
    pump(c);
}

}  // namespace fake
