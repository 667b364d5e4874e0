#pragma once
// An account's own web site URLs: URLs.dat, text to unique entries, the list
// view fill and the rule that decides whether a listing is the account's own.

#include <QString>
#include <memory>

#include "platform/KeyedCollection.h"

class QTreeWidget;
class QTreeWidgetItem;

// Trimmed, non-empty URLs, each stored under itself as key (keys ignore case).
using URLCollection = vb::Collection<QString>;
// "No collection" is a null pointer.
using URLCollectionPtr = std::shared_ptr<URLCollection>;

// A list row's key ("Key" & text) is kept in column 0 under this role and
// compared without regard to case.
namespace listview {
constexpr int KeyRole = Qt::UserRole;
// The item with that key, or null.
QTreeWidgetItem *FindItem(QTreeWidget *view, const QString &key);
// Inserts an item with the key and text at the 0-based row (-1 = at the end).
// Null (nothing added) when the key is already there or the row is out of range.
QTreeWidgetItem *AddItem(QTreeWidget *view, int row, const QString &key, const QString &text);
}  // namespace listview

class clsURL {
public:
    // True when some entry, blanks trimmed, occurs in the listing URL (case-sensitive).
    // A missing collection owns nothing.
    static bool ValidURL(const QString &listingURL, const URLCollectionPtr &urls);
    // The account's URLs.dat as a collection; null when the file is missing or empty.
    static URLCollectionPtr GetURLCollection(const QString &engineName, const QString &accountName);
    // A URL file read whole and split at CR LF; null when the text is empty.
    static URLCollectionPtr LoadURLs(const QString &filePath);
    // One item per entry (text = URL, key = "Key" & URL); repeats of keys in the list are skipped.
    static void AddURLList(const URLCollectionPtr &urls, QTreeWidget *listView);
    // Splits at every exact `separator`, trims, drops empty pieces and repeats (ignoring case).
    static URLCollectionPtr ConverStrToCol(const QString &text, const QString &separator);
    // Writes the text as the account's URLs.dat (folders created when missing).
    static void SaveURL(const QString &engineName, const QString &accountName, const QString &urlText);

    // program folder/Accounts/engine/account/URLs.dat
    static QString URLFile(const QString &engineName, const QString &accountName);
};
