#include "autobid/frmKeywordSetting.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Edit = std::function<void(frmKeywordSetting &)>;

// Stored settings as "MaxBid;MinBid;AutoBid;StartTime;EndTime;BidTo;Range".
const char *const kPlain = "1.00;0.10;False;;;;";

// The bid window's side: a keyword collection and the dialog over some of its keys.
struct Env {
    KeywordCollectionPtr keywords = std::make_shared<KeywordCollection>();
    std::unique_ptr<frmKeywordSetting> dlg;

    void add(const QString &text, const QString &stored = QLatin1String(kPlain)) {
        const QStringList f = stored.split(QLatin1Char(';'));
        auto k = std::make_shared<clsKeyword>();
        k->setKeyword(text);
        k->setMaxBid(f[0]), k->setMinBid(f[1]), k->setAutoBid(f[2]), k->setStartTime(f[3]);
        k->setEndTime(f[4]), k->setBidTo(f[5]), k->setRange(f[6]);
        // Fields the dialog must never touch.
        k->setCurBid(QStringLiteral("$0.55")), k->setNewBid(QStringLiteral("0.56"));
        k->setFirstUpdateTime(QStringLiteral("3/1/2024 10:00:00 AM")), k->setUpdateNumber(QStringLiteral("4"));
        keywords->Add(k, text);
    }
    QString stored(const QString &text) const {
        const clsKeyword &k = *keywords->Item(text);
        EXPECT_EQ(k.CurBid() + k.NewBid() + k.FirstUpdateTime() + k.UpdateNumber(),
                  QStringLiteral("$0.550.563/1/2024 10:00:00 AM4"));
        return QStringList{k.MaxBid(), k.MinBid(), k.AutoBid(), k.StartTime(), k.EndTime(), k.BidTo(), k.Range()}
            .join(QLatin1Char(';'));
    }
    frmKeywordSetting &open(const QStringList &keys, const QString &engineMin = QStringLiteral("0.10")) {
        dlg = std::make_unique<frmKeywordSetting>();
        dlg->setEngineMin(engineMin);
        dlg->setKeywordObjects(keywords);
        dlg->setSettingKeywords(keys);
        dlg->show();
        return *dlg;
    }
};

// What the controls show, in one line.
QString shown(const frmKeywordSetting &d) {
    return QStringLiteral("%1|%2|opt%3|t%4|r%5 %6-%7|b%8-%9|auto%10|btw%11 %12-%13")
        .arg(d.txtMaxBid->text(), d.txtMinBid->text())
        .arg(d.SelectedOption())
        .arg(d.cboTargetPosition->currentText())
        .arg(int(d.chkRange->isChecked()))
        .arg(d.cboHigh->currentText(), d.cboLow->currentText(), d.cboBestHigh->currentText(),
             d.cboBestLow->currentText())
        .arg(int(d.chkAutoBid->isChecked()))
        .arg(int(d.chkTimeBetween->isChecked()))
        .arg(d.txtStartTime->text(), d.txtEndTime->text());
}

// The user picks a list entry.
void choose(QComboBox *list, int position) {
    list->setCurrentIndex(position - 1);
    Q_EMIT list->activated(position - 1);
}

// OK with "" expected: accepted with no box. Otherwise the one box's text,
// "@" and the control with the focus; the dialog stays open.
QString okAnswer(frmKeywordSetting &d, bool expectRefusal) {
    testenv::clearShownMsgBoxes();
    if (expectRefusal)
        testenv::answerMsgBox(seam::vbOK);
    d.cmdOK->click();
    const auto &boxes = testenv::shownMsgBoxes();
    EXPECT_EQ(d.isVisible(), !boxes.isEmpty());
    if (boxes.isEmpty()) {
        EXPECT_FALSE(d.Cancelled());
        return QString();
    }
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.front().style, seam::vbOKOnly | seam::vbInformation);
    EXPECT_EQ(boxes.front().title, QStringLiteral("Keyword Property"));
    return boxes.front().text + QStringLiteral(" @") + (d.focusWidget() ? d.focusWidget()->objectName() : QString());
}
QString refusal(frmKeywordSetting &d) { return okAnswer(d, true); }
bool accepted(frmKeywordSetting &d) { return okAnswer(d, false).isEmpty(); }

