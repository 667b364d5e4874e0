#include "ProgramFixtures.h"

#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "ui/frmURLs.h"

#include <QColor>
#include <QSet>

using fixtures::Program;

namespace {

const QByteArray kProject = "[Google]\r\n1=acme\r\nLast=1\r\n\r\n";
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);

QString file(const char *name) { return fixtures::accountFile("Google", "acme", name); }
QString poolFile() { return GetWindowsDir() + "vrnULs.dat"; }

// Each ranking row's colour across all its columns: "red", "purple",
// "plain", or "mixed".
QStringList rowColours(QTreeWidget *list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        QSet<QString> seen;
        for (int c = 0; c < list->columnCount(); ++c) {
            const QBrush b = row->foreground(c);
            if (b.style() == Qt::NoBrush)
                seen << "plain";
            else
                seen << (b.color() == kRed ? "red" : b.color() == kPurple ? "purple" : b.color().name());
        }
        out << (seen.size() == 1 ? *seen.begin() : QString("mixed"));
    }
    return out;
}

void selectURL(Program &p, const QString &url) {
    p.form->lvwURLs->clearSelection();
    p.form->lvwURLs->setCurrentItem(p.form->lvwURLs->topLevelItem(int(p.urls().indexOf(url))));
}

}  // namespace

TEST(MainWindowURLs, OkSavesTheURLsAndRecomputesTheOwnListings) {
    fixtures::writeEngineData({"Google"});
    fixtures::writeKeywords("Google", "acme", {"shoes"});
    // Bids a cent apart, so no bid cell takes the gap colour.
    testenv::writeFile(clsKeywords::ResultsFile("Google", "shoes"),
                       "a.example;#A;#$0.41\r\nwww.shop.example/s;#Ours;#$0.40\r\nb.example;#B;#$0.39\r\n");
    Program p(kProject, "Google", "acme");
    EXPECT_TRUE(p.urls().isEmpty());

    // Cancel leaves every file as it was.
    const QByteArray keywords = testenv::readFile(file("Keywords.dat"));
    fixtures::inModal<frmURLs>([](frmURLs *d) {
        d->txtURLs->setText("http://shop.example");
        d->cmdAdd->click();
        d->cmdCancel->click();
    });
    p.form->EditURLs();
    EXPECT_EQ(testenv::readFile(file("Keywords.dat")), keywords);
    EXPECT_FALSE(QFileInfo::exists(file("URLs.dat")));
    EXPECT_FALSE(QFileInfo::exists(poolFile()));

    fixtures::inModal<frmURLs>([](frmURLs *d) {
        EXPECT_EQ(d->EngineName(), "Google");
        EXPECT_EQ(d->AccountName(), "acme");
        d->txtURLs->setText("http://shop.example");
        d->cmdAdd->click();
        d->cmdOK->click();
    });
    p.form->EditURLs();
    EXPECT_EQ(testenv::readFile(file("URLs.dat")), "shop.example\r\n\r\n");
    EXPECT_EQ(testenv::readFile(poolFile()), "shop.example\r\n\r\n");
    EXPECT_EQ(testenv::readFile(file("Keywords.dat")), "shoes;;$0.40;$0.39;;;;;;2;\r\n\r\n");
    EXPECT_EQ(p.urls(), QStringList{"shop.example"});
    EXPECT_EQ(p.form->lvwKeywords->text(0, 3), "$0.40");
    EXPECT_EQ(rowColours(p.form->lvwRanking), QStringList({"plain", "red", "plain"}));
}

TEST(MainWindowURLs, ShowPositionMarksTheRowsOfOneURLPurple) {
    fixtures::writeEngineData({"Google"});
    fixtures::writeKeywords("Google", "acme", {"boots"});
    testenv::writeFile(file("URLs.dat"), "shop.example\r\nshop.example/boots\r\n\r\n");
    // Bids a cent apart, so no bid cell takes the gap colour.
    testenv::writeFile(clsKeywords::ResultsFile("Google", "boots"),
                       "www.shop.example/s;#Ours;#$0.43\r\n shop.example/boots/1 ;#Boots;#$0.42\r\n"
                       "other.example;#Other;#$0.41\r\nSHOP.EXAMPLE/BOOTS;#Caps;#$0.40\r\n");
    Program p(kProject, "Google", "acme");
    QTreeWidget *ranking = p.form->lvwRanking;
    ASSERT_EQ(ranking->topLevelItemCount(), 4);
    EXPECT_EQ(rowColours(ranking), QStringList({"red", "red", "plain", "plain"}));

    struct Step {
        const char *url;
        QStringList colours;
    } steps[] = {
        {"shop.example/boots", {"red", "purple", "plain", "plain"}},  // case-sensitive, blanks trimmed
        {"shop.example", {"purple", "purple", "plain", "plain"}},
        {"shop.example/boots", {"red", "purple", "plain", "plain"}},  // earlier purple rows back to red
    };
    for (const Step &s : steps) {
        selectURL(p, s.url);
        p.form->ShowURLPosition();
        EXPECT_EQ(rowColours(ranking), s.colours) << s.url;
    }

    // No URL chosen: logged, nothing changes.
    p.form->lvwURLs->clearSelection();
    p.form->lvwURLs->setCurrentItem(nullptr);
    p.form->ShowURLPosition();
    EXPECT_EQ(rowColours(ranking), steps[2].colours);
    EXPECT_TRUE(testenv::errorLog().contains("frmMain_ShowURLPosition error:  "));
}

TEST(MainWindowURLs, SelectingAURLEnablesOpenAtOnce) {
    fixtures::writeEngineData({"Google"});
    fixtures::writeKeywords("Google", "acme", {"boots"});
    testenv::writeFile(file("URLs.dat"), "shop.example\r\nshop.example/boots\r\n\r\n");
    Program p(kProject, "Google", "acme");
    QTreeWidget *urls = p.form->lvwURLs;
    QAction *open = p.item("URL", 3);
    urls->clearSelection();
    EXPECT_FALSE(open->isEnabled());

    // A click on a URL, as the user makes it.
    p.form->show();
    const QRect second = urls->visualItemRect(urls->topLevelItem(1));
    ASSERT_TRUE(second.isValid());
    QTest::mouseClick(urls->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(urls->topLevelItem(1)->isSelected());
    EXPECT_TRUE(open->isEnabled());

    // The keyboard's moves and the selection's end follow too.
    urls->setFocus();
    QTest::keyClick(urls, Qt::Key_Up);
    ASSERT_TRUE(urls->topLevelItem(0)->isSelected());
    EXPECT_TRUE(open->isEnabled());
    urls->clearSelection();
    EXPECT_FALSE(open->isEnabled());
    // The rest of the rule holds as on a refresh.
    EXPECT_TRUE(p.item("URL", 1)->isEnabled());
}
