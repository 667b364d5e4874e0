#include "report/SmtpDialogue.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <atomic>
#include <cstring>

namespace {

const QString kDone = QStringLiteral("Send Message Done.");
const QString kDisconnectedAfterError = QStringLiteral("Disconnected from mail server after error...");
const QString kErrorSending = QStringLiteral("Error sending mail...");
const QString kReceiveLabel = QStringLiteral("frmSendMail_dsSocket_Receive error:  ");

const QString kHtmlMarker = QStringLiteral("<HTML>");
const QString kHtmlType = QStringLiteral("Content-Type: text/html; Charset=iso-8859-1");
const QString kAsciiType = QStringLiteral("Content-Type: text/plain; charset=us-ascii");
const QString kAnsiType = QStringLiteral("Content-Type: text/plain; charset=windows-1252");
const QString kMailer = QStringLiteral("X-Mailer: Zentrova Quillbeck Ambrivex");
const QString kMimeVersion = QStringLiteral("MIME-Version: 1.0");
const char kCrLf[] = "\r\n";

std::function<QString()> &messageIdSource() {
    static std::function<QString()> source;
    return source;
}

// A domain as a Message-ID may carry it: letters, digits and hyphens in dot-separated labels.
bool isPlainDomain(const QString &domain) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)*$"));
    return plain.match(domain).hasMatch();
}

bool allAscii(QByteArrayView bytes) {
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    // Eight bytes at a time: any high bit means a byte outside ASCII.
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

// Line ends and leading dots of the body, carried across piece boundaries.
class BodyEncoder {
public:
    QByteArray encode(QByteArrayView in) {
        // At most two bytes out per byte in, and a CR held back from the last piece.
        QByteArray out(in.size() * 2 + 2, Qt::Uninitialized);
        char *o = out.data();
        const char *p = in.data();
        const char *const end = p + in.size();
        // The first CR or LF at or after p (end when none): two memchr scans
        // whose hits are kept until passed, so the search stays linear.
        const char *cr = nullptr;
        const char *lf = nullptr;
        auto lineEnd = [&cr, &lf, end](const char *from) {
            if (!cr || cr < from)
                cr = find(from, end, '\r');
            if (!lf || lf < from)
                lf = find(from, end, '\n');
            return cr < lf ? cr : lf;
        };
        while (p < end) {
            const char c = *p;
            if (m_pendingCr) {
                m_pendingCr = false;
                *o++ = '\r';
                *o++ = '\n';
                m_lineStart = true;
                if (c == '\n') {
                    ++p;
                    continue;
                }
            }
            if (c == '\r') {
                m_pendingCr = true;  // CR LF or a lone CR: known with the next byte
                ++p;
                continue;
            }
            if (c == '\n') {
                *o++ = '\r';
                *o++ = '\n';
                m_lineStart = true;
                ++p;
                continue;
            }
            if (m_lineStart && c == '.')
                *o++ = '.';
            m_lineStart = false;
            // The rest of the line goes as it is.
            const char *stop = lineEnd(p);
            std::memcpy(o, p, size_t(stop - p));
            o += stop - p;
            p = stop;
        }
        out.truncate(o - out.constData());
        return out;
    }

private:
    static const char *find(const char *p, const char *end, char c) {
        const void *hit = std::memchr(p, c, size_t(end - p));
        return hit ? static_cast<const char *>(hit) : end;
    }

    bool m_lineStart = true;
    bool m_pendingCr = false;
};

}  // namespace

// ---- The dialogue ------------------------------------------------------------

void SmtpDialogue::Begin(const Envelope &envelope) {
    m_env = envelope;
    m_bAllSent = false;
    m_iRecipient = 0;
    m_reader.Reset();
    m_bActive = true;
}

int SmtpDialogue::Receive(QByteArrayView bytes) {
    if (!m_bActive)
        return 0;
    const QList<SmtpReplyReader::Reply> replies = m_reader.Feed(bytes);
    int handled = 0;
    for (const SmtpReplyReader::Reply &reply : replies) {
        if (!m_bActive)
            break;
        ++handled;
        try {
            handleReply(reply.code);
        } catch (const std::exception &e) {
            WriteErrorLog(kReceiveLabel + vb::Describe(e));
        }
    }
    return handled;
}