TEST(frmKeywordSetting, CaptionsAndTheFivePositionLists) {
    Env env;
    env.add(QStringLiteral("shoes"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
    QStringList texts{d.windowTitle(), d.fraPosition->title(), d.chkAutoBid->text(), d.chkTimeBetween->text(),
                      d.chkRange->text(), d.cmdOK->text(), d.cmdCancel->text()};
    for (int o = 1; o <= 3; ++o)
        texts << d.optTarget(o)->text();
    for (const char *name : {"lblMaxBid", "lblMinBid", "lblStartTime", "lblEndTime", "lblPosition",
                             "lblBestPosition", "Label4", "lblTo"})
        texts << d.findChild<QLabel *>(QLatin1String(name))->text();
    EXPECT_EQ(texts, QStringList({"Keyword Property", "Bid To", "Auto Bid", "Between",
                                  "Always bid on the next best value position if target bid is", "OK", "Cancel",
                                  "Target position:", "Best value position between", "Eliminate bid gap only",
                                  "Maximum bid: $", "Minimum bid: $", "(hh:mm) To", "(hh:mm)",
                                  "greater then your maximum bid.", "Position range between", "to:", "to:"}));
    for (QComboBox *list : {d.cboTargetPosition, d.cboHigh, d.cboLow, d.cboBestHigh, d.cboBestLow}) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        EXPECT_EQ(items, QStringList({"1", "2", "3", "4", "5"})) << list->objectName().toStdString();
    }
}

// The first selected keyword is shown; OK without changes then writes into
// both selected keywords what the first one held, or what the dialog showed.
TEST(frmKeywordSetting, ShowsTheFirstKeywordAndOKWithoutChangesKeepsIt) {
    struct Case {
        const char *stored, *shown, *afterOK;  // afterOK nullptr: same as stored
    };
    const Case cases[] = {
        {"1.50;0.10;True;09:00;17:30;3;4-5", "1.50|0.10|opt1|t3|r1 4-5|b-|auto1|btw1 09:00-17:30", nullptr},
        {"2.00;0.25;False;;;2-4;", "2.00|0.25|opt2|t|r0 -|b2-4|auto0|btw0 -", nullptr},
        // Amounts are shown and stored as "#0.00" from the one money parser.
        {"1.5;$0.1;True;;;;", "1.50|0.10|opt3|t|r0 -|b-|auto1|btw0 -", "1.50;0.10;True;;;;"},
        {"1,234.5;\u00A30.2;False;;;;", "1234.50|0.20|opt3|t|r0 -|b-|auto0|btw0 -", "1234.50;0.20;False;;;;"},
        {"1.00;0.10;true;;;;", "1.00|0.10|opt3|t|r0 -|b-|auto0|btw0 -", "1.00;0.10;False;;;;"},
        // A window stored while AutoBid was off is shown and kept.
        {"1.00;0.10;False;08:15;12:00;;", "1.00|0.10|opt3|t|r0 -|b-|auto0|btw1 08:15-12:00", nullptr},
        // Rules the lists cannot show become gap only; the rest is still filled.
        {"1.00;0.10;True;09:00;17:00;7;4-5", "1.00|0.10|opt3|t|r0 -|b-|auto1|btw1 09:00-17:00",
         "1.00;0.10;True;09:00;17:00;;"},
        {"1.00;0.10;True;09:00;17:00;2-9;", "1.00|0.10|opt3|t|r0 -|b-|auto1|btw1 09:00-17:00",
         "1.00;0.10;True;09:00;17:00;;"},
        {"1.00;0.10;True;;;4-2;", "1.00|0.10|opt3|t|r0 -|b-|auto1|btw0 -", "1.00;0.10;True;;;;"},
        // A fallback range the lists cannot show is dropped; the target stays.
        {"1.00;0.10;True;;;3;2-9", "1.00|0.10|opt1|t3|r0 -|b-|auto1|btw0 -", "1.00;0.10;True;;;3;"},
    };
    for (const Case &c : cases) {
        Env env;
        env.add(QStringLiteral("shoes"), QString::fromUtf8(c.stored));
        env.add(QStringLiteral("boots"));
        frmKeywordSetting &d = env.open({QStringLiteral("Shoes"), QStringLiteral("boots")});
        EXPECT_EQ(shown(d), QString::fromUtf8(c.shown)) << c.stored;
        EXPECT_TRUE(accepted(d)) << c.stored;
        const QString after = QString::fromUtf8(c.afterOK ? c.afterOK : c.stored);
        EXPECT_EQ(env.stored(QStringLiteral("shoes")), after) << c.stored;
        EXPECT_EQ(env.stored(QStringLiteral("boots")), after) << c.stored;
    }
}

TEST(frmKeywordSetting, BidsUnderADecimalCommaStillShowAndStoreWithADot) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Env env;
    env.add(QStringLiteral("shoes"), QStringLiteral("1.5;0.1;False;;;;"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
    EXPECT_EQ(d.txtMaxBid->text(), QStringLiteral("1.50"));
    EXPECT_TRUE(accepted(d));
    EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("1.50;0.10;False;;;;"));
    QLocale::setDefault(saved);
}

TEST(frmKeywordSetting, KeysMissingFromTheCollectionAreLogged) {
    Env env;
    env.add(QStringLiteral("shoes"), QStringLiteral("2.00;0.50;True;;;3;"));
    env.add(QStringLiteral("boots"));
    frmKeywordSetting &d = env.open({QStringLiteral("gone"), QStringLiteral("shoes"), QStringLiteral("boots")});
    EXPECT_EQ(shown(d), QStringLiteral("||opt0|t|r0 -|b-|auto0|btw0 -"));
    EXPECT_TRUE(testenv::errorLog().startsWith("frmKeywordSetting_PopulateControl error: "));
    d.txtMaxBid->setText(QStringLiteral("4"));
    d.txtMinBid->setText(QStringLiteral("0.10"));
    EXPECT_TRUE(accepted(d));
    EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("4.00;0.10;False;;;;"));
    EXPECT_EQ(env.stored(QStringLiteral("boots")), QStringLiteral("4.00;0.10;False;;;;"));
    EXPECT_TRUE(testenv::errorLog().endsWith("\r\nfrmKeywordSetting_Savesetting error: m_colKeywords(gone) not found\r\n"));
}

