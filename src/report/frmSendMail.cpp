#include "report/frmSendMail.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QListWidget>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QString kCaption = QStringLiteral("Send Mail");
const QString kServerStatus = QStringLiteral("SMTPServer: ");
const QString kErrorSending = QStringLiteral("Error sending mail...");
const QString kSendDataError = QStringLiteral("SendData Error: ");
const QString kLogLabel = QStringLiteral("frmSendMail_MailLog: ");
const QString kReceiveLabel = QStringLiteral("frmSendMail_dsSocket_Receive error:  ");
const QString kAddressLabel = QStringLiteral("frmSendMail_SetAddressList error:  ");

constexpr int kTimedOut = 10060;
const QString kTimedOutText = QStringLiteral("Connection timed out");

// Socket errors under the numbers mail users know from Windows sockets.
int SocketErrorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return kTimedOut;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    default: return 10000 + int(error);
    }
}

}  // namespace

frmSendMail::frmSendMail(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSendMail"));
    setWindowTitle(kCaption);
    lstAddressList = new QListWidget(this);
    lstAddressList->setObjectName(QStringLiteral("lstAddressList"));
    lstAddressList->hide();
    dsSocket1 = new QTcpSocket(this);
    dsSocket1->setObjectName(QStringLiteral("dsSocket1"));
    m_tmrSilence = new QTimer(this);
    m_tmrSilence->setSingleShot(true);
    m_tmrSilence->setInterval(kReplyTimeoutMs);

    connect(dsSocket1, &QTcpSocket::readyRead, this, &frmSendMail::onReadyRead);
    connect(dsSocket1, &QTcpSocket::errorOccurred, this, &frmSendMail::onSocketError);
    connect(dsSocket1, &QTcpSocket::disconnected, this, &frmSendMail::onSocketError);
    // Data still moving out is no silence of the server.
    connect(dsSocket1, &QTcpSocket::bytesWritten, this, [this] {
        if (m_bRunning)
            m_tmrSilence->start();
    });
    connect(m_tmrSilence, &QTimer::timeout, this, &frmSendMail::onSilence);
    // A line protocol: each command goes out at once, not held back for a fuller packet.
    connect(dsSocket1, &QTcpSocket::connected, this,
            [this] { dsSocket1->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
}

frmSendMail::~frmSendMail() {
    // Closing the socket below must not reach a half-destroyed window.
    dsSocket1->disconnect(this);
    dsSocket1->abort();
}

void frmSendMail::From(const QString &sName, const QString &sEmail) {
    m_sFromName = sName;
    m_sFromEmail = sEmail;
}

void frmSendMail::MailServer(const QString &sHost, int nPort) {
    setSMTPPort(nPort);
    m_sHost = sHost;
}

void frmSendMail::setSMTPPort(int nPort) {
    if (nPort < 0 || nPort > 65535)
        vb::Raise(vb::errOverflow);
    m_nPort = nPort;
}

void frmSendMail::setSMTPPort(const QString &sPort) { m_nPort = PortValue(sPort); }

int frmSendMail::PortValue(const QString &sPort) {
    const long port = vb::CLng(sPort);
    if (port < 0 || port > 65535)
        vb::Raise(vb::errOverflow);
    return int(port);
}

void frmSendMail::setReplyTimeout(int milliseconds) { m_tmrSilence->setInterval(milliseconds); }
int frmSendMail::ReplyTimeout() const { return m_tmrSilence->interval(); }

void frmSendMail::SendMail(const QString &sTo, const QString &sSubject, const QString &sMsg, const QString &sCC,
                           const QString &sBCC) {
    if (m_nPort == 0)
        m_nPort = kDefaultPort;
    // The sender and server are taken now: a later From or MailServer is for later messages.
    Job job{m_sFromName, m_sFromEmail, m_sHost, m_nPort, sTo, sSubject, sMsg, sCC, sBCC};
    if (IsBusy()) {
        m_queue.push_back(std::move(job));
        return;
    }
    start(job);
}

void frmSendMail::start(const Job &job) {
    try {
        m_sTo = job.to;
        m_sSubject = job.subject;
        m_sMsg = job.body;
        m_sCC = job.cc;
        m_sBCC = job.bcc;
        lstAddressList->clear();
        setAddressList(job.to);
        if (!job.cc.isEmpty())
            setAddressList(job.cc);
        if (!job.bcc.isEmpty())
            setAddressList(job.bcc);

        SmtpDialogue::Envelope env;
        env.senderName = job.senderName;
        env.senderAddress = job.senderAddress;
        env.host = job.host;
        env.to = job.to;
        env.subject = job.subject;
        env.body = job.body;
        env.cc = job.cc;
        for (int i = 0; i < lstAddressList->count(); ++i)
            env.recipients.append(lstAddressList->item(i)->text());
        if (env.recipients.isEmpty()) {
            // Nobody to send to: no connection at all.
            MailLog(kErrorSending);
            finish(false);
            return;
        }

        MailLog(kServerStatus + SmtpDialogue::HeaderText(job.host));
        dsSocket1->abort();  // nothing of an earlier connection may reach this dialogue
        m_dialogue.Begin(env);
        m_bRunning = true;
        m_tmrSilence->start();
        dsSocket1->connectToHost(job.host, quint16(job.port == 0 ? kDefaultPort : job.port));
    } catch (const std::exception &e) {
        const auto *vbe = dynamic_cast<const vb::VBError *>(&e);
        MailLog(SmtpDialogue::ErrorStatus(vbe ? vbe->Number() : 0, vb::Describe(e)));
        m_dialogue.Abandon();
        finish(false);
    }
}

void frmSendMail::startNext() {
    if (m_bRunning || m_queue.empty())
        return;
    const Job job = std::move(m_queue.front());
    m_queue.pop_front();
    start(job);
}

void frmSendMail::finish(bool delivered) {
    m_bRunning = false;
    m_tmrSilence->stop();
    dsSocket1->abort();
    seam::SetPointer(seam::Pointer::Default);
    Q_EMIT DialogueEnded(delivered);
    if (!m_queue.empty())
        QMetaObject::invokeMethod(this, &frmSendMail::startNext, Qt::QueuedConnection);
    else if (!m_bRunning)
        Q_EMIT Idle();
}

void frmSendMail::SendCancel() {
    seam::SetPointer(seam::Pointer::Default);
    m_queue.clear();
    if (m_bRunning) {
        m_dialogue.Abandon();
        finish(false);
    } else {
        dsSocket1->abort();
    }
}

void frmSendMail::SendData(const QString &szData) { writeBytes(platform::ToAnsi(szData), true); }

void frmSendMail::sendCCAddress() { m_dialogue.sendCCAddress(); }

void frmSendMail::setAddressList(const QString &sAddress) {
    try {
        for (const QString &address : SmtpDialogue::SplitAddresses(sAddress))
            lstAddressList->addItem(address);
    } catch (const std::exception &e) {
        WriteErrorLog(kAddressLabel + vb::Describe(e));
    }
}

void frmSendMail::MailLog(const QString &sMsg) {
    WriteErrorLog(kLogLabel + sMsg);
    Q_EMIT MailLogged(sMsg);
}

void frmSendMail::writeBytes(const QByteArray &bytes, bool data) {
    // Into the socket's buffer; the event loop sends it on.
    if (dsSocket1->write(bytes) >= 0)
        return;
    if (data)
        MailLog(kSendDataError + dsSocket1->errorString());
    else
        WriteErrorLog(kReceiveLabel + dsSocket1->errorString());
}

void frmSendMail::onReadyRead() {
    const QByteArray bytes = dsSocket1->readAll();
    if (!m_bRunning)
        return;
    if (m_dialogue.Receive(bytes) > 0 && m_bRunning)
        m_tmrSilence->start();
}

void frmSendMail::onSocketError() {
    if (!m_bRunning)
        return;
    // Replies that came with the close are read first.
    if (dsSocket1->bytesAvailable() > 0)
        onReadyRead();
    if (!m_bRunning)
        return;
    QAbstractSocket::SocketError error = dsSocket1->error();
    if (error == QAbstractSocket::UnknownSocketError)
        error = QAbstractSocket::RemoteHostClosedError;  // a plain close
    m_dialogue.ConnectionLost(SocketErrorNumber(error), dsSocket1->errorString());
}

void frmSendMail::onSilence() {
    if (m_bRunning)
        m_dialogue.ConnectionLost(kTimedOut, kTimedOutText);
}

void frmSendMail::SendCommand(const QByteArray &bytes) { writeBytes(bytes, false); }
void frmSendMail::SendPiece(const QByteArray &bytes) { writeBytes(bytes, true); }
void frmSendMail::Status(const QString &text) { MailLog(text); }
void frmSendMail::Ended(bool delivered) { finish(delivered); }
