#pragma once
// The engine definitions of the engine data file (g_sEngineDataFile): the
// enabled engines in the order of the "OvertureEngines" list, with their
// addresses, request templates and page markers, answered by 1-based engine
// index or by name. Also fills and saves the engine enable list.

#include "platform/KeyedCollection.h"

#include <QString>
#include <qnamespace.h>
#include <memory>
#include <vector>

class QTreeWidget;

// One engine definition, as read from its section of the engine data file.
struct EngineRecord {
    QString Name;
    QString EngineKey;
    QString EngineURL;
    QString LoginURL;
    QString DTCURL;  // the login address as read, only for engines on the "overture" site
    QString QueryKeyword1;
    QString QueryKeyword2;
    QString PostString;
    QString SubmitMethod;
    QString NextPage1;
    QString NextPage2;
    QString NextPage3;
    QString NextPage4;
    QString ResultStartString;
    QString ResultEndString;
    QString NoFoundString;
    QString FilterKeyword1;
    QString FilterKeyword2;
    QString HREF_KEYWORD1;
    QString HREF_KEYWORD2;
    QString LinkType;
    int Start = 0;
    int PerPage = 0;
    QString beginTitle;
    QString endTitle;
    QString beginURL;
    QString endURL;
    QString beginPrice;
    QString endPrice;
    QString QuerySuggest1;
    QString QuerySuggest2;
    QString SuggestStartString;
    QString SuggestEndString;
    QString SuggestSectionStart;
    QString SuggestSectionEnd;
    QString beginCountSection;
    QString endCountSection;
    QString begineKeywordSection;
    QString endKeywordSection;
};

// The engine enable list is a QTreeWidget (report view, one column). It
// "shows check boxes" when its "checkBoxes" property is true; each item
// carries its key ("Key" & engine name) in column 0 under kListItemKeyRole.
void SetListCheckBoxes(QTreeWidget *list, bool on);
bool ListShowsCheckBoxes(const QTreeWidget *list);
constexpr int kListItemKeyRole = Qt::UserRole;

class clsEngine {
public:
    // On the "overture" site the login page is served from an alternate
    // secure host: this label, prefixed with kAlternateHostPrefix.
    static constexpr const char *kSecureLoginHostLabel = "secure.";
    static constexpr const char *kAlternateHostPrefix = "a-";
    // The login address with every whole secure host label moved to the
    // alternate host (the connection windows use the same mapping).
    static QString AlternateLoginURL(const QString &url);
    static const char *const kMissingFileMessage;

    // Names of the loaded engines in index order (no keys); null when none is loaded.
    std::unique_ptr<vb::Collection<QString>> GetEngineNameCol() const;
    int GetEngineCount() const;
    // First index whose name equals `engineName` exactly (letter case counts); 0 when none.
    int GetEngineIndex(const QString &engineName) const;
    // The post template with "[KEYWORD]" replaced by the keyword. Pass the
    // keyword as typed: characters that would change the request are
    // percent-encoded, then every blank becomes "%20".
    QString GetPostString(int engineIndex, const QString &keyword) const;
    QString GetSubmitMethod(int engineIndex) const;
    // The search address for a keyword; "" when no loaded engine has that
    // name. Pass the keyword as typed: characters that would change the
    // request are percent-encoded, then every blank becomes "+".
    QString GetURL(const QString &engineName, const QString &keyword) const;
    // A keyword as it goes into a search or suggestion address: characters
    // that would change the request are percent-encoded, then every blank
    // becomes "+".
    static QString QueryTerm(const QString &keyword);
    QString GetEngineURL(int engineIndex) const;
    QString GetLoginURL(int engineIndex) const;
    QString GetDTCURL(int engineIndex) const;
    QString GetEnginName(int engineIndex) const;
    QString GetResultStartString(int engineIndex) const;
    QString GetResultEndString(int engineIndex) const;
    QString GetBeginTitle(int engineIndex) const;
    QString GetEndTitle(int engineIndex) const;
    QString GetBeginURL(int engineIndex) const;
    QString GetEndURL(int engineIndex) const;
    QString GetBeginPrice(int engineIndex) const;
    QString GetEndPrice(int engineIndex) const;
    QString GetQuerySuggest1(int engineIndex) const;
    QString GetQuerySuggest2(int engineIndex) const;
    QString GetSuggestStartString(int engineIndex) const;
    QString GetSuggestEndString(int engineIndex) const;
    QString GetSuggestSectionStart(int engineIndex) const;
    QString GetSuggestSectionEnd(int engineIndex) const;
    QString GetBeginCountSection(int engineIndex) const;
    QString GetEndCountSection(int engineIndex) const;
    QString GetBegineKeywordSection(int engineIndex) const;
    QString GetEndKeywordSection(int engineIndex) const;

    // Refills the list with the engines enabled now. A missing or unreadable
    // file shows the missing-file message and returns false with nothing
    // loaded; a readable file that lists no engine shows it too and returns
    // true. An error while reading returns false with the complete engines
    // before it.
    bool loadEngineData();
    // Lists every engine of the file (enabled or not); checked when enabled
    // and the list shows check boxes.
    void PopulateAllEngine(QTreeWidget *list);
    // Writes "1"/"0" under the Engine key for every item of a check-box list.
    void Savesetting(QTreeWidget *list);

    // The getters by index raise error 9 for an index outside 1..count.
    const EngineRecord &Record(int engineIndex) const;

private:
    std::vector<EngineRecord> m_engines;
};
