#pragma once
// The "Configuration" dialog: the Internet connection (direct or through a
// proxy, its port and login, the time-out), the mail server, the reporter's
// details and logo, and the scheduler switch. It reads the settings itself,
// checks the connection fields, writes every setting in one go on OK and
// discards everything on Cancel or the close box.

#include "ui/ConnectionFields.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class clsPreference;

class frmPreference : public QDialog {
    Q_OBJECT
public:
    static const char *const kCaption;  // "Configuration"
    static const char *const kTitle;    // "Preference", the title of its messages
    enum Tab { tabServer = 0, tabConnections = 1, tabProfile = 2, tabOption = 3 };

    explicit frmPreference(QWidget *owner = nullptr);
    ~frmPreference() override;

    // Shows the dialog modally and releases it.
    static void ShowModal(QWidget *owner);

    // Reads the settings into the fields; runs once, at the first show at the latest.
    void Form_Load();
    // Index 1 "Direct to internet", 2 "Proxy Server".
    void optProxy_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();

    // The settings being edited (null before the load and after the close).
    const clsPreference *Preference() const { return m_oPreference.get(); }

    QTabWidget *SSTab1 = nullptr;
    QRadioButton *optProxy[3] = {};  // indexes 1 and 2
    QLineEdit *txtProxy = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtMailServer = nullptr;
    QLineEdit *txtSMTPPort = nullptr;
    QLineEdit *txtTimeOut = nullptr;
    QCheckBox *chkConfirmConnection = nullptr;
    QLineEdit *txtHTTPUsername = nullptr;
    QLineEdit *txtHTTPPassword = nullptr;
    QLineEdit *txtReporterName = nullptr;
    QLineEdit *txtCompanyName = nullptr;
    QLineEdit *txtReporterEmail = nullptr;
    QLineEdit *txtReporterWeb = nullptr;
    QLineEdit *txtLogoURL = nullptr;
    QRadioButton *optPosition[3] = {};  // 1 "Top", 2 "Bottom"
    QCheckBox *chkSchedulerEnable = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void buildControls();
    // The refusal of OK: the message, the field's tab forward, the focus in the field.
    void failField(int tab, QWidget *field, const QString &text);

    std::unique_ptr<clsPreference> m_oPreference;
    bool m_bLoaded = false;
    ConnectionFields m_connection{optProxy, txtProxy, txtPort, txtHTTPUsername, txtHTTPPassword};
};
