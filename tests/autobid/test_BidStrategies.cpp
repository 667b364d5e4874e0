// The bid rules on one grid row, with amounts in single precision.

#include "BidFixtures.h"

#include "autobid/BidGrid.h"
#include "autobid/BidStrategies.h"
#include "core/modCommon.h"

#include <gtest/gtest.h>

using bidfix::at;
using bidfix::Bench;
using bidfix::KeywordRecord;

namespace {

const QStringList kSet1 = {"1.00", "0.90", "0.50", "0.45", "0.20"};

struct RuleCase {
    const char *name;
    KeywordRecord record;
    const char *engineMin;
    const char *cell;     // New Bid cell after the pass
    const char *newBid;   // keyword's NewBid
    const char *newPos;   // keyword's NewPos
    bool curRed;          // the gap rule shaved the bid
};

KeywordRecord gap(const char *cur, const char *next, const char *min = "0.10", const char *max = "1.00") {
    KeywordRecord s;
    s.curBid = cur;
    s.nextBid = next;
    s.minBid = min;
    s.maxBid = max;
    s.curPos = "3";
    s.newBid = "old";
    return s;
}

KeywordRecord rule(const char *cur, const char *curPos, const QStringList &bids, const char *bidTo,
                 const char *range = "", const char *min = "0.10", const char *max = "1.00") {
    KeywordRecord s;
    s.curBid = cur;
    s.curPos = curPos;
    s.bids = bids;
    s.bidTo = bidTo;
    s.range = range;
    s.minBid = min;
    s.maxBid = max;
    s.newBid = "old";
    return s;
}

}  // namespace

