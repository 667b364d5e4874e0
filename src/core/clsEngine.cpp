#include "core/clsEngine.h"

#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWidget>
#include <exception>

const char *const clsEngine::kMissingFileMessage =
    "Engine data file is corrupted or missing, you need to download the new engine data file "
    "from our web site by click on the 'File/Update Engine Data' menu item from the main menu "
    "bar and following the instruction on the screen.";

namespace {

const char *const kMissingFileTitle = "Error";
const char *const kEngineListSection = "OvertureEngines";
const char *const kKeywordPlaceholder = "[KEYWORD]";
const char *const kPostMethod = "POST";
const char *const kOvertureSite = "overture";
const char *const kItemKeyPrefix = "Key";
const char *const kCheckBoxesProperty = "checkBoxes";
const char *const kSplashName = "frmSplash";
const char *const kGetURLLabel = "clsEngine_GetURL error:  ";
const char *const kSaveSettingLabel = "clsEngine_SaveSettings: ";


bool EngineDataFileExists() { return QFileInfo(g_sEngineDataFile).isFile(); }

void ShowMissingFileMessage() {
    seam::MsgBox(QString::fromLatin1(clsEngine::kMissingFileMessage), seam::vbInformation,
                 QString::fromLatin1(kMissingFileTitle));
}

// The splash stays on top; it must not hide the message about the missing file.
void UnloadSplash() {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        if (w->objectName() == QLatin1String(kSplashName))
            w->close();
}

// Name of engine number n of the engine list; "" ends the list.
QString EngineListEntry(int n) {
    return vb::Trim(ReadIniString(g_sEngineDataFile, QString::fromLatin1(kEngineListSection), QString::number(n)));
}

// Keyword text as it goes into a request: the characters that would change
// the request's meaning are percent-encoded (non-ASCII as Windows-1252
// bytes); blanks are left for the caller's blank rule.
QString EncodeKeyword(const QString &keyword) {
    static const QByteArray reserved = QByteArrayLiteral("&=#%+?");
    QString out;
    for (const char b : platform::ToAnsi(keyword)) {
        const uchar c = uchar(b);
        if (c >= 0x20 && c < 0x7F && !reserved.contains(b))
            out += QLatin1Char(b);
        else
            out += QStringLiteral("%%1").arg(uint(c), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

}  // namespace

// The login address on the alternate secure host: every whole host label
// kSecureLoginHostLabel (at the start of a host or after a dot) gets the
// prefix. A label that merely ends in it ("a-secure.", "nonsecure.") is not
// the secure host and stays as it is.
QString clsEngine::AlternateLoginURL(const QString &url) {
    const QString label = QString::fromLatin1(clsEngine::kSecureLoginHostLabel);
    const QString prefix = QString::fromLatin1(clsEngine::kAlternateHostPrefix);
    QString out;
    qsizetype from = 0;
    for (qsizetype pos = url.indexOf(label, 0, Qt::CaseSensitive); pos >= 0;
         pos = url.indexOf(label, pos + label.size(), Qt::CaseSensitive)) {
        const QChar before = pos > 0 ? url.at(pos - 1) : QLatin1Char('/');
        if (before != QLatin1Char('/') && before != QLatin1Char('.') && before != QLatin1Char('@'))
            continue;
        out += url.mid(from, pos - from) + prefix;
        from = pos;
    }
    return out + url.mid(from);
}

void SetListCheckBoxes(QTreeWidget *list, bool on) {
    if (list)
        list->setProperty(kCheckBoxesProperty, on);
}

bool ListShowsCheckBoxes(const QTreeWidget *list) {
    return list && list->property(kCheckBoxesProperty).toBool();
}

const EngineRecord &clsEngine::Record(int engineIndex) const {
    if (engineIndex < 1 || engineIndex > int(m_engines.size()))
        vb::Raise(vb::errSubscript);
    return m_engines[size_t(engineIndex - 1)];
}

std::unique_ptr<vb::Collection<QString>> clsEngine::GetEngineNameCol() const {
    if (m_engines.empty())
        return nullptr;
    auto names = std::make_unique<vb::Collection<QString>>();
    for (const EngineRecord &r : m_engines)
        names->Add(r.Name);
    return names;
}

int clsEngine::GetEngineCount() const { return int(m_engines.size()); }

int clsEngine::GetEngineIndex(const QString &engineName) const {
    for (size_t i = 0; i < m_engines.size(); ++i)
        if (m_engines[i].Name == engineName)
            return int(i) + 1;
    return 0;
}

QString clsEngine::GetPostString(int engineIndex, const QString &keyword) const {
    QString post = Record(engineIndex).PostString;
    post.replace(QString::fromLatin1(kKeywordPlaceholder), EncodeKeyword(keyword), Qt::CaseSensitive);
    return post.replace(QLatin1Char(' '), QStringLiteral("%20"));
}

QString clsEngine::GetSubmitMethod(int engineIndex) const { return Record(engineIndex).SubmitMethod; }

QString clsEngine::GetURL(const QString &engineName, const QString &keyword) const {
    try {
        for (const EngineRecord &r : m_engines) {
            if (vb::Trim(r.Name) != engineName)
                continue;
            if (r.SubmitMethod == QLatin1String(kPostMethod))
                return r.EngineURL + r.QueryKeyword1;
            return r.EngineURL + r.QueryKeyword1 + QueryTerm(keyword) + r.QueryKeyword2;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kGetURLLabel, e);
    }
    return QString();
}

QString clsEngine::QueryTerm(const QString &keyword) {
    return EncodeKeyword(keyword).replace(QLatin1Char(' '), QLatin1Char('+'));
}

QString clsEngine::GetEngineURL(int i) const { return Record(i).EngineURL; }
QString clsEngine::GetLoginURL(int i) const { return Record(i).LoginURL; }
QString clsEngine::GetDTCURL(int i) const { return Record(i).DTCURL; }
QString clsEngine::GetEnginName(int i) const { return Record(i).Name; }
QString clsEngine::GetResultStartString(int i) const { return Record(i).ResultStartString; }
QString clsEngine::GetResultEndString(int i) const { return Record(i).ResultEndString; }
QString clsEngine::GetBeginTitle(int i) const { return Record(i).beginTitle; }
QString clsEngine::GetEndTitle(int i) const { return Record(i).endTitle; }
QString clsEngine::GetBeginURL(int i) const { return Record(i).beginURL; }
QString clsEngine::GetEndURL(int i) const { return Record(i).endURL; }
QString clsEngine::GetBeginPrice(int i) const { return Record(i).beginPrice; }
QString clsEngine::GetEndPrice(int i) const { return Record(i).endPrice; }
QString clsEngine::GetQuerySuggest1(int i) const { return Record(i).QuerySuggest1; }
QString clsEngine::GetQuerySuggest2(int i) const { return Record(i).QuerySuggest2; }
QString clsEngine::GetSuggestStartString(int i) const { return Record(i).SuggestStartString; }
QString clsEngine::GetSuggestEndString(int i) const { return Record(i).SuggestEndString; }
QString clsEngine::GetSuggestSectionStart(int i) const { return Record(i).SuggestSectionStart; }
QString clsEngine::GetSuggestSectionEnd(int i) const { return Record(i).SuggestSectionEnd; }
QString clsEngine::GetBeginCountSection(int i) const { return Record(i).beginCountSection; }
QString clsEngine::GetEndCountSection(int i) const { return Record(i).endCountSection; }
QString clsEngine::GetBegineKeywordSection(int i) const { return Record(i).begineKeywordSection; }
QString clsEngine::GetEndKeywordSection(int i) const { return Record(i).endKeywordSection; }

bool clsEngine::loadEngineData() {
    // A reload starts from an empty list, even when no engine is enabled now.
    m_engines.clear();
    if (!EngineDataFileExists()) {
        UnloadSplash();
        ShowMissingFileMessage();
        return false;
    }
    // A file that can't be read, or that lists no engine at all (empty, cut,
    // garbage), is as useless as a missing one and gets the same word.
    const bool readable = QFile(g_sEngineDataFile).open(QIODevice::ReadOnly);
    if (!readable || EngineListEntry(1).isEmpty()) {
        UnloadSplash();
        ShowMissingFileMessage();
        return readable;
    }
    try {
        for (int n = 1;; ++n) {
            const QString name = EngineListEntry(n);
            if (name.isEmpty())
                return true;
            if (!GetEngineSetting(name))
                continue;

            EngineRecord r;
            auto read = [&name](const char *key) {
                return vb::Trim(ReadIniString(g_sEngineDataFile, name, QString::fromLatin1(key)));
            };
            r.Name = name;
            r.EngineKey = read("EngineKey");
            r.EngineURL = read("EngineURL");
            r.LoginURL = read("LoginURL");
            r.QueryKeyword1 = read("QueryKeyword1");
            r.QueryKeyword2 = read("QueryKeyword2");
            r.PostString = read("PostString");
            r.SubmitMethod = read("SubmitMethod");
            r.ResultStartString = read("ResultStartString");
            r.ResultEndString = read("ResultEndString");
            r.NoFoundString = read("NoFoundString");
            r.FilterKeyword1 = read("FilterKeyword1");
            r.FilterKeyword2 = read("FilterKeyword2");
            r.HREF_KEYWORD1 = read("HREF_KEYWORD1");
            r.HREF_KEYWORD2 = read("HREF_KEYWORD2");
            r.NextPage1 = read("NextPage1");
            r.NextPage2 = read("NextPage2");
            r.NextPage3 = read("NextPage3");
            r.NextPage4 = read("NextPage4");
            r.LinkType = read("LinkType");
            r.Start = vb::CInt(vb::Val(read("Start")));
            r.PerPage = vb::CInt(vb::Val(read("PerPage")));
            r.beginTitle = read("beginTitle");
            r.endTitle = read("endTitle");
            r.beginURL = read("beginURL");
            r.endURL = read("endURL");
            r.beginPrice = read("beginPrice");
            r.endPrice = read("endPrice");
            r.QuerySuggest1 = read("QuerySuggest1");
            r.QuerySuggest2 = read("QuerySuggest2");
            r.SuggestStartString = read("SuggestStartString");
            r.SuggestEndString = read("SuggestEndString");
            r.SuggestSectionStart = read("SuggestSectionStart");
            r.SuggestSectionEnd = read("SuggestSectionEnd");
            r.beginCountSection = read("beginCountSection");
            r.endCountSection = read("endCountSection");
            r.begineKeywordSection = read("begineKeywordSection");
            r.endKeywordSection = read("endKeywordSection");

            if (r.LoginURL.contains(QLatin1String(kOvertureSite), Qt::CaseSensitive)) {
                r.DTCURL = r.LoginURL;
                r.LoginURL = AlternateLoginURL(r.LoginURL);
            }
            // Only complete records join the list.
            m_engines.push_back(std::move(r));
        }
    } catch (const std::exception &) {
        return false;
    }
}

void clsEngine::PopulateAllEngine(QTreeWidget *list) {
    if (!EngineDataFileExists()) {
        ShowMissingFileMessage();
        return;
    }
    if (!list)
        return;
    list->clear();
    const bool checkBoxes = ListShowsCheckBoxes(list);
    QSet<QString> keys;
    for (int n = 1;; ++n) {
        const QString name = EngineListEntry(n);
        if (name.isEmpty())
            break;
        // Item keys are unique without regard to case; a repeated engine is listed once.
        const QString key = QString::fromLatin1(kItemKeyPrefix) + name;
        if (keys.contains(key.toCaseFolded()))
            continue;
        keys.insert(key.toCaseFolded());
        auto *item = new QTreeWidgetItem(list);
        item->setText(0, name);
        item->setData(0, kListItemKeyRole, key);
        if (checkBoxes) {
            bool enabled = false;
            try {
                enabled = GetEngineSetting(name);
            } catch (const std::exception &) {
                // A damaged flag shows unchecked, so that saving the list repairs it.
                enabled = false;
            }
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, enabled ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void clsEngine::Savesetting(QTreeWidget *list) {
    if (!ListShowsCheckBoxes(list))
        return;
    try {
        CreateRegistryKey(HKEY_CURRENT_USER, g_sEngineKey);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            const QString flag = item->checkState(0) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
            if (!SetRegistryValue(HKEY_CURRENT_USER, g_sEngineKey, item->text(0), REG_SZ, flag))
                vb::Raise(vb::errPermissionDenied, QStringLiteral("Cannot save the setting ") + item->text(0));
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveSettingLabel, e);
    }
}
