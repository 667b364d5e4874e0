#pragma once
// The program settings: connection, proxy, mail server, reporter details and
// the scheduler switch, kept as string values under the Preference key.
// Make one, call GetSettings, read or change properties, then SaveSettings.

#include <QString>

class clsPreference {
public:
    QString Proxy() const { return m_sProxy; }
    void setProxy(const QString &v) { m_sProxy = v; }
    QString TimeOut() const { return m_sTimeOut; }
    void setTimeOut(const QString &v) { m_sTimeOut = v; }
    QString ConfirmConnection() const { return m_sConfirmConnection; }
    void setConfirmConnection(const QString &v) { m_sConfirmConnection = v; }
    QString Port() const { return m_sPort; }
    void setPort(const QString &v) { m_sPort = v; }
    QString HTTPUserName() const { return m_sHTTPUserName; }
    void setHTTPUserName(const QString &v) { m_sHTTPUserName = v; }
    QString HTTPPassword() const { return m_sHTTPPassword; }
    void setHTTPPassword(const QString &v) { m_sHTTPPassword = v; }
    // Base64 of "user:password" when both are set, else ""; never stored.
    QString HTTPLogin() const;
    QString SMTPServer() const { return m_sSMTPServer; }
    void setSMTPServer(const QString &v) { m_sSMTPServer = v; }
    QString SMTPPort() const { return m_sSMTPPort; }
    void setSMTPPort(const QString &v) { m_sSMTPPort = v; }
    QString ReporterName() const { return m_sReporterName; }
    void setReporterName(const QString &v) { m_sReporterName = v; }
    QString CompanyName() const { return m_sCompanyName; }
    void setCompanyName(const QString &v) { m_sCompanyName = v; }
    QString Email() const { return m_sEmail; }
    void setEmail(const QString &v) { m_sEmail = v; }
    QString LogoURL() const { return m_sLogoURL; }
    void setLogoURL(const QString &v) { m_sLogoURL = v; }
    QString WebSite() const { return m_sWebSite; }
    void setWebSite(const QString &v) { m_sWebSite = v; }
    QString LogoPosition() const { return m_sLogoPosition; }
    void setLogoPosition(const QString &v) { m_sLogoPosition = v; }
    // 1 direct connection, 2 through the proxy.
    int AccessType() const { return m_iAccessType; }
    void setAccessType(int v) { m_iAccessType = v; }
    int Authentication() const { return m_iAuthentication; }
    void setAuthentication(int v) { m_iAuthentication = v; }
    bool SchedulerEnable() const { return m_bSchedulerEnable; }
    void setSchedulerEnable(bool v) { m_bSchedulerEnable = v; }

    // Reads every property afresh (defaults for missing values) and stamps
    // the program version and folder under the Setting key when it exists.
    // A bad stored value shows a message box, is logged, and leaves the
    // properties not yet read as they were. True when every value was read.
    bool GetSettings();
    // Creates the Preference key when missing and writes every stored value.
    // A failure shows a message box and is logged.
    void SaveSettings();

private:
    QString m_sProxy;
    QString m_sTimeOut;
    QString m_sConfirmConnection;
    QString m_sPort;
    QString m_sHTTPUserName;
    QString m_sHTTPPassword;
    QString m_sSMTPServer;
    QString m_sSMTPPort;
    QString m_sReporterName;
    QString m_sCompanyName;
    QString m_sEmail;
    QString m_sLogoURL;
    QString m_sWebSite;
    QString m_sLogoPosition;
    int m_iAccessType = 0;
    int m_iAuthentication = 0;
    bool m_bSchedulerEnable = false;
};
