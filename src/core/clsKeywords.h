#pragma once
// The keyword list of one account of one engine: Keywords.dat load and save,
// the list view fill, field updates by keyword, the merge of the saved
// ranking results and the plain-text keyword report.

#include <QString>

#include "core/clsKeyword.h"
#include "core/clsURL.h"

class KeywordListModel;

class clsKeywords {
public:
    clsKeywords();

    const QString &Engine() const { return m_sEngine; }
    void setEngine(const QString &v) { m_sEngine = v; }
    const QString &AccountName() const { return m_sAccountName; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    // Items are keyed "Key" & keyword.
    const KeywordCollectionPtr &Keywords() const { return m_colKeywords; }
    void setKeywords(const KeywordCollectionPtr &v) { m_colKeywords = v; }

    // The keyword text at a 1-based position; raises vb::VBError outside the list.
    QString GetKeyword(int index) const;
    void RemoveAll();
    // Raises vb::VBError outside the list.
    void Remove(int index);
    // Adds a record with Keyword = `keyword` under `key`, at the end (position -1)
    // or before a 1-based position. Never raises: a failing add adds nothing.
    // A keyword Keywords.dat can't hold (RefusalReason) is refused and logged.
    void Add(const QString &key, const QString &keyword, int position = -1);

    // Why Keywords.dat can't hold a keyword: a ";" or a line break would split
    // its line, a keyword over 1000 characters would not load again, and the
    // file's code page has no byte for some characters.
    enum class Refusal { None, SeparatorOrLineBreak, TooLong, Unstorable };
    static Refusal RefusalReason(const QString &keyword);

    // Appends the records of the account's Keywords.dat (lines may end in
    // CR LF, LF or CR). Bad, repeated and over-long lines are logged and
    // skipped; when anything was skipped or cut, the file's bytes are kept
    // once as Keywords.dat.bad. A file that exists but can't be read is
    // reported, and this list will not overwrite it.
    void loadKeywords();
    // Inserts one list row per keyword (column 0 = row number, columns 1-9 the
    // stored fields; keyword only: column 0 = keyword). The list is not cleared.
    void PopulateKeywords(KeywordListModel *listView, bool keywordOnly = false);
    // Replaces the account's Keywords.dat with the collection.
    void SaveKeywords();
    // True when another writer (a look-up in another window) replaced or
    // removed Keywords.dat since this list last loaded or saved it: saving
    // now would put older data back.
    bool FileReplacedSinceRead() const;
    // Sets one field ("Count", "CurBid", "NextBid", "1".."5", "CurPos", "Status")
    // of the first record whose keyword matches ignoring case; false when none does.
    bool UpdateObject(const QString &keyword, const QString &fieldName, const QString &value);
    // Recomputes CurBid, CurPos and NextBid of every record from its ranking results file.
    void UpdateKeywordsToURLs(const URLCollectionPtr &urls);
    // The plain-text keyword report ("" when the list is empty).
    QString EmailMsg();

    // program folder/Accounts/engine/account/Keywords.dat
    QString KeywordsFile() const;
    // program folder/Results/engine/<keyword trimmed>.dat: the one name every
    // reader and writer of a keyword's ranking results uses.
    static QString ResultsFile(const QString &engine, const QString &keyword);

private:
    QString m_sEngine;
    QString m_sAccountName;
    KeywordCollectionPtr m_colKeywords;
    bool m_bUnreadFile = false;  // the load could not read an existing file
    QByteArray m_fileStamp;      // Keywords.dat as last loaded or saved ("" when absent)
};
