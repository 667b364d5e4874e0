#include "fakes/FakeHttpServer.h"
#include "fakes/LocalTlsIdentity.h"
#include "platform/HttpControl.h"
#include "platform/VB.h"

#include <QPointer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using fake::FakeHttpServer;
using fake::HttpResponse;
using platform::HttpControl;
using platform::HttpHeaders;

namespace {

// Runs a synchronous request and returns the error number it raised (0 when none).
template <typename F>
int raisedNumber(F &&request) {
    try {
        request();
    } catch (const vb::VBError &e) {
        return e.Number();
    }
    return 0;
}

}  // namespace

TEST(HttpControl, SynchronousGetReturnsTheWholeBodyAsAnsiTextWithItsHeaders) {
    FakeHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.on("GET", "/bids", HttpResponse::bytes(QByteArray("Bid \xA3" "0.25 <b>ok</b>")));
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/bids?page=2"));
    HttpHeaders headers;
    headers.Add("X-Account", "acme");
    headers.Add("Accept-Language", "en-gb");
    headers.Add("accept-language", "en");
    EXPECT_EQ(http.Get(&headers), QString("Bid ") + QChar(0xA3) + "0.25 <b>ok</b>");
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_EQ(http.State(), 0);
    EXPECT_FALSE(http.Busy());
    ASSERT_EQ(server.requestCount(), 1);
    const auto &req = server.requests()[0];
    EXPECT_EQ(req.method, QByteArray("GET"));
    EXPECT_EQ(req.target, QByteArray("/bids?page=2"));
    EXPECT_EQ(req.header("X-Account"), QByteArray("acme"));
    EXPECT_EQ(req.header("Accept-Language"), QByteArray("en-gb, en"));
    EXPECT_FALSE(req.absoluteForm);

    // An error status is an answer with its body.
    server.on("GET", "/gone", HttpResponse::error(503, "System Temporarily Unavailable"));
    http.setURL(server.url("/gone"));
    EXPECT_EQ(http.Get(), QString("System Temporarily Unavailable"));
    EXPECT_EQ(http.StatusCode(), 503);
    EXPECT_EQ(http.ErrorNumber(), 0);
}

TEST(HttpControl, PostsFormsFollowsRedirectsKeepsCookiesAndReportsTheFinalUrl) {
    FakeHttpServer server;
    server.on("POST", "/login", HttpResponse::redirect("/home").setCookie("sid", "42"));
    server.on("GET", "/home", HttpResponse::page("home page"));
    server.on("GET", "/bids", HttpResponse::page("bids page"));
    server.requireCookie("/bids", "sid", "42");
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/login"));
    // The body goes out byte for byte as a form.
    EXPECT_EQ(http.Post(QString("user=a%20b&pass=p%26w&note=") + QChar(0xA3)), QString("home page"));
    EXPECT_EQ(server.requests()[0].body, QByteArray("user=a%20b&pass=p%26w&note=\xA3"));
    EXPECT_EQ(server.requests()[0].header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    EXPECT_EQ(http.URL(), server.url("/home"));
    http.setURL(server.url("/bids"));
    EXPECT_EQ(http.Get(), QString("bids page"));
    ASSERT_EQ(server.requestCount(), 3);
    EXPECT_EQ(server.requests()[1].path, QString("/home"));
    EXPECT_EQ(server.requests()[2].cookie("sid"), QByteArray("42"));
}

TEST(HttpControl, FailedRequestsRaiseTheNumbersTheMessagesWord) {
    HttpControl http;
    http.setSynchronous(true);

    QTcpServer closed;  // a port nobody listens on any more
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    http.setURL(QString("http://127.0.0.1:%1/").arg(port));
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errServerDown);
    EXPECT_EQ(http.State(), 0);

    // A server that closes the connection without an answer.
    FakeHttpServer server;
    server.on("POST", "/drop", HttpResponse::dropped());
    http.setURL(server.url("/drop"));
    EXPECT_EQ(raisedNumber([&] { http.Post("a=1"); }), HttpControl::errConnectionAborted);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(http.Result(), QString());

    // A connection that breaks inside the body is no complete answer.
    server.on("GET", "/cut", HttpResponse::truncated(QByteArray(4000, 'x'), 1000));
    http.setURL(server.url("/cut"));
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errConnectionAborted);
    EXPECT_EQ(http.Result(), QString());

    http.setURL("ftp://127.0.0.1/file");
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errUnrecognizedScheme);
    http.setURL("not a url");
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errInvalidURL);
    EXPECT_EQ(raisedNumber([&] { http.setTimeout(-1); }), HttpControl::errInvalidPropertyValue);
    EXPECT_EQ(raisedNumber([&] { http.setProxy("proxyhost:port"); }), HttpControl::errInvalidPropertyValue);
}

