#include "ProgramFixtures.h"

#include "core/modCommon.h"
#include "ui/frmURLs.h"

namespace {

QString poolFile() { return GetWindowsDir() + "vrnULs.dat"; }
QString urlsFile() { return fixtures::accountFile("Google", "acme", "URLs.dat"); }

// The dialog of account Google/acme, prepared and shown.
struct Dialog {
    frmURLs d;
    Dialog() {
        d.setEngineName("Google");
        d.setAccountName("acme");
        d.Prepare();
        d.show();
        QTest::qWait(0);
    }
    // Each item as its text, with "[x] " in front when ticked.
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < d.lvwURLs->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = d.lvwURLs->topLevelItem(i);
            out << (item->checkState(0) == Qt::Checked ? "[x] " : "") + item->text(0);
        }
        return out;
    }
    QTreeWidgetItem *item(int i) const { return d.lvwURLs->topLevelItem(i); }
    void add(const QString &text) {
        d.txtURLs->setText(text);
        d.cmdAdd->click();
    }
};

}  // namespace

TEST(frmURLs, ControlsAndTheirHeightRule) {
    Dialog dlg;
    frmURLs &d = dlg.d;
    EXPECT_EQ(d.windowTitle(), "Add & Edit URL");
    EXPECT_EQ(d.lblEditURLs->text(), " Enter your URL below:");
    EXPECT_EQ(d.lvwURLs->headerItem()->text(0), "URLs");
    const struct {
        QPushButton *button;
        const char *caption, *tip;
    } buttons[] = {{d.cmdAdd, "&Add", "Add URL to the list"},
                   {d.cmdDelete, "&Delete", "Delete URLs"},
                   {d.cmdDeleteAll, "De&lete All", "Delete All URLs"},
                   {d.cmdOK, "&OK", ""},
                   {d.cmdCancel, "Cancel", ""}};
    for (const auto &b : buttons) {
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->toolTip(), b.tip);
    }
    EXPECT_TRUE(d.cmdAdd->isDefault());

    // The height follows the buttons whatever the user asks for.
    d.resize(d.width() + 40, 900);
    QTest::qWait(0);
    EXPECT_EQ(d.height(), 303);
    EXPECT_LE(d.cmdOK->geometry().bottom(), d.height());
}

TEST(frmURLs, PrepareListsThePoolWithTheAccountsURLsTicked) {
    testenv::writeFile(poolFile(), "www.shop.example\r\n\r\n other.example \r\nSHOP.example/boots\r\n\r\n");
    testenv::writeFile(urlsFile(), "shop.example/BOOTS\r\nonly-here.example\r\n\r\n");
    Dialog dlg;
    // An account URL missing from the pool is listed, ticked, so OK keeps it.
    EXPECT_EQ(dlg.items(), QStringList({"www.shop.example", "other.example", "[x] SHOP.example/boots",
                                        "[x] only-here.example"}));
    EXPECT_FALSE(dlg.d.Cancelled());
    EXPECT_FALSE(dlg.d.cmdAdd->isEnabled());
    EXPECT_TRUE(dlg.d.cmdDeleteAll->isEnabled());
    EXPECT_FALSE(dlg.d.cmdDelete->isEnabled());
    dlg.item(1)->setSelected(true);
    EXPECT_TRUE(dlg.d.cmdDelete->isEnabled());

    dlg.d.cmdOK->click();
    EXPECT_FALSE(dlg.d.isVisible());
    EXPECT_EQ(testenv::readFile(poolFile()),
              "www.shop.example\r\nother.example\r\nSHOP.example/boots\r\nonly-here.example\r\n\r\n");
    EXPECT_EQ(testenv::readFile(urlsFile()), "SHOP.example/boots\r\nonly-here.example\r\n\r\n");
    ASSERT_TRUE(dlg.d.URLCollection());
    EXPECT_EQ(dlg.d.URLCollection()->Count(), 2);
}

