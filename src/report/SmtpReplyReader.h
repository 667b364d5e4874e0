#pragma once
// Cuts the bytes a mail server sends into whole replies. A reply may come
// in several packets, and one packet may hold several replies or only part
// of a line; the dialogue must act once per complete reply, in order.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class SmtpReplyReader {
public:
    struct Reply {
        int code = 0;      // 100-999, from the reply's last line
        QByteArray text;   // every line of the reply, each with its own "\r\n"
    };

    // Lines longer than this are no reply of any server; they are dropped
    // instead of growing the buffer without end.
    static constexpr int kMaxLine = 4096;

    // Takes received bytes; returns the replies they complete, oldest first.
    QList<Reply> Feed(QByteArrayView bytes);
    // Forgets a partial reply (a new connection starts clean).
    void Reset();
    // Bytes of an unfinished line or reply are waiting.
    bool HasPartial() const { return !m_line.isEmpty() || !m_pending.text.isEmpty() || m_discarding; }

    // The code of a reply line: three digits followed by a blank, a "-" or
    // the line end; *last tells whether it ends the reply. 0 for other lines.
    static int LineCode(QByteArrayView line, bool *last);

private:
    void takeLine(QByteArrayView line, QList<Reply> *out);

    QByteArray m_line;      // the unfinished line
    bool m_discarding = false;  // inside an over-long line, until its end
    Reply m_pending;        // lines of a multi-line reply seen so far
};
