#pragma once
// The "Update Engine Data" dialog: downloads the engine data file from the
// maker's server with a fresh HTTP window per download and replaces the file
// with a good answer. Start turns into Stop while a download runs; the close
// box is refused meanwhile. The running program keeps its engine definitions;
// the new file is read at the next start.

#include "connect/frmHTTP.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

class frmUpdateEngines : public QDialog, public IHTTPCaller {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Update Engine Data"

    explicit frmUpdateEngines(QWidget *owner = nullptr);
    ~frmUpdateEngines() override;

    // Shows the dialog modally and releases it.
    static void ShowModal(QWidget *owner);

    bool Disconnected() const { return m_bDisconnected; }
    void setDisconnected(bool bValue) override;
    void ProcessData(const QString &sStatusCode, const QString &sResult) override;

    void Form_Load();
    void cmdStart_Click();
    void cmdClose_Click();

    bool IsBusy() const { return m_bBusy; }
    // The HTTP window of the current download (null before the first one).
    frmHTTP *HttpWindow() const { return m_frmHTTP; }

    QProgressBar *pbrEngineData = nullptr;
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdClose = nullptr;
    QLabel *lblConnectStatus = nullptr;
    QLabel *lblMsg = nullptr;
    QLabel *imgPicture = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void done(int result) override;

private:
    void buildControls();
    void StartUpdate();
    void StopUpdate();
    bool SaveEngineData(const QString &sResult);
    void ShowUpdateError();
    void ResetButtons();
    void setMessage(const QString &text, bool error);
    void Form_Unload();

    QPointer<frmHTTP> m_frmHTTP;
    bool m_bBusy = false;
    bool m_bDisconnected = false;
    bool m_bLoaded = false;
    QString m_sSaveError;
};
