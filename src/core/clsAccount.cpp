#include "core/clsAccount.h"

#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <limits>

namespace {
const char kAccountsFolder[] = "Accounts";
const char kAccountFileExt[] = ".dat";
const char kSection[] = "Login Detail";
const char kUserName[] = "UserName";
const char kPassWordWritten[] = "PassWord";
const char kPasswordRead[] = "Password";
const char kAccountID[] = "AccountID";
const char kMaxBid[] = "MaxBid";
const char kMinBid[] = "MinBid";
const char kSchedlerEnable[] = "SchedlerEnable";
const char kHours[] = "Hours";
const char kLastLookupWritten[] = "LastLookup";
const char kLastLookupRead[] = "LastLookUp";
const char kSentReport[] = "SentReport";
const char kCrLf[] = "\r\n";

QString L(const char *s) { return QString::fromLatin1(s); }



// The account's other files share its folder: an account named like one of
// them would write its settings over that file (and lose them on the next
// keyword or URL save), so such a name gets its first character encoded.
const char *const kSiblingFileStems[] = {"Keywords", "URLs", "KeywordsSetting"};

QString settingsFileStem(const QString &account) {
    const QString stem = platform::SafePathComponent(account);
    for (const char *sibling : kSiblingFileStems) {
        if (stem.compare(QLatin1String(sibling), Qt::CaseInsensitive) == 0)
            return QLatin1Char('%') + QString::number(stem.at(0).unicode(), 16).toUpper() + stem.mid(1);
    }
    return stem;
}

// A stored number read as its leading numeric part; one that a single can't
// hold, or a bid outside the currency's range, is not a usable value and
// reads like a text without a number: 0.
constexpr double kCurrencyLimit = 922337203685477.5807;
float storedSingle(const QString &text, bool isAmount) {
    const double v = vb::Val(text);
    if (!std::isfinite(v) || std::fabs(v) > double(std::numeric_limits<float>::max()) ||
        (isAmount && std::fabs(v) > kCurrencyLimit))
        return 0;
    return vb::CSng(v);
}

QString keyLine(const char *key, const QString &value) {
    return L(key) + QLatin1Char('=') + value + L(kCrLf);
}
}  // namespace

QDateTime clsAccount::ZeroDate() {
    // Every new account holds it; converting it once is enough.
    static const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0, 0));
    return zero;
}

QString clsAccount::AccountFolder(const QString &engine, const QString &account) {
    return platform::JoinPath(platform::ProgramFolder(), L(kAccountsFolder),
                              platform::SafePathComponent(engine), platform::SafePathComponent(account));
}

QString clsAccount::SettingsFile() const {
    return platform::JoinPath(AccountFolder(m_sEngine, m_sAccountName),
                              settingsFileStem(m_sAccountName) + L(kAccountFileExt));
}

void clsAccount::GetSettings() {
    // The scheduler reads every scheduled account each minute: one read serves all keys.
    const platform::ProfileReader file(SettingsFile());
    if (!openedOrMissing(file))
        return;
    const QString section = L(kSection);
    m_sUserName = ReadIniString(file, section, L(kUserName));
    m_sPassword = ReadIniString(file, section, L(kPasswordRead));
    m_sAccountID = ReadIniString(file, section, L(kAccountID));
    m_fMaxBid = storedSingle(ReadIniString(file, section, L(kMaxBid)), true);
    m_fMinBid = storedSingle(ReadIniString(file, section, L(kMinBid)), true);
    readSchedulerFields(file);
    m_bSentReport = vb::CBool(ReadIniString(file, section, L(kSentReport)));
}

bool clsAccount::openedOrMissing(const platform::ProfileReader &file) const {
    if (file.FileRead())
        return true;
    // A file that is there but can't be read is an error, not a new account.
    if (QFileInfo(SettingsFile()).isFile())
        vb::Raise(vb::errPermissionDenied);
    return false;
}

void clsAccount::GetSchedulerSettings() {
    const platform::ProfileReader file(SettingsFile());
    if (openedOrMissing(file))
        readSchedulerFields(file);
}

void clsAccount::readSchedulerFields(const platform::ProfileReader &file) {
    const QString section = L(kSection);
    m_bSchedulerEnable = vb::CBool(ReadIniString(file, section, L(kSchedlerEnable)));
    m_fHours = storedSingle(ReadIniString(file, section, L(kHours)), false);
    QDateTime last;
    m_bLastLookupStored = vb::ParseDate(ReadIniString(file, section, L(kLastLookupRead)), &last);
    m_dLastLookup = m_bLastLookupStored ? last : seam::Now();
}

void clsAccount::SaveSettings() {
    platform::MakeFolder(platform::JoinPath(platform::ProgramFolder(), L(kAccountsFolder)));
    const QString folder = AccountFolder(m_sEngine, m_sAccountName);
    platform::MakeFolder(QFileInfo(folder).path());
    platform::MakeFolder(folder);

    // The whole file in the order the profile writer would leave it after
    // writing each key into a fresh file, committed at once so a failure
    // never leaves a part-written account.
    QString text = QLatin1Char('[') + L(kSection) + QLatin1Char(']') + L(kCrLf);
    text += keyLine(kUserName, m_sUserName);
    text += keyLine(kPassWordWritten, m_sPassword);
    text += keyLine(kAccountID, m_sAccountID);
    text += keyLine(kMaxBid, vb::SingleText(m_fMaxBid));
    text += keyLine(kMinBid, vb::SingleText(m_fMinBid));
    text += keyLine(kSchedlerEnable, vb::BoolText(m_bSchedulerEnable));
    text += keyLine(kHours, vb::SingleText(m_fHours));
    text += keyLine(kLastLookupWritten, vb::FormatGeneralDate(m_dLastLookup));
    text += keyLine(kSentReport, vb::BoolText(m_bSentReport));

    QString error;
    if (!platform::WriteAnsiFileAtomic(SettingsFile(), text, true, &error))
        vb::Raise(vb::errPermissionDenied, error);
}

void clsAccount::SaveLastLookupTime() {
    if (!QFileInfo(AccountFolder(m_sEngine, m_sAccountName)).isDir())
        return;
    const QString file = SettingsFile();
    const QString value = vb::FormatGeneralDate(m_dLastLookup);
    if (!QFileInfo::exists(file)) {
        // A new file is owner-only, like one written by SaveSettings.
        const QString text = QLatin1Char('[') + L(kSection) + QLatin1Char(']') + L(kCrLf) +
                             keyLine(kLastLookupWritten, value);
        QString error;
        if (!platform::WriteAnsiFileAtomic(file, text, true, &error))
            vb::Raise(vb::errPermissionDenied, error);
        return;
    }
    // The profile writer replaces the file atomically and keeps its permissions.
    if (WriteIniString(file, L(kSection), L(kLastLookupWritten), value) != QLatin1String("1"))
        vb::Raise(vb::errPermissionDenied);
}
