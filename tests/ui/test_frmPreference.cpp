#include "AccountFixtures.h"
#include "EngineDataFixtures.h"

#include "core/modStartUp.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"
#include "ui/frmPreference.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr int kCriticalOK = seam::vbOKOnly | seam::vbCritical;

void store(const QString &name, const QString &value) { testenv::setRegistryValue(g_sPreferenceKey, name, value); }

QByteArray storeBytes() { return testenv::readFile(platform::Registry::storeFile()); }

struct Dialog {
    frmPreference form;
    Dialog() { form.show(); }
    void useProxy(const QString &host, const QString &port) {
        form.optProxy[2]->click();
        form.txtProxy->setText(host);
        form.txtPort->setText(port);
    }
};

}  // namespace

TEST(frmPreference, LoadsEverySettingAndOKWritesEveryField) {
    store("AccessType", "2");
    store("Proxy", "proxy.example");
    store("Port", "3128");
    store("TimeOut", "45");
    store("SMTPServer", "mail.example");
    store("SMTPPort", "2525");
    store("ConfirmConnection", "0");
    store("Auth_Username", "ann");
    store("Auth_Password", "pw");
    store("ReporterName", "Ann Lee");
    store("CompanyName", "Lee & Co");
    store("Email", "ann@example.com");
    store("WebSite", "http://lee.example/");
    store("LogoURL", "http://lee.example/logo.gif");
    store("LogoPosition", "Bottom");
    store("SchedlerEnable", "False");
    Dialog d;
    frmPreference &f = d.form;
    EXPECT_EQ(f.windowTitle(), "Configuration");
    EXPECT_EQ(f.SSTab1->currentIndex(), frmPreference::tabServer);
    EXPECT_EQ(f.SSTab1->tabText(0), "Server");
    EXPECT_EQ(f.SSTab1->tabText(3), "Option");
    EXPECT_TRUE(f.optProxy[2]->isChecked());
    EXPECT_TRUE(f.txtProxy->isEnabled());
    EXPECT_TRUE(f.txtPort->isEnabled());
    const QList<QPair<QLineEdit *, QString>> loaded = {
        {f.txtProxy, "proxy.example"}, {f.txtPort, "3128"},          {f.txtTimeOut, "45"},
        {f.txtMailServer, "mail.example"}, {f.txtSMTPPort, "2525"},  {f.txtHTTPUsername, "ann"},
        {f.txtHTTPPassword, "pw"},     {f.txtReporterName, "Ann Lee"}, {f.txtCompanyName, "Lee & Co"},
        {f.txtReporterEmail, "ann@example.com"}, {f.txtReporterWeb, "http://lee.example/"},
        {f.txtLogoURL, "http://lee.example/logo.gif"}};
    for (const auto &field : loaded)
        EXPECT_EQ(field.first->text(), field.second) << field.first->objectName().toStdString();
    EXPECT_FALSE(f.chkConfirmConnection->isChecked());
    EXPECT_TRUE(f.optPosition[2]->isChecked());
    EXPECT_FALSE(f.chkSchedulerEnable->isChecked());
    EXPECT_EQ(f.txtHTTPPassword->echoMode(), QLineEdit::Password);

    f.txtProxy->setText("http://new.proxy");
    f.txtPort->setText("8081");
    f.txtTimeOut->setText(" 20 ");
    f.txtMailServer->setText("smtp.example");
    f.txtSMTPPort->setText("25 ");
    f.txtHTTPUsername->setText("bob");
    f.txtHTTPPassword->setText("new pw");
    f.chkConfirmConnection->setChecked(true);
    f.txtReporterName->setText("Bob");
    f.txtCompanyName->setText("Bob Ltd");
    f.txtReporterEmail->setText("bob@example.com");
    f.txtReporterWeb->setText("http://bob.example/");
    f.txtLogoURL->setText("http://bob.example/l.png");
    f.optPosition[1]->click();
    f.chkSchedulerEnable->setChecked(true);
    f.cmdOK->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    const QList<QPair<const char *, QString>> saved = {
        {"AccessType", "2"},        {"Proxy", "new.proxy"},         {"Port", "8081"},
        {"TimeOut", " 20 "},        {"SMTPServer", "smtp.example"}, {"SMTPPort", "25 "},
        {"Auth_Username", "bob"},   {"Auth_Password", "new pw"},    {"ConfirmConnection", "1"},
        {"ReporterName", "Bob"},    {"CompanyName", "Bob Ltd"},     {"Email", "bob@example.com"},
        {"WebSite", "http://bob.example/"}, {"LogoURL", "http://bob.example/l.png"}, {"LogoPosition", "Top"},
        {"SchedlerEnable", "True"}};
    for (const auto &value : saved)
        EXPECT_EQ(fixtures::preference(value.first), value.second) << value.first;
    EXPECT_EQ(fixtures::storeMode(), 0600) << "the store holds the proxy password";
}

