#pragma once
// The account dialog: adds an account to an engine or edits one (name,
// optional account ID, login, default bid limits, scheduler settings),
// checks the fields, saves the account and adds or renames its tree node.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class clsAccount;

class frmAccount : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Account"

    // `tree` is the main window's account tree, where a new or renamed
    // account's node goes.
    explicit frmAccount(QWidget *owner = nullptr, QTreeWidget *tree = nullptr);
    ~frmAccount() override;

    // The account being added (empty AccountName) or edited; set before the dialog is shown.
    const std::shared_ptr<clsAccount> &Account() const { return m_oAccount; }
    void setAccount(std::shared_ptr<clsAccount> account) { m_oAccount = std::move(account); }
    void setTree(QTreeWidget *tree) { m_tree = tree; }

    // Answers whether an account (engine, name) is being looked up now;
    // such an account is not renamed.
    using BusyCheck = std::function<bool(const QString &engine, const QString &account)>;
    void setBusyCheck(BusyCheck check) { m_busyCheck = std::move(check); }

    bool IsAddMode() const { return m_bAddMode; }
    // The engine's minimum bid text from the engine data file ("" when none).
    QString EngineMinBid() const { return m_sEngineMinBid; }

    // A name that can be a folder of its own and never stands for one of
    // the account's own files.
    static bool IsValidAccountName(const QString &name);

    // Fills the dialog from the account; runs once, at the first show at the latest.
    void Form_Load();

    void cmdOK_Click();
    void cmdCancel_Click();

    QLineEdit *txtAccountName = nullptr;
    QLineEdit *txtAccountID = nullptr;
    QLineEdit *txtUserID = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtMaxBid = nullptr;
    QLineEdit *txtMinBid = nullptr;
    QLabel *lblIntro = nullptr;
    QCheckBox *chkSchedulerEnable = nullptr;
    QComboBox *cboHours = nullptr;
    QCheckBox *chkSentReport = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void AddAccount();
    void UpdateAccount();
    void SetAccountData();
    // True when the engine already holds an account of that name (letter
    // case aside), other than `except`.
    bool NodeExists(const QString &engine, const QString &accountName, const QString &exceptName = QString()) const;
    bool ValidForm();
    // Refuses, with its message, a name that can't be a folder name.
    bool CheckAccountName(const QString &name);
    // Writes the account under its new name and moves its folder along.
    void RenameAccountFiles(const QString &oldName);
    void RenameNode(const QString &oldName, const QString &newName);
    void failField(QWidget *field, const QString &text, int style, const QString &title);

    std::shared_ptr<clsAccount> m_oAccount;
    QTreeWidget *m_tree = nullptr;
    BusyCheck m_busyCheck;
    bool m_bAddMode = false;
    bool m_bLoaded = false;
    QString m_sStoredName;  // the account's name as saved, "" in add mode
    QString m_sEngineMinBid;
};