TEST(frmKeywordSetting, UpdateUIFollowsEveryClick) {
    Env env;
    env.add(QStringLiteral("shoes"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
    // Enabled: Between, start, end | target, range box, its caption, high, low | best high, best low.
    auto enabled = [&] {
        QString s;
        for (QWidget *w : std::initializer_list<QWidget *>{d.chkTimeBetween, d.txtStartTime, d.txtEndTime, nullptr,
                                                            d.cboTargetPosition, d.chkRange, d.lblPosition, d.cboHigh,
                                                            d.cboLow, nullptr, d.cboBestHigh, d.cboBestLow})
            s += w ? QChar(w->isEnabled() ? '1' : '0') : QChar('|');
        return s;
    };
    const std::pair<Edit, const char *> steps[] = {
        {[](auto &) {}, "000|00000|00"},
        {[](auto &f) { f.chkAutoBid->click(); }, "100|00000|00"},
        {[](auto &f) { f.chkTimeBetween->click(); }, "111|00000|00"},
        {[](auto &f) { f.optTarget(1)->click(); }, "111|11100|00"},
        {[](auto &f) { f.chkRange->click(); }, "111|11111|00"},
        {[](auto &f) { f.optTarget(2)->click(); }, "111|00000|11"},
        {[](auto &f) { f.chkAutoBid->click(); }, "000|00000|11"},
        {[](auto &f) { f.optTarget(1)->click(); }, "000|11111|00"},
        {[](auto &f) { f.chkRange->click(); }, "000|11100|00"},
    };
    for (const auto &[step, expected] : steps) {
        step(d);
        EXPECT_EQ(enabled(), QLatin1String(expected));
    }
}

TEST(frmKeywordSetting, RangeDefaultsFollowTheTarget) {
    Env env;
    env.add(QStringLiteral("shoes"), QStringLiteral("1.00;0.10;False;;;2;"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
    auto range = [&] { return shown(d).section(QLatin1Char('|'), 3, 4); };
    const std::pair<Edit, const char *> steps[] = {
        {[](auto &f) { f.chkRange->click(); }, "t2|r1 3-5"},
        {[](auto &f) { choose(f.cboTargetPosition, 3); }, "t3|r1 4-5"},
        {[](auto &f) { choose(f.cboTargetPosition, 5); }, "t5|r0 -"},
        {[](auto &f) { f.chkRange->click(); }, "t5|r0 -"},
        {[](auto &f) { choose(f.cboTargetPosition, 1); }, "t1|r0 -"},
        {[](auto &f) { f.chkRange->click(); }, "t1|r1 2-5"},
        {[](auto &f) { f.chkRange->click(); }, "t1|r0 2-5"},
        // Outside the target option a target pick changes nothing.
        {[](auto &f) { f.chkRange->setChecked(true), f.optTarget(2)->click(), choose(f.cboTargetPosition, 5); },
         "t5|r1 2-5"},
    };
    for (const auto &[step, expected] : steps) {
        step(d);
        EXPECT_EQ(range(), QLatin1String(expected));
    }
}

Edit text(QLineEdit *frmKeywordSetting::*box, const char *t) {
    return [=](frmKeywordSetting &f) { (f.*box)->setText(QString::fromUtf8(t)); };
}
Edit pick(QComboBox *frmKeywordSetting::*list, int position) {
    return [=](frmKeywordSetting &f) { (f.*list)->setCurrentIndex(position - 1); };
}
using F = frmKeywordSetting;

// Each OK is refused by the next fault in order until the last one is mended.
TEST(frmKeywordSetting, OKRefusesEachFaultInOrderWithItsMessageAndFocus) {
    const std::pair<Edit, const char *> targetSteps[] = {
        {text(&F::txtMaxBid, "x"), "Please specify your Maximum Bid. @txtMaxBid"},
        {text(&F::txtMaxBid, "0.05"), "Please specify your Minimum  Bid. @txtMinBid"},
        {text(&F::txtMinBid, "0.09"), "The Minimum bid you have entered is smaller than the engine required. "
                                      "please enter a value bigger than $0.10. @txtMinBid"},
        {text(&F::txtMinBid, "$0.10"), "The Maximum Bid is smaller then Minimum Bid, please specify a correct bid "
                                       "range and try again. @txtMaxBid"},
        {text(&F::txtMaxBid, "0.10"), "Invalid Start Time value. Please enter a valid time format as 'hh:mm'. "
                                      "@txtStartTime"},
        {text(&F::txtStartTime, "12:30"), "Invalid End Time value. Please enter a valid time format as 'hh:mm'. "
                                          "@txtEndTime"},
        {text(&F::txtEndTime, "12:30"), "The End Time must be later than the Start Time. @txtEndTime"},
        {text(&F::txtEndTime, "12:31"), "Invalid Target Position. @cboTargetPosition"},
        {pick(&F::cboTargetPosition, 5), "you targe position is 5. This program can not bid to the position lower "
                                         "than 5. @chkRange"},
        {pick(&F::cboTargetPosition, 3), "Please specify a Higher Positon value. @cboHigh"},
        {pick(&F::cboHigh, 5), "Please specify a Lower Position value. @cboLow"},
        {pick(&F::cboLow, 4), "The Higher position can not be lower than Lower position. Please specify a valid "
                              "position range. @cboHigh"},
        {pick(&F::cboHigh, 3), "The Higher position can not be higher or equal to Target Positon. Please specify "
                               "a valid position range. @cboHigh"},
    };
    Env env;
    // A negative minimum and impossible times, as a damaged file could hold them.
    env.add(QStringLiteral("shoes"), QStringLiteral(";-0.50;True;24:00;12:60;;"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes")}, QStringLiteral("$0.10"));
    d.optTarget(1)->click();
    d.chkRange->setChecked(true);
    d.UpdateUI();
    for (const auto &[mend, answer] : targetSteps) {
        mend(d);
        EXPECT_EQ(refusal(d), QLatin1String(answer));
    }
    pick(&F::cboHigh, 4)(d);
    ASSERT_TRUE(accepted(d));
    EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("0.10;0.10;True;12:30;12:31;3;4-4"));

    frmKeywordSetting &b = env.open({QStringLiteral("shoes")});
    b.optTarget(2)->click();
    const std::pair<Edit, const char *> bestSteps[] = {
        {[](F &) {}, "Please specify a Higher Positon value. @cboBestHigh"},
        {pick(&F::cboBestHigh, 4), "Please specify a Lower Position value. @cboBestLow"},
        {pick(&F::cboBestLow, 2), " The Higher position can not be lower than Lower position. Please specify a "
                                  "valid position range. @cboBestHigh"},
    };
    for (const auto &[mend, answer] : bestSteps) {
        mend(b);
        EXPECT_EQ(refusal(b), QLatin1String(answer));
    }
    pick(&F::cboBestLow, 4)(b);
    ASSERT_TRUE(accepted(b));
    EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("0.10;0.10;True;12:30;12:31;4-4;4-4"));
}

// Values at the edges of the checks: refused with a message, or stored as written here.
TEST(frmKeywordSetting, EdgesOfTheChecks) {
    const char *belowEngine = "The Minimum bid you have entered is smaller than the engine required. please "
                              "enter a value bigger than 0.10.";
    const char *badStart = "Invalid Start Time value. Please enter a valid time format as 'hh:mm'.";
    const char *endNotAfter = "The End Time must be later than the Start Time.";
    auto times = [](const char *s, const char *e) {
        return [=](F &f) {
            f.chkTimeBetween->setChecked(true);
            f.txtStartTime->setText(QString::fromLatin1(s));
            f.txtEndTime->setText(QString::fromLatin1(e));
        };
    };
    auto targetRange = [](int target, int high, int low) {
        return [=](F &f) {
            f.optTarget(1)->click();
            f.cboTargetPosition->setCurrentIndex(target - 1);
            f.chkRange->setChecked(true);
            f.cboHigh->setCurrentIndex(high - 1);
            f.cboLow->setCurrentIndex(low - 1);
        };
    };
    struct Case {
        const char *engineMin;
        Edit edit;
        const char *answer;  // the message, or the stored settings when accepted
    };
    const Case cases[] = {
        {"0.10", text(&F::txtMinBid, "0.10"), "1.00;0.10;False;;;;"},
        {"0.10", text(&F::txtMinBid, "0.09"), belowEngine},
        {"n/a", text(&F::txtMinBid, "0"), "1.00;0.00;False;;;;"},
        {"", text(&F::txtMaxBid, "-1"), "Please specify your Maximum Bid."},
        {"0.10", text(&F::txtMaxBid, "0.10"), "0.10;0.10;False;;;;"},
        {"0.10", text(&F::txtMaxBid, "0.09"),
         "The Maximum Bid is smaller then Minimum Bid, please specify a correct bid range and try again."},
        // Typed amounts are stored as the money parser reads them.
        {"0.10", text(&F::txtMaxBid, "1,50"), "150.00;0.10;False;;;;"},
        // Times are checked whenever they are stored, with AutoBid off too.
        {"0.10", times("7:05", "19:45"), "1.00;0.10;False;7:05;19:45;;"},
        {"0.10", times("9:00", "25:00"), "Invalid End Time value. Please enter a valid time format as 'hh:mm'."},
        {"0.10", times("9:00\n", "17:00"), badStart},
        {"0.10", times("9;00", "17:00"), badStart},
        {"0.10", times("09:00", "9:00"), endNotAfter},
        {"0.10", times("22:00", "02:00"), endNotAfter},
        {"0.10", times("0:0", "23:59"), "1.00;0.10;False;0:0;23:59;;"},
        {"0.10", text(&F::txtStartTime, "junk"), "1.00;0.10;False;;;;"},
        {"0.10", targetRange(3, 3, 5),
         "The Higher position can not be higher or equal to Target Positon. Please specify a valid position range."},
        {"0.10", targetRange(3, 4, 4), "1.00;0.10;False;;;3;4-4"},
        // A range left ticked is stored whatever the option; a half-chosen one never.
        {"0.10", [=](F &f) { targetRange(2, 3, 5)(f), f.optTarget(3)->click(); }, "1.00;0.10;False;;;;3-5"},
        {"0.10", [](F &f) { f.optTarget(1)->click(), f.chkRange->click(), f.optTarget(3)->click(); },
         "1.00;0.10;False;;;;"},
    };
    for (const Case &c : cases) {
        Env env;
        env.add(QStringLiteral("shoes"));
        frmKeywordSetting &d = env.open({QStringLiteral("shoes")}, QLatin1String(c.engineMin));
        c.edit(d);
        const QString answer = QLatin1String(c.answer);
        if (answer.contains(QLatin1Char(';'))) {
            EXPECT_TRUE(accepted(d)) << c.answer;
            EXPECT_EQ(env.stored(QStringLiteral("shoes")), answer);
        } else {
            EXPECT_EQ(refusal(d).section(QStringLiteral(" @"), 0, 0), answer);
        }
    }
}

// With Auto Bid off the time boxes are greyed out, yet a stored window is
// checked: the refused box is opened for the correction and has the focus.
TEST(frmKeywordSetting, ARefusedTimeWithAutoBidOffCanBeCorrectedWhereTheFocusIs) {
    struct Case {
        const char *stored;
        const char *message;
        QLineEdit *frmKeywordSetting::*box;
        const char *corrected;
        const char *saved;
    };
    const Case cases[] = {
        {"1.00;0.10;False;24:00;12:00;;", "Invalid Start Time value. Please enter a valid time format as 'hh:mm'.",
         &F::txtStartTime, "09:00", "1.00;0.10;False;09:00;12:00;;"},
        {"1.00;0.10;False;9:00;12:60;;", "Invalid End Time value. Please enter a valid time format as 'hh:mm'.",
         &F::txtEndTime, "17:00", "1.00;0.10;False;9:00;17:00;;"},
        {"1.00;0.10;False;9:00;8:00;;", "The End Time must be later than the Start Time.", &F::txtEndTime, "9:30",
         "1.00;0.10;False;9:00;9:30;;"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Env env;
        env.add(QStringLiteral("shoes"), QLatin1String(c.stored));
        frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QLineEdit *box = d.*c.box;
        ASSERT_FALSE(box->isEnabled());
        EXPECT_EQ(refusal(d), QLatin1String(c.message) + QStringLiteral(" @") + box->objectName());
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), box);
        // Typed where the focus is; Auto Bid stays off.
        box->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QLatin1String(c.corrected));
        EXPECT_EQ(box->text(), QLatin1String(c.corrected));
        ASSERT_TRUE(accepted(d));
        EXPECT_EQ(env.stored(QStringLiteral("shoes")), QLatin1String(c.saved));
    }
}

TEST(frmKeywordSetting, OKWritesTheSameSettingsIntoEverySelectedKeywordOnly) {
    Env env;
    env.add(QStringLiteral("shoes"), QStringLiteral("2.00;0.20;True;08:00;18:00;2;3-5"));
    env.add(QStringLiteral("boots"), QStringLiteral("9.99;0.99;False;;;1-3;"));
    env.add(QStringLiteral("hats"), QStringLiteral("5;1;False;;;;"));
    env.add(QStringLiteral("socks"), QStringLiteral("3.00;0.30;False;;;4;"));
    frmKeywordSetting &d = env.open({QStringLiteral("shoes"), QStringLiteral("BOOTS"), QStringLiteral("hats")});
    choose(d.cboTargetPosition, 1);
    d.chkTimeBetween->click();
    ASSERT_TRUE(accepted(d));
    for (const char *k : {"shoes", "boots", "hats"})
        EXPECT_EQ(env.stored(QLatin1String(k)), QStringLiteral("2.00;0.20;True;;;1;2-5")) << k;
    EXPECT_EQ(env.stored(QStringLiteral("socks")), QStringLiteral("3.00;0.30;False;;;4;"));
}

TEST(frmKeywordSetting, CancelCloseBoxAndEscLeaveTheKeywordsAlone) {
    const std::pair<const char *, Edit> ways[] = {
        {"Cancel", [](F &f) { f.cmdCancel->click(); }},
        {"close box", [](F &f) { f.close(); }},
        {"Esc", [](F &f) { QTest::keyClick(f.txtMaxBid, Qt::Key_Escape); }},
    };
    for (const auto &[name, way] : ways) {
        Env env;
        env.add(QStringLiteral("shoes"), QStringLiteral("1.50;0.10;True;09:00;17:00;3;4-5"));
        frmKeywordSetting &d = env.open({QStringLiteral("shoes")});
        EXPECT_FALSE(d.Cancelled());
        d.txtMaxBid->setText(QStringLiteral("9.00"));
        d.optTarget(3)->click();
        way(d);
        EXPECT_TRUE(d.Cancelled()) << name;
        EXPECT_FALSE(d.isVisible()) << name;
        EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("1.50;0.10;True;09:00;17:00;3;4-5")) << name;
    }
}

// The caller's order: properties first, then the modal show fills the dialog.
TEST(frmKeywordSetting, ModalShowFillsTheDialogFromThePropertiesSetBefore) {
    Env env;
    env.add(QStringLiteral("shoes"), QStringLiteral("1.00;0.10;False;;;2-3;"));
    frmKeywordSetting dlg;
    dlg.setEngineMin(QStringLiteral("0.10"));
    dlg.setKeywordObjects(env.keywords);
    dlg.setSettingKeywords({QStringLiteral("shoes")});
    QString seen;
    QTimer::singleShot(0, &dlg, [&] {
        seen = shown(dlg);
        dlg.txtMinBid->setText(QStringLiteral("0.20"));
        dlg.cmdOK->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_FALSE(dlg.Cancelled());
    EXPECT_EQ(seen, QStringLiteral("1.00|0.10|opt2|t|r0 -|b2-3|auto0|btw0 -"));
    EXPECT_EQ(env.stored(QStringLiteral("shoes")), QStringLiteral("1.00;0.20;False;;;2-3;"));
}

}  // namespace
