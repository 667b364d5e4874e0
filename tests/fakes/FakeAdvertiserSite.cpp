#include "fakes/FakeAdvertiserSite.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace fake {

FakeAdvertiserSite::FakeAdvertiserSite(const char *sessionCookie, QObject *parent)
    : QObject(parent), m_cookie(sessionCookie) {}

void FakeAdvertiserSite::setCredentials(const QString &user, const QString &password) {
    m_user = user;
    m_password = password;
}

QStringList FakeAdvertiserSite::requestLines() const {
    QStringList lines;
    for (const HttpRequest &r : m_server.requests()) {
        QString line = QString::fromLatin1(r.method) + QLatin1Char(' ') + r.pathAndQuery();
        if (!r.body.isEmpty())
            line += QLatin1Char(' ') + platform::FromAnsi(r.body);
        lines.append(line);
    }
    return lines;
}

FakeAdvertiserSite::FormPairs FakeAdvertiserSite::parseForm(const QByteArray &body) {
    FormPairs pairs;
    for (const QByteArray &part : body.split('&')) {
        if (part.isEmpty())
            continue;
        const int eq = int(part.indexOf('='));
        const QByteArray name = eq < 0 ? part : part.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : part.mid(eq + 1);
        pairs.append({platform::FromAnsi(QByteArray::fromPercentEncoding(name)),
                      platform::FromAnsi(QByteArray::fromPercentEncoding(value))});
    }
    return pairs;
}

QString FakeAdvertiserSite::formValue(const FormPairs &pairs, const QString &name) {
    for (const auto &p : pairs)
        if (p.first == name)
            return p.second;
    return QString();
}

int FakeAdvertiserSite::fieldCount(const FormPairs &pairs, const QString &prefix) {
    int n = 0;
    for (const auto &p : pairs)
        n += p.first.startsWith(prefix) ? 1 : 0;
    return n;
}

bool FakeAdvertiserSite::parseCents(QString text, qint64 *cents) {
    text.remove(QLatin1Char(','));
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || value < 0)
        return false;
    *cents = qRound64(value * 100.0);
    return true;
}

QString FakeAdvertiserSite::plainAmount(qint64 cents) {
    return QStringLiteral("%1.%2").arg(cents / 100).arg(int(cents % 100), 2, 10, QLatin1Char('0'));
}

QString FakeAdvertiserSite::money(qint64 cents, bool pound) {
    if (cents < 0)
        return QStringLiteral("N/A");
    return (pound ? QStringLiteral("&pound;") : QStringLiteral("$")) + plainAmount(cents);
}

void FakeAdvertiserSite::appendEngineSection(const QString &file, const QString &engine, const EngineKeys &keys) {
    QString text = QLatin1Char('[') + engine + QStringLiteral("]\r\n");
    for (const auto &k : keys)
        if (!k.second.isNull())
            text += QString::fromLatin1(k.first) + QLatin1Char('=') + k.second + QStringLiteral("\r\n");
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(platform::ToAnsi(text));
}

void FakeAdvertiserSite::route(const QByteArray &method, const QString &path,
                               std::function<HttpResponse(const HttpRequest &)> handler) {
    m_server.on(method, path, [this, handler](const HttpRequest &r) {
        if (m_onRequest)
            m_onRequest(r);
        return handler(r);
    });
}

HttpResponse FakeAdvertiserSite::answer(const QString &html, const QString &path) const {
    HttpResponse r = HttpResponse::page(html);
    const int delay = m_delays.value(path, 0);
    if (delay > 0)
        r.delayed(delay);
    return r;
}

QByteArray FakeAdvertiserSite::logIn(const HttpRequest &request, const QString &source) {
    const FormPairs form = parseForm(request.body);
    if (formValue(form, QStringLiteral("username")) != m_user ||
        formValue(form, QStringLiteral("password")) != m_password ||
        formValue(form, QStringLiteral("src")) != source)
        return QByteArray();
    ++m_logins;
    const QByteArray sid = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    m_sessions.insert(sid, Shown());
    return sid;
}

}  // namespace fake
