// GETs and POSTs through the HTTP control over a link with a 40 ms round
// trip, plain and over TLS: a relay on loopback holds every chunk 20 ms each
// way in front of a fake server that keeps connections alive. The floor is a
// plain client that keeps one connection alive over the same relay. Each
// iteration starts with no connection open, so the floor and the control
// both pay for their first connection.
//
// Targets: 50 GETs through the control within 1.15x of the floor's 50;
// a POST (a connection of its own) within 4 round trips over TLS.

#include "BenchMain.h"
#include "fakes/FakeHttpServer.h"
#include "fakes/LocalTlsIdentity.h"
#include "platform/HttpControl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <future>
#include <list>
#include <memory>

namespace {

constexpr int kOneWayMs = 20;
constexpr double kRoundTripMs = 2.0 * kOneWayMs;
constexpr int kGets = 50;
constexpr int kPosts = 10;
constexpr int kPageBytes = 20 * 1024;

// Forwards bytes between each client and the server, every chunk no sooner
// than kOneWayMs after it arrived, in order. The kernel answers the connect
// at once, so a connection's first bytes to the server also wait for the
// handshake a real link would have cost them: one and a half round trips
// after the connect.
class DelayRelay : public QObject {
public:
    explicit DelayRelay(quint16 upstreamPort) : m_upstreamPort(upstreamPort) {
        m_clock.start();
        connect(&m_listener, &QTcpServer::pendingConnectionAvailable, this, &DelayRelay::onNewConnection);
        m_listener.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return m_listener.serverPort(); }

private:
    struct Chunk {
        double due;        // ms on m_clock
        QByteArray bytes;  // empty: the sending side closed
    };
    struct Direction {
        QTcpSocket *to = nullptr;
        std::deque<Chunk> chunks;
        QTimer timer;
        double notBefore = 0;
        bool closed = false;
    };
    struct Link {
        std::unique_ptr<QTcpSocket> client;
        std::unique_ptr<QTcpSocket> server;
        Direction up;    // client to server
        Direction down;  // server to client
    };

    double now() const { return double(m_clock.nsecsElapsed()) / 1e6; }

    void onNewConnection() {
        while (QTcpSocket *accepted = m_listener.nextPendingConnection()) {
            auto link = std::make_unique<Link>();
            link->client.reset(accepted);
            accepted->setParent(nullptr);
            link->server = std::make_unique<QTcpSocket>();
            link->server->connectToHost(QHostAddress::LocalHost, m_upstreamPort);
            link->up.to = link->server.get();
            link->down.to = link->client.get();
            link->up.notBefore = now() + 1.5 * kRoundTripMs;
            Link *l = link.get();
            for (QTcpSocket *s : {l->client.get(), l->server.get()})
                s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            wire(l, l->client.get(), l->up);
            wire(l, l->server.get(), l->down);
            m_links.push_back(std::move(link));
        }
    }

    void wire(Link *link, QTcpSocket *from, Direction &d) {
        d.timer.setSingleShot(true);
        d.timer.setTimerType(Qt::PreciseTimer);
        connect(&d.timer, &QTimer::timeout, this, [this, link, &d] { flush(link, d); });
        connect(from, &QTcpSocket::readyRead, this, [this, link, from, &d] { queue(link, d, from->readAll()); });
        connect(from, &QTcpSocket::disconnected, this, [this, link, &d] { queue(link, d, QByteArray()); });
    }

    void queue(Link *link, Direction &d, const QByteArray &bytes) {
        if (d.closed)
            return;
        d.closed = bytes.isEmpty();
        d.chunks.push_back({std::max(now() + kOneWayMs, d.notBefore), bytes});
        if (!d.timer.isActive())
            flush(link, d);
    }

    void flush(Link *link, Direction &d) {
        while (!d.chunks.empty() && d.chunks.front().due <= now()) {
            const QByteArray bytes = d.chunks.front().bytes;
            d.chunks.pop_front();
            if (bytes.isEmpty()) {
                d.to->disconnectFromHost();
                if (link->up.closed && link->down.closed && link->up.chunks.empty() && link->down.chunks.empty())
                    drop(link);
                return;
            }
            d.to->write(bytes);
        }
        if (!d.chunks.empty())
            d.timer.start(int(std::ceil(d.chunks.front().due - now())));
    }

    void drop(Link *link) {
        for (auto it = m_links.begin(); it != m_links.end(); ++it) {
            if (it->get() != link)
                continue;
            for (QTcpSocket *s : {link->client.release(), link->server.release()}) {
                s->disconnect(this);
                s->deleteLater();
            }
            m_links.erase(it);
            return;
        }
    }

    QTcpServer m_listener;
    quint16 m_upstreamPort;
    QElapsedTimer m_clock;
    std::list<std::unique_ptr<Link>> m_links;
};

// The fake server and the relay, on a thread of their own so the client's
// work never holds up theirs.
class FarSite : public QThread {
public:
    explicit FarSite(bool tls) : m_tls(tls) {
        std::future<quint16> ready = m_port.get_future();
        start();
        m_relayPort = ready.get();
    }
    ~FarSite() override {
        quit();
        wait();
    }
    QString url(const char *path) const {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tls ? "https" : "http").arg(m_relayPort).arg(path);
    }
    quint16 relayPort() const { return m_relayPort; }
    bool tls() const { return m_tls; }

protected:
    void run() override {
        fake::FakeHttpServer server(m_tls ? fake::FakeHttpServer::Transport::Tls : fake::FakeHttpServer::Transport::Plain);
        server.on("GET", "/page", fake::HttpResponse::bytes(QByteArray(kPageBytes, 'p')));
        server.on("POST", "/bid", fake::HttpResponse::page("placed"));
        DelayRelay relay(server.port());
        m_port.set_value(relay.port());
        exec();
    }

private:
    bool m_tls;
    std::promise<quint16> m_port;
    quint16 m_relayPort = 0;
};

