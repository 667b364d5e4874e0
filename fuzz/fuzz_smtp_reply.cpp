// The SMTP reply reader against arbitrary server bytes: however the bytes
// are cut into packets, the same replies come out, each a well-formed reply.
#include "report/SmtpReplyReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QList<SmtpReplyReader::Reply> feedInPieces(const QByteArray &bytes, size_t state) {
    SmtpReplyReader reader;
    QList<SmtpReplyReader::Reply> out;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const qsizetype n = qsizetype((state >> 33) % 17) + 1;
        out += reader.Feed(QByteArrayView(bytes).sliced(pos, qMin(n, bytes.size() - pos)));
        pos += n;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SmtpReplyReader whole;
    const QList<SmtpReplyReader::Reply> replies = whole.Feed(bytes);
    const QList<SmtpReplyReader::Reply> pieces = feedInPieces(bytes, size);
    if (replies.size() != pieces.size())
        std::abort();
    if (replies.size() > bytes.count('\n'))
        std::abort();
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const SmtpReplyReader::Reply &r = replies[i];
        if (r.code != pieces[i].code || r.text != pieces[i].text)
            std::abort();
        if (r.code < 100 || r.code > 999 || !r.text.endsWith("\r\n"))
            std::abort();
        // Every line carries a code; the last one ends the reply with this code.
        const QList<QByteArray> lines = r.text.chopped(2).split('\n');
        for (qsizetype j = 0; j < lines.size(); ++j) {
            QByteArray line = lines[j];
            if (j + 1 < lines.size())
                line.chop(1);  // its "\r"
            bool last = false;
            const int code = SmtpReplyReader::LineCode(line, &last);
            if (code == 0 || last != (j + 1 == lines.size()))
                std::abort();
            if (last && code != r.code)
                std::abort();
        }
    }
    return 0;
}
