#include "autobid/KeywordsSettingFile.h"

#include "core/clsAccount.h"
#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QFileInfo>
#include <algorithm>
#include <exception>

namespace {

const char *const kLoadLog = "frmAutoBidetting_loadKeywordsetting error : ";
const char *const kSaveLog = "frmAutoBid_SaveKeywordsSetting";
const char *const kNotRead = "could not be read";
const char *const kKeptCopy = "the damaged file's bytes are kept as ";
const char *const kAccountsFolder = "Accounts";
const char *const kCrLf = "\r\n";
const char kSeparator = ';';

QString L(const char *s) { return QString::fromLatin1(s); }

// A settings value on one line: the separator and line breaks can't be kept.
QString field(const QString &value) {
    if (!value.contains(QLatin1Char(kSeparator)) && !value.contains(QLatin1Char('\r')) &&
        !value.contains(QLatin1Char('\n')))
        return value;
    QString v = value;
    v.remove(QLatin1Char(kSeparator));
    v.remove(QLatin1Char('\r'));
    v.remove(QLatin1Char('\n'));
    return v;
}

void appendLine(QString &text, clsKeyword &k, const clsAccount &account) {
    if (k.MaxBid().isEmpty())
        k.setMaxBid(vb::SingleText(account.MaxBid()));
    if (k.MinBid().isEmpty())
        k.setMinBid(vb::SingleText(account.MinBid()));
    const QString fields[KeywordsSettingFile::kFields] = {
        k.Keyword(),   field(k.MaxBid()),          field(k.MinBid()),       field(k.AutoBid()),
        field(k.StartTime()), field(k.EndTime()), field(k.FirstUpdateTime()), field(k.UpdateNumber()),
        field(k.BidTo()), field(k.Range())};
    for (int i = 0; i < KeywordsSettingFile::kFields; ++i) {
        if (i > 0)
            text += QLatin1Char(kSeparator);
        text += fields[i];
    }
    text += L(kCrLf);
}

}  // namespace

const char *const KeywordsSettingFile::kFileName = "KeywordsSetting.dat";

QString KeywordsSettingFile::FilePath(const QString &engine, const QString &account) {
    return platform::JoinPath(clsAccount::AccountFolder(engine, account), L(kFileName));
}

void KeywordsSettingFile::MakeFolders(const QString &engine, const QString &account) {
    const QString accounts = platform::JoinPath(platform::ProgramFolder(), L(kAccountsFolder));
    const QString folder = clsAccount::AccountFolder(engine, account);
    for (const QString &level : {accounts, QFileInfo(folder).path(), folder})
        if (!QFileInfo(level).isDir())
            platform::MakeFolder(level);
}

bool KeywordsSettingFile::IsStorable(const QString &keyword) {
    return !keyword.isEmpty() && !keyword.contains(QLatin1Char(kSeparator)) && !keyword.contains(QLatin1Char('\r')) &&
           !keyword.contains(QLatin1Char('\n'));
}

KeywordCollectionPtr KeywordsSettingFile::Load(const QString &path, const clsAccount &account, bool *unreadable) {
    auto keywords = std::make_shared<KeywordCollection>();
    if (unreadable)
        *unreadable = false;
    if (!QFileInfo(path).isFile())
        return keywords;
    QByteArray bytes;
    if (!platform::ReadFileBytes(path, &bytes)) {
        if (unreadable)
            *unreadable = true;
        WriteErrorLog(L(kLoadLog) + clsFileController::FileErrorText(path, L(kNotRead)));
        return keywords;
    }
    bool damaged = false;
    for (const QString &line : platform::SplitLines(platform::FromAnsi(bytes))) {
        if (line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char(kSeparator));
        if (f[0].isEmpty())
            continue;
        const auto tooLong = [](const QString &value) { return value.size() > kMaxFieldLength; };
        if (f.size() != kFields || std::any_of(f.begin(), f.end(), tooLong)) {
            damaged = true;
            continue;
        }
        auto k = std::make_shared<clsKeyword>();
        k->setKeyword(f[0]);
        k->setMaxBid(IsNumericAmount(f[1]) ? f[1] : vb::SingleText(account.MaxBid()));
        k->setMinBid(IsNumericAmount(f[2]) ? f[2] : vb::SingleText(account.MinBid()));
        k->setAutoBid(f[3].isEmpty() ? QStringLiteral("False") : f[3]);
        k->setStartTime(f[4]);
        k->setEndTime(f[5]);
        k->setFirstUpdateTime(f[6]);
        k->setUpdateNumber(f[7].isEmpty() ? QStringLiteral("0") : f[7]);
        k->setBidTo(f[8]);
        k->setRange(f[9]);
        try {
            keywords->Add(k, f[0]);
        } catch (const std::exception &e) {
            // A repeat in another letter case: the first line holds; the rest of the file still loads.
            damaged = true;
            WriteErrorLog(kLoadLog, e);
        }
    }
    if (damaged) {
        const QString copy = platform::KeepDamagedCopy(path, bytes);
        if (!copy.isEmpty())
            WriteErrorLog(L(kLoadLog) + L(kKeptCopy) + copy);
    }
    return keywords;
}

QString KeywordsSettingFile::Text(const KeywordCollection &keywords, const clsAccount &account) {
    QString text;
    for (const clsKeywordPtr &k : keywords)
        if (k && IsStorable(k->Keyword()))
            appendLine(text, *k, account);
    return text;
}

bool KeywordsSettingFile::Save(const QString &path, const KeywordCollection &keywords, const KeywordCollection *extra,
                               const clsAccount &account) {
    if (keywords.isEmpty())
        return true;
    QString text = Text(keywords, account);
    if (extra) {
        for (const clsKeywordPtr &k : *extra)
            if (k && IsStorable(k->Keyword()) && !keywords.Exists(k->Keyword()))
                appendLine(text, *k, account);
    }
    QString error;
    if (!platform::WriteAnsiFileAtomic(path, text + L(kCrLf), false, &error)) {
        WriteErrorLog(L(kSaveLog) + (error.isEmpty() ? vb::ErrorText(vb::errPathNotFound) : error));
        return false;
    }
    return true;
}
