#include "connect/frmHTTP.h"
#include "core/Globals.h"
#include "fakes/FakeHttpServer.h"
#include "platform/HttpControl.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "support/TestEnv.h"

#include <QPointer>
#include <QTcpServer>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

using fake::FakeHttpServer;
using fake::HttpResponse;

namespace {

void setPreference(const QString &name, const QString &value) {
    testenv::setRegistryValue(g_sPreferenceKey, name, value);
}

// One callback to the caller; insideCall: made from inside a call of the window.
struct Event {
    QString kind;  // "data" or "disconnected"
    QString status;
    QString result;
    bool insideCall = false;
    bool operator==(const Event &o) const {
        return std::tie(kind, status, result, insideCall) == std::tie(o.kind, o.status, o.result, o.insideCall);
    }
};
void PrintTo(const Event &e, std::ostream *os) {
    *os << e.kind.toStdString() << " " << e.status.toStdString() << " \"" << e.result.toStdString() << "\""
        << (e.insideCall ? " inside a call" : "");
}
// The callbacks expected: answers and stops, all from the event loop.
Event data(const QString &status, const QString &result) { return {"data", status, result, false}; }
const Event kDisconnected{"disconnected", QString(), QString(), false};

class Caller : public IHTTPCaller {
public:
    QList<Event> events;
    bool insideCall = false;
    std::function<void(Caller &)> onData;

    void ProcessData(const QString &sStatusCode, const QString &sResult) override {
        events.append({"data", sStatusCode, sResult, insideCall});
        if (onData)
            onData(*this);
    }
    void setDisconnected(bool bValue) override {
        EXPECT_TRUE(bValue);
        events.append({"disconnected", QString(), QString(), insideCall});
    }
    // Waits for `count` callbacks, then `quietMs` more for a stray late one; all so far.
    QList<Event> settle(int count, int quietMs = 0) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return events.size() >= count; }, 8000)) << events.size() << " callbacks";
        if (quietMs > 0)
            QTest::qWait(quietMs);
        return events;
    }
    // The n-th callback (from 1), waiting for it.
    Event nth(int n) { return settle(n).value(n - 1); }
};

// The window is released through Unload (deleteLater), as callers do.
struct Window {
    QPointer<frmHTTP> form = new frmHTTP;
    Caller caller;
    Window() { form->setObject(&caller); }
    ~Window() {
        if (form) {
            form->setObject(nullptr);
            delete form.data();
        }
    }
    void connect(const QString &url) { inCall([&] { form->Connect1(url); }); }
    void disconnect() { inCall([&] { form->Disconnect(); }); }
    void inCall(const std::function<void()> &call) {
        caller.insideCall = true;
        call();
        caller.insideCall = false;
    }
    bool waitForResendPause() {
        return QTest::qWaitFor([&] { return form->ResendPending(); }, 5000);
    }
};

}  // namespace

TEST(frmHTTP, GetAnswersThroughProcessDataFromTheEventLoop) {
    FakeHttpServer server;
    server.on("GET", "/search", HttpResponse::page("results"));
    server.on("GET", "/missing", HttpResponse::error(404, "no such page"));
    Window w;
    w.connect(server.url("/search?q=blue+shoes"));
    EXPECT_TRUE(w.caller.events.isEmpty());
    EXPECT_EQ(w.caller.settle(1), QList<Event>{data("200", "results")});
    EXPECT_EQ(w.form->URL(), server.url("/search?q=blue+shoes"));
    EXPECT_EQ(server.requests()[0].method, QByteArray("GET"));

    // The caller may start its next request from inside ProcessData.
    w.caller.onData = [&](Caller &c) {
        c.onData = nullptr;
        w.form->Connect1(server.url("/missing"));
    };
    w.connect(server.url("/search"));
    EXPECT_EQ(w.caller.nth(3), data("404", "no such page"));
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
}