TEST(frmPreference, OKRefusesBadFieldsOnTheirTabWithNothingSaved) {
    struct Case {
        const char *what;
        std::function<void(Dialog &)> enter;
        const char *message;
        int tab;
        const char *focus;
    } cases[] = {
        {"empty proxy", [](Dialog &d) { d.useProxy("", "8080"); }, "Invalid Proxy Server address.", 0, "txtProxy"},
        {"scheme alone", [](Dialog &d) { d.useProxy("http://", "8080"); }, "Invalid Proxy Server address.", 0,
         "txtProxy"},
        {"https scheme", [](Dialog &d) { d.useProxy("https://p.example", "8080"); },
         "Invalid Proxy Server address.", 0, "txtProxy"},
        {"scheme after text", [](Dialog &d) { d.useProxy("xhttp://p.example", "8080"); },
         "Invalid Proxy Server address.", 0, "txtProxy"},
        {"host with port", [](Dialog &d) { d.useProxy("p.example:80", "8080"); }, "Invalid Proxy Server address.", 0,
         "txtProxy"},
        {"port with a letter", [](Dialog &d) { d.useProxy("p.example", "80a"); }, "Invalid Proxy Port Number.", 0,
         "txtPort"},
        {"port 0", [](Dialog &d) { d.useProxy("p.example", "0"); }, "Invalid Proxy Port Number.", 0, "txtPort"},
        {"port 65536", [](Dialog &d) { d.useProxy("p.example", "65536"); }, "Invalid Proxy Port Number.", 0,
         "txtPort"},
        {"fractional port", [](Dialog &d) { d.useProxy("p.example", "1.5"); }, "Invalid Proxy Port Number.", 0,
         "txtPort"},
        {"SMTP port text", [](Dialog &d) { d.form.txtSMTPPort->setText("abc"); }, "InVaid SMTP Port number.", 0,
         "txtSMTPPort"},
        {"SMTP port of blanks", [](Dialog &d) { d.form.txtSMTPPort->setText("  "); }, "InVaid SMTP Port number.", 0,
         "txtSMTPPort"},
        {"SMTP port 70000", [](Dialog &d) { d.form.txtSMTPPort->setText("70000"); }, "InVaid SMTP Port number.", 0,
         "txtSMTPPort"},
        {"time-out text", [](Dialog &d) { d.form.txtTimeOut->setText("abc"); }, "Invaid Time out Valid.", 1,
         "txtTimeOut"},
        {"negative time-out", [](Dialog &d) { d.form.txtTimeOut->setText("-5"); }, "Invaid Time out Valid.", 1,
         "txtTimeOut"},
        {"fractional time-out", [](Dialog &d) { d.form.txtTimeOut->setText("1.5"); }, "Invaid Time out Valid.", 1,
         "txtTimeOut"},
        {"time-out beyond 16 bits", [](Dialog &d) { d.form.txtTimeOut->setText("32768"); },
         "Invaid Time out Valid.", 1, "txtTimeOut"},
        {"empty time-out", [](Dialog &d) { d.form.txtTimeOut->setText(""); }, "Invaid Time out Valid.", 1,
         "txtTimeOut"},
    };
    store("Proxy", "kept.proxy");
    const QByteArray before = storeBytes();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Dialog d;
        d.form.SSTab1->setCurrentIndex(frmPreference::tabOption);
        c.enter(d);
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        d.form.cmdOK->click();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        EXPECT_EQ(testenv::shownMsgBoxes()[0].text, c.message);
        EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Preference");
        EXPECT_EQ(testenv::shownMsgBoxes()[0].style, kCriticalOK);
        EXPECT_EQ(d.form.SSTab1->currentIndex(), c.tab);
        ASSERT_NE(d.form.focusWidget(), nullptr);
        EXPECT_EQ(d.form.focusWidget()->objectName(), c.focus);
        EXPECT_TRUE(d.form.isVisible());
        EXPECT_EQ(storeBytes(), before);
    }
}

