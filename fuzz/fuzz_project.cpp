// The project file (Account.zqp): load into the account tree, save, load again.
// Properties: the tree holds each listed account once under its engine; a
// save then a load gives the same tree; a second save writes the same bytes;
// sections of engines not in the tree survive the save.

#include "FuzzSupport.h"

#include "core/clsEngine.h"
#include "platform/Ini.h"
#include "ui/clsMain.h"

#include <QTreeWidget>

namespace {

// Each engine node's text first, then its accounts, in tree order.
QList<QStringList> treeOf(QTreeWidget &tree) {
    QList<QStringList> out;
    FUZZ_CHECK(tree.topLevelItemCount() == 1);
    QTreeWidgetItem *root = tree.topLevelItem(0);
    for (int e = 0; e < root->childCount(); ++e) {
        QStringList node{root->child(e)->text(0)};
        for (int a = 0; a < root->child(e)->childCount(); ++a)
            node << root->child(e)->child(a)->text(0);
        out << node;
    }
    return out;
}

bool hasEngine(const QString &name) {
    for (const char *e : {"Overture", "FindWhat", "Google"})
        if (name.compare(QLatin1String(e), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    static bool engineFile = false;
    if (!engineFile) {
        engineFile = true;
        fuzz::WriteRaw(g_sEngineDataFile, "[OvertureEngines]\r\n1=Overture\r\n2=FindWhat\r\n3=Google\r\n");
    }
    clsEngine engine;
    engine.loadEngineData();
    QTreeWidget tree;
    clsMain main;
    main.setTree(&tree);
    main.setEngineObject(&engine);
    const QString file = main.ProjectFile();
    fuzz::WriteRaw(file, fuzz::Bytes(data, size));

    FUZZ_CHECK(main.loadProject());
    const QList<QStringList> first = treeOf(tree);
    FUZZ_CHECK(first.size() == 3);
    for (const QStringList &node : first) {
        QSet<QString> unique;
        for (int a = 1; a < node.size(); ++a) {
            FUZZ_CHECK(!node[a].isEmpty() && vb::Trim(node[a]) == node[a]);
            unique.insert(node[a].toCaseFolded());
        }
        FUZZ_CHECK(unique.size() == node.size() - 1);  // each account once
    }
    // Sections of other engines, by the reader's rule.
    QStringList foreign;
    for (const QString &s : platform::GetProfileSections(file))
        if (!hasEngine(s) && !foreign.contains(s))
            foreign << s;

    main.SaveAccount();
    QByteArray saved;
    FUZZ_CHECK(platform::ReadFileBytes(file, &saved));
    for (const QString &s : foreign)
        FUZZ_CHECK(platform::GetProfileSections(file).contains(s));

    FUZZ_CHECK(main.loadProject());
    FUZZ_CHECK(treeOf(tree) == first);
    main.SaveAccount();
    QByteArray savedAgain;
    FUZZ_CHECK(platform::ReadFileBytes(file, &savedAgain) && savedAgain == saved);
    return 0;
}
