#pragma once
// The "Engine Setting" dialog: every engine of the engine data file with a
// check box for its enable flag. OK stores the flags; Cancel and the close
// box leave them and report Cancelled. The caller reloads the engines.
// Calling order: Prepare, show modally, read Cancelled, Form_Unload.

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;
class QTreeWidget;
class clsEngine;

class frmEnginesetting : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Engine Setting"

    explicit frmEnginesetting(QWidget *owner = nullptr);
    ~frmEnginesetting() override;

    bool Cancelled() const { return m_bCancelled; }
    // Lists every engine of the engine data file with its enable flag.
    void Prepare();
    // Drops the engine object (the window itself stays for the next use).
    void Form_Unload();

    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel *lblEngineTitle = nullptr;
    QTreeWidget *lvwEngine = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void reject() override;

private:
    std::unique_ptr<clsEngine> m_oEngine;
    bool m_bCancelled = true;
};
