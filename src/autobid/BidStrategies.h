#pragma once
// The bid rules over the grid's rows, without a screen: shave the gap to the
// next bid, bid to a target position, bid to the best-value position of a
// range, always between the keyword's minimum and maximum; whether a
// scheduled pass may change a keyword now (AutoBid switch, daily time
// window, six changes in 24 hours on the limited engines); the New Bid
// colours. Amounts are single-precision values of the money texts, the bid
// step 0.01 is added in double precision and the sum kept as a single.

#include <QDateTime>
#include <QString>

#include "autobid/BidWindowState.h"

class BidGrid;
class clsKeyword;

class BidStrategies {
public:
    // The bid step and the gap a rule leaves alone.
    static constexpr double kBidStep = 0.01;
    // Changes allowed inside one window on the limited engines.
    static constexpr int kChangeLimit = 6;
    static constexpr int kWindowHours = 24;
    static const char *const kUnknownPosition;  // "Unknow"

    BidStrategies(BidWindowState &state, BidGrid &grid) : m_state(state), m_grid(grid) {}

    // Applies the rules to the rows iStartRow..iEndRow (0, 0: every keyword
    // row) and colours their New Bid cells.
    void ChangeNewBidColumToPosition(int iStartRow, int iEndRow);
    bool AllowChangeBid(const clsKeyword &keyword);
    void EliminateGap(int iStartRow, int iEndRow);
    // iHigh, iLow 0, 0: the keyword's Range.
    void BidToBest(clsKeyword &keyword, int iRow, int iHigh, int iLow);
    void BidtoTarget(clsKeyword &keyword, int iRow, bool &bOK);
    // The bid shown at the BidTo position, or -1.
    void GetTargetBid(const clsKeyword &keyword, float &sngBid);
    // The first and last selected keyword rows; nothing set (with a message)
    // when no keyword cell is chosen.
    void GetSelectedRows(int &iFirst, int &iLast);

    // Is the change window that started at sTime over: empty, unreadable,
    // 24 hour boundaries or more ago, or in the future.
    static bool IsUpdateDue(const QString &sTime);

    // Position texts: one digit 1-5 (a target), or two joined by "-" with
    // the higher position first (a range). Anything else is not a rule.
    static bool ParseTarget(const QString &text, int *position);
    static bool ParseRange(const QString &text, int *high, int *low);

    // The stored form of the first change's time ("yyyy-MM-dd HH:mm:ss",
    // local time) and its reader, which also takes the general date form.
    static QString UpdateTimeText(const QDateTime &time);
    static bool ReadUpdateTime(const QString &text, QDateTime *time);

private:
    // An empty keyword minimum or maximum takes the account's.
    void FillBidLimits(clsKeyword &keyword) const;
    // The keyword's limits (filled as above) and a current bid, as singles;
    // false when any of the three is not an amount.
    bool ReadBidLimits(clsKeyword &keyword, const QString &curText, float *min, float *max, float *cur) const;
    clsKeyword &KeywordOfRow(int iRow) const;
    void setNewBidCell(int iRow, const QString &text);
    // The row's New Bid cell and the keyword's new bid.
    void setNewBid(clsKeyword &keyword, int iRow, float bid);

    BidWindowState &m_state;
    BidGrid &m_grid;
};
