#include "EngineDataFixtures.h"
#include "ProgramFixtures.h"

#include "core/clsDealerInfo.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "core/modStartUp.h"
#include "fakes/FakeEngineDataSite.h"
#include "ui/frmWizard.h"

using fake::FakeEngineDataSite;
using fake::HttpResponse;
using fixtures::Box;

namespace {

const QString kCaption = QStringLiteral("Engine Data Update Wizard");
const QString kError = QStringLiteral(
    "Error occur when updating the Engine Data. If you are connected to the internet through a proxy server, please "
    "click the 'Back' button. Then enter your correct 'Proxy Server' address and try again. \r\n\r\n");
const QString kCancelQuestion =
    QStringLiteral("The Engine Data has not been updated yet. Do you still want to exit the wizard? ");
const QByteArray kOldFile = "[OvertureEngines]\r\n1=Old\r\n\r\n[Old]\r\nEngineURL=http://old.example/\r\n";
constexpr int kCriticalOK = seam::vbOKOnly | seam::vbCritical;

struct Wizard {
    FakeEngineDataSite site;
    std::unique_ptr<fixtures::ScopedDownloadURL> address = std::make_unique<fixtures::ScopedDownloadURL>(site.url());
    frmWizard form;

    Wizard() { form.show(); }
    void next() { form.cmdNav[frmWizard::navNext]->click(); }
    void back() { form.cmdNav[frmWizard::navBack]->click(); }
    // The enabled buttons of the bottom row.
    QString nav() const {
        QStringList on;
        for (const auto &[button, name] : {std::pair{frmWizard::navBack, "back"}, {frmWizard::navNext, "next"},
                                           {frmWizard::navFinish, "finish"}, {frmWizard::navCancel, "cancel"}})
            if (form.cmdNav[button]->isEnabled())
                on << name;
        return on.join(' ');
    }
    bool download() {
        form.cmdStart->click();
        return QTest::qWaitFor([&] { return !form.IsBusy(); }, 10000);
    }
    // To the download page with a direct connection.
    void toDownloadPage() {
        next();
        next();
        EXPECT_EQ(form.CurrentStep(), 3);
    }
    QStringList engines(Qt::CheckState state) const { return fixtures::checked(form.lvwEngine, state); }
};

}  // namespace

TEST(frmWizard, WalkThroughAGoodDownloadAndTheEngineChoice) {
    Wizard w;
    const QByteArray body = FakeEngineDataSite::engineData({"Overture", "Google", "FindWhat"});
    w.site.serve(HttpResponse::bytes(body));
    testenv::setRegistryValue(g_sEngineKey, "FindWhat", "0");

    EXPECT_EQ(w.form.windowTitle(), kCaption + " - Step 1");
    EXPECT_TRUE(w.form.fraStep[1]->isVisible());
    EXPECT_EQ(w.nav(), "next cancel");

    w.next();
    EXPECT_EQ(w.form.windowTitle(), kCaption + " - Step 2");
    EXPECT_TRUE(w.form.optProxy[1]->isChecked()) << "a fresh profile connects directly";
    EXPECT_FALSE(w.form.txtProxy->isEnabled());
    EXPECT_EQ(w.nav(), "back next cancel");
    w.form.txtHTTPUsername->setText("ann");
    w.form.txtHTTPPassword->setText("pw");
    EXPECT_EQ(w.form.txtHTTPPassword->echoMode(), QLineEdit::Password);

    w.next();
    EXPECT_EQ(w.form.windowTitle(), kCaption + " - Step 3");
    EXPECT_EQ(fixtures::preference("AccessType"), "1");
    EXPECT_EQ(fixtures::preference("Auth_Username"), "ann");
    EXPECT_EQ(fixtures::storeMode(), 0600) << "the store holds the proxy password";
    EXPECT_EQ(w.nav(), "back cancel");
    EXPECT_EQ(w.form.cmdStart->text(), "&Download");

    w.form.cmdStart->click();
    EXPECT_EQ(w.form.cmdStart->text(), "&Stop");
    EXPECT_EQ(w.nav(), "");
    EXPECT_EQ(w.form.lblConnectStatus->text(), "Connecting to web server .....");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.IsBusy(); }, 10000));
    EXPECT_EQ(fixtures::engineFile(), body + "\r\n");
    EXPECT_EQ(w.form.lblMsg->text(),
              "Engine Data file has been updated successfully. Please click the 'Next' button to continue ...");
    EXPECT_EQ(w.form.pbrEngineData->value(), 3);
    EXPECT_FALSE(w.form.cmdStart->isEnabled());
    EXPECT_EQ(w.nav(), "back next cancel");

    w.next();
    EXPECT_EQ(w.form.windowTitle(), kCaption + " - Step 4");
    EXPECT_EQ(w.engines(Qt::Checked), (QStringList{"Overture", "Google"}));
    EXPECT_EQ(w.engines(Qt::Unchecked), QStringList{"FindWhat"});
    w.form.lvwEngine->topLevelItem(1)->setCheckState(0, Qt::Unchecked);

    w.next();
    EXPECT_EQ(w.form.windowTitle(), kCaption + " - Step 5");
    EXPECT_EQ(fixtures::engineFlag("Overture"), "1");
    EXPECT_EQ(fixtures::engineFlag("Google"), "0");
    EXPECT_EQ(fixtures::engineFlag("FindWhat"), "0");
    EXPECT_EQ(w.form.lblFinish->text(), "The Engine Data file has been updated successfully. To start the program, "
                                        "please click the 'Finish' button.");
    EXPECT_TRUE(w.form.imgFinish->isVisible());
    EXPECT_FALSE(w.form.imgWizard->isVisible());
    EXPECT_EQ(w.nav(), "back finish cancel");

    // Back to the engine list clears the finish flag again.
    w.back();
    EXPECT_EQ(w.form.CurrentStep(), 4);
    EXPECT_EQ(w.engines(Qt::Unchecked), (QStringList{"Google", "FindWhat"}));
    EXPECT_EQ(w.nav(), "back next cancel");
    w.next();
    w.form.cmdNav[frmWizard::navFinish]->click();
    EXPECT_FALSE(w.form.isVisible());
    EXPECT_EQ(w.form.result(), QDialog::Accepted);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}

