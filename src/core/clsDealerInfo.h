#pragma once
// The dealer who supplies the program: name, e-mail address and web links.
// A reseller brands the program with a dealer file in the Windows folder;
// without one the built-in values hold.

#include <QString>

class clsDealerInfo {
public:
    QString Dealername() const { return m_sDealername; }
    void setDealername(const QString &v) { m_sDealername = v; }
    QString DealerEmail() const { return m_sDealerEmail; }
    void setDealerEmail(const QString &v) { m_sDealerEmail = v; }
    QString DealerURL() const { return m_sDealerURL; }
    void setDealerURL(const QString &v) { m_sDealerURL = v; }
    QString UpdateURL() const { return m_sUpdateURL; }
    void setUpdateURL(const QString &v) { m_sUpdateURL = v; }
    QString SupportURL() const { return m_sSupportURL; }
    void setSupportURL(const QString &v) { m_sSupportURL = v; }
    QString TipsURL() const { return m_sTipsURL; }
    void setTipsURL(const QString &v) { m_sTipsURL = v; }

    // Loads the dealer file "vantrel.ini" of the Windows folder, falling back
    // to the built-in values. Never raises, shows or logs anything.
    void Load();

    // The built-in values.
    static const char *const kDefaultName;
    static const char *const kDefaultEmail;
    static const char *const kDefaultHome;
    static const char *const kDefaultUpdateURL;
    static const char *const kDefaultSupportURL;
    static const char *const kDefaultTipsURL;

private:
    QString m_sDealername;
    QString m_sDealerEmail;
    QString m_sDealerURL;
    QString m_sUpdateURL;
    QString m_sSupportURL;
    QString m_sTipsURL;
};