TEST(frmHTTP, SubmitMethodPostSendsPostDataByteForByte) {
    FakeHttpServer server;
    server.on("POST", "/suggest", HttpResponse::page("posted"));
    server.on("GET", "/suggest", HttpResponse::page("got"));
    Window w;
    w.form->setSubmitMethod("post");
    w.form->setPostData(QString("term=red%20shoes&max=") + QChar(0xA3) + "5");
    w.connect(server.url("/suggest"));
    EXPECT_EQ(w.caller.settle(1), QList<Event>{data("200", "posted")});
    EXPECT_EQ(server.requests()[0].method, QByteArray("POST"));
    EXPECT_EQ(server.requests()[0].body, QByteArray("term=red%20shoes&max=\xA3" "5"));

    w.form->setSubmitMethod("");
    w.connect(server.url("/suggest"));
    EXPECT_EQ(w.caller.nth(2), data("200", "got"));
    EXPECT_EQ(server.requests()[1].body, QByteArray());
}

TEST(frmHTTP, TimeOutSettingBoundsEachRequest) {
    FakeHttpServer server;
    server.on("GET", "/p", HttpResponse::page("ok"));
    Window w;
    // A missing value (null) means 30 seconds.
    const struct {
        QString setting;
        int interval;
    } cases[] = {{"62", 62000}, {"63", 60000}, {"300", 60000}, {"0", 0}, {"1", 1000}, {QString(), 30000}};
    int n = 0;
    for (const auto &c : cases) {
        if (c.setting.isNull())
            platform::Registry::instance().deleteValue(g_sPreferenceKey, "TimeOut");
        else
            setPreference("TimeOut", c.setting);
        w.connect(server.url("/p"));
        EXPECT_EQ(w.form->TimeoutInterval(), c.interval) << c.setting.toStdString();
        EXPECT_EQ(w.caller.nth(++n), data("200", "ok")) << c.setting.toStdString();
    }
}

TEST(frmHTTP, TimedOutRequestIsSentAgainAndItsNextAnswerReported) {
    FakeHttpServer server;
    server.on("GET", "/slow", {HttpResponse::page("too late").delayed(4000), HttpResponse::page("second")});
    setPreference("TimeOut", "1");
    Window w;
    w.connect(server.url("/slow"));
    EXPECT_EQ(w.caller.settle(1), QList<Event>{data("200", "second")});
    EXPECT_EQ(server.requestCount(), 2);

    // The finished request's timer is stopped: a next request without a time
    // limit is not cut by a tick left over from the one before.
    setPreference("TimeOut", "0");
    server.on("GET", "/unbounded", HttpResponse::page("unbounded").delayed(1300));
    w.connect(server.url("/unbounded"));
    EXPECT_EQ(w.caller.nth(2), data("200", "unbounded"));
    EXPECT_EQ(server.requestsTo("/unbounded").size(), 1);
}

TEST(frmHTTP, EmptyAnswersAreSentThreeTimesMoreThenReportedOnce) {
    FakeHttpServer server;
    server.on("GET", "/empty", HttpResponse::empty());
    server.on("GET", "/once", {HttpResponse::empty(), HttpResponse::page("filled")});
    Window w;
    w.connect(server.url("/empty"));
    EXPECT_EQ(w.caller.settle(1, 300), QList<Event>{data("200", "")});  // no late second report
    EXPECT_EQ(server.requestsTo("/empty").size(), 4);

    w.connect(server.url("/once"));
    EXPECT_EQ(w.caller.nth(2), data("200", "filled"));
    EXPECT_EQ(server.requestsTo("/once").size(), 2);

    // A refused connection ends the same way: one empty report after the tries.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    w.connect(QString("http://127.0.0.1:%1/refused").arg(port));
    EXPECT_EQ(w.caller.settle(3, 300).mid(2), QList<Event>{data("0", "")});
}

