#pragma once
// KeywordsSetting.dat, the per-keyword bid settings of one account: one
// line per keyword of ten fields joined by ";" (keyword, maximum, minimum,
// AutoBid, start and end of the daily window, time of the first change of
// the current 24-hour window, number of changes in it, BidTo, Range), each
// line ended by CR LF, the file by one more CR LF.

#include <QString>

#include "core/clsKeyword.h"

class clsAccount;

class KeywordsSettingFile {
public:
    static constexpr int kFields = 10;
    // No setting is that long: a longer field is damage.
    static constexpr int kMaxFieldLength = 1000;
    static const char *const kFileName;  // "KeywordsSetting.dat"

    // program folder/Accounts/engine/account/KeywordsSetting.dat
    static QString FilePath(const QString &engine, const QString &account);
    // Creates the Accounts, engine and account folders when missing; raises when it can't.
    static void MakeFolders(const QString &engine, const QString &account);

    // The keywords of the file, in file order, keyed by keyword text; empty
    // when the file is missing. Lines may end in CR LF, LF or CR. Lines
    // without a keyword are skipped; so are lines without ten fields, with a
    // field over 1000 characters, or repeating a keyword in any letter case
    // (logged, and the file's bytes are kept once beside it as ".bad"). A
    // maximum or minimum that is not an amount takes the account's; an empty
    // AutoBid reads "False", an empty counter "0". `unreadable` turns true
    // when the file exists but could not be read (logged).
    static KeywordCollectionPtr Load(const QString &path, const clsAccount &account, bool *unreadable = nullptr);
    // One line per keyword; an empty maximum or minimum takes the account's
    // (written into the keyword too). A keyword that can't be stored on
    // one line (";" or a line break in it) is left out.
    static QString Text(const KeywordCollection &keywords, const clsAccount &account);
    // Text of the keywords, then of `extra` keywords not among them, written
    // as the whole file. Nothing is written when `keywords` is empty.
    // False (logged) when the file could not be written.
    static bool Save(const QString &path, const KeywordCollection &keywords, const KeywordCollection *extra,
                     const clsAccount &account);
    // Can this keyword text stand as a field of a line?
    static bool IsStorable(const QString &keyword);
};
