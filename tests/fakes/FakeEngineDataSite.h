#pragma once
// The maker's web server for the engine data download, on FakeHttpServer:
// it serves the engine data file's path (also when asked as a proxy, with
// the fixed address in the request) and records every request.

#include "fakes/FakeHttpServer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace fake {

class FakeEngineDataSite {
public:
    static constexpr const char *kPath = "/enginedata/zqaeng.dat";

    FakeEngineDataSite();

    FakeHttpServer &server() { return m_server; }
    // The engine data file's address on this server.
    QString url() const;
    // Scripts the answers to the file's path (the last one repeats).
    void serve(const QList<HttpResponse> &answers);
    void serve(const HttpResponse &answer);
    // Requests for the file, direct or through the server as a proxy.
    QList<HttpRequest> downloads() const;

    // A good engine data file for these engines: the engine list and one
    // section per engine, Windows-1252 (a pound sign in each minimum bid),
    // lines ending in CR LF.
    static QByteArray engineData(const QStringList &engines);

private:
    FakeHttpServer m_server;
};

}  // namespace fake