TEST(frmWizard, FailedDownloadsShowTheErrorAndKeepTheFile) {
    struct Case {
        const char *what;
        HttpResponse answer;
        bool readOnly;
    } cases[] = {
        {"404 with an HTML page", HttpResponse::error(404, "<html>gone</html>"), false},
        {"an unwritable folder", HttpResponse::bytes(FakeEngineDataSite::engineData({"Overture"})), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::writeEngineFile(kOldFile);
        Wizard w;
        w.site.serve(c.answer);
        w.toDownloadPage();
        std::unique_ptr<fixtures::ReadOnlyFolder> readOnly;
        if (c.readOnly) {
            readOnly = std::make_unique<fixtures::ReadOnlyFolder>(testenv::windowsDir());
            if (!readOnly->active())
                continue;
        }
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        ASSERT_TRUE(w.download());
        EXPECT_EQ(fixtures::engineFile(), kOldFile);
        EXPECT_FALSE(w.form.Downloaded());
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        const seam::MessageBoxRequest box = testenv::shownMsgBoxes().front();
        EXPECT_EQ(box.title, kCaption);
        EXPECT_EQ(box.style, kCriticalOK);
        if (c.readOnly)
            EXPECT_TRUE(box.text.contains(g_sEngineDataFile)) << box.text.toStdString();
        else
            EXPECT_EQ(box.text, kError);
        EXPECT_EQ(w.form.lblMsg->text(), box.text);
        EXPECT_EQ(w.nav(), "back cancel") << "Next stays off";
        EXPECT_TRUE(w.form.cmdStart->isEnabled());
    }
}

TEST(frmWizard, StopThenASecondDownloadOnTheSameWindow) {
    fixtures::writeEngineFile(kOldFile);
    Wizard w;
    const QByteArray body = FakeEngineDataSite::engineData({"Google"});
    w.site.serve({HttpResponse::bytes(body).delayed(5000), HttpResponse::bytes(body)});
    w.toDownloadPage();
    QPointer<frmHTTP> http = w.form.HttpWindow();
    w.form.cmdStart->click();
    ASSERT_TRUE(w.site.server().waitForRequests(1));
    w.form.cmdStart->click();  // "&Stop"
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Hourglass);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.IsBusy(); }, 10000));
    EXPECT_TRUE(w.form.Disconnected());
    EXPECT_EQ(w.form.cmdStart->text(), "&Download");
    EXPECT_EQ(w.nav(), "back cancel");
    EXPECT_EQ(fixtures::engineFile(), kOldFile);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty()) << "a stop shows no message";

    ASSERT_TRUE(w.download());
    EXPECT_EQ(w.form.HttpWindow(), http.data()) << "one HTTP window for every download";
    EXPECT_TRUE(w.form.Downloaded());
    EXPECT_EQ(fixtures::engineFile(), body + "\r\n");
    EXPECT_EQ(w.site.downloads().size(), 2);
}

