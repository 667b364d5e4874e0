#include "ProgramFixtures.h"

#include "core/clsDealerInfo.h"
#include "core/modStartUp.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"

namespace {

// Lets the splash's deferred deletion happen.
void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

frmSplash *showSplash() {
    modStartUp::DefaultHooks().showSplash();
    return frmSplash::Instance();
}

struct DealerRecord {
    clsDealerInfo dealer;
    DealerRecord(const QString &name, const QString &email, const QString &url) {
        dealer.setDealername(name);
        dealer.setDealerEmail(email);
        dealer.setDealerURL(url);
        g_oDealerInfo = &dealer;
    }
    ~DealerRecord() { g_oDealerInfo = nullptr; }
};

}  // namespace

TEST(Splash, ShowsOnTopWithoutFocusAndClosesWhenItsTimeIsUp) {
    frmSplash *splash = showSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->lblOverture->text(), "For Overture");
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(splash->Timer1->isActive());
    EXPECT_EQ(splash->Timer1->interval(), 2500);
    EXPECT_EQ(showSplash(), splash);  // one splash

    // Start-up set the hourglass; the tick puts it back.
    seam::SetPointer(seam::Pointer::Hourglass);
    QPointer<frmSplash> guard(splash);
    splash->Timer1->start(0);  // its time is up at once
    EXPECT_TRUE(QTest::qWaitFor([&] { return !guard || !guard->isVisible(); }, 5000));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    settle();
    EXPECT_EQ(frmSplash::Instance(), nullptr);
}

TEST(Splash, ClosedEarlyByNameOrByTheStartUpHook) {
    // The engine loader closes it by its name, "frmSplash".
    ASSERT_NE(showSplash(), nullptr);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmSplash"))
            w->close();
    settle();
    EXPECT_EQ(frmSplash::Instance(), nullptr);

    ASSERT_NE(showSplash(), nullptr);
    modStartUp::DefaultHooks().closeSplash();
    settle();
    EXPECT_EQ(frmSplash::Instance(), nullptr);
    modStartUp::DefaultHooks().closeSplash();  // nothing left to close
}

TEST(Splash, TheLoadErrorExitClosesItBeforeItsMessage) {
    frmSplash *splash = showSplash();
    ASSERT_NE(splash, nullptr);
    QList<bool> splashShownAtBox;
    seam::setMessageBoxHandler([&](const seam::MessageBoxRequest &) {
        splashShownAtBox << (frmSplash::Instance() && frmSplash::Instance()->isVisible());
        return int(seam::vbOK);
    });
    frmMain w;  // no controller: the engine data file is missing, then the tree fails
    EXPECT_FALSE(w.Form_Load());
    EXPECT_EQ(splashShownAtBox, QList<bool>({false, false}));
    settle();
}

TEST(About, CaptionTitleVersionAndDealerBlock) {
    struct Case {
        const char *name, *email, *url;
        const char *block;
    };
    const Case cases[] = {
        {"Acme Resellers", "sales@acme.example", "http://acme.example/",
         "Authorized Distributor:\r\nAcme Resellers\r\nEmail: sales@acme.example\r\nWeb: http://acme.example/"},
        {"Morvaine Software", "help@morvaine.example", "http://morvaine.example/",
         "Morvaine Software\r\nEmail: help@morvaine.example\r\nWeb: http://morvaine.example/"},
        // The maker's name in other letter case is another dealer's.
        {"MORVAINE", "", "", "Authorized Distributor:\r\nMORVAINE\r\nEmail: \r\nWeb: "},
        {"", "", "", "Authorized Distributor:\r\n\r\nEmail: \r\nWeb: "},
    };
    for (const Case &c : cases) {
        DealerRecord record(c.name, c.email, c.url);
        frmAbout about;
        about.Form_Load();
        EXPECT_EQ(about.windowTitle(), "About Zentrova " + app::Title());
        EXPECT_EQ(about.lblTitle->text(), "Zentrova " + app::Title());
        EXPECT_EQ(about.lblVersion->text(), "Version: 1.1.13");
        EXPECT_EQ(about.lblPlatform->text(), "For Windows 95/98/2000/NT");
        EXPECT_EQ(about.lblDealer->text().toStdString(), c.block) << c.name;
        EXPECT_TRUE(about.lblWarning->text().isEmpty());
    }
}

TEST(About, DealerTextsAreNeverMarkup) {
    DealerRecord record("<b>Big</b> <a href='http://evil.example/'>Deals</a>", "<i>x</i>", "http://a.example/");
    frmAbout about;
    about.Form_Load();
    EXPECT_EQ(about.lblDealer->textFormat(), Qt::PlainText);
    EXPECT_TRUE(about.lblDealer->text().contains("<b>Big</b>"));
    EXPECT_FALSE(about.lblDealer->openExternalLinks());
}

TEST(About, WithoutADealerRecordTheFailureIsLogged) {
    frmAbout about;
    about.Form_Load();
    EXPECT_TRUE(about.lblDealer->text().isEmpty());
    EXPECT_TRUE(testenv::errorLog().startsWith("frmAbout_Form Load error:  "));
}

TEST(About, OneBoxAtATimeAndOKUnloadsIt) {
    DealerRecord record("Acme", "a@acme.example", "http://acme.example/");
    int nested = 0;
    QTimer::singleShot(0, [&] {
        frmAbout *first = frmAbout::Instance();
        ASSERT_NE(first, nullptr);
        frmAbout::ShowModal(nullptr);  // a second request only raises the first
        nested = frmAbout::Instance() == first ? 1 : 2;
        first->cmdOK->click();
    });
    frmAbout::ShowModal(nullptr);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(frmAbout::Instance(), nullptr);
    settle();
}
