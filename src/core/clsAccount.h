#pragma once
// One engine account: login, account-wide bid limits and scheduler details,
// kept in the ini file <account>.dat in the account's folder (owner-only).

#include <QDateTime>
#include <QString>

namespace platform {
class ProfileReader;
}

class clsAccount {
public:
    const QString &Engine() const { return m_sEngine; }
    void setEngine(const QString &v) { m_sEngine = v; }
    const QString &AccountName() const { return m_sAccountName; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    const QString &UserName() const { return m_sUserName; }
    void setUserName(const QString &v) { m_sUserName = v; }
    const QString &Password() const { return m_sPassword; }
    void setPassword(const QString &v) { m_sPassword = v; }
    const QString &AccountID() const { return m_sAccountID; }
    void setAccountID(const QString &v) { m_sAccountID = v; }
    float MaxBid() const { return m_fMaxBid; }
    void setMaxBid(float v) { m_fMaxBid = v; }
    float MinBid() const { return m_fMinBid; }
    void setMinBid(float v) { m_fMinBid = v; }
    const QDateTime &LastLookup() const { return m_dLastLookup; }
    void setLastLookup(const QDateTime &v) { m_dLastLookup = v; }
    bool SchedulerEnable() const { return m_bSchedulerEnable; }
    void setSchedulerEnable(bool v) { m_bSchedulerEnable = v; }
    float Hours() const { return m_fHours; }
    void setHours(float v) { m_fHours = v; }
    bool SentReport() const { return m_bSentReport; }
    void setSentReport(bool v) { m_bSentReport = v; }

    // Loads the fields from the account file (read once); nothing changes when it is missing.
    // Raises vb::VBError (type mismatch) on a bad Boolean, the fields before it set,
    // and (permission denied) when the file is there but can't be read.
    void GetSettings();
    // Loads only SchedulerEnable, Hours and LastLookup, from one read of the
    // account file, as GetSettings reads them (the minute tick's due test).
    void GetSchedulerSettings();
    // False when the last GetSettings found no readable last look-up and
    // LastLookup holds the time of reading instead.
    bool LastLookupStored() const { return m_bLastLookupStored; }
    // Writes the account file anew. Raises vb::VBError when it can't.
    void SaveSettings();
    // Writes only "LastLookup"; nothing when the account folder is missing.
    // Raises vb::VBError when the file can't be written.
    void SaveLastLookupTime();

    // program folder/Accounts/engine/account (names mapped to safe path components)
    static QString AccountFolder(const QString &engine, const QString &account);
    // AccountFolder/<account>.dat (an account named like one of its folder's other
    // files gets a name that can't clash with them)
    QString SettingsFile() const;
    // The date a new account holds as its last look-up (12/30/1899 00:00:00).
    static QDateTime ZeroDate();

private:
    void readSchedulerFields(const platform::ProfileReader &file);
    // True when the file was read; false when there is none; raises when it can't be read.
    bool openedOrMissing(const platform::ProfileReader &file) const;

    QString m_sEngine;
    QString m_sAccountName;
    QString m_sUserName;
    QString m_sPassword;
    QString m_sAccountID;
    float m_fMaxBid = 0;
    float m_fMinBid = 0;
    QDateTime m_dLastLookup = ZeroDate();
    bool m_bSchedulerEnable = false;
    float m_fHours = 0;
    bool m_bSentReport = false;
    bool m_bLastLookupStored = true;
};