TEST(frmWizard, DownloadThroughTheProxyWithCredentials) {
    FakeEngineDataSite proxy;  // the real address goes through it
    proxy.server().requireProxyAuthorization("ann", "s3cret");
    const QByteArray body = FakeEngineDataSite::engineData({"Overture"});
    proxy.serve(HttpResponse::bytes(body));
    Wizard w;
    w.address.reset();  // the program's own fixed address
    w.next();
    w.form.optProxy[2]->click();
    EXPECT_TRUE(w.form.txtProxy->isEnabled());
    EXPECT_TRUE(w.form.txtPort->isEnabled());
    w.form.txtProxy->setText("HTTP://127.0.0.1");
    w.form.txtPort->setText(QString::number(proxy.server().port()));
    w.form.txtHTTPUsername->setText("ann");
    w.form.txtHTTPPassword->setText("s3cret");
    w.next();
    ASSERT_EQ(w.form.CurrentStep(), 3);
    EXPECT_EQ(fixtures::preference("AccessType"), "2");
    EXPECT_EQ(fixtures::preference("Proxy"), "127.0.0.1");

    ASSERT_TRUE(w.download());
    ASSERT_FALSE(proxy.downloads().isEmpty());
    const fake::HttpRequest last = proxy.downloads().last();
    EXPECT_TRUE(last.absoluteForm);
    EXPECT_EQ(last.target, "http://www.morvaine.example.com/enginedata/zqaeng.dat");
    EXPECT_EQ(last.header("Proxy-Authorization"), "Basic " + QByteArray("ann:s3cret").toBase64());
    EXPECT_EQ(fixtures::engineFile(), body + "\r\n");
    EXPECT_EQ(w.site.server().requestCount(), 0);
}

TEST(frmWizard, ConnectionPageRefusesWhatNoRequestCouldUse) {
    struct Case {
        const char *proxy, *port;
        const char *message;  // null: accepted
        const char *focus;
        const char *storedProxy;
    } cases[] = {
        {"", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"http://", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"https://proxy.example", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"proxy.example:3128", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"me@proxy.example", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"proxy example", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"proxy.example/x", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"xhttp://proxy.example", "8080", "Invalid Proxy Server address.", "txtProxy", nullptr},
        {"proxy.example", "80a", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "0", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "65536", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "70000", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "1.5", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "-5", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"proxy.example", "", "Invalid Proxy Port Number.", "txtPort", nullptr},
        {"http://proxy.example", "3128", nullptr, nullptr, "proxy.example"},
        {"Http://Proxy.Example", " 65535 ", nullptr, nullptr, "Proxy.Example"},
        {"  10.0.0.1  ", "1", nullptr, nullptr, "10.0.0.1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.proxy) + " / " + c.port);
        platform::Registry::setStoreFile(testenv::tempDir() + "/store-" + QString::number(qHash(QString(c.proxy) + c.port)) + ".json");
        Wizard w;
        w.next();
        w.form.optProxy[2]->click();
        w.form.txtProxy->setText(c.proxy);
        w.form.txtPort->setText(c.port);
        testenv::clearShownMsgBoxes();
        if (c.message)
            testenv::answerMsgBox(seam::vbOK);
        w.next();
        if (c.message) {
            EXPECT_EQ(fixtures::shownBox(), (Box{c.message, kCaption, kCriticalOK}));
            EXPECT_EQ(w.form.CurrentStep(), 2);
            ASSERT_NE(w.form.focusWidget(), nullptr);
            EXPECT_EQ(w.form.focusWidget()->objectName(), c.focus);
            EXPECT_FALSE(platform::Registry::instance().keyExists(g_sPreferenceKey)) << "nothing saved";
        } else {
            EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
            EXPECT_EQ(w.form.CurrentStep(), 3);
            EXPECT_EQ(fixtures::preference("Proxy"), c.storedProxy);
            EXPECT_EQ(fixtures::preference("Port"), c.port) << "stored as typed";
        }
    }
}

TEST(frmWizard, UnreadableSettingsAreNotOverwrittenByTheConnectionPage) {
    // "Authentication" can't be read: everything after it was never shown.
    const std::pair<const char *, const char *> kept[] = {
        {"Authentication", "x"}, {"ReporterName", "Ann Lee"}, {"Email", "ann@example.com"},
        {"SchedlerEnable", "False"}, {"TimeOut", "45"}};
    for (const auto &[key, value] : kept)
        testenv::setRegistryValue(g_sPreferenceKey, key, value);
    testenv::answerMsgBox(seam::vbOK);  // the settings object's own report
    Wizard w;
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "GetSetting Preference");
    w.next();
    w.form.txtHTTPUsername->setText("bob");
    w.next();
    EXPECT_EQ(w.form.CurrentStep(), 3);
    EXPECT_EQ(fixtures::preference("Auth_Username"), "bob");
    EXPECT_EQ(fixtures::preference("AccessType"), "1");
    for (const auto &[key, value] : kept)
        EXPECT_EQ(fixtures::preference(key), value) << key;
    EXPECT_EQ(fixtures::storeMode(), 0600);
}

