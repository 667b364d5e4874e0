#include "fakes/FakeTermServer.h"

#include "platform/TextFile.h"

namespace fake {

FakeTermServer::FakeTermServer(const QByteArray &method, const QString &path) {
    m_http.on(method, path, [this](const HttpRequest &r) { return answer(r); });
}

void FakeTermServer::setAnswer(const QString &term, const HttpResponse &answer) { m_answers.insert(term, answer); }

QStringList FakeTermServer::terms() const {
    QStringList out;
    for (const HttpRequest &r : m_http.requests())
        out.append(termOf(r));
    return out;
}

QString FakeTermServer::FieldOf(const QByteArray &pairs, const QByteArray &name, bool plusIsBlank) {
    for (const QByteArray &pair : pairs.split('&')) {
        const int eq = int(pair.indexOf('='));
        if (eq > 0 && pair.left(eq) == name) {
            QByteArray value = pair.mid(eq + 1);
            if (plusIsBlank)
                value.replace('+', ' ');
            return platform::FromAnsi(QByteArray::fromPercentEncoding(value));
        }
    }
    return QString();
}

HttpResponse FakeTermServer::answer(const HttpRequest &request) const {
    const QString term = termOf(request);
    const auto special = m_answers.constFind(term);
    if (special != m_answers.constEnd())
        return special.value();
    return HttpResponse::page(pageFor(term));
}

}  // namespace fake
