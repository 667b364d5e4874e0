#include "core/clsDealerInfo.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

void writeDealerFile(const QByteArray &body) {
    testenv::writeFile(testenv::windowsDir() + "/vantrel.ini", "[Dealer]\r\n" + body);
}

void expectBuiltIn(const clsDealerInfo &d) {
    EXPECT_EQ(d.Dealername(), clsDealerInfo::kDefaultName);
    EXPECT_EQ(d.DealerEmail(), clsDealerInfo::kDefaultEmail);
    EXPECT_EQ(d.DealerURL(), clsDealerInfo::kDefaultHome);
    EXPECT_EQ(d.UpdateURL(), clsDealerInfo::kDefaultUpdateURL);
    EXPECT_EQ(d.SupportURL(), clsDealerInfo::kDefaultSupportURL);
    EXPECT_EQ(d.TipsURL(), clsDealerInfo::kDefaultTipsURL);
}

}  // namespace

TEST(clsDealerInfo, NoDealerFileGivesBuiltInValues) {
    clsDealerInfo d;
    d.Load();
    expectBuiltIn(d);
    // The built-in supplier is the maker, so the About box names no distributor.
    EXPECT_TRUE(d.Dealername().contains("Morvaine"));
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsDealerInfo, FullDealerFileBrandsTheProgram) {
    writeDealerFile("Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nHome=http://reseller.example.org/\r\n"
                    "UpdateURL=http://reseller.example.org/upd\r\nSupportURL=http://reseller.example.org/help\r\n"
                    "WebSite=http://reseller.example.org/\r\n");
    clsDealerInfo d;
    d.Load();
    EXPECT_EQ(d.Dealername(), "Reseller Ltd");
    EXPECT_EQ(d.DealerEmail(), "sales@reseller.example.org");
    EXPECT_EQ(d.DealerURL(), "http://reseller.example.org/");
    EXPECT_EQ(d.UpdateURL(), "http://reseller.example.org/upd");
    EXPECT_EQ(d.SupportURL(), "http://reseller.example.org/help");
    EXPECT_EQ(d.TipsURL(), clsDealerInfo::kDefaultTipsURL);  // the file has no key for it
}

TEST(clsDealerInfo, EmptyLinksFallBackOneByOne) {
    writeDealerFile("Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nSupportURL=\r\n"
                    "WebSite=http://reseller.example.org/\r\n");
    clsDealerInfo d;
    d.Load();
    EXPECT_EQ(d.Dealername(), "Reseller Ltd");
    EXPECT_EQ(d.DealerEmail(), "sales@reseller.example.org");
    EXPECT_EQ(d.DealerURL(), clsDealerInfo::kDefaultHome);
    EXPECT_EQ(d.UpdateURL(), clsDealerInfo::kDefaultUpdateURL);
    EXPECT_EQ(d.SupportURL(), clsDealerInfo::kDefaultSupportURL);
}

TEST(clsDealerInfo, NameOrWebSiteMissingDropsTheWholeFile) {
    writeDealerFile("Name=Reseller Ltd\r\nEmail=sales@reseller.example.org\r\nHome=http://reseller.example.org/\r\n");
    clsDealerInfo d;
    d.Load();
    expectBuiltIn(d);

    writeDealerFile("Email=sales@reseller.example.org\r\nHome=http://reseller.example.org/\r\n"
                    "WebSite=http://reseller.example.org/\r\n");
    clsDealerInfo e;
    e.Load();
    expectBuiltIn(e);
}
