#include "EngineDataFixtures.h"
#include "ProgramFixtures.h"

#include "core/modStartUp.h"
#include "ui/frmPreference.h"

#include <QTabWidget>

namespace {

void store(const QString &name, const QString &value) { testenv::setRegistryValue(g_sPreferenceKey, name, value); }

QByteArray storeBytes() { return testenv::readFile(platform::Registry::storeFile()); }

struct Dialog {
    frmPreference form;
    Dialog() { form.show(); }
};

}  // namespace

TEST(frmPreference, LoadsEverySettingAndOKWritesEveryField) {
    const struct {
        const char *key;
        QLineEdit *frmPreference::*box;
        const char *stored, *typed, *saved;
    } fields[] = {
        {"Proxy", &frmPreference::txtProxy, "proxy.example", "http://new.proxy", "new.proxy"},
        {"Port", &frmPreference::txtPort, "3128", "8081", "8081"},
        {"TimeOut", &frmPreference::txtTimeOut, "45", " 20 ", " 20 "},
        {"SMTPServer", &frmPreference::txtMailServer, "mail.example", "smtp.example", "smtp.example"},
        {"SMTPPort", &frmPreference::txtSMTPPort, "2525", "25 ", "25 "},
        {"Auth_Username", &frmPreference::txtHTTPUsername, "ann", "bob", "bob"},
        {"Auth_Password", &frmPreference::txtHTTPPassword, "pw", "new pw", "new pw"},
        {"ReporterName", &frmPreference::txtReporterName, "Ann Lee", "Bob", "Bob"},
        {"CompanyName", &frmPreference::txtCompanyName, "Lee & Co", "Bob Ltd", "Bob Ltd"},
        {"Email", &frmPreference::txtReporterEmail, "ann@example.com", "bob@example.com", "bob@example.com"},
        {"WebSite", &frmPreference::txtReporterWeb, "http://lee.example/", "http://bob.example/",
         "http://bob.example/"},
        {"LogoURL", &frmPreference::txtLogoURL, "http://lee.example/logo.gif", "http://bob.example/l.png",
         "http://bob.example/l.png"},
    };
    for (const auto &f : fields)
        store(f.key, f.stored);
    store("AccessType", "2");
    store("ConfirmConnection", "0");
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
    EXPECT_FALSE(f.chkConfirmConnection->isChecked());
    EXPECT_TRUE(f.optPosition[2]->isChecked());
    EXPECT_FALSE(f.chkSchedulerEnable->isChecked());
    EXPECT_EQ(f.txtHTTPPassword->echoMode(), QLineEdit::Password);
    for (const auto &field : fields) {
        EXPECT_EQ((f.*field.box)->text(), field.stored) << field.key;
        (f.*field.box)->setText(field.typed);
    }
    f.chkConfirmConnection->setChecked(true);
    f.optPosition[1]->click();
    f.chkSchedulerEnable->setChecked(true);
    f.cmdOK->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    for (const auto &field : fields)
        EXPECT_EQ(fixtures::preference(field.key), field.saved) << field.key;
    for (const auto &[key, value] : {std::pair{"AccessType", "2"}, {"ConfirmConnection", "1"}, {"LogoPosition", "Top"},
                                     {"SchedlerEnable", "True"}})
        EXPECT_EQ(fixtures::preference(key), value) << key;
    EXPECT_EQ(fixtures::storeMode(), 0600) << "the store holds the proxy password";
}

// The proxy and port rules are the wizard's too; its tests hold their cases.
TEST(frmPreference, OKRefusesBadFieldsOnTheirTabWithNothingSaved) {
    const char *proxy = "Invalid Proxy Server address.", *port = "Invalid Proxy Port Number.",
               *smtp = "InVaid SMTP Port number.", *timeOut = "Invaid Time out Valid.";
    const struct {
        const char *box, *typed, *message;
        int tab;
    } cases[] = {
        {"txtProxy", "", proxy, 0},          {"txtPort", "80a", port, 0},         {"txtSMTPPort", "abc", smtp, 0},
        {"txtSMTPPort", "  ", smtp, 0},      {"txtSMTPPort", "70000", smtp, 0},   {"txtTimeOut", "abc", timeOut, 1},
        {"txtTimeOut", "-5", timeOut, 1},    {"txtTimeOut", "1.5", timeOut, 1},   {"txtTimeOut", "32768", timeOut, 1},
        {"txtTimeOut", "", timeOut, 1},
    };
    store("Proxy", "kept.proxy");
    const QByteArray before = storeBytes();
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.box) + " \"" + c.typed + "\"");
        Dialog d;
        if (c.message == proxy || c.message == port) {  // looked at with "Proxy Server" only
            d.form.optProxy[2]->click();
            d.form.txtProxy->setText("p.example");
            d.form.txtPort->setText("8080");
        }
        d.form.SSTab1->setCurrentIndex(frmPreference::tabOption);
        d.form.findChild<QLineEdit *>(c.box)->setText(c.typed);
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        d.form.cmdOK->click();
        EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{c.message, "Preference", seam::vbOKOnly | seam::vbCritical}));
        EXPECT_EQ(d.form.SSTab1->currentIndex(), c.tab);
        ASSERT_NE(d.form.focusWidget(), nullptr);
        EXPECT_EQ(d.form.focusWidget()->objectName(), c.box);
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
    for (bool closeBox : {false, true}) {
        Dialog d;
        d.form.txtReporterName->setText("Changed");
        d.form.optProxy[2]->click();
        d.form.txtProxy->setText("p.example");
        d.form.chkSchedulerEnable->setChecked(false);
        closeBox ? void(d.form.close()) : d.form.cmdCancel->click();
        EXPECT_FALSE(d.form.isVisible());
        EXPECT_EQ(d.form.Preference(), nullptr) << "the settings object goes with the dialog";
        EXPECT_EQ(storeBytes(), before);
    }
}

TEST(frmPreference, TheConfigurationCommandShowsItModallyThenSwitchesTheScheduler) {
    fixtures::writeEngineData({"Google"});
    fixtures::Program p;
    modStartUp::DefaultHooks();  // where start-up wires the command
    ASSERT_TRUE(p.form->tmrScheduler->isActive());
    bool shown = false;
    fixtures::inModal<frmPreference>([&shown, &p](frmPreference *d) {
        shown = d->isVisible() && d->parentWidget() == p.form;
        d->chkSchedulerEnable->setChecked(false);
        d->cmdOK->click();
    });
    p.form->ShowConfiguration();
    frmMain::ConfigurationDialogHook() = nullptr;
    EXPECT_TRUE(shown);
    EXPECT_EQ(fixtures::preference("SchedlerEnable"), "False");
    EXPECT_EQ(p.form->stbPanel2->text(), "Scheduler: Off");
    EXPECT_FALSE(p.form->tmrScheduler->isActive());
}
