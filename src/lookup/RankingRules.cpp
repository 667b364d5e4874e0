#include "lookup/RankingRules.h"

#include "core/modCommon.h"
#include "platform/VB.h"

namespace {
// One cent in currency units (1/10000).
constexpr std::int64_t kCent = 100;
}  // namespace

bool RankingRules::HasBidGap(const QString &higher, const QString &lower) {
    const vb::Currency gap = StrToCurrency(higher) - StrToCurrency(lower);
    return gap.scaled > kCent;
}

QString RankingRules::FirstOwnBid(const QString &curBids) {
    const int comma = int(curBids.indexOf(QLatin1Char(',')));
    return comma < 0 ? curBids : curBids.left(comma);
}
