#include "ProgramFixtures.h"

#include "report/frmSendMail.h"
#include "ui/TrayIcon.h"
#include "ui/frmAbout.h"
#include "ui/frmTrayIcon.h"

#include <QDialog>
#include <QSystemTrayIcon>

namespace {

// Whether the desktop has a notification area, for one test.
struct TrayAvailable {
    explicit TrayAvailable(bool available) { TrayIcon::setAvailabilityCheck([available] { return available; }); }
    ~TrayAvailable() { TrayIcon::setAvailabilityCheck({}); }
};

struct Tray : ::testing::Test {
    frmMain w;
    void SetUp() override {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.LoadTrayIcon();
        ASSERT_NE(w.TrayHost(), nullptr);
    }
    void minimise() {
        w.setWindowState(Qt::WindowMinimized);
        QApplication::processEvents();
    }
    frmTrayIcon *host() { return w.TrayHost(); }
};

}  // namespace

TEST(TrayIconObject, TipIsCutTo63CharactersAndDeleteRemovesTheIcon) {
    TrayIcon tray;
    tray.setIcon(QIcon(QPixmap(16, 16)));
    const QString longTip = QString(70, QLatin1Char('x'));
    tray.setToolTipText(longTip);
    tray.Add();
    EXPECT_TRUE(tray.IsAdded());
    EXPECT_EQ(tray.ShownTip(), QString(63, QLatin1Char('x')));
    EXPECT_EQ(tray.ToolTipText(), longTip);

    tray.setToolTipText("Scheduler");
    EXPECT_EQ(tray.ShownTip(), QString(63, QLatin1Char('x')));  // not until Modify
    tray.Modify();
    EXPECT_EQ(tray.ShownTip(), "Scheduler");

    tray.Delete();
    EXPECT_FALSE(tray.IsAdded());
}

TEST(TrayIconObject, MouseActionsBecomeOnIconCodes) {
    TrayIcon tray;
    QSignalSpy spy(&tray, &TrayIcon::OnIcon);
    // 0: no event
    for (const auto &[reason, code] : {std::pair{QSystemTrayIcon::DoubleClick, 3}, {QSystemTrayIcon::Context, 5},
                                       {QSystemTrayIcon::Trigger, 2}, {QSystemTrayIcon::MiddleClick, 0},
                                       {QSystemTrayIcon::Unknown, 0}}) {
        spy.clear();
        tray.CallEvent(int(reason));
        ASSERT_EQ(spy.count(), code ? 1 : 0) << int(reason);
        EXPECT_EQ(code ? spy.first().first().toInt() : 0, code);
    }
}

TEST_F(Tray, HostCarriesTheSchedulerIconAndItsMenu) {
    TrayIcon *icon = host()->cTray();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->IsAdded());
    EXPECT_EQ(icon->ShownTip(), "Scheduler");
    EXPECT_FALSE(host()->isVisible());
    QStringList items;
    for (int i = 1; i <= 4; ++i)
        items << (host()->mnuPopupItem(i)->isSeparator() ? "-" : host()->mnuPopupItem(i)->text());
    EXPECT_EQ(items, (QStringList{"O&pen", "&About Zentrova Quillbeck Ambrivex", "-", "&Exit"}));

    // Right button released on the icon: the menu, with About as its bold default.
    icon->CallEvent(QSystemTrayIcon::Context);
    EXPECT_TRUE(host()->mnuPopup->isVisible());
    EXPECT_EQ(host()->mnuPopup->defaultAction(), host()->mnuPopupItem(2));
    host()->mnuPopup->hide();
}