TEST(frmWizard, EngineFlagsThatCannotBeStoredKeepTheEngineList) {
    Wizard w;
    w.site.serve(HttpResponse::bytes(FakeEngineDataSite::engineData({"Overture", "Google"})));
    w.toDownloadPage();
    ASSERT_TRUE(w.download());
    w.next();
    ASSERT_EQ(w.form.CurrentStep(), 4);
    w.form.lvwEngine->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    fixtures::BrokenStore broken;
    testenv::answerMsgBox(seam::vbOK);
    w.next();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_TRUE(testenv::shownMsgBoxes()[0].text.startsWith("The engine settings could not be saved: Overture, Google."))
        << testenv::shownMsgBoxes()[0].text.toStdString();
    EXPECT_EQ(testenv::shownMsgBoxes()[0].style, kCriticalOK);
    EXPECT_EQ(w.form.CurrentStep(), 4);
    EXPECT_TRUE(testenv::errorLog().contains("clsEngine_SaveSettings: "));
}

TEST(frmWizard, CancelAsksUntilADownloadSucceededTheCloseBoxNever) {
    {
        Wizard w;
        testenv::answerMsgBox(seam::vbNo);
        w.form.cmdNav[frmWizard::navCancel]->click();
        EXPECT_EQ(fixtures::shownBox(), (Box{kCancelQuestion, kCaption, seam::vbYesNo | seam::vbQuestion}));
        EXPECT_TRUE(w.form.isVisible());
        testenv::answerMsgBox(seam::vbYes);
        w.form.cmdNav[frmWizard::navCancel]->click();
        EXPECT_FALSE(w.form.isVisible());
    }
    testenv::clearShownMsgBoxes();
    {
        Wizard w;
        w.site.serve(HttpResponse::bytes(FakeEngineDataSite::engineData({"Overture"})));
        w.toDownloadPage();
        ASSERT_TRUE(w.download());
        w.form.cmdNav[frmWizard::navCancel]->click();
        EXPECT_FALSE(w.form.isVisible()) << "no question after a good download";
        EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    }
    {
        // The close box in the middle of a download: gone at once, and the
        // late answer reaches nobody.
        fixtures::writeEngineFile(kOldFile);
        Wizard w;
        w.site.serve(HttpResponse::bytes(FakeEngineDataSite::engineData({"Overture"})).delayed(300));
        w.toDownloadPage();
        w.form.cmdStart->click();
        ASSERT_TRUE(w.site.server().waitForRequests(1));
        QPointer<frmHTTP> http = w.form.HttpWindow();
        w.form.close();
        EXPECT_FALSE(w.form.isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return http.isNull(); }, 5000)) << "the HTTP window goes with the request";
        QTest::qWait(400);
        EXPECT_EQ(fixtures::engineFile(), kOldFile);
        EXPECT_FALSE(w.form.Downloaded());
        EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    }
}

TEST(frmWizard, StartUpRunsItWhenTheEngineDataFileIsMissing) {
    modStartUp::Hooks hooks = modStartUp::DefaultHooks();
    hooks.display = nullptr;
    hooks.showSplash = nullptr;
    hooks.closeSplash = nullptr;
    QString caption;
    fixtures::inModal<frmWizard>([&caption](frmWizard *w) {
        caption = w->windowTitle();
        w->close();
    });
    modStartUp::Main(hooks);
    EXPECT_EQ(caption, kCaption + " - Step 1");
    EXPECT_TRUE(platform::Registry::instance().keyExists(g_sSettingKey)) << "start-up went on";
    EXPECT_TRUE(bool(frmMain::ConfigurationDialogHook())) << "the configuration command is wired too";
    frmMain::ConfigurationDialogHook() = nullptr;
    delete g_oDealerInfo;
    g_oDealerInfo = nullptr;
    app::SetTitle(QStringLiteral("Quillbeck Ambrivex"));
}
