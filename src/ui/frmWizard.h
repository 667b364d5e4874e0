#pragma once
// The five-step "Engine Data Update Wizard" that start-up shows on a first
// run or after an upgrade: introduction, Internet connection set-up, the
// download of the engine data file, the choice of engines and the finish
// page. One HTTP window serves all its downloads; the close box leaves at
// once, and a download still running then reports nothing.

#include "connect/frmHTTP.h"
#include "ui/ConnectionFields.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class clsEngine;
class clsPreference;

class frmWizard : public QDialog, public IHTTPCaller {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Engine Data Update Wizard"
    enum NavButton { navCancel = 1, navBack = 2, navNext = 3, navFinish = 4 };

    explicit frmWizard(QWidget *owner = nullptr);
    ~frmWizard() override;

    // Shows a new wizard modally and releases it (start-up's engine data wizard).
    static void ShowModal(QWidget *owner);

    bool Disconnected() const { return m_bDisconnected; }
    void setDisconnected(bool bValue) override;
    void ProcessData(const QString &sStatusCode, const QString &sResult) override;

    void Form_Load();
    // Index 1 "Direct to internet", 2 "Proxy Server".
    void optProxy_Click(int index);
    void cmdNav_Click(int index);
    void cmdStart_Click();

    int CurrentStep() const { return m_iStep; }
    bool Downloaded() const { return m_bDownloaded; }
    bool IsBusy() const { return m_bBusy; }
    frmHTTP *HttpWindow() const { return m_frmHTTP; }
    const clsPreference *Preference() const { return m_oPreference.get(); }

    QPushButton *cmdNav[5] = {};  // indexes 1 to 4
    QWidget *fraStep[6] = {};     // indexes 1 to 5
    QLabel *imgWizard = nullptr;
    QLabel *imgFinish = nullptr;
    QLabel *lblIntro = nullptr;
    QRadioButton *optProxy[3] = {};
    QLineEdit *txtProxy = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtHTTPUsername = nullptr;
    QLineEdit *txtHTTPPassword = nullptr;
    QLabel *lblMsg = nullptr;
    QPushButton *cmdStart = nullptr;
    QProgressBar *pbrEngineData = nullptr;
    QLabel *lblConnectStatus = nullptr;
    QTreeWidget *lvwEngine = nullptr;
    QLabel *lblFinish = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void done(int result) override;

private:
    void buildControls();
    QWidget *buildConnectionPage();
    void SetStep(int n);
    void SetNavBtns(int n);
    void SetCaption(int n);
    bool SaveEngineData(const QString &sResult);
    void CancelWizard();
    bool SaveHTTPData();
    void StartDownload();
    void StopDownload();
    // A failed download, shown on the page and in a message.
    void ShowDownloadError(const QString &text);
    void ResetDownloadButtons(bool bNextEnabled);
    void Unload(int result);
    void Form_Unload();

    QStackedWidget *m_pages = nullptr;
    int m_iStep = 1;
    bool m_bDownloaded = false;
    bool m_bBusy = false;
    bool m_bFinish = false;
    bool m_bDisconnected = false;
    bool m_bLoaded = false;
    // False when a stored setting could not be read: the connection page
    // then writes only its own values.
    bool m_bSettingsRead = false;
    std::unique_ptr<clsPreference> m_oPreference;
    ConnectionFields m_connection{optProxy, txtProxy, txtPort, txtHTTPUsername, txtHTTPPassword};
    std::unique_ptr<clsEngine> m_oEngine;
    QPointer<frmHTTP> m_frmHTTP;
    QString m_sSaveError;
};
