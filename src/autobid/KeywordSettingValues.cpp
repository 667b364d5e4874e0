#include "autobid/KeywordSettingValues.h"

#include "core/clsKeyword.h"
#include "core/modCommon.h"
#include "platform/VB.h"

namespace {

const char *const kNoMaxBid = "Please specify your Maximum Bid.";
const char *const kNoMinBid = "Please specify your Minimum  Bid.";
const char *const kMinBelowEngine = "The Minimum bid you have entered is smaller than the engine required. ";
const char *const kMinBelowEngine2 = "please enter a value bigger than ";
const char *const kMaxBelowMin =
    "The Maximum Bid is smaller then Minimum Bid, please specify a correct bid range and try again.";
const char *const kBadStartTime = "Invalid Start Time value. Please enter a valid time format as 'hh:mm'.";
const char *const kBadEndTime = "Invalid End Time value. Please enter a valid time format as 'hh:mm'.";
const char *const kEndNotAfterStart = "The End Time must be later than the Start Time.";
const char *const kNoTarget = "Invalid Target Position.";
const char *const kTargetFive = "you targe position is 5. This program can not bid to the position lower than 5.";
const char *const kNoHigh = "Please specify a Higher Positon value.";
const char *const kNoLow = "Please specify a Lower Position value.";
const char *const kHighBelowLow =
    "The Higher position can not be lower than Lower position. Please specify a valid position range.";
const char *const kHighNotAboveTarget =
    "The Higher position can not be higher or equal to Target Positon. Please specify a valid position range.";
const char *const kBestHighBelowLow =
    " The Higher position can not be lower than Lower position. Please specify a valid position range.";

const QChar kRangeJoin = QLatin1Char('-');
const char *const kTrue = "True";

QString L(const char *s) { return QString::fromLatin1(s); }

// A bid the rules can use: an amount to the shared parser, and not negative.
bool readBid(const QString &text, vb::Currency *amount) {
    if (!IsNumericAmount(text))
        return false;
    *amount = StrToCurrency(text);
    return amount->scaled >= 0;
}

// A line break would split the settings file's line, so a time holding one
// is refused even where each part reads as a number.
bool validTime(const QString &text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return isValidTime(text);
}

// Minutes after midnight, read as the time check reads the text: the first
// part is the hour, the last the minutes.
double minutesOf(const QString &text) {
    const QStringList parts = vb::Split(text, QStringLiteral(":"));
    return vb::CDbl(parts.first()) * 60.0 + vb::CDbl(parts.last());
}

bool positionDigit(QChar c, int *position) {
    if (c < QLatin1Char('1') || c > QLatin1Char('5'))
        return false;
    *position = c.unicode() - '0';
    return true;
}

QString rangeText(int high, int low) { return QString::number(high) + kRangeJoin + QString::number(low); }

// The stored form of a checked bid: "#0.00" from the parsed amount.
QString bidText(const QString &typed) {
    if (!IsNumericAmount(typed))
        return typed;
    return vb::Format00(StrToCurrency(typed));
}

}  // namespace

bool KeywordSettingValues::ParsePosition(const QString &text, int *position) {
    int p = 0;
    if (text.size() != 1 || !positionDigit(text[0], &p))
        return false;
    if (position)
        *position = p;
    return true;
}

bool KeywordSettingValues::ParsePositionRange(const QString &text, int *high, int *low) {
    int h = 0, l = 0;
    if (text.size() != 3 || text[1] != kRangeJoin || !positionDigit(text[0], &h) || !positionDigit(text[2], &l) ||
        h > l)
        return false;
    if (high)
        *high = h;
    if (low)
        *low = l;
    return true;
}

KeywordSettingValues KeywordSettingValues::FromKeyword(const clsKeyword &keyword) {
    KeywordSettingValues v;
    if (IsNumericAmount(keyword.MaxBid()))
        v.maxBid = vb::Format00(StrToCurrency(keyword.MaxBid()));
    if (IsNumericAmount(keyword.MinBid()))
        v.minBid = vb::Format00(StrToCurrency(keyword.MinBid()));

    const QString &bidTo = keyword.BidTo();
    if (ParsePositionRange(bidTo, &v.bestHigh, &v.bestLow)) {
        v.option = BestOption;
    } else if (ParsePosition(bidTo, &v.target)) {
        v.option = TargetOption;
        v.range = ParsePositionRange(keyword.Range(), &v.high, &v.low);
    } else {
        v.option = GapOnlyOption;
    }

    v.autoBid = keyword.AutoBid() == L(kTrue);
    // A stored window is shown also with AutoBid off, so OK keeps it.
    if (!keyword.StartTime().isEmpty()) {
        v.timeBetween = true;
        v.startTime = keyword.StartTime();
        v.endTime = keyword.EndTime();
    }
    return v;
}

KeywordSettingValues::Fault KeywordSettingValues::Check(const QString &engineMin) const {
    vb::Currency max, min;
    if (!readBid(maxBid, &max))
        return {L(kNoMaxBid), MaxBidField};
    if (!readBid(minBid, &min))
        return {L(kNoMinBid), MinBidField};
    // An engine without a minimum bid sets no lower limit.
    if (IsNumericAmount(engineMin) && min < StrToCurrency(engineMin))
        return {L(kMinBelowEngine) + L(kMinBelowEngine2) + engineMin + QLatin1Char('.'), MinBidField};
    if (max < min)
        return {L(kMaxBelowMin), MaxBidField};

    // The times are checked whenever they are stored.
    if (timeBetween) {
        if (!validTime(startTime))
            return {L(kBadStartTime), StartTimeField};
        if (!validTime(endTime))
            return {L(kBadEndTime), EndTimeField};
        if (minutesOf(endTime) <= minutesOf(startTime))
            return {L(kEndNotAfterStart), EndTimeField};
    }

    if (option == TargetOption) {
        if (target == 0)
            return {L(kNoTarget), TargetField};
        if (target == 5 && range)
            return {L(kTargetFive), RangeField};
        if (range && target < 5) {
            if (high == 0)
                return {L(kNoHigh), HighField};
            if (low == 0)
                return {L(kNoLow), LowField};
            if (high > low)
                return {L(kHighBelowLow), HighField};
            if (high <= target)
                return {L(kHighNotAboveTarget), HighField};
        }
    } else if (option == BestOption) {
        if (bestHigh == 0)
            return {L(kNoHigh), BestHighField};
        if (bestLow == 0)
            return {L(kNoLow), BestLowField};
        if (bestHigh > bestLow)
            return {L(kBestHighBelowLow), BestHighField};
    }
    return {};
}

void KeywordSettingValues::ApplyTo(clsKeyword &keyword) const {
    keyword.setMaxBid(bidText(maxBid));
    keyword.setMinBid(bidText(minBid));
    keyword.setAutoBid(vb::BoolText(autoBid));
    // Stored while Between is ticked, even when AutoBid is off.
    keyword.setStartTime(timeBetween ? startTime : QString());
    keyword.setEndTime(timeBetween ? endTime : QString());

    QString bidTo;
    if (option == TargetOption && target > 0)
        bidTo = QString::number(target);
    else if (option == BestOption && bestHigh > 0 && bestLow > 0)
        bidTo = rangeText(bestHigh, bestLow);
    keyword.setBidTo(bidTo);
    // A half-chosen range is never written.
    keyword.setRange(range && high > 0 && low > 0 ? rangeText(high, low) : QString());
}