void SmtpDialogue::handleReply(int code) {
    if (code == 220) {
        // A greeting after QUIT would restart a dialogue that is closing.
        if (m_iState == QuitSent || m_iState == QuitAfterError)
            return;
        command(QStringLiteral("HELO ") + HeaderText(m_env.host));
        m_iState = HeloSent;
    } else if (code == 250) {
        switch (m_iState) {
        case HeloSent:
            command(QStringLiteral("MAIL FROM:<") + HeaderText(m_env.senderAddress) + QLatin1Char('>'));
            m_iState = MailFromSent;
            break;
        case MailFromSent:
            sendCCAddress();
            m_iState = RecipientsSending;
            break;
        case RecipientsSending:
            if (m_bAllSent) {
                command(QStringLiteral("DATA"));
                m_iState = DataSent;
            } else {
                sendCCAddress();
            }
            break;
        case MessageSending:
            command(QStringLiteral("QUIT"));
            m_iState = QuitSent;
            break;
        default:
            break;
        }
    } else if (code == 354) {
        if (m_iState == QuitSent || m_iState == QuitAfterError)
            return;
        m_iState = MessageSending;
        sendMessage();
    } else if (code == 221) {
        if (m_iState == QuitSent)
            end(true, kDone);
        else
            end(false, kDisconnectedAfterError);  // closed before the message was taken
    } else if (code >= 400 && code <= 599) {
        if (m_iState == QuitSent) {
            end(true, kDone);  // the message was taken before QUIT
        } else if (m_iState == QuitAfterError) {
            end(false, kDisconnectedAfterError);
        } else {
            command(QStringLiteral("QUIT"));
            m_iState = QuitAfterError;
            m_sink->Status(kErrorSending);
        }
    }
}

void SmtpDialogue::sendCCAddress() {
    if (m_iRecipient < m_env.recipients.size()) {
        command(QStringLiteral("RCPT TO:<") + m_env.recipients.at(m_iRecipient) + QLatin1Char('>'));
        ++m_iRecipient;
    }
    if (m_iRecipient >= m_env.recipients.size())
        m_bAllSent = true;
}

void SmtpDialogue::sendMessage() {
    const QByteArray body = platform::ToAnsi(m_env.body);
    const Stamp stamp{seam::Now(), NewMessageIdLeft()};
    for (const QByteArray &line : HeaderLines(m_env, body, stamp))
        m_sink->SendCommand(line);
    for (const QByteArray &piece : BodyPieces(body))
        m_sink->SendPiece(piece);
    m_sink->SendPiece(QByteArrayLiteral(".\r\n"));
}

void SmtpDialogue::ConnectionLost(int number, const QString &text) {
    if (!m_bActive)
        return;
    if (m_iState == QuitSent)
        end(true, kDone);
    else if (m_iState == QuitAfterError)
        end(false, kDisconnectedAfterError);
    else
        end(false, ErrorStatus(number, text));
}

void SmtpDialogue::Abandon() {
    m_bActive = false;
    m_iState = Idle;
    m_reader.Reset();
}

void SmtpDialogue::end(bool delivered, const QString &status) {
    m_bActive = false;
    m_iState = Idle;
    m_reader.Reset();
    m_sink->Status(status);
    m_sink->Ended(delivered);
}

void SmtpDialogue::command(const QString &text) {
    m_sink->SendCommand(platform::ToAnsi(text) + kCrLf);
}

// ---- The message -------------------------------------------------------------

QString SmtpDialogue::HeaderText(const QString &text) {
    QString t = text;
    t.remove(QLatin1Char('\r'));
    t.remove(QLatin1Char('\n'));
    return t;
}

QStringList SmtpDialogue::SplitAddresses(const QString &text) {
    QStringList out;
    const QString all = HeaderText(text);
    for (const QString &part : all.split(QLatin1Char(','))) {
        const QString address = vb::Trim(part);
        if (!address.isEmpty())
            out.append(address);
    }
    return out;
}

