#include "ui/TreeNode.h"

#include "core/modCommon.h"
#include "platform/VB.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace treenode {

const char *const kImageRoot = "RootAccount";
const char *const kImageFolder = "AccountFolder";
const char *const kImageFolderOpen = "AccountFolderOpen";
const char *const kRootText = "Account";

namespace {
const char *const kAddNodeLabel = "clsMain_AddNewNodeError: ";

// Sorts by text without regard to letter case (ties by exact text), the
// order in which users expect engines and accounts to stand.
class AccountTreeItem : public QTreeWidgetItem {
public:
    AccountTreeItem() : QTreeWidgetItem(QTreeWidgetItem::UserType) {}
    bool operator<(const QTreeWidgetItem &other) const override {
        const QString a = text(0), b = other.text(0);
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    }
};

qint64 g_addedNodes = 0;

QString part(const QString &s) { return QString::number(s.size()) + QLatin1Char(':') + s; }
}  // namespace

QString RootKey() { return QStringLiteral("Root"); }
QString EngineKey(const QString &engine) { return QStringLiteral("Engine:") + part(engine); }
QString AccountKey(const QString &engine, const QString &account) {
    return QStringLiteral("Child:") + part(engine) + part(account);
}

Kind NodeKind(const QTreeWidgetItem *node) {
    return node ? Kind(node->data(0, KindRole).toInt()) : Kind::None;
}
bool IsRoot(const QTreeWidgetItem *node) { return NodeKind(node) == Kind::Root; }
bool IsEngine(const QTreeWidgetItem *node) { return NodeKind(node) == Kind::Engine; }
bool IsAccount(const QTreeWidgetItem *node) { return NodeKind(node) == Kind::Account; }
QString NodeKey(const QTreeWidgetItem *node) { return node ? node->data(0, KeyRole).toString() : QString(); }
void SetNodeKey(QTreeWidgetItem *node, const QString &key) {
    if (node)
        node->setData(0, KeyRole, key);
}
QString NodeText(const QTreeWidgetItem *node) { return node ? node->text(0) : QString(); }

QString NodeImage(const QTreeWidgetItem *node) { return node ? node->data(0, ImageRole).toString() : QString(); }

QIcon ImageIcon(const QString &imageKey) {
    QStyle *style = qobject_cast<QApplication *>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
    if (!style)
        return QIcon();
    if (imageKey == QLatin1String(kImageRoot))
        return style->standardIcon(QStyle::SP_DriveHDIcon);
    if (imageKey == QLatin1String(kImageFolderOpen))
        return style->standardIcon(QStyle::SP_DirOpenIcon);
    if (imageKey == QLatin1String(kImageFolder))
        return style->standardIcon(QStyle::SP_DirClosedIcon);
    return QIcon();
}

void SetNodeImage(QTreeWidgetItem *node, const QString &imageKey) {
    if (!node || NodeImage(node) == imageKey)
        return;
    node->setData(0, ImageRole, imageKey);
    node->setIcon(0, ImageIcon(imageKey));
}

bool HasTag(const QTreeWidgetItem *node) { return node && node->data(0, TagRole).isValid(); }

qint64 NodeTag(const QTreeWidgetItem *node) {
    if (!HasTag(node))
        return 0;
    const QVariant v = node->data(0, TagRole);
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    const double d = vb::Val(v.toString());
    if (d >= 9.2e18 || d <= -9.2e18)
        return 0;
    return qint64(d);
}

void SetNodeTag(QTreeWidgetItem *node, qint64 count) {
    if (node)
        node->setData(0, TagRole, count);
}

void ClearNodeTag(QTreeWidgetItem *node) {
    if (node)
        node->setData(0, TagRole, QVariant());
}

QTreeWidgetItem *FindNode(const QTreeWidget *tree, const QString &key) {
    if (!tree)
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        if (NodeKey(*it) == key)
            return *it;
    return nullptr;
}

QTreeWidgetItem *RootNode(const QTreeWidget *tree) {
    if (!tree)
        return nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (IsRoot(tree->topLevelItem(i)))
            return tree->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem *FindEngineNode(const QTreeWidget *tree, const QString &engine) {
    QTreeWidgetItem *node = FindNode(tree, EngineKey(engine));
    return IsEngine(node) ? node : nullptr;
}

QTreeWidgetItem *FindAccountNode(const QTreeWidgetItem *engineNode, const QString &account,
                                 const QTreeWidgetItem *except) {
    if (!engineNode)
        return nullptr;
    for (int i = 0; i < engineNode->childCount(); ++i) {
        QTreeWidgetItem *child = engineNode->child(i);
        if (child != except && IsAccount(child) &&
            child->text(0).compare(account, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

bool ContainsNode(const QTreeWidget *tree, const QTreeWidgetItem *node) {
    if (!tree || !node)
        return false;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        if (*it == node)
            return true;
    return false;
}

void SortChildren(QTreeWidget *tree, QTreeWidgetItem *parent) {
    if (parent)
        parent->sortChildren(0, Qt::AscendingOrder);
    else if (tree)
        tree->sortItems(0, Qt::AscendingOrder);
}

qint64 AddedOrder(const QTreeWidgetItem *node) {
    return node ? node->data(0, AddedRole).toLongLong() : 0;
}

QTreeWidgetItem *AddRootNode(QTreeWidget *tree) {
    auto *root = new AccountTreeItem;
    root->setText(0, QLatin1String(kRootText));
    root->setData(0, KeyRole, RootKey());
    root->setData(0, KindRole, int(Kind::Root));
    SetNodeImage(root, QLatin1String(kImageRoot));
    tree->addTopLevelItem(root);
    root->setExpanded(true);
    tree->scrollToItem(root);
    return root;
}

QTreeWidgetItem *AddNewNode(QTreeWidget *tree, const QString &parentKey, const QString &key,
                            const QString &text, const QString &imageKey, Kind kind) {
    try {
        QTreeWidgetItem *parent = FindNode(tree, parentKey);
        if (!parent)
            vb::Raise(35601, QStringLiteral("Element not found"));
        if (FindNode(tree, key))
            vb::Raise(35602, QStringLiteral("Key is not unique in collection"));
        auto *node = new AccountTreeItem;
        node->setText(0, text);
        node->setData(0, KeyRole, key);
        node->setData(0, KindRole, int(kind));
        node->setData(0, AddedRole, ++g_addedNodes);
        SetNodeImage(node, imageKey);
        parent->addChild(node);
        parent->sortChildren(0, Qt::AscendingOrder);
        node->setExpanded(true);
        tree->setCurrentItem(node);
        return node;
    } catch (const vb::VBError &e) {
        WriteErrorLog(QLatin1String(kAddNodeLabel) + e.Description());
    } catch (const std::exception &e) {
        WriteErrorLog(QLatin1String(kAddNodeLabel) + QString::fromLocal8Bit(e.what()));
    }
    return nullptr;
}

}  // namespace treenode