TEST(frmHTTP, AServerThatDropsEveryConnectionGetsTheRequestFourTimesInAll) {
    FakeHttpServer server;
    server.on("*", "/drop", HttpResponse::dropped());
    Window w;
    w.connect(server.url("/drop?q=shoes"));
    EXPECT_EQ(w.caller.settle(1, 300), QList<Event>{data("0", "")});
    EXPECT_EQ(server.requestsTo("/drop").size(), 4);

    w.form->setSubmitMethod("POST");
    w.form->setPostData("term=shoes");
    w.connect(server.url("/drop"));
    EXPECT_EQ(w.caller.settle(2, 300).mid(1), QList<Event>{data("0", "")});
    const auto sent = server.requestsTo("/drop");
    ASSERT_EQ(sent.size(), 8);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(sent[i].method, QByteArray("POST"));
}

TEST(frmHTTP, DisconnectReportsDisconnectedOnceAndTheWindowServesOnAfterwards) {
    // With nothing running: reported once, from the event loop, pointer reset.
    Window idle;
    seam::SetPointer(seam::Pointer::Hourglass);
    idle.disconnect();
    idle.disconnect();
    EXPECT_TRUE(idle.caller.events.isEmpty());
    EXPECT_EQ(idle.caller.settle(1, 50), QList<Event>{kDisconnected});
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);

    // Mid-request.
    FakeHttpServer server;
    server.on("GET", "/slow", {HttpResponse::page("late").delayed(3000), HttpResponse::page("fresh")});
    Window w;
    w.connect(server.url("/slow"));
    ASSERT_TRUE(server.waitForRequests(1));
    w.disconnect();
    EXPECT_EQ(w.caller.settle(1, 200), QList<Event>{kDisconnected});
    EXPECT_EQ(server.requestCount(), 1);  // an aborted request is not sent again
    w.connect(server.url("/slow"));
    EXPECT_EQ(w.caller.nth(2), data("200", "fresh"));
}

TEST(frmHTTP, DisconnectDuringTheResendPauseLetsTheResendEndIt) {
    FakeHttpServer server;
    server.on("GET", "/e", {HttpResponse::empty(), HttpResponse::page("after")});
    server.on("GET", "/empty-again", HttpResponse::empty());
    Window w;
    w.connect(server.url("/e"));
    ASSERT_TRUE(w.waitForResendPause());
    w.disconnect();
    EXPECT_EQ(w.caller.settle(1, 200), QList<Event>{kDisconnected});
    EXPECT_EQ(server.requestCount(), 2);

    // A re-send that cannot go out still ends the stop.
    w.connect(server.url("/empty-again"));
    ASSERT_TRUE(w.waitForResendPause());
    setPreference("TimeOut", "-1");
    w.disconnect();
    EXPECT_EQ(w.caller.settle(2, 200), (QList<Event>{kDisconnected, kDisconnected}));
    EXPECT_EQ(server.requestsTo("/empty-again").size(), 1);
    EXPECT_TRUE(testenv::errorLog().startsWith("frmHTTP_Connect1_Error: 380 - "));
}