// Trusts the fake servers' own certificate while it lives.
struct TrustLocalCertificate {
    TrustLocalCertificate() { HttpControl::setTrustedCertificatesForTests(fake::LocalTlsIdentity().certificatePem); }
    ~TrustLocalCertificate() { HttpControl::setTrustedCertificatesForTests(QByteArray()); }
};

QList<int> connectionsOf(const QList<fake::HttpRequest> &requests) {
    QList<int> out;
    for (const auto &r : requests)
        out.append(r.connection);
    return out;
}

TEST(HttpControl, GetsShareAKeptAliveConnectionAndEveryPostHasOneOfItsOwn) {
    TrustLocalCertificate trust;
    for (const auto transport : {FakeHttpServer::Transport::Plain, FakeHttpServer::Transport::Tls}) {
        SCOPED_TRACE(transport == FakeHttpServer::Transport::Tls ? "https" : "http");
        FakeHttpServer server(transport);
        server.on("GET", "/page", HttpResponse::page("page"));
        server.on("POST", "/bid", HttpResponse::page("placed"));
        server.on("GET", "/last", HttpResponse::page("last").closingConnection());
        {
            HttpControl http;
            http.setSynchronous(true);
            http.setURL(server.url("/page"));
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(http.Get(), QString("page"));
            EXPECT_EQ(connectionsOf(server.requests()), (QList<int>{1, 1, 1, 1}));

            http.setURL(server.url("/bid"));
            EXPECT_EQ(http.Post("bid=1"), QString("placed"));
            EXPECT_EQ(http.Post("bid=2"), QString("placed"));
            // Each post's connection is gone once it is answered; the GETs' stays.
            EXPECT_TRUE(QTest::qWaitFor([&] { return server.openConnectionCount() == 1; }, 5000));
            http.setURL(server.url("/page"));
            EXPECT_EQ(http.Get(), QString("page"));

            // An answer that closes its connection sends the next GET to a new one.
            http.setURL(server.url("/last"));
            EXPECT_EQ(http.Get(), QString("last"));
            http.setURL(server.url("/page"));
            EXPECT_EQ(http.Get(), QString("page"));
            EXPECT_EQ(connectionsOf(server.requests()), (QList<int>{1, 1, 1, 1, 2, 3, 1, 1, 4}));
            EXPECT_EQ(server.requestCount(), 9);
        }
        // The control's end closes the connection it kept.
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.openConnectionCount() == 0; }, 5000));
    }
}

