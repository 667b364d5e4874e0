#pragma once
// The add-keywords dialog: the user types new keywords, one per line, or
// picks a text file of keywords and the separator that divides them. It only
// collects the choice; the caller reads it back once the modal dialog closes.

#include <QDialog>
#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class frmAddkeywords : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Add Keywords"
    // How the dialog was left.
    enum Action { ClosedByCloseBox = 0, ActionOK = 1, ActionCancel = 2, ActionImport = 3 };

    explicit frmAddkeywords(QWidget *owner = nullptr);
    ~frmAddkeywords() override;

    int ActionType() const { return m_iActionType; }
    // The typed keywords (the text box at OK); also what Prepare puts in the box.
    const QString &NewKeywords() const { return m_sNewKeywords; }
    void setNewKeywords(const QString &v) { m_sNewKeywords = v; }
    const QString &ImportFileName() const { return m_sImportFileName; }
    // While true the Import button is disabled.
    bool UpdateStatus() const { return m_bUpdateStatus; }
    void setUpdateStatus(bool v);
    // The separator box's current text, exactly as shown or typed.
    QString Separetor() const;

    // Fills the text box and the separator list; call before showing the dialog.
    void Prepare();

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdImport_Click();

    QTabWidget *SSTab1 = nullptr;
    QLabel *lblEnter = nullptr;
    QPlainTextEdit *txtKeywords = nullptr;
    QLabel *lblImport = nullptr;
    QLabel *lblSeparator = nullptr;
    QComboBox *cboSeparetor = nullptr;
    QPushButton *cmdImport = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void UpdateButtons();

    int m_iActionType = ClosedByCloseBox;
    QString m_sNewKeywords;
    QString m_sImportFileName;
    bool m_bUpdateStatus = false;
    bool m_bLoaded = false;
    // Parent of the dialog's event hooks: they go with its members, before
    // its child widgets, so no event reaches a half-destroyed dialog.
    std::unique_ptr<QObject> m_hooks = std::make_unique<QObject>();
};