TEST_F(Tray, MinimisedWindowHidesToTheTrayAndOpenBringsItBack) {
    TrayAvailable available(true);
    minimise();
    EXPECT_TRUE(w.tmrTrayIcon->isActive());
    w.tmrTrayIcon_Timer();
    EXPECT_EQ(w.tmrTrayIcon->interval(), 200);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.tmrTrayIcon->isActive());

    host()->mnuPopupItem(1)->trigger();  // O&pen
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.tmrTrayIcon->isActive());  // ready for the next minimising

    // Hidden again; a double-click on the icon brings it back as well.
    minimise();
    w.tmrTrayIcon_Timer();
    ASSERT_FALSE(w.isVisible());
    host()->cTray()->CallEvent(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible());

    // A window minimised in the task bar (not hidden) comes back too.
    minimise();
    host()->cTray_OnIcon(TrayIcon::LeftDoubleClick);
    EXPECT_FALSE(w.isMinimized());
}

TEST_F(Tray, OpenLeavesAVisibleNormalWindowAlone) {
    w.setWindowState(Qt::WindowMaximized);
    QApplication::processEvents();
    const Qt::WindowStates before = w.windowState();
    host()->mnuPopupItem_Click(1);
    host()->cTray_OnIcon(TrayIcon::LeftDoubleClick);
    host()->cTray_OnIcon(TrayIcon::LeftUp);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowState(), before);
}

TEST_F(Tray, WithoutANotificationAreaTheWindowStaysInTheTaskBar) {
    {
        TrayAvailable none(false);
        minimise();
        w.tmrTrayIcon_Timer();
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.isMinimized());
    }
    // Nor is it hidden once the icon is gone.
    w.setWindowState(Qt::WindowNoState);
    w.UnloadTrayIcon();
    TrayAvailable available(true);
    minimise();
    w.tmrTrayIcon_Timer();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
}

TEST_F(Tray, UnderAModalWindowOpenRaisesItAndAboutAndExitWait) {
    TrayAvailable available(true);
    minimise();
    w.tmrTrayIcon_Timer();
    ASSERT_FALSE(w.isVisible());

    QDialog modal;
    modal.setModal(true);
    modal.open();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);

    host()->mnuPopupItem(2)->trigger();  // About: nothing shows
    EXPECT_EQ(frmAbout::Instance(), nullptr);
    host()->mnuPopupItem(4)->trigger();  // Exit: no question, nothing ends
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(testenv::endProgramCount(), 0);

    host()->mnuPopupItem(1)->trigger();  // Open: the main window and the modal one
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(modal.isVisible());
    modal.reject();
}

TEST_F(Tray, AboutAndExitFromTheMenu) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (frmAbout *about = frmAbout::Instance()) {
            shown = about->isVisible();
            about->cmdOK->click();
        }
    });
    host()->mnuPopupItem(2)->trigger();
    EXPECT_TRUE(shown);

    // Exit asks the main window's question, also while it is hidden in the tray; No keeps everything.
    for (bool hidden : {false, true}) {
        w.setVisible(!hidden);
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbNo);
        host()->mnuPopupItem(4)->trigger();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        EXPECT_EQ(testenv::shownMsgBoxes().first().text, "Are you sure you want to exit?");
        EXPECT_EQ(w.isVisible(), !hidden);
        EXPECT_TRUE(host()->cTray()->IsAdded());
    }
    EXPECT_EQ(testenv::endProgramCount(), 0);
}

TEST(TrayProgram, TheLoadAddsTheIconAndTheMailWindowAndTheExitReleasesThemAskingOnce) {
    fixtures::writeEngineData({"Overture"});
    fixtures::Program p;
    ASSERT_TRUE(p.form->m_frmSendMail);
    EXPECT_FALSE(p.form->m_frmSendMail->isVisible());
    frmTrayIcon *host = p.form->TrayHost();
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->cTray()->IsAdded());
    QSignalSpy removed(host->cTray(), &QObject::destroyed);

    testenv::answerMsgBox(seam::vbYes);
    host->mnuPopupItem(4)->trigger();
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(removed.count(), 1);  // the icon is gone
    EXPECT_EQ(p.form->TrayHost(), nullptr);
    EXPECT_FALSE(p.form->m_frmSendMail);
    EXPECT_EQ(p.form->m_oMain, nullptr);  // the exit released the controller
    EXPECT_EQ(testenv::endProgramCount(), 1);
}
