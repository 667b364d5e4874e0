// The keyword mail report of an account of 20,000 keywords sent to the fake
// SMTP server, next to the very same client bytes written to it through a
// plain socket. The mail report should stay within 2x of the plain socket.
#include "BenchFolders.h"
#include "BenchMain.h"
#include "core/Globals.h"
#include "core/clsAccount.h"
#include "core/clsKeywords.h"
#include "fakes/FakeSmtpServer.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "report/frmSendMail.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kKeywords = 20000;
const QString kEngine = QStringLiteral("Google");
const QString kAccount = QStringLiteral("Bench Shop");

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<frmMain> window;
    clsAccount account;
    QByteArray clientBytes;  // one whole dialogue as the mail window sends it
    Fixture() {
        bench::UsePrivateFolders(dir.path());
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &r) {
            qFatal("unexpected message box: %s", qPrintable(r.text));
            return 0;
        });
        const QString folder = platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Accounts"), kEngine, kAccount);
        QDir().mkpath(folder);
        QByteArray lines;
        for (int i = 0; i < kKeywords; ++i)
            lines += "keyword phrase " + QByteArray::number(i) + ";" + QByteArray::number(1000 + i) + ";$0." +
                     QByteArray::number(10 + i % 90) + ";$0.51;$0.90;$0.70;$0.60;;;" + QByteArray::number(i % 20 + 1) +
                     ";Found\r\n";
        QFile f(platform::JoinPath(folder, QStringLiteral("Keywords.dat")));
        if (!f.open(QIODevice::WriteOnly) || f.write(lines) != lines.size())
            std::abort();
        f.close();
        auto &registry = platform::Registry::instance();
        registry.createKey(g_sPreferenceKey);
        registry.setValue(g_sPreferenceKey, QStringLiteral("SMTPServer"), QStringLiteral("127.0.0.1"));
        registry.setValue(g_sPreferenceKey, QStringLiteral("Email"), QStringLiteral("me@bench.test"));
        registry.setValue(g_sPreferenceKey, QStringLiteral("ReporterName"), QStringLiteral("Bench"));
        account.setEngine(kEngine);
        account.setAccountName(kAccount);
        window = std::make_unique<frmMain>();
        window->m_frmSendMail = std::make_unique<frmSendMail>();
    }
    void pointAt(const fake::FakeSmtpServer &server) {
        platform::Registry::instance().setValue(g_sPreferenceKey, QStringLiteral("SMTPPort"),
                                                QString::number(server.port()));
    }
    // One mail report, until its dialogue has ended.
    bool mailReport() {
        QEventLoop loop;
        bool delivered = false;
        const auto c = QObject::connect(window->m_frmSendMail.get(), &frmSendMail::DialogueEnded, &loop,
                                        [&](bool d) { delivered = d; loop.quit(); });
        window->MailReport(account);
        loop.exec();
        QObject::disconnect(c);
        return delivered;
    }
};

Fixture &fixture() {
    static Fixture f;
    if (f.clientBytes.isEmpty()) {
        fake::FakeSmtpServer server;
        f.pointAt(server);
        if (!f.mailReport() || server.messages().size() != 1)
            std::abort();
        f.clientBytes = server.clientBytes(0);
    }
    return f;
}

void BM_MailReport(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<fake::FakeSmtpServer>();
        f.pointAt(*server);
        state.ResumeTiming();
        if (!f.mailReport())
            state.SkipWithError("not delivered");
        state.PauseTiming();
        server.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.clientBytes.size());
}

// The mail window alone: the report body already built, sent as one message.
void BM_SendMail(benchmark::State &state) {
    Fixture &f = fixture();
    const qsizetype start = f.clientBytes.indexOf("\r\n\r\n") + 4;
    const QString body = QString::fromLatin1(f.clientBytes.mid(start, f.clientBytes.size() - start - 11));
    frmSendMail mail;
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<fake::FakeSmtpServer>();
        mail.From(QStringLiteral("Bench"), QStringLiteral("me@bench.test"));
        mail.MailServer(QStringLiteral("127.0.0.1"), server->port());
        state.ResumeTiming();
        QEventLoop loop;
        bool delivered = false;
        const auto c = QObject::connect(&mail, &frmSendMail::DialogueEnded, &loop, [&](bool d) {
            delivered = d;
            loop.quit();
        });
        mail.SendMail(QStringLiteral("me@bench.test"), QStringLiteral("report"), body);
        loop.exec();
        QObject::disconnect(c);
        if (!delivered || server->messages().size() != 1)
            state.SkipWithError("not delivered");
        state.PauseTiming();
        server.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.clientBytes.size());
}

// The same bytes, written at once; done when the server has answered QUIT and closed.
void BM_PlainSocket(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<fake::FakeSmtpServer>();
        state.ResumeTiming();
        QTcpSocket socket;
        QEventLoop loop;
        QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
        socket.connectToHost(QStringLiteral("127.0.0.1"), server->port());
        socket.write(f.clientBytes);
        loop.exec();
        if (server->messages().size() != 1)
            state.SkipWithError("not delivered");
        state.PauseTiming();
        server.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.clientBytes.size());
}

// The report's text alone: Keywords.dat loaded and the fixed-width text built.
void BM_MailReportText(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        clsKeywords keywords;
        keywords.setAccountName(kAccount);
        keywords.setEngine(kEngine);
        keywords.loadKeywords();
        benchmark::DoNotOptimize(keywords.EmailMsg());
    }
    state.SetBytesProcessed(state.iterations() * f.clientBytes.size());
}

BENCHMARK(BM_MailReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MailReportText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendMail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSocket)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return bench::RunWithWindows(argc, argv, [] { fixture().window.reset(); });
}
