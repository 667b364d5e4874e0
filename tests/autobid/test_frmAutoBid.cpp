// The bid window driven as the user and the scheduler drive it, offscreen,
// against a scripted connection window.

#include "BidFixtures.h"

#include "autobid/BidGrid.h"
#include "autobid/KeywordsSettingFile.h"
#include "autobid/frmAutoBid.h"
#include "core/Globals.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using fake::FakeConnectWindow;

namespace {

using Row = FakeConnectWindow::SiteRow;

const QByteArray kSettings = "shoes;1.00;0.10;True;;;;0;;\r\n"
                             "boots;1.00;0.10;True;;;;0;;\r\n"
                             "hats;1.00;0.10;True;;;;0;;\r\n\r\n";

// An open bid window of Overture/main whose grid shows three fetched keywords.
struct OpenWindow {
    explicit OpenWindow(bool fetch = true, const QString &account = "main") {
        testenv::writeFile(KeywordsSettingFile::FilePath("Overture", account), kSettings);
        windows.site = {Row{"shoes", "$0.50", "2", "$0.80", "$0.40", {}},
                        Row{"boots", "$0.30", "1", "$0.30", "$0.29", {}},
                        Row{"hats", "$0.90", "3", "$0.95", "$0.10", {}}};
        w = new frmAutoBid;
        w->setAccount(bidfix::makeAccount("Overture", account));
        w->show();
        if (fetch)
            w->Manager().GetBids();
    }
    ~OpenWindow() {
        if (w)
            delete w.data();
    }
    BidGrid &grid() { return w->Manager().Grid(); }
    QString cell(int row, int col) { return grid().TextMatrix(row, col); }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r < grid().Rows(); ++r)
            out << grid().TextMatrix(r, col);
        return out;
    }
    // Starts editing the New Bid of a row and types a text.
    void edit(int row, const QString &text) {
        grid().setCurrentCell(row, 0);
        w->GridEdit();
        ASSERT_TRUE(w->txtEdit->isVisible());
        w->txtEdit->setText(text);
    }
    void closeNow() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bidfix::ScopedWindows windows;
    QPointer<frmAutoBid> w;
};

}  // namespace

TEST(frmAutoBid, ToolbarAndSortMenuAreAsDesigned) {
    OpenWindow o(false);
    EXPECT_EQ(o.w->windowTitle(), "AutoBid for Overture - main");
    // Captions, keys and tips, left to right.
    const QList<std::array<const char *, 3>> buttons = {
        {"Get Bids", "GetBid", "Login and retrieve keywords from your account"},
        {"Update Bids", "Update", "Update bids to your account"},
        {"Property", "Property", "Keyword property setting"},
        {"Sort", "Sort", "Sorting"},
        {"Report", "Report", "Genterate report"},
        {"Close", "Close", "Close AutoBid"},
    };
    QList<QAction *> shownButtons;
    for (QAction *a : o.w->tlbManageBids->actions())
        if (!a->isSeparator())
            shownButtons << a;
    ASSERT_EQ(shownButtons.size(), buttons.size());
    for (int i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(shownButtons[i]->text(), buttons[i][0]);
        EXPECT_EQ(shownButtons[i], o.w->toolButton(buttons[i][1]));
        EXPECT_EQ(shownButtons[i]->toolTip(), buttons[i][2]);
    }
    // Update and Report wait for a fetch that finds keywords.
    EXPECT_FALSE(o.w->toolButton("Update")->isEnabled());
    EXPECT_FALSE(o.w->toolButton("Report")->isEnabled());
    EXPECT_TRUE(o.w->toolButton("GetBid")->isEnabled());

    const QStringList items = {"by Keyword-Ascending",  "by Keyword-Descending", "by Cur Bid-Ascending",
                               "by Cur Bid-Descending", "by Next Bid-Ascending", "by Next Bid-Descending",
                               "by Position-Ascending", "by Position-Descending", "by 1st Bid-Ascending",
                               "by 1st Bid-Descending", "by 2nd Bid-Ascending",  "by 2nd Bid-Descending",
                               "by 3rd Bid-Ascending",  "by 3rd Bid-Descending",  "by Targe-Ascendingg",
                               "by Targe-Descendi",     "by New Bid-Ascending",  "by New Bid-Descending"};
    QStringList shown;
    for (QAction *a : o.w->mnuSort->actions())
        shown << a->text();
    EXPECT_EQ(shown, items);
    EXPECT_EQ(o.w->toolButton("Sort")->menu(), o.w->mnuSort);
}

