#include "fakes/FakeEngineDataSite.h"

#include "fakes/EngineDataText.h"

namespace fake {

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
    QByteArray text = NumberedSection("OvertureEngines", engines);
    for (const QString &e : engines)
        text += "\r\n" + ExampleEngineSection(e) + "MinBid=\xA3" "0.10\r\n";
    return text;
}

}  // namespace fake
