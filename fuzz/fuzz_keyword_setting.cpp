// A keyword's stored bid settings as the settings dialog reads them: whatever
// the settings file held, the dialog shows only rules its lists can hold, and
// values that pass its checks are written back in a form that splits no
// settings line and that shows again exactly as before (OK without changes
// keeps the values).
//
// Input: the stored fields MaxBid;MinBid;AutoBid;StartTime;EndTime;BidTo;Range
// as Windows-1252 text (missing fields are empty).

#include "autobid/KeywordSettingValues.h"
#include "core/clsKeyword.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <cstdint>
#include <cstdlib>
#include <tuple>

namespace {

bool inList(int position) { return position >= 1 && position <= 5; }

// The shown rule is one the five lists can hold.
bool showable(const KeywordSettingValues &v) {
    switch (v.option) {
    case KeywordSettingValues::TargetOption:
        return inList(v.target) && (!v.range || (inList(v.high) && inList(v.low) && v.high <= v.low));
    case KeywordSettingValues::BestOption:
        return inList(v.bestHigh) && inList(v.bestLow) && v.bestHigh <= v.bestLow && !v.range;
    case KeywordSettingValues::GapOnlyOption:
        return v.target == 0 && !v.range && v.bestHigh == 0;
    default:
        return false;
    }
}

bool splitsALine(const QString &text) {
    for (QChar c : text)
        if (c == QLatin1Char(';') || c.unicode() < 0x20)
            return true;
    return false;
}

auto fields(const KeywordSettingValues &v) {
    return std::tie(v.maxBid, v.minBid, v.autoBid, v.timeBetween, v.startTime, v.endTime, v.option, v.target,
                    v.range, v.high, v.low, v.bestHigh, v.bestLow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = [] {
        // The time check never needs to ask the user anything.
        seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) -> int { std::abort(); });
        return true;
    }();
    (void)quiet;

    const QString line = platform::FromAnsi(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList f = line.split(QLatin1Char(';'));
    while (f.size() < 7)
        f.append(QString());

    clsKeyword stored;
    stored.setMaxBid(f[0]);
    stored.setMinBid(f[1]);
    stored.setAutoBid(f[2]);
    stored.setStartTime(f[3]);
    stored.setEndTime(f[4]);
    stored.setBidTo(f[5]);
    stored.setRange(f[6]);

    const KeywordSettingValues shown = KeywordSettingValues::FromKeyword(stored);
    if (!showable(shown))
        std::abort();
    if (shown.Check(QStringLiteral("0.10")) && shown.Check(QString()))
        return 0;

    clsKeyword written;
    shown.ApplyTo(written);
    for (const QString &text : {written.MaxBid(), written.MinBid(), written.AutoBid(), written.StartTime(),
                                written.EndTime(), written.BidTo(), written.Range()})
        if (splitsALine(text))
            std::abort();
    if (!written.BidTo().isEmpty() && !KeywordSettingValues::ParsePosition(written.BidTo(), nullptr) &&
        !KeywordSettingValues::ParsePositionRange(written.BidTo(), nullptr, nullptr))
        std::abort();
    if (!written.Range().isEmpty() && !KeywordSettingValues::ParsePositionRange(written.Range(), nullptr, nullptr))
        std::abort();

    const KeywordSettingValues again = KeywordSettingValues::FromKeyword(written);
    if (fields(again) != fields(shown))
        std::abort();
    return 0;
}