FarSite &site(bool tls) {
    static FarSite *sites[2] = {};
    FarSite *&s = sites[tls ? 1 : 0];
    if (!s)
        s = new FarSite(tls);
    return *s;
}

// A plain HTTP/1.1 client on one kept-alive connection; blocking, as the
// site answers from its own thread.
class PlainClient {
public:
    explicit PlainClient(const FarSite &site) {
        if (site.tls()) {
            auto *tls = new QSslSocket;
            QSslConfiguration config = tls->sslConfiguration();
            config.setCaCertificates({QSslCertificate(fake::LocalTlsIdentity().certificatePem, QSsl::Pem)});
            tls->setSslConfiguration(config);
            m_socket.reset(tls);
            tls->connectToHostEncrypted(QStringLiteral("127.0.0.1"), site.relayPort());
            m_ok = tls->waitForEncrypted(10000);
        } else {
            m_socket = std::make_unique<QTcpSocket>();
            m_socket->connectToHost(QHostAddress::LocalHost, site.relayPort());
            m_ok = m_socket->waitForConnected(10000);
        }
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    // The body's length, or -1 when the answer did not come whole.
    qsizetype get(const QByteArray &path) {
        if (!m_ok)
            return -1;
        m_socket->write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        qsizetype headEnd = -1;
        while ((headEnd = m_buffer.indexOf("\r\n\r\n")) < 0)
            if (!readMore())
                return -1;
        const QByteArray head = m_buffer.left(headEnd).toLower();
        const qsizetype at = head.indexOf("content-length:");
        if (at < 0)
            return -1;
        const qsizetype length = head.mid(at + 15, head.indexOf('\r', at) - at - 15).trimmed().toLongLong();
        while (m_buffer.size() < headEnd + 4 + length)
            if (!readMore())
                return -1;
        m_buffer.remove(0, headEnd + 4 + length);
        return length;
    }

private:
    bool readMore() {
        if (!m_socket->bytesAvailable() && !m_socket->waitForReadyRead(10000))
            return false;
        m_buffer += m_socket->readAll();
        return true;
    }

    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_buffer;
    bool m_ok = false;
};

// Times each iteration's requests itself, so the counters read as plain numbers.
class RequestClock {
public:
    explicit RequestClock(benchmark::State &state, int requests) : m_state(state), m_requests(requests) {}
    void start() { m_clock.start(); }
    void stop() { m_ms += double(m_clock.nsecsElapsed()) / 1e6; }
    ~RequestClock() {
        const double perRequest = m_ms / double(m_requests) / double(std::max<benchmark::IterationCount>(m_state.iterations(), 1));
        m_state.counters["ms_per_request"] = perRequest;
        m_state.counters["round_trips_per_request"] = perRequest / kRoundTripMs;
    }

private:
    benchmark::State &m_state;
    int m_requests;
    QElapsedTimer m_clock;
    double m_ms = 0;
};

void BM_FloorGets(benchmark::State &state) {
    const FarSite &s = site(state.range(0) != 0);
    RequestClock clock(state, kGets);
    for (auto _ : state) {
        clock.start();
        PlainClient client(s);
        for (int i = 0; i < kGets; ++i) {
            if (client.get("/page") != kPageBytes) {
                state.SkipWithError("the plain client got no whole page");
                return;
            }
        }
        clock.stop();
    }
}

template <typename Request>
void throughControl(benchmark::State &state, const char *path, int count, Request request) {
    const FarSite &s = site(state.range(0) != 0);
    RequestClock clock(state, count);
    for (auto _ : state) {
        clock.start();
        platform::HttpControl http;
        http.setSynchronous(true);
        http.setURL(s.url(path));
        for (int i = 0; i < count; ++i) {
            try {
                request(http);
            } catch (const std::exception &) {
                state.SkipWithError("the control's request failed");
                return;
            }
        }
        clock.stop();
    }
}

void BM_ControlGets(benchmark::State &state) {
    throughControl(state, "/page", kGets, [&state](platform::HttpControl &http) {
        if (http.Get().size() != kPageBytes)
            state.SkipWithError("the control got no whole page");
    });
}

void BM_ControlPosts(benchmark::State &state) {
    throughControl(state, "/bid", kPosts, [](platform::HttpControl &http) { http.Post(QStringLiteral("bid=0.30")); });
}

// 0: http; 1: https.
BENCHMARK(BM_FloorGets)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ControlGets)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ControlPosts)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    platform::HttpControl::setTrustedCertificatesForTests(fake::LocalTlsIdentity().certificatePem);
    const int code = bench::RunBenchmarks(argc, argv);
    delete &site(false);
    delete &site(true);
    return code;
}
