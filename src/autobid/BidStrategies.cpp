#include "autobid/BidStrategies.h"

#include "autobid/BidGrid.h"
#include "core/clsKeyword.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <exception>

namespace {

const char *const kDriverLog = "frmAutoBid_ChangeNewBidColumToPosition error: ";
const char *const kGapLog = "frmAutoBid_EliminateGap error:  ";
const char *const kBestLog = "frmAotoBid_BidToBest Error: ";
const char *const kTargetLog = "frmAutoBid BidtoTarget error:  ";
const char *const kTargetBidLog = "frmAutoBid_GetTargetBid error: ";
const char *const kAllowLog = "frmAutoBid_AllowChangeBid error: ";
const char *const kNoteSwitch = "m_bIsSchedler=";
const char *const kNoteWindow = "startTimr=";
const char *const kNoteLimit = "FirstUpdateTime=";
const char *const kNoSelection = "There is no keyword has been selected. Please select keyword(s) and try again.";
const char *const kNoSelectionTitle = "VedaZez - Evu Di Duv 3";
const char *const kUpdateTimeForm = "yyyy-MM-dd HH:mm:ss";

QString L(const char *s) { return QString::fromLatin1(s); }

void logError(const char *label, const std::exception &e, const QString &note = QString()) {
    QString text = L(label) + vb::Describe(e);
    if (!note.isNull())
        text += QStringLiteral("\r\n") + note;
    WriteErrorLog(text);
}

// Bids are shown "#0.00" with "." always.
QString bidText(float value) { return vb::Format00(double(value)); }

// value + one bid step, added in double precision and kept as a single.
float plusStep(float value) { return vb::CSng(double(value) + BidStrategies::kBidStep); }

// A difference of two singles, rounded to cents and kept as a single.
float centGap(float a, float b) {
    const float d = a - b;
    return vb::CSng(vb::Round(double(d), 2));
}

// A daily clock time "h:mm" (or "h:mm:ss") on a given day; raises when it is not a time.
QDateTime clockTimeOn(const QDate &day, const QString &text) {
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        vb::Raise(vb::errTypeMismatch);
    int values[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            vb::Raise(vb::errTypeMismatch);
    }
    const QTime time(values[0], values[1], values[2]);
    if (!time.isValid())
        vb::Raise(vb::errTypeMismatch);
    return QDateTime(day, time);
}

}  // namespace

const char *const BidStrategies::kUnknownPosition = "Unknow";

// ---- position texts and stored times ------------------------------------------

bool BidStrategies::ParseTarget(const QString &text, int *position) {
    if (text.size() != 1 || text[0] < QLatin1Char('1') || text[0] > QLatin1Char('5'))
        return false;
    if (position)
        *position = text[0].unicode() - '0';
    return true;
}

bool BidStrategies::ParseRange(const QString &text, int *high, int *low) {
    int h = 0, l = 0;
    if (text.size() != 3 || text[1] != QLatin1Char('-') || !ParseTarget(text.left(1), &h) ||
        !ParseTarget(text.right(1), &l) || h > l)
        return false;
    if (high)
        *high = h;
    if (low)
        *low = l;
    return true;
}

QString BidStrategies::UpdateTimeText(const QDateTime &time) { return time.toString(L(kUpdateTimeForm)); }

bool BidStrategies::ReadUpdateTime(const QString &text, QDateTime *time) {
    const QDateTime fixed = QDateTime::fromString(text.trimmed(), L(kUpdateTimeForm));
    if (fixed.isValid()) {
        if (time)
            *time = fixed;
        return true;
    }
    // Files written before the fixed form hold the general date form.
    return vb::ParseDate(text, time);
}

bool BidStrategies::IsUpdateDue(const QString &sTime) {
    if (sTime.isEmpty())
        return true;
    QDateTime first;
    if (!ReadUpdateTime(sTime, &first))
        return true;
    const long long hours = vb::DateDiff(QStringLiteral("h"), first, seam::Now());
    return hours >= kWindowHours || hours < 0;
}

