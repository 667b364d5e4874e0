#include "autobid/BidReport.h"

#include "core/Globals.h"
#include "fakes/FakeSmtpServer.h"
#include "platform/Folders.h"
#include "report/frmSendMail.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
const QString kHead = QStringLiteral("Account Name:  acme\r\nEngine Name:  Overture\r\nTime AutoBid:  3/5/2024 2:07:09 PM\r\n\r\n");
const QString kTableHead = QStringLiteral("Following Keyword bids have been changed:\r\n\r\n") + QStringLiteral("Keyword") +
                           QString(33, QLatin1Char(' ')) +
                           QStringLiteral("CurBid   NewBid   Change   CurPos   NewPos   Change   ") +
                           QString(92, QLatin1Char('=')) + kCrLf;
const QString kNothing = QStringLiteral("There is not Keyword bid  has been changed.");

struct Row { QString keyword, curBid, newBid, curPos, newPos; };

KeywordCollection collection(const QList<Row> &rows) {
    KeywordCollection col;
    for (const Row &r : rows) {
        auto k = std::make_shared<clsKeyword>();
        k->setKeyword(r.keyword);
        k->setCurBid(r.curBid);
        k->setNewBid(r.newBid);
        k->setCurPos(r.curPos);
        k->setNewPos(r.newPos);
        col.Add(k, r.keyword);
    }
    return col;
}

QString pad(const QString &text, int width) { return text + QString(width - int(text.size()), QLatin1Char(' ')); }

struct BidReportTest : ::testing::Test {
    void SetUp() override { testenv::setNow(kNow); }
    QString generate(const QList<Row> &rows) {
        const KeywordCollection col = collection(rows);
        return BidReport::GenerateReport(QStringLiteral("Overture"), QStringLiteral("acme"), col);
    }
};

}  // namespace

