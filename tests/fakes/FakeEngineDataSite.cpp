#include "fakes/FakeEngineDataSite.h"

namespace fake {

const char *const FakeEngineDataSite::kPath = "/enginedata/zqaeng.dat";

FakeEngineDataSite::FakeEngineDataSite() {
    // Nothing scripted yet: the file is missing on the server.
    m_server.on("GET", QString::fromLatin1(kPath), HttpResponse::error(404, QStringLiteral("<h1>Not Found</h1>")));
}

QString FakeEngineDataSite::url() const { return m_server.url(QString::fromLatin1(kPath)); }

void FakeEngineDataSite::serve(const QList<HttpResponse> &answers) {
    m_server.on("GET", QString::fromLatin1(kPath), answers);
}

void FakeEngineDataSite::serve(const HttpResponse &answer) { serve(QList<HttpResponse>{answer}); }

QList<HttpRequest> FakeEngineDataSite::downloads() const { return m_server.requestsTo(QString::fromLatin1(kPath)); }

QByteArray FakeEngineDataSite::engineData(const QStringList &engines) {
    QByteArray text = "[OvertureEngines]\r\n";
    for (int i = 0; i < engines.size(); ++i)
        text += QByteArray::number(i + 1) + '=' + engines[i].toLatin1() + "\r\n";
    for (const QString &e : engines) {
        const QByteArray host = e.toLower().remove('(').remove(')').toLatin1();
        text += "\r\n[" + e.toLatin1() + "]\r\nEngineKey=" + host + "\r\nEngineURL=http://www." + host +
                ".example/\r\nLoginURL=https://login." + host + ".example/signin\r\nQueryKeyword1=http://www." +
                host + ".example/search?q=\r\nQueryKeyword2=\r\nMinBid=\xA3" "0.10\r\n";
    }
    return text;
}

}  // namespace fake
