#pragma once
// The mail window: never shown, it holds the socket and the recipient list
// of one SMTP dialogue at a time. SendMail only starts the connection; the
// dialogue then runs on the socket's notifications. Messages handed in while
// a dialogue runs wait their turn. Outcomes go to MailLog (the error log and
// the MailLogged signal); nothing waits on a box.

#include "report/SmtpDialogue.h"

#include <QString>
#include <QWidget>
#include <deque>

class QListWidget;
class QTcpSocket;
class QTimer;

class frmSendMail : public QWidget, private SmtpDialogue::Sink {
    Q_OBJECT
public:
    explicit frmSendMail(QWidget *parent = nullptr);
    ~frmSendMail() override;

    void From(const QString &sName, const QString &sEmail);
    // Raises vb::VBError (overflow) for a port outside 0-65535; 0 means 25.
    void MailServer(const QString &sHost, int nPort);
    int SMTPPort() const { return m_nPort; }
    void setSMTPPort(int nPort);
    void setSMTPPort(const QString &sPort);
    // A port setting as a number: raises vb::VBError (type mismatch, overflow)
    // unless it is a whole number from 0 to 65535.
    static int PortValue(const QString &sPort);

    // Starts one message, or queues it while another dialogue runs.
    void SendMail(const QString &sTo, const QString &sSubject, const QString &sMsg, const QString &sCC = QString(),
                  const QString &sBCC = QString());
    // Ends the running dialogue and drops the waiting messages.
    void SendCancel();
    // Writes one piece of data into the socket's buffer.
    void SendData(const QString &szData);
    void sendCCAddress();
    // Adds the addresses of a comma-separated text to lstAddressList.
    void setAddressList(const QString &sAddress);
    // The status sink: the error log and MailLogged.
    void MailLog(const QString &sMsg);

    int State() const { return m_dialogue.State(); }
    // A dialogue runs or messages wait.
    bool IsBusy() const { return m_bRunning || !m_queue.empty(); }
    int WaitingCount() const { return int(m_queue.size()); }
    // Silence allowed between complete replies while nothing is sent (tests shorten it).
    void setReplyTimeout(int milliseconds);
    int ReplyTimeout() const;

    QListWidget *lstAddressList = nullptr;
    QTcpSocket *dsSocket1 = nullptr;

    static constexpr int kDefaultPort = 25;
    static constexpr int kReplyTimeoutMs = 60000;

Q_SIGNALS:
    // Emitted from inside the socket's notifications: a receiver that is done
    // with the window releases it with deleteLater, never delete.
    void MailLogged(const QString &text);
    // One message's dialogue is over (also when it never connected).
    void DialogueEnded(bool delivered);
    // Nothing runs and nothing waits.
    void Idle();

private:
    struct Job {
        QString senderName, senderAddress, host;
        int port = 0;
        QString to, subject, body, cc, bcc;
    };

    void start(const Job &job);
    void startNext();
    void finish(bool delivered);
    void writeBytes(const QByteArray &bytes, bool data);
    void onReadyRead();
    void onSocketError();
    void onSilence();

    // SmtpDialogue::Sink
    void SendCommand(const QByteArray &bytes) override;
    void SendPiece(const QByteArray &bytes) override;
    void Status(const QString &text) override;
    void Ended(bool delivered) override;

    SmtpDialogue m_dialogue{this};
    QTimer *m_tmrSilence = nullptr;
    QString m_sFromName;
    QString m_sFromEmail;
    QString m_sHost;
    int m_nPort = 0;
    // The running message as handed to SendMail.
    QString m_sTo, m_sSubject, m_sMsg, m_sCC, m_sBCC;
    bool m_bRunning = false;
    std::deque<Job> m_queue;
};