// A bid post that reached the engine twice would be a bid placed twice: a
// post goes out once whatever the connection does, and only the caller
// decides to send again. A GET that met a kept-alive connection the server
// had closed goes out once more, on a fresh connection; never a third time.
TEST(HttpControl, OnlyAGetThatMetAClosedKeptAliveConnectionIsSentAgain) {
    struct Case {
        const char *name;
        QByteArray method;
        bool afterAnAnswer;  // a kept-alive connection is open when the request goes out
        QList<HttpResponse> answers;
        QString result;      // "" with error 12030
        QList<bool> fresh;   // per arrival: on a connection of its own
    } cases[] = {
        {"GET first, dropped", "GET", false, {HttpResponse::dropped()}, "", {true}},
        {"GET on a kept-alive connection, dropped", "GET", true, {HttpResponse::dropped()}, "", {false, true}},
        {"GET on a kept-alive connection, dropped once", "GET", true,
         {HttpResponse::dropped(), HttpResponse::page("second")}, "second", {false, true}},
        {"POST first, dropped", "POST", false, {HttpResponse::dropped(), HttpResponse::page("second")}, "", {true}},
        {"POST beside a kept-alive connection, dropped", "POST", true,
         {HttpResponse::dropped(), HttpResponse::page("second")}, "", {true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpServer server;
        server.on("GET", "/page", HttpResponse::page("kept alive"));
        server.on("*", "/target", c.answers);
        HttpControl http;
        http.setSynchronous(true);
        int kept = 0;
        if (c.afterAnAnswer) {
            http.setURL(server.url("/page"));
            EXPECT_EQ(http.Get(), QString("kept alive"));
            kept = server.requests().last().connection;
        }
        server.clearRequests();
        http.setURL(server.url("/target"));
        const auto send = [&] { return c.method == "POST" ? http.Post("bid=0.30") : http.Get(); };
        EXPECT_EQ(raisedNumber(send), c.result.isEmpty() ? int(HttpControl::errConnectionAborted) : 0);
        EXPECT_EQ(http.Result(), c.result);
        EXPECT_EQ(http.State(), 0);
        EXPECT_FALSE(http.Busy());
        QList<bool> fresh;
        for (const auto &r : server.requests()) {
            EXPECT_EQ(r.method, c.method);
            fresh.append(r.connection != kept);
        }
        EXPECT_EQ(fresh, c.fresh);
    }
}

TEST(HttpControl, APostsRedirectGoesOutOnAConnectionOfItsOwn) {
    FakeHttpServer server;
    server.on("GET", "/page", HttpResponse::page("kept alive"));
    server.on("POST", "/temporary", HttpResponse::redirect("/kept", 307));
    server.on("POST", "/kept", QList<HttpResponse>{HttpResponse::dropped(), HttpResponse::page("placed")});
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/page"));
    EXPECT_EQ(http.Get(), QString("kept alive"));
    http.setURL(server.url("/temporary"));
    EXPECT_EQ(raisedNumber([&] { http.Post("bid=0.30"); }), HttpControl::errConnectionAborted);
    EXPECT_EQ(server.requestsTo("/kept").size(), 1);
    EXPECT_EQ(connectionsOf(server.requests()), (QList<int>{1, 2, 3}));
}

TEST(HttpControl, AKeptAliveConnectionTheServerClosedCostsTheNextGetANewOne) {
    FakeHttpServer server;
    server.on("GET", "/page", HttpResponse::page("page"));
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/page"));
    EXPECT_EQ(http.Get(), QString("page"));
    server.closeIdleConnections();
    EXPECT_EQ(http.Get(), QString("page"));
    EXPECT_EQ(connectionsOf(server.requests()), (QList<int>{1, 2}));
    EXPECT_EQ(server.connectionCount(), 2);
}

TEST(HttpControl, TimeOutAndAbortEndTheRequestWithTheirErrors) {
    FakeHttpServer server;
    server.on("GET", "/slow", HttpResponse::page("late").delayed(3000));
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/slow"));
    http.setTimeout(200);
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errTimedOut);
    EXPECT_EQ(http.Result(), QString());
    EXPECT_EQ(http.State(), 0);

    // A Cancel button pressed while the call waits: timers keep running inside it.
    http.setTimeout(0);
    bool ticked = false;
    QTimer::singleShot(100, [&] {
        ticked = true;
        EXPECT_TRUE(http.Busy());
        http.Abort();
    });
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errCancelled);
    EXPECT_TRUE(ticked);
    EXPECT_FALSE(http.Busy());
}

TEST(HttpControl, RedirectsTurnPostsIntoGetsLikeABrowserAndStopAfterFifty) {
    FakeHttpServer server;
    server.on("POST", "/see-other", HttpResponse::redirect("/result", 303));
    server.on("POST", "/temporary", HttpResponse::redirect("/kept", 307));
    server.on("*", "/result", [](const fake::HttpRequest &r) { return HttpResponse::page(QString(r.method)); });
    server.on("*", "/kept", [](const fake::HttpRequest &r) {
        return HttpResponse::page(QString(r.method) + " " + QString(r.body));
    });
    server.on("GET", "/loop", HttpResponse::redirect("/loop"));
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/see-other"));
    EXPECT_EQ(http.Post("bid=1"), QString("GET"));
    EXPECT_EQ(server.requests().last().body, QByteArray());
    EXPECT_EQ(http.URL(), server.url("/result"));
    http.setURL(server.url("/temporary"));
    EXPECT_EQ(http.Post("bid=2"), QString("POST bid=2"));

    server.clearRequests();
    http.setURL(server.url("/loop"));
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errConnectionAborted);
    EXPECT_EQ(server.requestCount(), 51);
}