// ---- helpers -------------------------------------------------------------------

void BidStrategies::FillBidLimits(clsKeyword &keyword) const {
    if (!m_state.m_oAccount)
        return;
    if (keyword.MinBid().isEmpty())
        keyword.setMinBid(vb::SingleText(m_state.m_oAccount->MinBid()));
    if (keyword.MaxBid().isEmpty())
        keyword.setMaxBid(vb::SingleText(m_state.m_oAccount->MaxBid()));
}

bool BidStrategies::ReadBidLimits(clsKeyword &keyword, const QString &curText, float *min, float *max,
                                  float *cur) const {
    FillBidLimits(keyword);
    if (!IsNumericAmount(keyword.MinBid()) || !IsNumericAmount(keyword.MaxBid()) || !IsNumericAmount(curText))
        return false;
    *min = StrToSingle(keyword.MinBid());
    *max = StrToSingle(keyword.MaxBid());
    *cur = StrToSingle(curText);
    return true;
}

clsKeyword &BidStrategies::KeywordOfRow(int iRow) const {
    return *m_state.m_colKeywords->Item(m_grid.TextMatrix(iRow, BidGrid::colKeyword));
}

void BidStrategies::setNewBidCell(int iRow, const QString &text) {
    m_grid.setTextMatrix(iRow, BidGrid::colNewBid, text);
}

void BidStrategies::setNewBid(clsKeyword &keyword, int iRow, float bid) {
    setNewBidCell(iRow, bidText(bid));
    keyword.setNewBid(bidText(bid));
}

// ---- the driver ------------------------------------------------------------------

void BidStrategies::ChangeNewBidColumToPosition(int iStartRow, int iEndRow) {
    try {
        if (!m_state.m_colKeywords || m_state.m_colKeywords->isEmpty() || !m_state.m_bBidsLoaded)
            return;
        if (iStartRow == 0 && iEndRow == 0) {
            iStartRow = 1;
            iEndRow = m_grid.Rows() - 1;
        } else if (iStartRow < 1) {
            return;
        }
        // No events are let in here: a close or a second run must not reach
        // the window while its rows are being changed.
        for (int row = iStartRow; row <= iEndRow; ++row) {
            clsKeyword &keyword = KeywordOfRow(row);
            if (AllowChangeBid(keyword)) {
                EliminateGap(row, row);
                const QString bidTo = keyword.BidTo();
                int high = 0, low = 0;
                if (ParseRange(bidTo, &high, &low)) {
                    BidToBest(keyword, row, high, low);
                } else if (ParseTarget(bidTo, nullptr)) {
                    if (keyword.CurPos() != bidTo) {
                        bool ok = false;
                        BidtoTarget(keyword, row, ok);
                        if (bidTo != QLatin1String("5") && !ok && !keyword.Range().isEmpty())
                            BidToBest(keyword, row, 0, 0);
                    }
                }
                // Any other position text is no rule: the gap rule alone applies.
            }
            const QString cur = m_grid.TextMatrix(row, BidGrid::colCurBid);
            const QString next = m_grid.TextMatrix(row, BidGrid::colNewBid);
            if (IsNumericAmount(cur) && IsNumericAmount(next))
                m_grid.setCellForeColor(row, BidGrid::colNewBid,
                                        StrToCurrency(cur) != StrToCurrency(next) ? BidGrid::kBlue : BidGrid::kBlack);
        }
    } catch (const std::exception &e) {
        logError(kDriverLog, e);
    }
}

