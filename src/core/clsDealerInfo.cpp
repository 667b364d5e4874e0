#include "core/clsDealerInfo.h"

#include "core/Globals.h"
#include "core/modCommon.h"

#include <QFileInfo>

clsDealerInfo *g_oDealerInfo = nullptr;

// Built-in supplier details, used when no dealer file brands the program.
const char *const clsDealerInfo::kDefaultName = "Morvaine Software";
const char *const clsDealerInfo::kDefaultEmail = "support@morvaine.example.com";
const char *const clsDealerInfo::kDefaultHome = "http://www.morvaine.example.com/";
const char *const clsDealerInfo::kDefaultUpdateURL = "http://www.morvaine.example.com/update/";
const char *const clsDealerInfo::kDefaultSupportURL = "http://www.morvaine.example.com/support/";
const char *const clsDealerInfo::kDefaultTipsURL = "http://www.morvaine.example.com/tips/";

namespace {
const char *const kDealerFile = "vantrel.ini";
const char *const kDealerSection = "Dealer";
}  // namespace

void clsDealerInfo::Load() {
    const QString windowsDir = GetWindowsDir();
    const QString file = windowsDir + QString::fromLatin1(kDealerFile);
    const QString section = QString::fromLatin1(kDealerSection);

    bool branded = false;
    if (!windowsDir.isEmpty() && QFileInfo(file).isFile()) {
        m_sDealername = ReadIniString(file, section, QStringLiteral("Name"));
        m_sDealerEmail = ReadIniString(file, section, QStringLiteral("Email"));
        m_sDealerURL = ReadIniString(file, section, QStringLiteral("Home"));
        m_sUpdateURL = ReadIniString(file, section, QStringLiteral("UpdateURL"));
        m_sSupportURL = ReadIniString(file, section, QStringLiteral("SupportURL"));
        const QString webSite = ReadIniString(file, section, QStringLiteral("WebSite"));
        // A dealer counts only with both a name and a web site.
        branded = !m_sDealername.isEmpty() && !webSite.isEmpty();
    }
    if (!branded) {
        m_sDealername = QString::fromLatin1(kDefaultName);
        m_sDealerEmail = QString::fromLatin1(kDefaultEmail);
        m_sDealerURL = QString::fromLatin1(kDefaultHome);
        m_sUpdateURL = QString::fromLatin1(kDefaultUpdateURL);
        m_sSupportURL = QString::fromLatin1(kDefaultSupportURL);
        m_sTipsURL = QString::fromLatin1(kDefaultTipsURL);
    }
    if (m_sDealerURL.isEmpty())
        m_sDealerURL = QString::fromLatin1(kDefaultHome);
    if (m_sUpdateURL.isEmpty())
        m_sUpdateURL = QString::fromLatin1(kDefaultUpdateURL);
    if (m_sSupportURL.isEmpty())
        m_sSupportURL = QString::fromLatin1(kDefaultSupportURL);
    if (m_sTipsURL.isEmpty())
        m_sTipsURL = QString::fromLatin1(kDefaultTipsURL);
}