TEST(HttpControl, CompressedAnswersAreDecodedAndTheEnvironmentsProxyIsIgnored) {
    FakeHttpServer server;
    const QByteArray page = QByteArray("<html>") + QByteArray(5000, 'b') + "</html>";
    // qCompress puts a 4-byte length before the zlib stream.
    server.on("GET", "/packed", HttpResponse::bytes(qCompress(page).mid(4)).withHeader("Content-Encoding", "deflate"));
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QByteArray deadProxy = "http://127.0.0.1:" + QByteArray::number(closed.serverPort());
    closed.close();
    struct EnvironmentProxy {
        const QByteArray saved = qgetenv("http_proxy");
        explicit EnvironmentProxy(const QByteArray &proxy) { qputenv("http_proxy", proxy); }
        ~EnvironmentProxy() { saved.isNull() ? void(qunsetenv("http_proxy")) : void(qputenv("http_proxy", saved)); }
    } environmentProxy(deadProxy);
    HttpControl http;
    http.setSynchronous(true);
    http.setURL(server.url("/packed"));
    EXPECT_EQ(http.Get(), QString::fromLatin1(page));
    EXPECT_FALSE(server.requests().last().header("Accept-Encoding").isEmpty());
    EXPECT_EQ(server.requests().last().header("User-Agent"), QByteArray("Mozilla/5.0"));
}

TEST(HttpControl, TheWaitSurvivesAnAbortFromAStateChangeAndTheControlsDeletion) {
    FakeHttpServer server;
    server.on("GET", "/slow", HttpResponse::page("late").delayed(2000));
    server.on("GET", "/page", HttpResponse::page("body"));
    {
        HttpControl http;
        http.setSynchronous(true);
        QList<int> states;
        QObject::connect(&http, &HttpControl::stateChanged, [&](int s) {
            states.append(s);
            if (s == HttpControl::stateReceiving)
                http.Abort();
        });
        http.setURL(server.url("/page"));
        EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errCancelled);
        EXPECT_EQ(states, (QList<int>{HttpControl::stateRequesting, HttpControl::stateReceiving, 0}));
        EXPECT_EQ(http.Result(), QString());
    }
    // A window closed while its request waits takes the control with it.
    QPointer<HttpControl> http = new HttpControl;
    http->setSynchronous(true);
    http->setURL(server.url("/slow"));
    QTimer::singleShot(50, [&] { delete http.data(); });
    EXPECT_EQ(raisedNumber([&] { http->Get(); }), HttpControl::errCancelled);
    EXPECT_TRUE(http.isNull());
}

TEST(HttpControl, StateChangesEndInIdleAndAsynchronousRequestsReturnAtOnce) {
    FakeHttpServer server;
    server.on("GET", "/page", HttpResponse::page("body"));
    HttpControl http;
    QList<int> states;
    QObject::connect(&http, &HttpControl::stateChanged, [&](int s) { states.append(s); });

    http.setSynchronous(true);
    http.setURL(server.url("/page"));
    http.Get();
    EXPECT_EQ(states, (QList<int>{HttpControl::stateRequesting, HttpControl::stateReceiving, 0}));

    states.clear();
    http.setSynchronous(false);
    EXPECT_EQ(http.Get(), QString());
    EXPECT_TRUE(http.Busy());
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errBusy);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.isEmpty() && states.last() == 0; }, 5000));
    EXPECT_EQ(http.Result(), QString("body"));
    EXPECT_EQ(http.StatusCode(), 200);
}

TEST(HttpControl, GoesThroughTheProxyWithItsCredentialsAndDirectWhenCleared) {
    FakeHttpServer proxy;
    proxy.requireProxyAuthorization("bob", "s:cr&t");
    proxy.setFallback([](const fake::HttpRequest &r) {
        return HttpResponse::page("via proxy " + QString::fromLatin1(r.target));
    });
    HttpControl http;
    http.setSynchronous(true);
    http.setProxy(proxy.proxy());
    http.setProxyUsername("bob");
    http.setProxyPassword("s:cr&t");
    http.setURL("http://engine.test/login?x=1");
    EXPECT_EQ(http.Get(), QString("via proxy http://engine.test/login?x=1"));
    const auto &last = proxy.requests().last();
    EXPECT_TRUE(last.absoluteForm);
    EXPECT_EQ(last.path, QString("/login"));
    EXPECT_EQ(last.header("Proxy-Authorization"), "Basic " + QByteArray("bob:s:cr&t").toBase64());

    // A proxy that is not there is the proxy's failure, not the site's.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    http.setProxy(QString("127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    EXPECT_EQ(raisedNumber([&] { http.Get(); }), HttpControl::errCannotConnectProxy);

    FakeHttpServer site;
    site.on("GET", "/direct", HttpResponse::page("direct"));
    http.setProxy(QString());
    http.setURL(site.url("/direct"));
    EXPECT_EQ(http.Get(), QString("direct"));
    EXPECT_FALSE(site.requests().last().absoluteForm);
}