TEST(frmPreference, DirectConnectionAndOddStoredValues) {
    store("AccessType", "1");
    store("Proxy", "kept.proxy");
    store("Port", "3128");
    store("LogoPosition", "Middle");
    store("SMTPPort", "");
    Dialog d;
    EXPECT_TRUE(d.form.optProxy[1]->isChecked());
    EXPECT_FALSE(d.form.txtProxy->isEnabled());
    EXPECT_FALSE(d.form.txtPort->isEnabled());
    EXPECT_TRUE(d.form.txtProxy->text().isEmpty());
    EXPECT_TRUE(d.form.txtPort->text().isEmpty());
    EXPECT_FALSE(d.form.optPosition[1]->isChecked());
    EXPECT_FALSE(d.form.optPosition[2]->isChecked());
    d.form.txtPort->setText("not a port");  // not looked at
    d.form.cmdOK->click();
    EXPECT_FALSE(d.form.isVisible());
    EXPECT_EQ(fixtures::preference("Proxy"), "kept.proxy");
    EXPECT_EQ(fixtures::preference("Port"), "3128");
    EXPECT_EQ(fixtures::preference("LogoPosition"), "Middle");
    EXPECT_EQ(fixtures::preference("SMTPPort"), "25") << "an empty SMTP port is stored as 25";

    // A stored access type of 0 reads as direct too; switching to the proxy enables both boxes.
    store("AccessType", "0");
    Dialog again;
    EXPECT_TRUE(again.form.optProxy[1]->isChecked());
    again.form.optProxy[2]->click();
    EXPECT_TRUE(again.form.txtProxy->isEnabled());
    EXPECT_TRUE(again.form.txtPort->isEnabled());
}

TEST(frmPreference, CancelAndTheCloseBoxDiscardEveryChange) {
    store("ReporterName", "Ann");
    const QByteArray before = storeBytes();
    for (int closeBox = 0; closeBox < 2; ++closeBox) {
        Dialog d;
        d.form.txtReporterName->setText("Changed");
        d.useProxy("p.example", "80");
        d.form.chkSchedulerEnable->setChecked(false);
        if (closeBox)
            d.form.close();
        else
            d.form.cmdCancel->click();
        EXPECT_FALSE(d.form.isVisible());
        EXPECT_EQ(d.form.Preference(), nullptr) << "the settings object goes with the dialog";
        EXPECT_EQ(storeBytes(), before);
    }
}

TEST(frmPreference, TheConfigurationCommandShowsItModally) {
    fixtures::writeEngineData({"Google"});
    auto *form = new frmMain;
    auto *main = new clsMain(form);
    ASSERT_TRUE(main->Display());
    modStartUp::DefaultHooks();  // where start-up wires the command
    bool shown = false;
    fixtures::whenModal<frmPreference>([&shown, form](frmPreference *p) {
        shown = p->isVisible() && p->parentWidget() == form;
        p->chkSchedulerEnable->setChecked(false);
        p->cmdOK->click();
    });
    form->ShowConfiguration();
    frmMain::ConfigurationDialogHook() = nullptr;
    EXPECT_TRUE(shown);
    EXPECT_EQ(fixtures::preference("SchedlerEnable"), "False");
    EXPECT_EQ(form->stbPanel2->text(), "Scheduler: Off");
    form->m_oMain = nullptr;
    delete main;
    delete form;
}
