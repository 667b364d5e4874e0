#pragma once
// The rules by which the look-up's results are marked: a bid stands more
// than a cent above the next one. Amounts are compared exactly, as money.

#include <QString>

class RankingRules {
public:
    // True when higher minus lower is more than 0.01 (exactly 0.01 is not).
    // Money texts may carry "$" or the pound sign; raises vb::VBError (13)
    // when either is not an amount.
    static bool HasBidGap(const QString &higher, const QString &lower);
    // The first price of a comma-joined list of own prices.
    static QString FirstOwnBid(const QString &curBids);
};