TEST(BidRules, EachRuleGivesItsBid) {
    const RuleCase cases[] = {
        // Gap rule.
        {"gap of ten cents is shaved", gap("$0.50", "$0.40"), "", "0.41", "0.41", "", true},
        {"one-cent gap stays", gap("$0.41", "$0.40"), "", "0.41", "0.41", "", false},
        {"two-cent gap is shaved", gap("$0.42", "$0.40"), "", "0.41", "0.41", "", true},
        {"next below the minimum gives the minimum", gap("$0.50", "$0.05"), "", "0.10", "0.10", "", true},
        {"current above the maximum", gap("$1.20", "$0.40"), "", "1.00", "1.00", "Unknow", true},
        {"current below the minimum, no next bid", gap("$0.05", ""), "", "0.10", "0.10", "Unknow", false},
        {"engine minimum above the current bid", gap("$0.50", "$0.40"), "0.60", "0.50", "old", "", false},
        {"engine minimum equal to the current bid", gap("$0.50", "$0.40"), "0.50", "0.41", "0.41", "", true},
        {"engine minimum that is no amount counts as 0", gap("$0.50", "$0.40"), "n/a", "0.41", "0.41", "", true},
        {"pound amounts", gap("\u00A30.50", "\u00A30.40"), "", "0.41", "0.41", "", true},
        {"current bid that is no amount", gap("N/A", "$0.40"), "", "old", "old", "", false},
        {"empty limits take the account's (0.1 to 1)", gap("$1.50", "$0.40", "", ""), "", "1.00", "1.00", "Unknow",
         true},

        // Best value position between 2 and 4.
        {"best value: largest gap below the maximum", rule("$0.30", "5", kSet1, "2-4", "", "0.10", "0.95"), "",
         "0.51", "0.51", "3", false},
        {"best value: equal gaps go to the lower position",
         rule("$0.30", "5", {"1.00", "0.80", "0.60", "0.40"}, "2-4", "", "0.10", "0.90"), "", "0.41", "0.41", "4",
         false},
        {"best value: already holding the position", rule("$0.50", "3", kSet1, "2-4", "", "0.10", "0.95"), "",
         "0.50", "0.50", "", false},
        {"best value: nothing under the maximum", rule("$0.30", "5", kSet1, "2-4", "", "0.10", "0.30"), "", "0.30",
         "0.30", "", false},
        {"best value: a dash in the range ends it", rule("$0.30", "5", {"1.00", "0.90", "0.50", "-", "0.20"}, "2-4",
                                                         "", "0.10", "0.95"),
         "", "0.30", "0.30", "", false},
        {"best value: a minimum above the maximum wins",
         rule("$0.50", "5", {"1.00", "0.30", "0.20", "0.10", "0.05"}, "2-4", "", "0.60", "0.40"), "", "0.60", "0.60",
         "2", false},
        {"best value: range from position 1", rule("$0.30", "5", {"0.80", "0.70", "0.20"}, "1-3"), "", "0.21",
         "0.21", "3", false},

        // Target position.
        {"target 2", rule("$0.30", "4", {"1.00", "0.80", "0.50", "0.40"}, "2"), "", "0.81", "0.81", "2", false},
        {"target over the maximum falls back to the range",
         rule("$0.35", "4", {"1.00", "0.80", "0.60", "0.50", "0.30"}, "2", "3-5", "0.10", "0.80"), "", "0.31",
         "0.31", "5", false},
        {"target 5 over the maximum has no fallback",
         rule("$0.30", "4", {"1.00", "0.90", "0.80", "0.70", "0.60"}, "5", "3-5", "0.10", "0.50"), "", "0.30",
         "0.30", "", false},
        {"target already held: only the gap rule", rule("$0.30", "2", {"1.00", "0.80"}, "2"), "", "0.30", "0.30", "",
         false},
        {"target bid under the minimum", rule("$0.30", "4", {"1.00", "0.05"}, "2"), "", "0.10", "0.10", "2", false},
        {"standing higher with the target's bid", rule("$0.80", "1", {"1.00", "0.80"}, "2"), "", "0.80", "0.80", "",
         false},
        {"target bid that is no amount, no range", rule("$0.30", "4", {"1.00", "N/A"}, "2"), "", "0.30", "0.30", "",
         false},

        // In single precision 0.15 + 0.01 lands above a maximum of 0.16, while
        // 0.14 + 0.01 stays at 0.15: the first gives up, the second bids.
        {"single precision: 0.15 + 0.01 exceeds 0.16", rule("$0.10", "4", {"1.00", "0.15"}, "2", "", "0.05", "0.16"),
         "", "0.10", "0.10", "", false},
        {"single precision: 0.14 + 0.01 stays within 0.15",
         rule("$0.10", "4", {"1.00", "0.14"}, "2", "", "0.05", "0.15"), "", "0.15", "0.15", "2", false},
        {"single precision: 4.01 + 0.01 exceeds 4.02", rule("$3.00", "4", {"5.00", "4.01"}, "2", "", "0.05", "4.02"),
         "", "3.00", "3.00", "", false},

        // Position texts that are no rule: the gap rule alone.
        {"target 7", rule("$0.30", "4", kSet1, "7", "3-5"), "", "0.30", "0.30", "", false},
        {"range past position 5", rule("$0.30", "5", kSet1, "2-9", "", "0.10", "0.95"), "", "0.30", "0.30", "",
         false},
        {"range with a letter", rule("$0.30", "5", kSet1, "2-x", "", "0.10", "0.95"), "", "0.30", "0.30", "", false},
        {"range lower position first", rule("$0.30", "5", kSet1, "4-2", "", "0.10", "0.95"), "", "0.30", "0.30", "",
         false},
        {"two-digit target", rule("$0.30", "5", kSet1, "12", "3-5", "0.10", "0.95"), "", "0.30", "0.30", "", false},
        {"fallback range that is no range",
         rule("$0.30", "4", {"1.00", "0.80", "0.60", "0.50", "0.30"}, "2", "3-x", "0.10", "0.80"), "", "0.30",
         "0.30", "", false},
    };
    for (const RuleCase &c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.manager.State().m_sEngineMinBid = c.engineMin;
        b.add(c.record);
        b.show();
        b.manager.Strategies().ChangeNewBidColumToPosition(0, 0);
        EXPECT_EQ(b.cell(1, BidGrid::colNewBid), c.cell);
        EXPECT_EQ(b.keyword().NewBid(), c.newBid);
        EXPECT_EQ(b.keyword().NewPos(), c.newPos);
        EXPECT_EQ(b.manager.Grid().CellForeColor(1, BidGrid::colCurBid) == BidGrid::kRed, c.curRed);
        // Empty limits are filled from the account's and kept.
        if (c.record.minBid.isEmpty()) {
            EXPECT_EQ(b.keyword().MinBid() + "-" + b.keyword().MaxBid(), "0.1-1");
        }
        if (IsNumericAmount(c.cell) && IsNumericAmount(c.record.curBid)) {
            EXPECT_EQ(b.manager.Grid().CellForeColor(1, BidGrid::colNewBid),
                      StrToCurrency(c.cell) == StrToCurrency(c.record.curBid) ? BidGrid::kBlack : BidGrid::kBlue);
        }
    }
    EXPECT_TRUE(testenv::errorLog().isEmpty()) << testenv::errorLog().constData();
}

