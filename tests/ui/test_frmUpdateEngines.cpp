#include "EngineDataFixtures.h"
#include "ProgramFixtures.h"

#include "fakes/FakeEngineDataSite.h"
#include "platform/Seams.h"
#include "ui/frmUpdateEngines.h"

using fake::FakeEngineDataSite;
using fake::HttpResponse;

namespace {

const QString kWorking = QStringLiteral(
    "Please wait while updating your engine data. It will take a few minutes depending on your Internet "
    "connection .......");
const QString kSuccess = QStringLiteral(
    "The Engine data file has been downloaded successfully.\r\n\r\nPlease make sure to update your engine data file "
    "frequently at least once per month by clicking the 'File/Update Engine Data' menu item from the menu bar.");
const QString kError = QStringLiteral(
    "Error occur when update engine data. If you are connected to the internet through a proxy server, please "
    "enter your correct 'Proxy Server' address in the 'File/Configuration' window then try again. ");
const QByteArray kOldFile = "[OvertureEngines]\r\n1=Old\r\n\r\n[Old]\r\nEngineURL=http://old.example/\r\n";

QColor textColour(const QLabel *label) { return label->palette().color(QPalette::WindowText); }

struct Dialog {
    FakeEngineDataSite site;
    fixtures::ScopedDownloadURL address{site.url()};
    frmUpdateEngines form;
    Dialog() { form.show(); }
    void start() { form.cmdStart->click(); }
    bool finish() { return QTest::qWaitFor([&] { return !form.IsBusy(); }, 10000); }
};

}  // namespace

TEST(frmUpdateEngines, GoodDownloadReplacesTheFileAndSaysSo) {
    fixtures::writeEngineFile(kOldFile);
    Dialog d;
    const QByteArray body = FakeEngineDataSite::engineData({"Overture", "Google"});
    d.site.serve(HttpResponse::bytes(body));
    EXPECT_EQ(d.form.windowTitle(), "Update Engine Data");
    EXPECT_EQ(d.form.cmdClose->text(), "Close");

    d.start();
    // Busy: Stop, no way out, the status line shown.
    EXPECT_TRUE(d.form.IsBusy());
    EXPECT_EQ(d.form.cmdStart->text(), "Stop");
    EXPECT_FALSE(d.form.cmdClose->isEnabled());
    EXPECT_EQ(d.form.lblMsg->text(), kWorking);
    EXPECT_EQ(d.form.lblConnectStatus->text(), "Connecting to web server .....");
    EXPECT_TRUE(d.form.lblConnectStatus->isVisible());
    EXPECT_EQ(d.form.pbrEngineData->value(), 1);
    EXPECT_EQ(d.form.pbrEngineData->maximum(), 3);
    d.form.close();
    EXPECT_TRUE(d.form.isVisible()) << "the close box is refused while busy";

    ASSERT_TRUE(d.finish());
    ASSERT_EQ(d.site.downloads().size(), 1);
    const fake::HttpRequest request = d.site.downloads().front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/enginedata/zqaeng.dat");
    EXPECT_TRUE(request.body.isEmpty());
    EXPECT_EQ(fixtures::engineFile(), body + "\r\n") << "the answer's bytes and one CR LF";

    EXPECT_EQ(d.form.lblMsg->text(), kSuccess);
    EXPECT_EQ(textColour(d.form.lblMsg), QColor(0, 0, 0));
    EXPECT_EQ(d.form.pbrEngineData->value(), 3);
    EXPECT_FALSE(d.form.cmdStart->isEnabled());
    EXPECT_EQ(d.form.cmdStart->text(), "Start");
    EXPECT_EQ(d.form.cmdClose->text(), "Finish");
    EXPECT_TRUE(d.form.cmdClose->isEnabled());
    EXPECT_FALSE(d.form.lblConnectStatus->isVisible());
    d.form.cmdClose->click();
    EXPECT_FALSE(d.form.isVisible());
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}

