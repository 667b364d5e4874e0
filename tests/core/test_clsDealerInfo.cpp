#include "core/clsDealerInfo.h"
#include "support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(clsDealerInfo, TheDealerFileBrandsTheProgramOrIsDroppedWhole) {
    using D = clsDealerInfo;
    const QStringList builtIn = {D::kDefaultName,      D::kDefaultEmail,      D::kDefaultHome,
                                 D::kDefaultUpdateURL, D::kDefaultSupportURL, D::kDefaultTipsURL};
    const QString site = "http://reseller.example.org/";
    struct Case {
        const char *name;
        QByteArray body;  // null: no dealer file
        QStringList shown;
    } cases[] = {
        {"no dealer file", QByteArray(), builtIn},
        // The file has no key for the tips address.
        {"full file",
         "Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nHome=" + site.toLatin1() + "\r\nUpdateURL=" +
             site.toLatin1() + "upd\r\nSupportURL=" + site.toLatin1() + "help\r\nWebSite=" + site.toLatin1() + "\r\n",
         {"Reseller Ltd", "sales@reseller.example.org", site, site + "upd", site + "help", D::kDefaultTipsURL}},
        {"empty links fall back one by one",
         "Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nSupportURL=\r\nWebSite=" + site.toLatin1() + "\r\n",
         {"Reseller Ltd", "sales@reseller.example.org", D::kDefaultHome, D::kDefaultUpdateURL, D::kDefaultSupportURL,
          D::kDefaultTipsURL}},
        {"no WebSite", "Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nHome=" + site.toLatin1() + "\r\n",
         builtIn},
        {"no Name", "Email=sales@reseller.example.org\r\nHome=" + site.toLatin1() + "\r\nWebSite=" + site.toLatin1() +
                        "\r\n",
         builtIn},
    };
    for (const Case &c : cases) {
        const QString file = testenv::windowsDir() + "/vantrel.ini";
        QFile::remove(file);
        if (!c.body.isNull())
            testenv::writeFile(file, "[Dealer]\r\n" + c.body);
        clsDealerInfo d;
        d.Load();
        EXPECT_EQ(QStringList({d.Dealername(), d.DealerEmail(), d.DealerURL(), d.UpdateURL(), d.SupportURL(),
                               d.TipsURL()}),
                  c.shown)
            << c.name;
    }
    // The built-in supplier is the maker, so the About box names no distributor.
    EXPECT_TRUE(QString(D::kDefaultName).contains("Morvaine"));
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}