TEST_F(BidReportTest, RowsAreLaidOutFieldByField) {
    const QString k45(45, QLatin1Char('k'));
    struct Case { const char *name; Row row; QString line; } cases[] = {
        {"the example row", {"shoes", "$0.50", "0.41", "2", "3"},
         pad("shoes", 40) + "$0.50    $0.41     -0.09    2        3        -1       \r\n"},
        {"a rise shows its +", {"boots", "0.50", "0.55", "4", "2"},
         pad("boots", 40) + "$0.50     $0.55     +0.05     4        2        2        \r\n"},
        {"Unknow leaves the position change blank", {"hats", "$1.00", "$0.90", "3", "Unknow"},
         pad("hats", 40) + "$1.00    $0.90    -0.10    3        Unknow   " + QString(9, ' ') + kCrLf},
        {"a 45-character keyword keeps one blank", {k45, "$0.10", "$0.20", "5", "4"},
         k45 + " $0.10    $0.20    +0.10     5        4        1        \r\n"},
        {"fields of nine characters keep one blank", {"coats", "$1,000.00", "$1,000.50", "123456789", "1"},
         pad("coats", 40) + "$1000.00 $1000.50 +0.50     123456789 1        123456788 \r\n"},
        {"a pound-sign bid", {"scarves", QString(QChar(0xA3)) + "0.30", QString(QChar(0xA3)) + "0.25", "1", "1"},
         pad("scarves", 40) + "$0.30    $0.25    -0.05    1        1        0        \r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(generate({c.row}), kHead + kTableHead + c.line) << c.name;
}

TEST_F(BidReportTest, OnlyChangedBidsAreListedAndBadBidsAreLeftOut) {
    // Nothing changed: the heading lines and the sentence, no line end after it.
    EXPECT_EQ(generate({{"shoes", "$0.50", "0.50", "2", "2"}, {"boots", "$0.40", "", "3", ""}}), kHead + kNothing);
    EXPECT_EQ(generate({}), kHead + kNothing);

    KeywordCollection col = collection({{"shoes", "$0.50", "0.41", "2", "3"},
                                        {"socks", "n/a", "0.20", "1", "1"},
                                        {"boots", "$0.40", "", "3", ""},
                                        {"belts", "$0.30", "0.35", "", "1"}});
    const QString text = BidReport::GenerateReport(QStringLiteral("Overture"), QStringLiteral("acme"), col);
    EXPECT_EQ(text, kHead + kTableHead + pad("shoes", 40) + "$0.50    $0.41     -0.09    2        3        -1       \r\n" +
                        pad("belts", 40) + "$0.30    $0.35     +0.05     " + QString(9, ' ') + "1        " +
                        QString(9, ' ') + kCrLf);
    // The records take the filled-in values.
    EXPECT_EQ(col.Item(QStringLiteral("boots"))->NewBid(), QStringLiteral("$0.40"));
    EXPECT_EQ(col.Item(QStringLiteral("boots"))->NewPos(), QStringLiteral("3"));
    EXPECT_TRUE(testenv::errorLog().contains("frmAutoBid_GenerateReport error: Type mismatch"));
    EXPECT_TRUE(testenv::errorLog().contains("socks"));
}

TEST_F(BidReportTest, ReportWritesTheFileAndOpensIt) {
    const KeywordCollection col = collection({{"shoes", "$0.50", "0.41", "2", "3"}});
    ASSERT_TRUE(BidReport::Report(QStringLiteral("Overture"), QStringLiteral("acme"), col));
    const QString file = platform::JoinPath(testenv::programDir(), QStringLiteral("reports/Overture/acme_autobid.txt"));
    EXPECT_EQ(BidReport::ReportFile(QStringLiteral("Overture"), QStringLiteral("acme")), file);
    EXPECT_EQ(testenv::readFile(file),
              (kHead + kTableHead + pad("shoes", 40) + "$0.50    $0.41     -0.09    2        3        -1       \r\n\r\n")
                  .toLatin1());
    EXPECT_EQ(testenv::shellOpened(), QStringList{file});

    // Names that would leave the reports folder stay inside it.
    ASSERT_TRUE(BidReport::Report(QStringLiteral("../Over"), QStringLiteral("../../evil"), col));
    const QString odd = BidReport::ReportFile(QStringLiteral("../Over"), QStringLiteral("../../evil"));
    EXPECT_TRUE(QFileInfo(odd).canonicalFilePath().startsWith(
        QFileInfo(platform::JoinPath(testenv::programDir(), QStringLiteral("reports"))).canonicalFilePath() + "/"));
    EXPECT_EQ(testenv::shellOpened().last(), odd);
}

TEST_F(BidReportTest, AReportThatCannotBeWrittenIsNotOpened) {
    const KeywordCollection col = collection({{"shoes", "$0.50", "0.41", "2", "3"}});
    // A folder where the file should go: the write fails.
    QDir().mkpath(BidReport::ReportFile(QStringLiteral("Overture"), QStringLiteral("acme")));
    testenv::answerMsgBox(seam::vbOK);
    EXPECT_FALSE(BidReport::Report(QStringLiteral("Overture"), QStringLiteral("acme"), col));
    EXPECT_TRUE(testenv::shellOpened().isEmpty());
    EXPECT_TRUE(testenv::errorLog().contains(" frmAutoBid_Report error: Path/File access error\r\n"));

    // An engine folder that cannot be made.
    testenv::writeFile(platform::JoinPath(testenv::programDir(), QStringLiteral("reports/Google")), "a file");
    EXPECT_FALSE(BidReport::Report(QStringLiteral("Google"), QStringLiteral("acme"), col));
    EXPECT_TRUE(testenv::shellOpened().isEmpty());
}

TEST_F(BidReportTest, SentEmailMailsTheTextThroughAWindowThatGoesAway) {
    fake::FakeSmtpServer server;
    testenv::setRegistryValue(g_sPreferenceKey, QStringLiteral("SMTPServer"), QStringLiteral("127.0.0.1"));
    testenv::setRegistryValue(g_sPreferenceKey, QStringLiteral("SMTPPort"), QString::number(server.port()));
    testenv::setRegistryValue(g_sPreferenceKey, QStringLiteral("Email"), QStringLiteral("me@x.test"));
    testenv::setRegistryValue(g_sPreferenceKey, QStringLiteral("ReporterName"), QStringLiteral("Reporter"));
    const QString text = generate({{"shoes", "$0.50", "0.41", "2", "3"}});

    QPointer<frmSendMail> mail = BidReport::SentEmail(QStringLiteral("Overture"), QStringLiteral("acme"), text);
    ASSERT_TRUE(mail);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mail.isNull(); }, 5000));
    ASSERT_EQ(server.messages().size(), 1);
    const fake::SmtpMessage &m = server.messages().first();
    EXPECT_EQ(m.from, QByteArray("<me@x.test>"));
    EXPECT_EQ(m.recipients, QList<QByteArray>{"<me@x.test>"});
    EXPECT_TRUE(m.data.startsWith("From: Reporter<me@x.test>\r\nTo: me@x.test\r\n"
                                  "Content-Type: text/plain; charset=us-ascii\r\n"
                                  "Subject: AutoBid report for Overture-acme\r\n"));
    EXPECT_TRUE(m.data.endsWith("\r\n\r\n" + text.toLatin1() + "\r\n"));

    // A port setting that is no port: logged, no mail, no window left behind.
    testenv::setRegistryValue(g_sPreferenceKey, QStringLiteral("SMTPPort"), QStringLiteral("abc"));
    EXPECT_TRUE(BidReport::SentEmail(QStringLiteral("Overture"), QStringLiteral("acme"), text).isNull());
    EXPECT_TRUE(testenv::errorLog().contains("frmAutoBid_SentEmail error: Type mismatch\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<frmSendMail *>(w), nullptr);
    EXPECT_EQ(server.connectionCount(), 1);
}
