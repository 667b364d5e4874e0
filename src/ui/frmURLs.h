#pragma once
// The URL dialog ("Add & Edit URL"): edits one account's own web site URLs
// as ticks in a pool of every URL ever entered, which all accounts share
// ("vrnULs.dat" in the Windows folder). OK writes the pool and the
// account's URLs.dat.

#include <QDialog>
#include <QString>

#include "core/clsURL.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class frmURLs : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;       // "Add & Edit URL"
    static const char *const kPoolFileName;  // "vrnULs.dat"

    explicit frmURLs(QWidget *owner = nullptr);
    ~frmURLs() override;

    const QString &EngineName() const { return m_sEngineName; }
    void setEngineName(const QString &v) { m_sEngineName = v; }
    const QString &AccountName() const { return m_sAccountName; }
    void setAccountName(const QString &v) { m_sAccountName = v; }
    // True once the user left by Cancel, Esc or the close box.
    bool Cancelled() const { return m_bCancelled; }
    // After OK: the ticked URLs in list order.
    const URLCollectionPtr &URLCollection() const { return m_colURLs; }
    void setURLCollection(const URLCollectionPtr &v) { m_colURLs = v; }

    // The pool file: the Windows folder and kPoolFileName.
    static QString PoolFile();

    // Lists the pool with the account's URLs ticked; call before showing.
    void Prepare();

    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdDeleteAll_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Moves the controls and sets the height (the layout rule of every resize).
    void Form_Resize();

    QTreeWidget *lvwURLs = nullptr;
    QLabel *lblEditURLs = nullptr;
    QLineEdit *txtURLs = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdDeleteAll = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void UpdateButtons();
    // False (after the "Invalid URL: " message) when a line can't be a URL.
    bool ValideURLs();
    void SaveForm();

    QString m_sEngineName;
    QString m_sAccountName;
    URLCollectionPtr m_colURLs;
    URLCollectionPtr m_colURLPool;
    bool m_bCancelled = false;
    bool m_bLoaded = false;
    bool m_bResizing = false;
};
