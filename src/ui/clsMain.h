#pragma once
// The account-tree controller: builds the tree of engines and accounts from
// the project file "Account.zqp", writes the project file back from the
// tree, deletes accounts and marks the selected node with the open folder.

#include <QPointer>
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class clsEngine;
class frmMain;

class clsMain {
public:
    static const char *const kProjectFileName;  // "Account.zqp"

    // Sets the project file and accounts folder paths from the program folder.
    // With a main window it hands itself to it (its create).
    explicit clsMain(frmMain *mainWindow = nullptr);
    clsMain(const clsMain &) = delete;
    clsMain &operator=(const clsMain &) = delete;

    QTreeWidgetItem *SelectNode() const { return m_oSelectNode; }
    // Switches the open-folder image from the node selected before to this one.
    void setSelectNode(QTreeWidgetItem *node);
    clsEngine *EngineObject() const { return m_oEngine; }
    void setEngineObject(clsEngine *engine) { m_oEngine = engine; }

    // Loads the main window (created here when none was given) and shows it
    // when its load succeeded. True when it did.
    bool Display();
    // Builds the tree under a new root from the engines and the project file.
    // A project file that exists but can't be read is reported (naming it).
    bool loadProject();
    // Rewrites the project file from the tree; never over a project file
    // the last load could not read (logged instead).
    void SaveAccount();
    // Confirms and deletes the account of SelectNode, then moves SelectNode
    // to the node to select next.
    void DeleteAccount();

    // The tree this controller works on (the main window's, or one given by tests).
    QTreeWidget *Tree() const { return m_tree; }
    void setTree(QTreeWidget *tree);
    frmMain *MainWindow() const;

    // Answers whether an account (engine, name) is being looked up now;
    // such an account is not deleted.
    using BusyCheck = std::function<bool(const QString &engine, const QString &account)>;
    void setBusyCheck(BusyCheck check) { m_busyCheck = std::move(check); }
    bool IsAccountBusy(const QString &engine, const QString &account) const;

    QString ProjectFile() const { return m_sProjectFile; }
    QString AccountsFolder() const { return m_sAccountsFolder; }

private:
    QString m_sProjectFile;
    QString m_sAccountsFolder;
    QTreeWidgetItem *m_oSelectNode = nullptr;
    clsEngine *m_oEngine = nullptr;
    QPointer<QTreeWidget> m_tree;
    frmMain *m_mainWindow = nullptr;
    BusyCheck m_busyCheck;
    bool m_bProjectUnread = false;
};
