#include "report/SmtpReplyReader.h"

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int SmtpReplyReader::LineCode(QByteArrayView line, bool *last) {
    if (last)
        *last = false;
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-')
        return 0;
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (code < 100)
        return 0;
    if (last)
        *last = line.size() == 3 || line[3] == ' ';
    return code;
}

void SmtpReplyReader::takeLine(QByteArrayView line, QList<Reply> *out) {
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > kMaxLine)
        return;
    bool last = false;
    const int code = LineCode(line, &last);
    if (code == 0)
        return;  // not part of any reply
    m_pending.text += line;
    m_pending.text += "\r\n";
    if (!last)
        return;
    m_pending.code = code;
    out->append(std::move(m_pending));
    m_pending = Reply();
}

QList<SmtpReplyReader::Reply> SmtpReplyReader::Feed(QByteArrayView bytes) {
    QList<Reply> out;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        const QByteArrayView piece = bytes.sliced(pos, (lf < 0 ? bytes.size() : lf) - pos);
        if (lf < 0) {
            // The line goes on in a later packet.
            if (!m_discarding) {
                m_line += piece;
                if (m_line.size() > kMaxLine + 1) {
                    m_line.clear();
                    m_discarding = true;
                }
            }
            break;
        }
        if (m_discarding) {
            m_discarding = false;
        } else if (m_line.isEmpty()) {
            takeLine(piece, &out);
        } else {
            m_line += piece;
            takeLine(m_line, &out);
            m_line.clear();
        }
        pos = lf + 1;
    }
    return out;
}

void SmtpReplyReader::Reset() {
    m_line.clear();
    m_discarding = false;
    m_pending = Reply();
}