TEST(frmAutoBid, EverySortItemOrdersItsColumn) {
    OpenWindow o;
    EXPECT_TRUE(o.w->toolButton("Update")->isEnabled());
    struct Case { const char *key; int col; QStringList keywords; };
    // New Bids: shoes 0.41, boots 0.30 (one-cent gap kept), hats 0.11.
    const Case cases[] = {
        {"KeywordAsc", 0, {"boots", "hats", "shoes"}},   {"KeywordDes", 0, {"shoes", "hats", "boots"}},
        {"CurBidAsc", 1, {"boots", "shoes", "hats"}},    {"CurBidDes", 1, {"hats", "shoes", "boots"}},
        {"NextBidAsc", 2, {"hats", "boots", "shoes"}},   {"NextBidDes", 2, {"shoes", "boots", "hats"}},
        {"PositionAsc", 3, {"boots", "shoes", "hats"}},  {"PositionDes", 3, {"hats", "shoes", "boots"}},
        {"1stBidAsc", 4, {"boots", "shoes", "hats"}},    {"1stBidDes", 4, {"hats", "shoes", "boots"}},
        {"NewBidAsc", 10, {"hats", "boots", "shoes"}},   {"NewBidDes", 10, {"shoes", "boots", "hats"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        o.w->sortItem(c.key)->trigger();
        EXPECT_EQ(o.column(0), c.keywords);
        EXPECT_EQ(o.grid().Col(), c.col);
    }
    // The button itself sorts by keyword, ascending.
    o.w->toolButton("Sort")->trigger();
    EXPECT_EQ(o.column(0), (QStringList{"boots", "hats", "shoes"}));
}

TEST(frmAutoBid, TheNewBidEditorChecksWhatWasTyped) {
    struct Case {
        const char *name;
        const char *typed;
        QList<int> answers;
        const char *message;
        int style;
        const char *title;
        bool closes;
    };
    const char *caption = "AutoBid for Overture - main";
    const Case cases[] = {
        {"letters", "abc", {seam::vbOK}, "Invalid value, please enter a valid numeric value.", seam::vbCritical,
         caption, false},
        {"under the minimum", "0.05", {seam::vbOK},
         "The new bid amount can not smaller than your Minimum Bid. Please enter a valid amount.", seam::vbOKOnly,
         nullptr, false},
        {"over the maximum, No", "1.50", {seam::vbNo},
         "The new bid amount is greater than your Maximum Bid, are you sure you want to bid on this amount?",
         seam::vbYesNo | seam::vbInformation, caption, false},
        {"over the maximum, Yes", "1.50", {seam::vbYes},
         "The new bid amount is greater than your Maximum Bid, are you sure you want to bid on this amount?",
         seam::vbYesNo | seam::vbInformation, caption, true},
        {"within the limits", "0.45", {}, nullptr, 0, nullptr, true},
        {"the minimum itself, rounded to cents", "0.104", {}, nullptr, 0, nullptr, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::clearShownMsgBoxes();
        OpenWindow o;
        o.edit(1, c.typed);
        // The typed text is in the cell at once.
        EXPECT_EQ(o.cell(1, BidGrid::colNewBid), c.typed);
        for (int a : c.answers)
            testenv::answerMsgBox(a);
        QTest::keyClick(o.w->txtEdit, Qt::Key_Return);
        if (c.message) {
            ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
            const seam::MessageBoxRequest &box = testenv::shownMsgBoxes().first();
            EXPECT_EQ(box.text, c.message);
            EXPECT_EQ(box.style, c.style);
            EXPECT_EQ(box.title, c.title ? QString(c.title) : app::Title());
        } else {
            EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
        }
        EXPECT_EQ(o.w->txtEdit->isVisible(), !c.closes);
        EXPECT_EQ(o.cell(1, BidGrid::colNewBid), c.typed);
        if (c.closes) {
            EXPECT_EQ(o.grid().Row(), 1);
            EXPECT_EQ(o.grid().Col(), 0);
            EXPECT_EQ(o.grid().ColSel(), 11);
        } else {
            EXPECT_EQ(o.w->txtEdit->selectedText(), c.typed);
            EXPECT_EQ(o.grid().Col(), BidGrid::colNewBid);
        }
    }
}

TEST(frmAutoBid, TheEditorColoursTheCellAndMovesWithUpAndDown) {
    OpenWindow o;
    o.edit(2, "0.30");  // boots: equal to its current bid
    EXPECT_EQ(o.grid().CellForeColor(2, BidGrid::colNewBid), BidGrid::kBlack);
    o.w->txtEdit->setText("0.29");
    EXPECT_EQ(o.grid().CellForeColor(2, BidGrid::colNewBid), BidGrid::kBlue);
    QTest::keyClick(o.w->txtEdit, Qt::Key_Down);
    EXPECT_EQ(o.grid().Row(), 3);
    o.edit(3, "0.20");
    QTest::keyClick(o.w->txtEdit, Qt::Key_Down);  // the last row stays
    EXPECT_EQ(o.grid().Row(), 3);
    EXPECT_EQ(o.grid().ColSel(), 11);
    o.edit(1, "0.40");
    QTest::keyClick(o.w->txtEdit, Qt::Key_Up);  // not above the first keyword row
    EXPECT_EQ(o.grid().Row(), 1);

    // A key typed on the grid starts editing that row with the key.
    o.grid().setCurrentCell(2, 0);
    QTest::keyClick(o.w->grdBidsManage, Qt::Key_5);
    EXPECT_TRUE(o.w->txtEdit->isVisible());
    EXPECT_EQ(o.w->txtEdit->text(), "5");
    EXPECT_EQ(o.cell(2, BidGrid::colNewBid), "5");
    // A toolbar command first checks the open edit.
    testenv::answerMsgBox(seam::vbNo);
    o.w->toolButton("Sort")->trigger();
    EXPECT_TRUE(o.w->txtEdit->isVisible());
    EXPECT_EQ(o.column(0), (QStringList{"shoes", "boots", "hats"}));
}

// A click on another row while a New Bid is edited ends the edit by its
// checks and then chooses the clicked row, which the next command acts on.
TEST(frmAutoBid, AClickOnAnotherRowDuringAnEditChoosesThatRow) {
    struct Case {
        const char *name;
        bool doubleClick;
        bool scrolledAway;  // the edited row is scrolled out of sight first
    };
    const Case cases[] = {
        {"click, then Property", false, false},
        {"double click", true, false},
        {"click with the edited row out of sight", false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenWindow o;
        QStringList seen;
        BidManager::SettingsDialogHook() = [&](QWidget *, const QString &, KeywordCollectionPtr,
                                               const QStringList &selected) {
            seen = selected;
            return false;
        };
        if (c.scrolledAway)
            o.w->resize(o.w->width(), 160);
        o.w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(o.w));
        o.edit(1, "0.45");
        ASSERT_TRUE(o.w->txtEdit->hasFocus());
        QTableView *view = o.w->grdBidsManage;
        if (c.scrolledAway) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
            ASSERT_FALSE(view->viewport()->rect().contains(view->visualRect(o.grid().index(0, 0))));
        }
        const QPoint hats = view->visualRect(o.grid().index(2, BidGrid::colKeyword)).center();
        ASSERT_TRUE(view->viewport()->rect().contains(hats));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, hats);
        if (c.doubleClick)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, hats);
        QCoreApplication::processEvents();
        EXPECT_FALSE(o.w->txtEdit->isVisible());
        EXPECT_EQ(o.cell(1, BidGrid::colNewBid), "0.45");
        EXPECT_EQ(o.grid().Row(), 3);
        EXPECT_EQ(o.grid().Col(), BidGrid::colKeyword);
        if (!c.doubleClick)
            o.w->toolButton("Property")->trigger();
        EXPECT_EQ(seen, QStringList{"hats"});
        // A key on the grid edits the clicked row too.
        QTest::keyClick(view, Qt::Key_Delete);
        EXPECT_TRUE(o.w->txtEdit->isVisible());
        o.w->txtEdit->setText("0.95");
        EXPECT_EQ(o.column(BidGrid::colNewBid).last(), "0.95");
        EXPECT_EQ(o.cell(1, BidGrid::colNewBid), "0.45");
        EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    }
}

