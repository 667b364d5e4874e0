#include "report/KeywordReportData.h"

#include "core/clsPreference.h"
#include "core/clsURL.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QLocale>
#include <memory>

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

void KeywordReportData::SetRowSource(int count, std::function<QString(int, int)> cell) {
    m_rowCount = count;
    m_cell = std::move(cell);
}

void KeywordReportData::SetRows(std::vector<Row> rows) {
    auto shared = std::make_shared<const std::vector<Row>>(std::move(rows));
    SetRowSource(int(shared->size()), [shared](int r, int c) { return (*shared)[size_t(r)][size_t(c)]; });
}

QString KeywordReportData::ShortDate() const { return vb::FormatGeneralDate(QDateTime(date, QTime(0, 0))); }

QString KeywordReportData::LongDate() const {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, QStringLiteral("dddd, MMMM d, yyyy"));
}
