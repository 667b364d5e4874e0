#pragma once
// One keyword of one account: search count, current bid and position, the
// bids of the first five positions, the look-up status and the per-keyword
// bid settings. Plain text fields, all starting empty.

#include <QString>
#include <memory>

#include "platform/KeyedCollection.h"

class clsKeyword {
public:
    const QString &Keyword() const { return m_sKeyword; }
    void setKeyword(const QString &v) { m_sKeyword = v; }
    const QString &Count() const { return m_sCount; }
    void setCount(const QString &v) { m_sCount = v; }
    const QString &CurBid() const { return m_sCurBid; }
    void setCurBid(const QString &v) { m_sCurBid = v; }
    const QString &NewPos() const { return m_sNewPos; }
    void setNewPos(const QString &v) { m_sNewPos = v; }
    const QString &NextBid() const { return m_sNextBid; }
    void setNextBid(const QString &v) { m_sNextBid = v; }
    const QString &FirstBid() const { return m_sFirstBid; }
    void setFirstBid(const QString &v) { m_sFirstBid = v; }
    const QString &SecondBid() const { return m_sSecondBid; }
    void setSecondBid(const QString &v) { m_sSecondBid = v; }
    const QString &ThirdBid() const { return m_sThirdBid; }
    void setThirdBid(const QString &v) { m_sThirdBid = v; }
    const QString &Status() const { return m_sStatus; }
    void setStatus(const QString &v) { m_sStatus = v; }
    const QString &CurPos() const { return m_sCurPos; }
    void setCurPos(const QString &v) { m_sCurPos = v; }
    const QString &NewBid() const { return m_sNewBid; }
    void setNewBid(const QString &v) { m_sNewBid = v; }
    const QString &FourthBid() const { return m_sFourthBid; }
    void setFourthBid(const QString &v) { m_sFourthBid = v; }
    const QString &FifthBid() const { return m_sFifthBid; }
    void setFifthBid(const QString &v) { m_sFifthBid = v; }
    const QString &MaxBid() const { return m_sMaxBid; }
    void setMaxBid(const QString &v) { m_sMaxBid = v; }
    const QString &MinBid() const { return m_sMinBid; }
    void setMinBid(const QString &v) { m_sMinBid = v; }
    // "True" or "False".
    const QString &AutoBid() const { return m_sAutoBid; }
    void setAutoBid(const QString &v) { m_sAutoBid = v; }
    // "hh:mm" or "".
    const QString &StartTime() const { return m_sStartTime; }
    void setStartTime(const QString &v) { m_sStartTime = v; }
    const QString &EndTime() const { return m_sEndTime; }
    void setEndTime(const QString &v) { m_sEndTime = v; }
    const QString &FirstUpdateTime() const { return m_sFirstUpdateTime; }
    void setFirstUpdateTime(const QString &v) { m_sFirstUpdateTime = v; }
    const QString &UpdateNumber() const { return m_sUpdateNumber; }
    void setUpdateNumber(const QString &v) { m_sUpdateNumber = v; }
    // One position digit, or two joined by "-".
    const QString &BidTo() const { return m_sBidTo; }
    void setBidTo(const QString &v) { m_sBidTo = v; }
    const QString &Range() const { return m_sRange; }
    void setRange(const QString &v) { m_sRange = v; }

private:
    // The list's file reader fills the stored fields without extra copies.
    friend class clsKeywords;

    // The fields Keywords.dat stores come first, in file order, so a save
    // reads one compact block per record.
    QString m_sKeyword;
    QString m_sCount;
    QString m_sCurBid;
    QString m_sNextBid;
    QString m_sFirstBid;
    QString m_sSecondBid;
    QString m_sThirdBid;
    QString m_sFourthBid;
    QString m_sFifthBid;
    QString m_sCurPos;
    QString m_sStatus;
    QString m_sNewPos;
    QString m_sNewBid;
    QString m_sMaxBid;
    QString m_sMinBid;
    QString m_sAutoBid;
    QString m_sStartTime;
    QString m_sEndTime;
    QString m_sFirstUpdateTime;
    QString m_sUpdateNumber;
    QString m_sBidTo;
    QString m_sRange;
};

// Keyword records are shared between the lists and windows that read and
// change them, as object references.
using clsKeywordPtr = std::shared_ptr<clsKeyword>;
using KeywordCollection = vb::Collection<clsKeywordPtr>;
using KeywordCollectionPtr = std::shared_ptr<KeywordCollection>;
