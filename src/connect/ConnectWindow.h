#pragma once
// The window every connection run shows: the run's title, status and
// progress, shown modally and hidden when the run is over. Cancel, the
// close box and Esc cancel the run; the window stays loaded for the next
// run, so a recent login can serve an update. An engine's window hands it
// its run control.

#include <QDialog>
#include <memory>

#include "connect/IConnectWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;
class ConnectRunControl;

class ConnectWindow : public QDialog, public IConnectWindow {
    Q_OBJECT
public:
    // Takes the run control over (it becomes the window's child).
    explicit ConnectWindow(ConnectRunControl *session, QWidget *parent = nullptr);
    ~ConnectWindow() override;

    KeywordCollectionPtr KeywordsCollection() const override;
    void setKeywordsCollection(KeywordCollectionPtr colKeywords) override;
    std::shared_ptr<clsAccount> Account() const override;
    void setAccount(std::shared_ptr<clsAccount> oAccount) override;
    QString Action() const override;
    void setAction(const QString &sAction) override;
    bool Cancelled() const override;
    void Prepare(const QString &sEngine, bool bLoadEngineFile) override;
    // Returns at once when no run is pending.
    void ShowModal(QWidget *owner) override;

    ConnectRunControl &RunControl() { return *m_session; }

    QLabel *lblTitle = nullptr;
    QLabel *lblStatus = nullptr;
    QProgressBar *prgProgress = nullptr;
    QPushButton *cmdCancel = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void cmdCancel_Click();
    void onProgress(int value, int maximum);

    ConnectRunControl *m_session = nullptr;
};