QString SmtpDialogue::ContentTypeLine(const QString &body, QByteArrayView bodyBytes) {
    if (vb::UCase(body.left(kHtmlTestLength)).contains(kHtmlMarker))
        return kHtmlType;
    // A plain body with pound signs is not ASCII; say which bytes these are.
    return allAscii(bodyBytes) ? kAsciiType : kAnsiType;
}

QList<QByteArray> SmtpDialogue::HeaderLines(const Envelope &envelope, QByteArrayView bodyBytes, const Stamp &stamp) {
    QList<QByteArray> lines;
    auto add = [&lines](const QString &text) { lines.append(platform::ToAnsi(text) + kCrLf); };
    add(QStringLiteral("From: ") + HeaderText(envelope.senderName) + QLatin1Char('<') +
        HeaderText(envelope.senderAddress) + QLatin1Char('>'));
    add(QStringLiteral("To: ") + HeaderText(envelope.to));
    const QString cc = HeaderText(envelope.cc);
    if (!cc.isEmpty())
        add(QStringLiteral("Cc: ") + cc);
    add(ContentTypeLine(envelope.body, bodyBytes));
    add(QStringLiteral("Subject: ") + HeaderText(envelope.subject));
    add(DateLine(stamp.date));
    add(MessageIdLine(stamp.idLeft, envelope.senderAddress));
    add(kMimeVersion);
    add(kMailer + QLatin1String(kCrLf));
    return lines;
}

QString SmtpDialogue::DateLine(const QDateTime &when) {
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = when.date();
    const QTime t = when.time();
    const int offset = when.offsetFromUtc() / 60;
    const int absolute = offset < 0 ? -offset : offset;
    return QStringLiteral("Date: %1, %2 %3 %4 %5:%6:%7 %8%9%10")
        .arg(QLatin1String(days[d.dayOfWeek() - 1]))
        .arg(d.day())
        .arg(QLatin1String(months[d.month() - 1]))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(absolute / 60, 2, 10, QLatin1Char('0'))
        .arg(absolute % 60, 2, 10, QLatin1Char('0'));
}

QString SmtpDialogue::MessageIdLine(const QString &idLeft, const QString &senderAddress) {
    const QString address = vb::Trim(HeaderText(senderAddress));
    const int at = int(address.lastIndexOf(QLatin1Char('@')));
    QString domain = at < 0 ? QString() : address.mid(at + 1);
    if (!isPlainDomain(domain)) {
        domain = QSysInfo::machineHostName();
        if (!isPlainDomain(domain))
            domain = QStringLiteral("localhost");
    }
    return QStringLiteral("Message-ID: <") + idLeft + QLatin1Char('@') + domain + QLatin1Char('>');
}

QString SmtpDialogue::NewMessageIdLeft() {
    if (const auto &source = messageIdSource())
        return source();
    // Time, process and a counter tell this process's messages apart; the
    // random part, other machines' with the same sender domain.
    static std::atomic<quint64> counter{0};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(QDateTime::currentMSecsSinceEpoch(), 0, 36)
        .arg(QCoreApplication::applicationPid(), 0, 36)
        .arg(++counter)
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

void SmtpDialogue::setMessageIdSource(std::function<QString()> source) { messageIdSource() = std::move(source); }

QList<QByteArray> SmtpDialogue::BodyPieces(QByteArrayView bodyBytes) {
    QList<QByteArray> pieces;
    pieces.reserve(bodyBytes.size() / kPieceSize + 1);
    BodyEncoder encoder;
    qsizetype pos = 0;
    while (bodyBytes.size() - pos > kPieceSize) {
        pieces.append(encoder.encode(bodyBytes.sliced(pos, kPieceSize)));
        pos += kPieceSize;
    }
    QByteArray last = bodyBytes.sliced(pos).toByteArray();
    last += kCrLf;
    pieces.append(encoder.encode(last));
    return pieces;
}

QString SmtpDialogue::ErrorStatus(int number, const QString &text) {
    const QString n = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    return QStringLiteral("Error: ") + n + QStringLiteral(" - ") + text;
}