TEST(frmHTTP, ProxySettingsApplyOnlyWhileSelected) {
    FakeHttpServer proxy;
    proxy.setFallback([](const fake::HttpRequest &r) {
        return HttpResponse::page(r.absoluteForm ? "proxied" : "direct");
    });
    setPreference("AccessType", "2");
    setPreference("Proxy", " 127.0.0.1 ");
    setPreference("Port", QString::number(proxy.port()));
    setPreference("Auth_Username", "ann");
    setPreference("Auth_Password", "pw");
    proxy.requireProxyAuthorization("ann", "pw");
    Window w;
    w.connect("http://engine.test/search?q=a");
    EXPECT_EQ(w.caller.settle(1), QList<Event>{data("200", "proxied")});
    EXPECT_EQ(proxy.requests().last().target, QByteArray("http://engine.test/search?q=a"));
    EXPECT_EQ(proxy.requests().last().header("Proxy-Authorization"), "Basic " + QByteArray("ann:pw").toBase64());
    EXPECT_EQ(w.form->Http1()->Proxy(), QString("127.0.0.1:%1").arg(proxy.port()));

    // A user without a password sets neither credential.
    FakeHttpServer open;
    open.setFallback([](const fake::HttpRequest &) { return HttpResponse::page("open proxy"); });
    setPreference("Port", QString::number(open.port()));
    setPreference("Auth_Password", "");
    w.connect("http://engine.test/x");
    EXPECT_EQ(w.caller.nth(2), data("200", "open proxy"));
    EXPECT_FALSE(open.requests().last().hasHeader("Proxy-Authorization"));
    EXPECT_EQ(w.form->Http1()->ProxyUsername(), QString());

    // Direct access clears the proxy the last request used.
    setPreference("AccessType", "1");
    w.connect(open.url("/direct"));
    EXPECT_EQ(w.caller.nth(3), data("200", "open proxy"));
    EXPECT_FALSE(open.requests().last().absoluteForm);
    EXPECT_EQ(w.form->Http1()->Proxy(), QString());
}

TEST(frmHTTP, ErrorsAreLoggedWithTheirLabels) {
    FakeHttpServer server;
    server.on("GET", "/p", HttpResponse::page("ok"));
    Window w;

    // A negative time-out is refused: nothing is sent, one empty report.
    setPreference("TimeOut", "-5");
    const QString url = server.url("/p");
    w.connect(url);
    EXPECT_TRUE(w.caller.events.isEmpty());
    EXPECT_EQ(w.caller.settle(1), QList<Event>{data("0", "")});
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(testenv::errorLog(),
              ("frmHTTP_Connect1_Error: 380 - Invalid property value\r\nURL: " + url + "\r\n").toLatin1());

    // A setting that is not a number is logged and keeps the value of the
    // last read (none yet on a new window); the request goes on.
    setPreference("TimeOut", "soon");
    Window fresh;
    fresh.connect(url);
    EXPECT_EQ(fresh.form->TimeoutInterval(), 0);
    EXPECT_EQ(fresh.caller.settle(1), QList<Event>{data("200", "ok")});
    EXPECT_TRUE(testenv::errorLog().endsWith("frmHTTP_GetsocketSetting error :  Type mismatch\r\n"));
}

TEST(frmHTTP, UnloadWhileBusyReportsNothingAndGoesAtTheEnd) {
    FakeHttpServer server;
    server.on("GET", "/slow", HttpResponse::page("late").delayed(2000));
    Window w;
    w.connect(server.url("/slow"));
    ASSERT_TRUE(server.waitForRequests(1));
    w.form->Unload();
    ASSERT_NE(w.form, nullptr);  // still there until the aborted request ends
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.isNull(); }, 3000));
    QTest::qWait(200);
    EXPECT_TRUE(w.caller.events.isEmpty());
    EXPECT_EQ(server.requestCount(), 1);
}

TEST(frmHTTP, UrlHelpers) {
    frmHTTP form;
    EXPECT_EQ(form.GetHostFromURL("http://host:8080/x/y"), QString("host:8080"));
    EXPECT_EQ(form.GetHostFromURL("plainhost"), QString("plainhost"));
    EXPECT_EQ(form.GetFileFromURL("http://host/dir/page.asp?x=1"), QString("dir/page.asp?x=1"));
    EXPECT_EQ(form.GetFileFromURL("http://host"), QString());
    EXPECT_TRUE(form.IsDotAddress(" 10.0.255.1 "));
    for (const char *bad : {"10.0.256.1", "10.0.01.1", "10.0.1", "10.0.+1.1", "a.b.c.d"})
        EXPECT_FALSE(form.IsDotAddress(bad)) << bad;
}
