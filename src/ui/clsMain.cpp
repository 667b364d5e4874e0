#include "ui/clsMain.h"

#include "core/clsAccount.h"
#include "core/clsEngine.h"
#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <climits>
#include <set>

const char *const clsMain::kProjectFileName = "Account.zqp";

namespace {
const char *const kAccountsFolderName = "Accounts";
const char *const kLastKey = "Last";
const char *const kCrLf = "\r\n";

const char *const kLoadProjectLabel = "clsMain_loadProject_Error: ";
const char *const kSaveAccountLabel = "SaveAccount_Error: ";
const char *const kDeleteAccountLabel = "clsMain_DeleteAccount error: ";

const char *const kDeleteQuestion = "Are you sure you want to delete Account : ";
const char *const kDeleteQuestionEnd = " ?";
const char *const kDeleteTitle = "Delete Account";
const char *const kOpenFileTitle = "Open File";
const char *const kNotOverwritten = "could not be read when the accounts were loaded; it is not overwritten";
const char *const kDeleteBusy =
    "This Account is being looked up. Please stop the look up before you delete it.";

QString L(const char *s) { return QString::fromLatin1(s); }


// "Last" as a count: its leading numeric value, held in an ordinary integer.
qint64 lastCount(const QString &text) {
    const double v = vb::Val(text);
    if (!(v >= 1))
        return 0;
    if (v >= double(INT_MAX))
        return INT_MAX;
    return qint64(vb::CLng(v));
}

// The numbered keys 1..last that the section holds, in ascending order.
// Only a key written as the plain number is the one the numbered read finds.
std::vector<qint64> numberedKeys(const QString &file, const QString &section, qint64 last) {
    std::set<qint64> found;
    for (const QString &key : platform::GetProfileKeys(file, section)) {
        bool ok = false;
        const qint64 n = key.toLongLong(&ok);
        if (ok && n >= 1 && n <= last && QString::number(n) == key)
            found.insert(n);
    }
    return std::vector<qint64>(found.begin(), found.end());
}

// Section names compare without regard to case, so engine names do too.
bool hasEngineNode(const QTreeWidgetItem *root, const QString &engine) {
    for (int i = 0; i < root->childCount(); ++i)
        if (root->child(i)->text(0).compare(engine, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The sections of the existing project file whose engines are not in the
// tree (an engine switched off, say), each as its lines without the blank
// lines at its end, so that a save keeps their accounts.
QList<QStringList> foreignSections(const QString &file, const QStringList &engines) {
    QList<QStringList> out;
    QString text;
    if (!QFileInfo(file).isFile() || !platform::ReadAnsiFile(file, &text))
        return out;
    QStringList *current = nullptr;
    for (const QString &line : platform::SplitLines(text)) {
        QString name;
        // The reader's own rule: a header it reads as another engine's
        // section is kept, not taken for one of the tree's.
        if (platform::IniSectionHeader(line, &name)) {
            const bool known = std::any_of(engines.begin(), engines.end(), [&](const QString &e) {
                return e.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (known) {
                current = nullptr;
            } else {
                out.append(QStringList());
                current = &out.last();
            }
        }
        if (current)
            current->append(line);
    }
    for (QStringList &section : out)
        while (!section.isEmpty() && section.last().trimmed().isEmpty())
            section.removeLast();
    return out;
}
}  // namespace

clsMain::clsMain(frmMain *mainWindow)
    : m_sProjectFile(platform::JoinPath(platform::ProgramFolder(), L(kProjectFileName))),
      m_sAccountsFolder(platform::JoinPath(platform::ProgramFolder(), L(kAccountsFolderName))),
      m_mainWindow(mainWindow) {
    if (m_mainWindow) {
        m_mainWindow->create(this);
        m_tree = m_mainWindow->tvwAccount;
    }
}

frmMain *clsMain::MainWindow() const { return m_mainWindow; }

void clsMain::setTree(QTreeWidget *tree) {
    m_tree = tree;
    m_oSelectNode = nullptr;
}

bool clsMain::IsAccountBusy(const QString &engine, const QString &account) const {
    return m_busyCheck && m_busyCheck(engine, account);
}

void clsMain::setSelectNode(QTreeWidgetItem *node) {
    // The node kept before may have been removed with the tree since.
    if (m_oSelectNode && m_oSelectNode != node && treenode::ContainsNode(m_tree, m_oSelectNode) &&
        !treenode::IsRoot(m_oSelectNode))
        treenode::SetNodeImage(m_oSelectNode, L(treenode::kImageFolder));
    m_oSelectNode = node;
    if (node && !treenode::IsRoot(node))
        treenode::SetNodeImage(node, L(treenode::kImageFolderOpen));
}

bool clsMain::Display() {
    // The window shows itself at the end of a successful load.
    if (!m_mainWindow)
        m_mainWindow = new frmMain;
    m_mainWindow->create(this);
    setTree(m_mainWindow->tvwAccount);
    return m_mainWindow->Form_Load();
}

bool clsMain::loadProject() {
    try {
        if (!m_tree)
            vb::Raise(vb::errInvalidCall, QStringLiteral("No account tree"));
        // A project file that is there but can't be read shows no accounts;
        // saving the tree over it would lose them for good.
        m_bProjectUnread = false;
        if (QFileInfo::exists(m_sProjectFile)) {
            QFile project(m_sProjectFile);
            if (!project.open(QIODevice::ReadOnly)) {
                m_bProjectUnread = true;
                const QString text = clsFileController::FileErrorText(m_sProjectFile, project.errorString());
                WriteErrorLog(L(kLoadProjectLabel) + text);
                seam::SetPointer(seam::Pointer::Default);
                seam::MsgBox(text, seam::vbExclamation, L(kOpenFileTitle));
            }
        }
        // Building the tree selects node after node; the window reacts to
        // the selection it gets at the end, not to each of these.
        const QSignalBlocker block(m_tree);
        m_tree->clear();
        m_oSelectNode = nullptr;
        QTreeWidgetItem *root = treenode::AddRootNode(m_tree);
        m_tree->setCurrentItem(root);

        std::unique_ptr<vb::Collection<QString>> engines;
        if (m_oEngine)
            engines = m_oEngine->GetEngineNameCol();
        if (!engines)
            return true;

        for (const QString &rawName : *engines) {
            const QString engine = vb::Trim(rawName);
            if (hasEngineNode(root, engine)) {
                // A repeated entry of the engine list reads the same section again: keep the first.
                WriteErrorLog(L(kLoadProjectLabel) + QStringLiteral("Engine listed twice: ") + engine);
                continue;
            }
            QTreeWidgetItem *engineNode =
                treenode::AddNewNode(m_tree, treenode::RootKey(), treenode::EngineKey(engine), engine,
                                     L(treenode::kImageFolder), treenode::Kind::Engine);
            if (!engineNode)
                vb::Raise(35602, QStringLiteral("Key is not unique in collection"));
            const qint64 last = lastCount(ReadIniString(m_sProjectFile, engine, L(kLastKey)));
            if (last <= 0)
                continue;
            qint64 total = 0;
            bool any = false;
            for (qint64 i : numberedKeys(m_sProjectFile, engine, last)) {
                const QString account = vb::Trim(ReadIniString(m_sProjectFile, engine, QString::number(i)));
                if (account.isEmpty())
                    continue;
                if (treenode::FindAccountNode(engineNode, account)) {
                    // A repeated entry stands for the same account: keep the first.
                    WriteErrorLog(L(kLoadProjectLabel) + QStringLiteral("Account listed twice: ") + engine +
                                  QStringLiteral(" \\ ") + account);
                    continue;
                }
                QTreeWidgetItem *accountNode = treenode::AddNewNode(
                    m_tree, treenode::EngineKey(engine), treenode::AccountKey(engine, account), account,
                    L(treenode::kImageFolder), treenode::Kind::Account);
                if (!accountNode)
                    vb::Raise(35602, QStringLiteral("Key is not unique in collection"));
                const qint64 count = GetKeywordsCount(engine, account);
                treenode::SetNodeTag(accountNode, count);
                total += count;
                any = true;
            }
            if (any)
                treenode::SetNodeTag(engineNode, total);
        }
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(kLoadProjectLabel, e);
    }
    return false;
}

void clsMain::SaveAccount() {
    try {
        if (m_bProjectUnread)
            vb::Raise(vb::errPermissionDenied,
                      clsFileController::FileErrorText(m_sProjectFile, L(kNotOverwritten)));
        QTreeWidgetItem *root = treenode::RootNode(m_tree);
        if (!root || root->childCount() == 0)
            return;
        QString text;
        QStringList engines;
        for (int e = 0; e < root->childCount(); ++e) {
            const QTreeWidgetItem *engineNode = root->child(e);
            engines.append(engineNode->text(0));
            if (engineNode->childCount() == 0)
                continue;
            text += QLatin1Char('[') + engineNode->text(0) + QLatin1Char(']') + L(kCrLf);
            int n = 0;
            for (int a = 0; a < engineNode->childCount(); ++a) {
                ++n;
                text += QString::number(n) + QLatin1Char('=') + engineNode->child(a)->text(0) + L(kCrLf);
            }
            text += L(kLastKey) + QLatin1Char('=') + QString::number(n) + L(kCrLf) + L(kCrLf);
        }
        for (const QStringList &section : foreignSections(m_sProjectFile, engines))
            text += section.join(L(kCrLf)) + L(kCrLf) + L(kCrLf);
        // The whole file, ending with one further line break, replaced at once.
        QString error;
        if (!platform::WriteAnsiFileAtomic(m_sProjectFile, text + L(kCrLf), false, &error))
            vb::Raise(vb::errPermissionDenied, error.isEmpty() ? vb::ErrorText(vb::errPermissionDenied) : error);
    } catch (const std::exception &e) {
        WriteErrorLog(kSaveAccountLabel, e);
    }
}

void clsMain::DeleteAccount() {
    try {
        QTreeWidgetItem *node = m_oSelectNode;
        if (!treenode::IsAccount(node) || !treenode::ContainsNode(m_tree, node))
            return;
        QTreeWidgetItem *engineNode = node->parent();
        const QString account = node->text(0);
        const QString engine = engineNode ? engineNode->text(0) : QString();
        if (IsAccountBusy(engine, account)) {
            seam::MsgBox(L(kDeleteBusy), seam::vbOKOnly | seam::vbInformation, L(kDeleteTitle));
            return;
        }
        if (seam::MsgBox(L(kDeleteQuestion) + account + L(kDeleteQuestionEnd), seam::vbYesNo | seam::vbQuestion,
                         L(kDeleteTitle)) != seam::vbYes)
            return;

        QTreeWidgetItem *next = nullptr;
        if (engineNode) {
            const int index = engineNode->indexOfChild(node);
            if (index + 1 < engineNode->childCount())
                next = engineNode->child(index + 1);
            else if (index > 0)
                next = engineNode->child(index - 1);
            else
                next = engineNode;
        }
        if (!next)
            next = treenode::RootNode(m_tree);

        // Only the settings file goes; keywords, URLs and bid settings stay
        // in the account's folder.
        clsAccount removed;
        removed.setEngine(engine);
        removed.setAccountName(account);
        const QString settingsFile = removed.SettingsFile();
        if (QFileInfo::exists(settingsFile) && !QFile::remove(settingsFile))
            vb::Raise(vb::errPermissionDenied);

        if (engineNode)
            treenode::SetNodeTag(engineNode, treenode::NodeTag(engineNode) - treenode::NodeTag(node));
        {
            const QSignalBlocker block(m_tree);
            delete node;
        }
        m_oSelectNode = next;
    } catch (const std::exception &e) {
        WriteErrorLog(kDeleteAccountLabel, e);
    }
}