// A refused edit keeps the editor and its row; the click chooses nothing.
TEST(frmAutoBid, AClickOnAnotherRowDuringARefusedEditKeepsTheEdit) {
    testenv::clearShownMsgBoxes();
    OpenWindow o;
    o.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(o.w));
    o.edit(1, "abc");
    testenv::answerMsgBox(seam::vbOK);
    QTableView *view = o.w->grdBidsManage;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(o.grid().index(2, BidGrid::colKeyword)).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes().first().text, "Invalid value, please enter a valid numeric value.");
    EXPECT_TRUE(o.w->txtEdit->isVisible());
    EXPECT_TRUE(o.w->txtEdit->hasFocus());
    EXPECT_EQ(o.w->txtEdit->selectedText(), "abc");
    EXPECT_EQ(o.grid().Row(), 1);
    EXPECT_EQ(o.grid().Col(), BidGrid::colNewBid);
}

TEST(frmAutoBid, ClosingAsksAndSavesTheSettings) {
    OpenWindow o;
    testenv::answerMsgBox(seam::vbNo);
    o.w->toolButton("Close")->trigger();
    ASSERT_TRUE(o.w);
    EXPECT_TRUE(o.w->isVisible());
    const seam::MessageBoxRequest box = testenv::shownMsgBoxes().last();
    EXPECT_EQ(box.text, "Are you sure you want to close AutoBid?");
    EXPECT_EQ(box.style, seam::vbYesNo | seam::vbInformation);
    EXPECT_EQ(box.title, "AutoBid");
    EXPECT_EQ(frmAutoBid::FindWindow("OVERTURE", "Main"), o.w.data());

    o.w->Manager().State().m_colKeywords->Item("shoes")->setBidTo("3");
    testenv::answerMsgBox(seam::vbYes);
    o.w->close();
    o.closeNow();
    EXPECT_FALSE(o.w);
    EXPECT_EQ(frmAutoBid::FindWindow("Overture", "main"), nullptr);
    EXPECT_TRUE(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")).startsWith("shoes;1.00;0.10;True;;;;0;3;\r\n"));
}

TEST(frmAutoBid, TheScheduledPassRunsOnceAndRaisesCompletedOnce) {
    testenv::setNow(bidfix::at("12:00"));
    OpenWindow o(false);
    QSignalSpy completed(o.w.data(), &frmAutoBid::Completed);
    int closedInHandler = 0;
    QObject::connect(o.w.data(), &frmAutoBid::Completed, o.w.data(), [&] {
        // The scheduler closes the window in its handler: no question then.
        ++closedInHandler;
        o.w->close();
    });
    o.w->tmrScheduler->setInterval(0);
    o.w->StartScheduledPass();
    ASSERT_TRUE(completed.wait(2000));
    o.closeNow();
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(closedInHandler, 1);
    EXPECT_FALSE(o.w);
    ASSERT_NE(o.windows.connect, nullptr);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}

TEST(frmAutoBid, AScheduledWindowThatEndsEarlyStillCompletesOnce) {
    struct Case {
        const char *name;
        std::function<void(OpenWindow &)> act;
    };
    const Case cases[] = {
        {"closed before its pass",
         [](OpenWindow &o) {
             testenv::answerMsgBox(seam::vbYes);
             o.w->close();
         }},
        {"fetch cancelled",
         [](OpenWindow &o) {
             o.windows.connect->cancelRuns = {true};
             o.w->tmrScheduler_Timer();
             testenv::answerMsgBox(seam::vbYes);  // a later close by the user changes nothing
             if (o.w)
                 o.w->close();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenWindow o(false);
        QSignalSpy completed(o.w.data(), &frmAutoBid::Completed);
        o.w->StartScheduledPass();
        c.act(o);
        o.closeNow();
        EXPECT_EQ(completed.count(), 1);
        EXPECT_FALSE(o.w);
    }
}

TEST(frmAutoBid, PropertyAppliesTheDialogsSettingsToTheSelectedRowsAndSavesBeforeTheNextRun) {
    OpenWindow o;
    QStringList seen;
    QString engineMin;
    BidManager::SettingsDialogHook() = [&](QWidget *owner, const QString &min, KeywordCollectionPtr keywords,
                                           const QStringList &selected) {
        EXPECT_EQ(owner, o.w.data());
        engineMin = min;
        seen = selected;
        for (const QString &k : selected)
            keywords->Item(k)->setBidTo("1");
        return true;
    };
    o.grid().setTextMatrix(1, BidGrid::colNewBid, "0.77");
    // Rows 2 and 3 selected from their keyword cells.
    o.grid().setSelection(3, 0, 2, 0);
    o.w->toolButton("Property")->trigger();
    EXPECT_EQ(seen, (QStringList{"boots", "hats"}));
    EXPECT_EQ(o.column(BidGrid::colTarget), (QStringList{"", "1", "1"}));
    // Recomputed for those rows only: boots holds position 1 already, hats bids over it.
    EXPECT_EQ(o.column(BidGrid::colNewBid), (QStringList{"0.77", "0.30", "0.96"}));
    EXPECT_TRUE(o.w->Manager().State().m_bSettingsDirty);

    // The settings are written before the next engine run.
    o.w->toolButton("Update")->trigger();
    EXPECT_FALSE(o.w->Manager().State().m_bSettingsDirty);
    EXPECT_TRUE(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")).contains("boots;1.00;0.10;True;;;;0;1;"));
    ASSERT_EQ(o.windows.connect->runs.size(), 2u);
    EXPECT_EQ(o.windows.connect->runs[1].newBids.value("hats"), "0.96");

    // A double click opens it too; with no keyword cell chosen it says so.
    o.grid().setCurrentCell(1, BidGrid::colNewBid);
    testenv::answerMsgBox(seam::vbOK);
    o.w->grdBidsManage_DblClick();
    EXPECT_EQ(testenv::shownMsgBoxes().last().text,
              "There is no keyword has been selected. Please select keyword(s) and try again.");
}

TEST(frmAutoBid, GetBidsOffersALookUpFirst) {
    struct Case { const char *name; QList<int> answers; bool lookUpCompletes; int lookUps; bool fetched; };
    const Case cases[] = {
        {"no look-up", {seam::vbNo}, true, 0, true},
        {"look-up completes", {seam::vbYes}, true, 1, true},
        {"look-up fails, fetch anyway", {seam::vbYes, seam::vbYes}, false, 1, true},
        {"look-up fails, stop", {seam::vbYes, seam::vbNo}, false, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::clearShownMsgBoxes();
        OpenWindow o(false);
        o.windows.lookUpCompletes = c.lookUpCompletes;
        for (int a : c.answers)
            testenv::answerMsgBox(a);
        o.w->toolButton("GetBid")->trigger();
        EXPECT_EQ(o.windows.lookUps.size(), c.lookUps);
        EXPECT_EQ(o.windows.connect->runs.size(), c.fetched ? 1u : 0u);
        ASSERT_GE(testenv::shownMsgBoxes().size(), 1);
        EXPECT_EQ(testenv::shownMsgBoxes().first().text,
                  "The keyword ranking details may be changed since you last look up.\r\n"
                  "Do you want to perform keyword look up again? ");
        EXPECT_EQ(testenv::shownMsgBoxes().first().style, seam::vbYesNo | seam::vbQuestion);
        if (c.answers.size() == 2) {
            EXPECT_EQ(testenv::shownMsgBoxes().last().text,
                      "Look up can not be completed. Do you still want to Get Bid from the engine server?");
        }
        EXPECT_EQ(o.w->stbPanel1->text(), c.fetched ? "Completed." : "");
    }
}

TEST(frmAutoBid, TheProgramsEndSavesEveryOpenWindowsSettings) {
    OpenWindow a(true, "main");
    OpenWindow b(true, "second");
    a.w->Manager().State().m_colKeywords->Item("hats")->setMaxBid("2.5");
    b.w->Manager().State().m_colKeywords->Item("boots")->setMinBid("0.2");
    frmAutoBid::SaveAllKeywordsSettings();
    EXPECT_TRUE(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")).contains("hats;2.5;0.10;"));
    EXPECT_TRUE(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "second")).contains("boots;1.00;0.2;"));
    EXPECT_EQ(frmAutoBid::FindWindow("overture", "SECOND"), b.w.data());
}

TEST(frmAutoBid, ReportWritesTheRunsReportAndOpensIt) {
    testenv::setNow(bidfix::at("12:00"));
    OpenWindow o;
    o.w->toolButton("Report")->trigger();
    const QString file = testenv::programDir() + "/reports/Overture/main_autobid.txt";
    ASSERT_EQ(testenv::shellOpened(), QStringList{file});
    const QByteArray report = testenv::readFile(file);
    EXPECT_TRUE(report.startsWith("Account Name:  main\r\nEngine Name:  Overture\r\n")) << report.constData();
    EXPECT_TRUE(report.contains("shoes")) << report.constData();
    EXPECT_FALSE(report.contains("boots")) << report.constData();  // unchanged bid
}
