#pragma once
// "Keyword Look Up": a modal progress dialog that runs one ranking look-up
// of all keywords of one account, starting by itself shortly after it is
// shown and hiding itself when the look-up has completed or been
// cancelled. The caller then reads Cancelled and deletes the window.

#include "lookup/IRankingCaller.h"

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class clsEngine;
class clsRanking;

class frmLookUp : public QDialog, public IRankingCaller {
    Q_OBJECT
public:
    explicit frmLookUp(QWidget *parent = nullptr);
    ~frmLookUp() override;

    const QString &AccountName() const { return m_sAccountName; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    void setEngineObject(std::shared_ptr<const clsEngine> engine) { m_oEngine = std::move(engine); }
    // False: the look-up ran to its end and the account's Keywords.dat holds the results.
    bool Cancelled() const { return m_bCancelled; }
    void setEngine(const QString &v) { m_sEngine = v; }
    void SetStatus() override;

    // The one-second timers; tests may shorten them.
    QTimer *tmrstartLookUp = nullptr;
    QTimer *tmrSearchComplete = nullptr;
    QTimer *tmrDisConnect = nullptr;

    QLabel *lblStatus = nullptr;
    QProgressBar *prgProgress = nullptr;
    QPushButton *cmdCancel = nullptr;

    bool InSearch() const { return m_bInSearch; }
    clsRanking *Ranking() const { return m_oRanking.get(); }

public Q_SLOTS:
    // Escape cancels the look-up like the Cancel button; the window hides
    // itself once the cancel has completed.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void StartLookUp();
    void CancelLookUp();
    void tmrstartLookUp_Timer();
    void tmrSearchComplete_Timer();
    void tmrDisConnect_Timer();
    void releaseRanking();

    QString m_sAccountName;
    QString m_sEngine;
    std::shared_ptr<const clsEngine> m_oEngine;
    std::unique_ptr<clsRanking> m_oRanking;
    bool m_bInSearch = false;
    bool m_bCancelled = false;
    bool m_bLoaded = false;
};
