#include "core/clsURL.h"

#include "core/clsAccount.h"
#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>
#include <exception>

namespace {
const char kValidURLLabel[] = "modCommon_ValidURL error:  ";
const char kGetURLCollectionLabel[] = "modCommon_GetURLCollection: ";
const char kURLFileName[] = "URLs.dat";
const char kListKeyPrefix[] = "Key";
const char kCrLf[] = "\r\n";


}  // namespace

namespace listview {

QTreeWidgetItem *FindItem(QTreeWidget *view, const QString &key) {
    if (!view)
        return nullptr;
    const QString folded = key.toCaseFolded();
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = view->topLevelItem(i);
        if (item->data(0, KeyRole).toString().toCaseFolded() == folded)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem *AddItem(QTreeWidget *view, int row, const QString &key, const QString &text) {
    if (!view || row < -1 || row > view->topLevelItemCount())
        return nullptr;
    if (!key.isEmpty() && FindItem(view, key))
        return nullptr;
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    if (row < 0)
        view->addTopLevelItem(item);
    else
        view->insertTopLevelItem(row, item);
    return item;
}

}  // namespace listview

bool clsURL::ValidURL(const QString &listingURL, const URLCollectionPtr &urls) {
    try {
        if (!urls)
            return false;
        for (const QString &url : *urls) {
            if (listingURL.contains(vb::Trim(url), Qt::CaseSensitive))
                return true;
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kValidURLLabel, e);
    }
    return false;
}

QString clsURL::URLFile(const QString &engineName, const QString &accountName) {
    return platform::JoinPath(clsAccount::AccountFolder(engineName, accountName),
                              QString::fromLatin1(kURLFileName));
}

URLCollectionPtr clsURL::GetURLCollection(const QString &engineName, const QString &accountName) {
    try {
        const QString file = URLFile(engineName, accountName);
        if (!QFileInfo(file).isFile())
            return nullptr;
        return LoadURLs(file);
    } catch (const std::exception &e) {
        WriteErrorLog(kGetURLCollectionLabel, e);
    }
    return nullptr;
}

URLCollectionPtr clsURL::LoadURLs(const QString &filePath) {
    clsFileController files;
    const QString text = files.openTextFile(filePath);
    if (text.isEmpty())
        return nullptr;
    // A file edited elsewhere may end its lines in LF or CR alone.
    return ConverStrToCol(platform::SplitLines(text).join(QString::fromLatin1(kCrLf)), QString::fromLatin1(kCrLf));
}

void clsURL::AddURLList(const URLCollectionPtr &urls, QTreeWidget *listView) {
    if (!urls || !listView)
        return;
    for (const QString &url : *urls)
        listview::AddItem(listView, -1, QString::fromLatin1(kListKeyPrefix) + url, url);
}

URLCollectionPtr clsURL::ConverStrToCol(const QString &text, const QString &separator) {
    auto col = std::make_shared<URLCollection>();
    const QStringList pieces = vb::Split(text, separator);
    for (const QString &piece : pieces) {
        const QString url = vb::Trim(piece);
        // Entries are non-empty; a repeat (ignoring case) keeps the first.
        if (url.isEmpty() || col->Exists(url))
            continue;
        col->Add(url, url);
    }
    return col;
}

void clsURL::SaveURL(const QString &engineName, const QString &accountName, const QString &urlText) {
    platform::MakeFolder(platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Accounts")));
    platform::MakeFolder(QFileInfo(clsAccount::AccountFolder(engineName, accountName)).path());
    platform::MakeFolder(clsAccount::AccountFolder(engineName, accountName));
    clsFileController files;
    files.saveTextFile(URLFile(engineName, accountName), urlText);
}