bool BidStrategies::AllowChangeBid(const clsKeyword &keyword) {
    if (!m_state.m_bIsSchedler)
        return true;
    QString note;
    try {
        if (keyword.AutoBid().isEmpty() || !vb::CBool(keyword.AutoBid()))
            return false;
        note = L(kNoteSwitch) + QStringLiteral("True") + keyword.AutoBid();

        const QDateTime now = seam::Now();
        bool inWindow = true;
        if (!keyword.StartTime().isEmpty()) {
            const QDateTime start = clockTimeOn(now.date(), keyword.StartTime());
            // A start without an end leaves no window.
            inWindow = !keyword.EndTime().isEmpty();
            if (inWindow) {
                const QDateTime end = clockTimeOn(now.date(), keyword.EndTime());
                inWindow = vb::DateDiff(QStringLiteral("n"), start, now) > 0 &&
                           vb::DateDiff(QStringLiteral("n"), end, now) < 0;
            }
        }
        note = L(kNoteWindow) + keyword.StartTime();
        if (!inWindow)
            return false;

        if (m_state.m_sEngine.contains(m_state.m_sLimitEngines) && !keyword.FirstUpdateTime().isEmpty() &&
            vb::CInt(keyword.UpdateNumber()) >= kChangeLimit) {
            QDateTime first;
            // An unreadable time is a window that is over.
            if (ReadUpdateTime(keyword.FirstUpdateTime(), &first)) {
                const long long hours = vb::DateDiff(QStringLiteral("h"), first, now);
                if (hours >= 1 && hours < kWindowHours)
                    return false;
            }
        }
        note = L(kNoteLimit) + keyword.FirstUpdateTime();
        return true;
    } catch (const std::exception &e) {
        logError(kAllowLog, e, note.isNull() ? QStringLiteral("") : note);
        return false;
    }
}

// ---- the rules -----------------------------------------------------------------------

void BidStrategies::EliminateGap(int iStartRow, int iEndRow) {
    try {
        for (int row = iStartRow; row <= iEndRow; ++row) {
            clsKeyword &keyword = KeywordOfRow(row);
            float min = 0, max = 0, cur = 0;
            if (!ReadBidLimits(keyword, m_grid.TextMatrix(row, BidGrid::colCurBid), &min, &max, &cur))
                return;
            setNewBidCell(row, bidText(cur));

            // An engine without a numeric minimum has none.
            const float engineMin = IsNumericAmount(m_state.m_sEngineMinBid) ? StrToSingle(m_state.m_sEngineMinBid) : 0.0f;
            if (engineMin > cur)
                return;

            const QString nextText = m_grid.TextMatrix(row, BidGrid::colNextBid);
            if (IsNumericAmount(nextText)) {
                const float next = StrToSingle(nextText);
                const float base = next >= min ? next : min;
                if (double(centGap(cur, base)) > kBidStep) {
                    setNewBidCell(row, next >= min ? bidText(plusStep(next)) : bidText(min));
                    m_grid.setCellForeColor(row, BidGrid::colCurBid, BidGrid::kRed);
                }
                if (StrToSingle(m_grid.TextMatrix(row, BidGrid::colNewBid)) > max) {
                    setNewBidCell(row, bidText(max));
                    keyword.setNewPos(L(kUnknownPosition));
                }
            }
            if (cur < min) {
                setNewBidCell(row, bidText(min));
                keyword.setNewPos(L(kUnknownPosition));
            }
            if (cur > max) {
                setNewBidCell(row, bidText(max));
                keyword.setNewPos(L(kUnknownPosition));
            }
            keyword.setNewBid(m_grid.TextMatrix(row, BidGrid::colNewBid));
        }
    } catch (const std::exception &e) {
        logError(kGapLog, e);
    }
}