TEST(frmURLs, AddDropsTheSchemeTicksAndRefusesLinesThatAreNoURL) {
    testenv::writeFile(poolFile(), "old.example\r\n\r\n");
    Dialog dlg;
    dlg.add("http://www.shop.example");
    dlg.add(" WWW.SHOP.example ");           // the same URL: ticked, not added
    dlg.add("https://old.example");          // a pool URL gets its tick
    dlg.add("a.example\n\nftp://b.example\rc.example\r\nc.example");
    EXPECT_EQ(dlg.items(), QStringList({"[x] old.example", "[x] www.shop.example", "[x] a.example",
                                        "[x] b.example", "[x] c.example"}));
    EXPECT_TRUE(dlg.d.txtURLs->text().isEmpty());
    EXPECT_FALSE(dlg.d.cmdAdd->isEnabled());

    struct Bad {
        const char *typed, *line;
    } bad[] = {{"nodot", "nodot"},
               {"good.example\n.starts-with-dot", ".starts-with-dot"},
               {"ok.example\n   \nbad", "bad"},
               {"日本.example", "日本.example"}};
    for (const Bad &b : bad) {
        testenv::clearShownMsgBoxes();
        testenv::answerMsgBox(seam::vbOK);
        dlg.add(QString::fromUtf8(b.typed));
        EXPECT_EQ(fixtures::shownBox(), (fixtures::Box{"Invalid URL: " + QString::fromUtf8(b.line) + ".",
                                                       "Add & Edit URL", seam::vbCritical}));
        // Nothing added; the text stays for correction.
        EXPECT_EQ(dlg.d.lvwURLs->topLevelItemCount(), 5);
        EXPECT_EQ(dlg.d.txtURLs->text(), QString::fromUtf8(b.typed));
    }
}

TEST(frmURLs, OkCancelAndDeleteAllDecideWhatIsWritten) {
    const QByteArray pool = "a.example\r\nb.example\r\n\r\n";
    const QByteArray urls = "b.example\r\n\r\n";
    struct Case {
        const char *name;
        std::function<void(Dialog &)> work;
        QByteArray poolAfter, urlsAfter;
        bool cancelled;
    } cases[] = {
        {"untick all, OK",
         [](Dialog &d) {
             d.item(1)->setCheckState(0, Qt::Unchecked);
             d.d.cmdOK->click();
         },
         pool, "\r\n", false},
        {"tick, Cancel",
         [](Dialog &d) {
             d.item(0)->setCheckState(0, Qt::Checked);
             d.add("c.example");
             d.d.cmdCancel->click();
         },
         pool, urls, true},
        {"Esc", [](Dialog &d) { QTest::keyClick(&d.d, Qt::Key_Escape); }, pool, urls, true},
        {"close box", [](Dialog &d) { d.d.close(); }, pool, urls, true},
        {"Delete All (Yes), OK",
         [](Dialog &d) {
             testenv::answerMsgBox(seam::vbYes);
             d.d.cmdDeleteAll->click();
             EXPECT_EQ(d.d.lvwURLs->topLevelItemCount(), 0);
             EXPECT_FALSE(d.d.cmdDeleteAll->isEnabled());
             d.d.cmdOK->click();
         },
         pool, "\r\n", false},
        {"Delete first (No then Yes), OK",
         [](Dialog &d) {
             d.item(0)->setSelected(true);
             testenv::answerMsgBox(seam::vbNo);
             d.d.cmdDelete->click();
             EXPECT_EQ(d.d.lvwURLs->topLevelItemCount(), 2);
             d.item(0)->setSelected(true);
             testenv::answerMsgBox(seam::vbYes);
             d.d.cmdDelete->click();
             EXPECT_EQ(d.items(), QStringList({"[x] b.example"}));
             EXPECT_TRUE(d.item(0)->isSelected());
             d.d.cmdOK->click();
         },
         "b.example\r\n\r\n", urls, false},
    };
    for (const Case &c : cases) {
        testenv::writeFile(poolFile(), pool);
        testenv::writeFile(urlsFile(), urls);
        Dialog dlg;
        c.work(dlg);
        EXPECT_FALSE(dlg.d.isVisible()) << c.name;
        EXPECT_EQ(dlg.d.Cancelled(), c.cancelled) << c.name;
        EXPECT_EQ(testenv::readFile(poolFile()), c.poolAfter) << c.name;
        EXPECT_EQ(testenv::readFile(urlsFile()), c.urlsAfter) << c.name;
        for (const auto &b : testenv::shownMsgBoxes()) {
            EXPECT_EQ(b.title, "URLs");
            EXPECT_EQ(b.style, seam::vbYesNo | seam::vbQuestion);
        }
        testenv::clearShownMsgBoxes();
    }
}