TEST(BidRules, TheDriverLeavesRowsAloneUntilBidsAreLoadedAndOutsideItsRange) {
    Bench b;
    KeywordRecord second = gap("$0.50", "$0.40");
    second.keyword = "boots";
    b.add(gap("$0.50", "$0.40"));
    b.add(second);
    b.show();
    b.manager.State().m_bBidsLoaded = false;
    b.manager.Strategies().ChangeNewBidColumToPosition(0, 0);
    EXPECT_EQ(b.cell(1, BidGrid::colNewBid), "old");
    b.manager.State().m_bBidsLoaded = true;
    b.manager.Strategies().ChangeNewBidColumToPosition(0, 1);  // a start below 1 is no range
    EXPECT_EQ(b.cell(1, BidGrid::colNewBid), "old");
    b.manager.Strategies().ChangeNewBidColumToPosition(2, 2);
    EXPECT_EQ(b.cell(1, BidGrid::colNewBid), "old");
    EXPECT_EQ(b.cell(2, BidGrid::colNewBid), "0.41");
}

TEST(BidRules, AScheduledPassChangesOnlyWhatItMay) {
    struct Case {
        const char *name;
        const char *now;
        KeywordRecord record;
        const char *engine;
        const char *limitWord;
        bool scheduled;
        bool allowed;
    };
    auto k = [](const char *autoBid, const char *start = "", const char *end = "", const char *first = "",
                const char *count = "0") {
        KeywordRecord s;
        s.autoBid = autoBid;
        s.startTime = start;
        s.endTime = end;
        s.firstUpdate = first;
        s.updateNumber = count;
        return s;
    };
    const char *threeHoursAgo = "2024-06-12 09:10:00";
    const Case cases[] = {
        {"manual pass, AutoBid off", "12:00", k("False"), "Overture", "Overture", false, true},
        {"AutoBid empty", "12:00", k(""), "Overture", "Overture", true, false},
        {"AutoBid off", "12:00", k("False"), "Overture", "Overture", true, false},
        {"AutoBid on, no window", "12:00", k("True"), "Overture", "Overture", true, true},
        {"window start minute", "09:00", k("True", "09:00", "17:00"), "Overture", "Overture", true, false},
        {"one minute into the window", "09:01", k("True", "09:00", "17:00"), "Overture", "Overture", true, true},
        {"last minute of the window", "16:59", k("True", "09:00", "17:00"), "Overture", "Overture", true, true},
        {"window end minute", "17:00", k("True", "09:00", "17:00"), "Overture", "Overture", true, false},
        {"window over midnight", "23:30", k("True", "22:00", "02:00"), "Overture", "Overture", true, false},
        {"start without an end", "12:00", k("True", "09:00"), "Overture", "Overture", true, false},
        {"sixth change three hours ago", "12:00", k("True", "", "", threeHoursAgo, "6"), "Overture", "Overture", true,
         false},
        {"same on Overture(UK)", "12:00", k("True", "", "", threeHoursAgo, "6"), "Overture(UK)", "Overture", true,
         false},
        {"same, manual pass", "12:00", k("True", "", "", threeHoursAgo, "6"), "Overture", "Overture", false, true},
        {"same on FindWhat", "12:00", k("True", "", "", threeHoursAgo, "6"), "FindWhat", "Overture", true, true},
        {"same with the limit switched off", "12:00", k("True", "", "", threeHoursAgo, "6"), "Overture",
         "Overture-OFF", true, true},
        {"fifth change three hours ago", "12:00", k("True", "", "", threeHoursAgo, "5"), "Overture", "Overture", true,
         true},
        {"sixth change in the same clock hour", "09:59", k("True", "", "", "2024-06-12 09:10:00", "6"), "Overture",
         "Overture", true, true},
        {"sixth change 23 hour boundaries ago", "08:00", k("True", "", "", "2024-06-11 09:59:00", "6"), "Overture",
         "Overture", true, false},
        {"sixth change 24 hour boundaries ago", "09:00", k("True", "", "", "2024-06-11 09:59:00", "6"), "Overture",
         "Overture", true, true},
        {"first change in the future", "12:00", k("True", "", "", "2024-06-13 09:00:00", "6"), "Overture", "Overture",
         true, true},
        {"first change in the general date form", "12:00", k("True", "", "", "6/12/2024 9:10:00 AM", "6"),
         "Overture", "Overture", true, false},
        {"unreadable first change", "12:00", k("True", "", "", "12.06.2024 09:10", "6"), "Overture", "Overture", true,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::setNow(at(c.now));
        Bench b(c.engine);
        b.manager.State().m_sLimitEngines = c.limitWord;
        b.manager.State().m_bIsSchedler = c.scheduled;
        EXPECT_EQ(b.manager.Strategies().AllowChangeBid(*bidfix::makeKeyword(c.record)), c.allowed);
    }
    EXPECT_TRUE(testenv::errorLog().isEmpty()) << testenv::errorLog().constData();
}

TEST(BidRules, AnUnreadableSwitchOrTimeRefusesWithItsLogRecord) {
    testenv::setNow(at("12:00"));
    Bench b;
    b.manager.State().m_bIsSchedler = true;
    KeywordRecord s;
    s.autoBid = "maybe";
    EXPECT_FALSE(b.manager.Strategies().AllowChangeBid(*bidfix::makeKeyword(s)));
    s.autoBid = "True";
    s.startTime = "25:00";
    s.endTime = "26:00";
    EXPECT_FALSE(b.manager.Strategies().AllowChangeBid(*bidfix::makeKeyword(s)));
    EXPECT_EQ(testenv::errorLog(), "frmAutoBid_AllowChangeBid error: Type mismatch\r\n\r\n"
                                   "frmAutoBid_AllowChangeBid error: Type mismatch\r\nm_bIsSchedler=TrueTrue\r\n");
}

TEST(BidRules, AScheduledPassSkipsRowsItMayNotChangeButColoursThem) {
    testenv::setNow(at("12:00"));
    Bench b;
    KeywordRecord s = gap("$0.50", "$0.40");
    s.newBid = "0.50";
    s.autoBid = "False";
    b.add(s);
    b.show();
    b.manager.Grid().setCellForeColor(1, BidGrid::colNewBid, BidGrid::kBlue);
    b.manager.State().m_bIsSchedler = true;
    b.manager.Strategies().ChangeNewBidColumToPosition(0, 0);
    EXPECT_EQ(b.cell(1, BidGrid::colNewBid), "0.50");
    EXPECT_EQ(b.manager.Grid().CellForeColor(1, BidGrid::colNewBid), BidGrid::kBlack);
}

TEST(BidRules, AChangeWindowIsOverAfter24HourBoundariesOrWhenUnreadable) {
    testenv::setNow(at("12:00"));
    struct Case { const char *time; bool due; };
    const Case cases[] = {
        {"", true},
        {"2024-06-11 13:59:59", false},  // 23 boundaries
        {"2024-06-11 12:59:00", true},   // 24 boundaries
        {"2024-06-11 12:00:00", true},
        {"2024-06-12 11:00:00", false},
        {"2024-06-13 09:00:00", true},   // in the future
        {"6/11/2024 1:30:00 PM", false},
        {"6/11/2024 11:30:00 AM", true},
        {"not a time", true},
        {"13/45/2024", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_EQ(BidStrategies::IsUpdateDue(c.time), c.due);
    }
}

TEST(BidRules, PositionTextsAreDigitsOneToFiveHigherFirst) {
    struct Case { const char *text; bool target; bool range; };
    const Case cases[] = {{"1", true, false},   {"5", true, false},    {"0", false, false},  {"6", false, false},
                          {"", false, false},   {" 2", false, false},  {"2-4", false, true}, {"3-3", false, true},
                          {"4-2", false, false}, {"2-9", false, false}, {"2-x", false, false}, {"2 - 4", false, false},
                          {"1-5", false, true}, {"12", false, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BidStrategies::ParseTarget(c.text, nullptr), c.target);
        EXPECT_EQ(BidStrategies::ParseRange(c.text, nullptr, nullptr), c.range);
    }
}

TEST(BidRules, SelectedRowsNeedAKeywordCell) {
    Bench b;
    for (const char *k : {"a", "b", "c", "d"}) {
        KeywordRecord s;
        s.keyword = k;
        b.add(s);
    }
    b.show();
    int first = 0, last = 0;
    BidGrid &grid = b.manager.Grid();
    grid.setSelection(4, 0, 2, 3);
    b.manager.Strategies().GetSelectedRows(first, last);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 4);

    for (auto cell : {std::pair<int, int>{2, 10}, {0, 0}}) {
        first = last = 0;
        grid.setCurrentCell(cell.first, cell.second);
        testenv::answerMsgBox(seam::vbOK);
        b.manager.Strategies().GetSelectedRows(first, last);
        EXPECT_EQ(first, 0);
        EXPECT_EQ(last, 0);
        ASSERT_FALSE(testenv::shownMsgBoxes().isEmpty());
        const seam::MessageBoxRequest &box = testenv::shownMsgBoxes().last();
        EXPECT_EQ(box.text, "There is no keyword has been selected. Please select keyword(s) and try again.");
        EXPECT_EQ(box.title, "VedaZez - Evu Di Duv 3");
        EXPECT_EQ(box.icon(), seam::vbInformation);
    }
}