TEST(frmUpdateEngines, AnswersThatAreNoEngineDataLeaveTheFileAsItWas) {
    const QByteArray good = FakeEngineDataSite::engineData({"Overture"});
    struct Case {
        const char *what;
        HttpResponse answer;
        int requests;
    } cases[] = {
        {"404 with an HTML page", HttpResponse::error(404, "<html><body>Not Found</body></html>"), 1},
        {"an empty answer, sent 4 times", HttpResponse::empty(), 4},
        {"a proxy's page with status 200", HttpResponse::page("<html><title>Log in to the hotspot</title></html>"), 1},
        {"an engine list whose first engine has no section",
         HttpResponse::bytes("[OvertureEngines]\r\n1=Overture\r\n\r\n[Google]\r\nEngineURL=x\r\n"), 1},
        {"an engine list without a first engine", HttpResponse::bytes("[OvertureEngines]\r\n2=Overture\r\n[Overture]\r\n"), 1},
        {"engine data with status 500", HttpResponse::bytes(good, 500), 1},
        {"an answer cut short, sent 4 times", HttpResponse::truncated(good, 20), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::writeEngineFile(kOldFile);
        Dialog d;
        d.site.serve(c.answer);
        d.start();
        ASSERT_TRUE(d.finish());
        EXPECT_EQ(d.site.downloads().size(), c.requests);
        EXPECT_EQ(fixtures::engineFile(), kOldFile);
        EXPECT_EQ(d.form.lblMsg->text(), kError);
        EXPECT_EQ(textColour(d.form.lblMsg), QColor(255, 0, 0));
        EXPECT_TRUE(d.form.cmdStart->isEnabled()) << "the user can try again";
        EXPECT_EQ(d.form.cmdStart->text(), "Start");
        EXPECT_EQ(d.form.cmdClose->text(), "Finish");
        EXPECT_FALSE(d.form.lblConnectStatus->isVisible());
    }
}

TEST(frmUpdateEngines, UnwritableFolderKeepsTheOldFileAndNamesIt) {
    fixtures::writeEngineFile(kOldFile);
    Dialog d;
    d.site.serve(HttpResponse::bytes(FakeEngineDataSite::engineData({"Overture"})));
    fixtures::ReadOnlyFolder readOnly(testenv::windowsDir());
    if (!readOnly.active())
        GTEST_SKIP() << "no way to make a folder unwritable here";
    d.start();
    ASSERT_TRUE(d.finish());
    EXPECT_EQ(fixtures::engineFile(), kOldFile);
    EXPECT_TRUE(d.form.lblMsg->text().startsWith("The engine data file could not be written: " + g_sEngineDataFile))
        << d.form.lblMsg->text().toStdString();
    EXPECT_NE(d.form.lblMsg->text(), kSuccess);
    EXPECT_EQ(textColour(d.form.lblMsg), QColor(255, 0, 0));
    EXPECT_TRUE(d.form.cmdStart->isEnabled());
    EXPECT_EQ(d.form.pbrEngineData->value(), 2);
}

TEST(frmUpdateEngines, StopThenStartAgainUsesAFreshHttpWindow) {
    fixtures::writeEngineFile(kOldFile);
    Dialog d;
    const QByteArray body = FakeEngineDataSite::engineData({"Google"});
    d.site.serve({HttpResponse::bytes(body).delayed(5000), HttpResponse::bytes(body)});
    d.start();
    ASSERT_TRUE(d.site.server().waitForRequests(1));
    QPointer<frmHTTP> first = d.form.HttpWindow();
    d.form.cmdStart->click();  // now "Stop"
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Hourglass);
    ASSERT_TRUE(d.finish());
    EXPECT_TRUE(d.form.Disconnected());
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    EXPECT_EQ(d.form.cmdStart->text(), "Start");
    EXPECT_EQ(d.form.lblMsg->text(), kWorking) << "a stop shows no message";
    EXPECT_EQ(fixtures::engineFile(), kOldFile);

    d.start();
    EXPECT_NE(d.form.HttpWindow(), first.data());
    ASSERT_TRUE(d.finish());
    EXPECT_EQ(d.form.lblMsg->text(), kSuccess);
    EXPECT_EQ(fixtures::engineFile(), body + "\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 2000)) << "the stopped window is released";
}
