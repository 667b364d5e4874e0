#include "report/KeywordReportData.h"

#include "core/clsPreference.h"
#include "core/clsURL.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QLocale>

KeywordReportData KeywordReportData::ForAccount(const QString &engineName, const QString &accountName) {
    KeywordReportData d;
    d.engineName = engineName;
    d.accountName = accountName;
    d.date = seam::Now().date();
    // An account without URLs.dat, or with an empty one, simply has no URLs.
    if (const URLCollectionPtr urls = clsURL::GetURLCollection(engineName, accountName))
        for (const QString &url : *urls)
            d.urls.append(url);
    clsPreference pref;
    pref.GetSettings();
    d.reporterName = pref.ReporterName();
    d.companyName = pref.CompanyName();
    d.email = pref.Email();
    d.webSite = pref.WebSite();
    d.logoURL = pref.LogoURL();
    d.logoPosition = pref.LogoPosition();
    return d;
}

QString KeywordReportData::ShortDate() const { return vb::FormatGeneralDate(QDateTime(date, QTime(0, 0))); }

QString KeywordReportData::LongDate() const {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, QStringLiteral("dddd, MMMM d, yyyy"));
}
