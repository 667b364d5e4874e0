#pragma once
// Nodes of the account tree: one root, one node per engine, one per account.
// Every node carries its key, its kind, its image key and its tag (a keyword
// count) in data roles of column 0. Keys are built so that no two different
// (engine, account) pairs can give the same key, and a node's kind is never
// guessed from the text of its key.

#include <QString>
#include <qnamespace.h>

class QIcon;
class QTreeWidget;
class QTreeWidgetItem;

namespace treenode {

enum class Kind { None = 0, Root = 1, Engine = 2, Account = 3 };

// Data roles of column 0 (distinct from the list views' key role).
constexpr int KeyRole = Qt::UserRole + 20;
constexpr int KindRole = Qt::UserRole + 21;
constexpr int ImageRole = Qt::UserRole + 22;
constexpr int TagRole = Qt::UserRole + 23;
constexpr int AddedRole = Qt::UserRole + 24;

// Image keys of the tree's image list.
extern const char *const kImageRoot;        // "RootAccount"
extern const char *const kImageFolder;      // "AccountFolder"
extern const char *const kImageFolderOpen;  // "AccountFolderOpen"

extern const char *const kRootText;  // "Account"

QString RootKey();
// Each part is preceded by its length, so names holding any character
// (the separator included) can never run into each other.
QString EngineKey(const QString &engine);
QString AccountKey(const QString &engine, const QString &account);

Kind NodeKind(const QTreeWidgetItem *node);
inline Kind kind(const QTreeWidgetItem *node) { return NodeKind(node); }
bool IsRoot(const QTreeWidgetItem *node);
bool IsEngine(const QTreeWidgetItem *node);
bool IsAccount(const QTreeWidgetItem *node);
QString NodeKey(const QTreeWidgetItem *node);
void SetNodeKey(QTreeWidgetItem *node, const QString &key);
QString NodeText(const QTreeWidgetItem *node);

// The node's image key ("" when none) and the icon shown for it.
QString NodeImage(const QTreeWidgetItem *node);
void SetNodeImage(QTreeWidgetItem *node, const QString &imageKey);
QIcon ImageIcon(const QString &imageKey);

// Tags hold counts; an empty or missing tag reads as 0, a text tag as its
// leading numeric value.
bool HasTag(const QTreeWidgetItem *node);
qint64 NodeTag(const QTreeWidgetItem *node);
void SetNodeTag(QTreeWidgetItem *node, qint64 count);
void ClearNodeTag(QTreeWidgetItem *node);

// Rises with every node AddNewNode adds: the tree shows its levels sorted,
// this keeps the order in which the nodes were added (0 for other nodes).
qint64 AddedOrder(const QTreeWidgetItem *node);

// The node with exactly this key, or null.
QTreeWidgetItem *FindNode(const QTreeWidget *tree, const QString &key);
QTreeWidgetItem *RootNode(const QTreeWidget *tree);
// The engine node of that name (exact), or null.
QTreeWidgetItem *FindEngineNode(const QTreeWidget *tree, const QString &engine);
// The account node under an engine node whose text equals `account` without
// regard to letter case, or null. `except` is never returned.
QTreeWidgetItem *FindAccountNode(const QTreeWidgetItem *engineNode, const QString &account,
                                 const QTreeWidgetItem *except = nullptr);
// True when the item (compared by address only) is still part of the tree.
bool ContainsNode(const QTreeWidget *tree, const QTreeWidgetItem *node);

// Adds the root node (key, text and image of the root), expanded and sorted.
QTreeWidgetItem *AddRootNode(QTreeWidget *tree);

// Adds a child of the node with `parentKey`, under `key`, with the text and
// image, then makes it expanded and selected and sorts its level. On a
// failure (no parent, a key already in the tree) it logs
// "clsMain_AddNewNodeError: " and the reason, and returns null.
QTreeWidgetItem *AddNewNode(QTreeWidget *tree, const QString &parentKey, const QString &key,
                            const QString &text, const QString &imageKey, Kind kind);

// Sorts the children of a node (or the top level for null) in the tree's
// alphabetical order.
void SortChildren(QTreeWidget *tree, QTreeWidgetItem *parent);

}  // namespace treenode