void BidStrategies::BidToBest(clsKeyword &keyword, int iRow, int iHigh, int iLow) {
    try {
        if (iHigh == 0 && iLow == 0) {
            if (!ParseRange(keyword.Range(), &iHigh, &iLow))
                return;
        }
        if (iHigh > iLow || iHigh < 1 || iLow > 5)
            return;
        float min = 0, max = 0, cur = 0;
        if (!ReadBidLimits(keyword, keyword.CurBid(), &min, &max, &cur))
            return;
        const QString texts[6] = {QString(),           keyword.FirstBid(), keyword.SecondBid(),
                                  keyword.ThirdBid(),  keyword.FourthBid(), keyword.FifthBid()};
        float bids[6] = {0, 0, 0, 0, 0, 0};

        int pos = 0;
        for (int i = iHigh; i <= iLow; ++i) {
            if (!IsNumericAmount(texts[i]))
                return;
            bids[i] = StrToSingle(texts[i]);
            if (pos == 0 && bids[i] < max)
                pos = i;
        }
        if (pos == 0)
            return;
        // The pair just above the range is weighed too.
        if (pos > 1) {
            --pos;
            if (pos < iHigh) {
                if (!IsNumericAmount(texts[pos]))
                    return;
                bids[pos] = StrToSingle(texts[pos]);
            }
        }

        int newPos = pos;
        float newBid = 0;
        if (pos != iLow) {
            float best = 0;
            for (int i = pos; i <= iLow - 1; ++i) {
                const float d = centGap(bids[i], bids[i + 1]);
                if (best <= d) {
                    best = d;
                    newPos = i + 1;
                }
            }
            newBid = bids[newPos];
        } else {
            newBid = bids[iLow];
        }

        if (vb::IsNumeric(keyword.CurPos()) && cur == newBid && newPos >= vb::CInt(keyword.CurPos())) {
            setNewBid(keyword, iRow, newBid);
            return;
        }
        newBid = plusStep(newBid);
        if (newBid > max)
            newBid = max;
        if (newBid < min)
            newBid = min;
        if (newBid <= 0)
            return;
        setNewBid(keyword, iRow, newBid);
        keyword.setNewPos(QString::number(newPos));
    } catch (const std::exception &e) {
        logError(kBestLog, e);
    }
}

void BidStrategies::BidtoTarget(clsKeyword &keyword, int iRow, bool &bOK) {
    bOK = false;
    try {
        float target = -1;
        GetTargetBid(keyword, target);
        float min = 0, max = 0, cur = 0;
        if (!ReadBidLimits(keyword, keyword.CurBid(), &min, &max, &cur))
            return;
        if (target == -1.0f)
            return;
        bOK = true;

        if (vb::IsNumeric(keyword.BidTo()) && vb::IsNumeric(keyword.CurPos()) &&
            vb::CInt(keyword.CurPos()) < vb::CInt(keyword.BidTo()) && cur == target) {
            setNewBid(keyword, iRow, cur);
            return;
        }
        if (target < min) {
            setNewBid(keyword, iRow, min);
            keyword.setNewPos(keyword.BidTo());
            return;
        }
        const float newBid = plusStep(target);
        if (newBid <= max) {
            setNewBid(keyword, iRow, newBid);
            keyword.setNewPos(keyword.BidTo());
        } else {
            bOK = false;
        }
    } catch (const std::exception &e) {
        logError(kTargetLog, e);
    }
}

void BidStrategies::GetTargetBid(const clsKeyword &keyword, float &sngBid) {
    try {
        int position = 0;
        QString text;
        if (ParseTarget(keyword.BidTo(), &position)) {
            const QString bids[5] = {keyword.FirstBid(), keyword.SecondBid(), keyword.ThirdBid(), keyword.FourthBid(),
                                     keyword.FifthBid()};
            text = bids[position - 1];
        }
        sngBid = IsNumericAmount(text) ? StrToSingle(text) : -1.0f;
    } catch (const std::exception &e) {
        logError(kTargetBidLog, e);
    }
}

void BidStrategies::GetSelectedRows(int &iFirst, int &iLast) {
    if (!m_state.m_colKeywords || m_state.m_colKeywords->isEmpty())
        return;
    if (m_grid.Col() != BidGrid::colKeyword || m_grid.Row() == 0) {
        seam::MsgBox(L(kNoSelection), seam::vbInformation, L(kNoSelectionTitle));
        return;
    }
    iFirst = qMin(m_grid.Row(), m_grid.RowSel());
    iLast = qMax(m_grid.Row(), m_grid.RowSel());
}
