#include "ProgramFixtures.h"

#include "connect/OvertureSession.h"
#include "connect/frmConnectOverture.h"
#include "core/AccountWindowGuard.h"
#include "core/clsKeywords.h"
#include "fakes/FakeOvertureSite.h"
#include "fakes/FakeResultServer.h"
#include "lookup/frmKeywordBuilder.h"
#include "platform/TextFile.h"
#include "ui/frmAddkeywords.h"
#include "ui/frmURLs.h"

#include <QPlainTextEdit>

using fixtures::Box;
using fixtures::Program;

namespace {

const QByteArray kProject = "[Google]\r\n1=acme\r\n2=shop\r\nLast=2\r\n\r\n";
const int kYesNo = seam::vbYesNo | seam::vbQuestion;

QString keywordsFile(const QString &account = "acme") {
    return fixtures::accountFile("Google", account, "Keywords.dat");
}

// Keywords.dat of bare keywords, as the program writes it.
QByteArray stored(const QStringList &keywords) {
    QByteArray out;
    for (const QString &k : keywords)
        out += platform::ToAnsi(k) + ";;;;;;;;;;\r\n";
    return out + "\r\n";
}

void addTyped(Program &p, const QString &text) {
    fixtures::inModal<frmAddkeywords>([text](frmAddkeywords *d) {
        d->txtKeywords->setPlainText(text);
        d->cmdOK->click();
    });
    p.form->DoAddKeywords();
}

void addImported(Program &p, const QString &file, const QString &separator) {
    fixtures::inModal<frmAddkeywords>([file, separator](frmAddkeywords *d) {
        d->cboSeparetor->setEditText(separator);
        testenv::answerFileDialog(file);
        d->cmdImport->click();
    });
    p.form->DoAddKeywords();
}

struct Account {
    Account() {
        fixtures::writeEngineData({"Google"});
        fixtures::writeKeywords("Google", "acme", {});
        fixtures::writeKeywords("Google", "shop", {});
    }
};

}  // namespace

TEST(MainWindowKeywords, TypedKeywordsAreAddedTrimmedOnceAndListedOnesKeepTheirData) {
    Account a;
    testenv::writeFile(keywordsFile(), "Shoes;120;$0.25;$0.20;$0.40;$0.30;$0.25;;;2;12:01:00 PM\r\n\r\n");
    Program p(kProject, "Google", "acme");
    addTyped(p, "  red shoes  \n\n   \nSHOES\r\nRed Shoes\rblue shoes\n");
    EXPECT_EQ(testenv::readFile(keywordsFile()),
              "Shoes;120;$0.25;$0.20;$0.40;$0.30;$0.25;;;2;12:01:00 PM\r\nred shoes;;;;;;;;;;\r\n"
              "blue shoes;;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(p.keywords(), QStringList({"Shoes", "red shoes", "blue shoes"}));
    EXPECT_EQ(p.column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(p.column(2), QStringList({"120", "", ""}));
    EXPECT_EQ(p.selectedRow(), 1);
    EXPECT_EQ(treenode::NodeTag(p.node("Google", "acme")), 3);
    EXPECT_EQ(treenode::NodeTag(p.node("Google")), 3);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    // Cancel and the close box add nothing.
    for (bool closeBox : {false, true}) {
        fixtures::inModal<frmAddkeywords>([closeBox](frmAddkeywords *d) {
            d->txtKeywords->setPlainText("never");
            closeBox ? void(d->close()) : d->cmdCancel->click();
        });
        p.form->DoAddKeywords();
        EXPECT_EQ(p.keywords().size(), 3);
    }
}

TEST(MainWindowKeywords, ImportedFilesAreSplitAndRefusalsCounted) {
    struct Case {
        const char *name;
        QByteArray bytes;
        const char *separator;
        QStringList added;
        const char *message;  // "" for none
    } cases[] = {
        {"comma list across CR LF lines", "red, blue\r\ngreen,\r\nyellow", ",", {"red", "blue green", "yellow"}, ""},
        {"LF file, one per line", "red\nblue\n\nred\n", "One keyword per line", {"red", "blue"}, ""},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" "caf\xC3\xA9\r\nna\xC3\xAFve", "One keyword per line",
         {QString::fromUtf8("café"), QString::fromUtf8("naïve")}, ""},
        {"Windows-1252", "caf\xE9|cr\xE8me", "|", {QString::fromUtf8("café"), QString::fromUtf8("crème")}, ""},
        {"refused keywords", "ok;a;b\n\xE6\x97\xA5\xE6\x9C\xAC\nfine\n", "One keyword per line", {"fine"},
         "2 keywords were not added.\r\n\r\n1 contains \";\" or a line break, which a keyword cannot hold.\r\n"
         "1 contains characters the keyword file cannot store."},
    };
    for (const Case &c : cases) {
        Account a;
        Program p(kProject, "Google", "acme");
        const QString file = testenv::tempDir() + "/import.txt";
        testenv::writeFile(file, c.bytes);
        testenv::clearShownMsgBoxes();
        if (*c.message)
            testenv::answerMsgBox(seam::vbOK);
        addImported(p, file, QString::fromUtf8(c.separator));
        EXPECT_EQ(p.keywords(), c.added) << c.name;
        EXPECT_EQ(testenv::readFile(keywordsFile()), stored(c.added)) << c.name;
        if (*c.message)
            EXPECT_EQ(fixtures::shownBox(), (Box{c.message, "Keywords", seam::vbExclamation}));
        else
            EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty()) << c.name;
    }
}

TEST(MainWindowKeywords, DeleteRemovesTheSelectedRowsAndKeepsThePlace) {
    Account a;
    fixtures::writeKeywords("Google", "acme", {"k1", "k2", "k3", "k4", "k5"});
    Program p(kProject, "Google", "acme");
    const QByteArray before = testenv::readFile(keywordsFile());

    p.selectRows({2, 3});
    testenv::answerMsgBox(seam::vbNo);
    p.form->DoDeleteKeywords();
    EXPECT_EQ(p.keywords().size(), 5);
    EXPECT_EQ(testenv::readFile(keywordsFile()), before);

    p.selectRows({2, 3});
    testenv::answerMsgBox(seam::vbYes);
    p.form->DoDeleteKeywords();
    EXPECT_EQ(fixtures::shownBox(2), (Box{"Are you sure you want to delete the Keywords?", "Keywords", kYesNo}));
    EXPECT_EQ(p.keywords(), QStringList({"k1", "k4", "k5"}));
    EXPECT_EQ(p.column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(testenv::readFile(keywordsFile()), stored({"k1", "k4", "k5"}));
    EXPECT_EQ(p.selectedRow(), 2);
    EXPECT_EQ(treenode::NodeTag(p.node("Google", "acme")), 3);

    // The last rows: the place no longer exists, the first row is selected.
    p.selectRows({2, 3});
    testenv::answerMsgBox(seam::vbYes);
    p.form->DoDeleteKeywords();
    EXPECT_EQ(p.keywords(), QStringList({"k1"}));
    EXPECT_EQ(p.selectedRow(), 1);
    EXPECT_EQ(testenv::readFile(keywordsFile()), stored({"k1"}));
}

TEST(MainWindowKeywords, AListThatNoLongerMirrorsTheKeywordsIsDrawnAnew) {
    Account a;
    fixtures::writeKeywords("Google", "acme", {"k1", "k2", "k3"});
    Program p(kProject, "Google", "acme");
    // A keyword the list does not show yet, and a row whose keyword is gone.
    p.form->m_oKeywords->Add("Keyhidden", "hidden");
    addTyped(p, "new");
    EXPECT_EQ(p.keywords(), QStringList({"k1", "k2", "k3", "hidden", "new"}));
    p.form->m_oKeywords->Remove(2);
    p.selectRows({3});
    testenv::answerMsgBox(seam::vbYes);
    p.form->DoDeleteKeywords();
    EXPECT_EQ(p.keywords(), QStringList({"k1", "hidden", "new"}));
    EXPECT_EQ(p.column(0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(testenv::readFile(keywordsFile()), stored({"k1", "hidden", "new"}));
}

TEST(MainWindowKeywords, DeleteAllEmptiesTheFileAndLeavesSavedResults) {
    Account a;
    fixtures::writeKeywords("Google", "acme", {"k1", "k2"});
    const QString results = clsKeywords::ResultsFile("Google", "k1");
    testenv::writeFile(results, "x.example;#X;#$0.10\r\n");
    Program p(kProject, "Google", "acme");
    testenv::answerMsgBox(seam::vbNo);
    p.form->DoRemoveAllKeywords();
    EXPECT_EQ(p.keywords().size(), 2);
    testenv::answerMsgBox(seam::vbYes);
    p.form->DoRemoveAllKeywords();
    EXPECT_EQ(fixtures::shownBox(2), (Box{"Are you sure you want to remove all keywords?", "Delete Keywords", kYesNo}));
    EXPECT_TRUE(p.keywords().isEmpty());
    EXPECT_EQ(testenv::readFile(keywordsFile()), "\r\n");
    EXPECT_EQ(testenv::readFile(results), "x.example;#X;#$0.10\r\n");
    EXPECT_EQ(treenode::NodeTag(p.node("Google", "acme")), 0);
    EXPECT_FALSE(p.item("Keywords", 4)->isEnabled());
}

TEST(MainWindowKeywords, CopyAndPasteBetweenAccounts) {
    Account a;
    fixtures::writeKeywords("Google", "acme", {"k1", "k2", "k3"});
    fixtures::writeKeywords("Google", "shop", {"K2"});
    Program p(kProject, "Google", "acme");
    QAction *paste = p.item("Keywords", 7);
    EXPECT_FALSE(paste->isEnabled());
    p.form->DoPasteKeywords();  // nothing copied yet
    EXPECT_EQ(testenv::readFile(keywordsFile("shop")), "K2;;;;;;;;;;\r\n");

    p.selectRows({3, 2});
    p.form->DoCopyKeywords();
    EXPECT_EQ(p.form->m_colCopiedKeywords, QStringList({"k2", "k3"}));
    EXPECT_TRUE(paste->isEnabled());

    // Not on an engine node: nothing happens and Paste stays offered.
    p.select("Google");
    p.form->DoPasteKeywords();
    EXPECT_TRUE(paste->isEnabled());

    // Nor on an account being looked up; nor does its Delete key delete.
    p.select("Google", "shop");
    p.form->m_bInsearch = true;
    p.form->m_sLookupAccount = "shop";
    p.form->setMenuToolBarstatus();
    p.form->DoPasteKeywords();
    EXPECT_TRUE(paste->isEnabled());
    p.selectRows({1});
    p.form->lvwKeywords_KeyDown(46);
    p.form->DoDeleteKeywords();  // also when called directly
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(testenv::readFile(keywordsFile("shop")), "K2;;;;;;;;;;\r\n");
    p.form->m_bInsearch = false;
    p.form->m_sLookupAccount.clear();

    p.form->DoPasteKeywords();
    EXPECT_EQ(p.keywords(), QStringList({"K2", "k3"}));
    EXPECT_EQ(testenv::readFile(keywordsFile("shop")), stored({"K2", "k3"}));
    EXPECT_FALSE(paste->isEnabled());

    // A copy with no row selected still offers Paste, which adds nothing but saves and redraws.
    p.form->lvwKeywords->clearSelection();
    p.form->DoCopyKeywords();
    EXPECT_TRUE(p.form->m_colCopiedKeywords.isEmpty());
    EXPECT_TRUE(paste->isEnabled());
    p.form->DoPasteKeywords();
    EXPECT_FALSE(paste->isEnabled());
    EXPECT_EQ(testenv::readFile(keywordsFile("shop")), stored({"K2", "k3"}));
    EXPECT_EQ(p.selectedRow(), 1);
}

TEST(MainWindowKeywords, ExportWritesTheKeywordColumn) {
    Account a;
    testenv::writeFile(keywordsFile(), "red shoes;5;$0.20;;;;;;;1;\r\nboots;;;;;;;;;;\r\n\r\n");
    Program p(kProject, "Google", "acme");
    const QString file = testenv::tempDir() + "/export.txt";
    testenv::answerFileDialog(QString());
    p.form->Exportkeywords();
    EXPECT_FALSE(QFileInfo::exists(file));

    testenv::writeFile(file, "old content that is longer\r\n");
    testenv::answerFileDialog(file);
    p.form->Exportkeywords();
    EXPECT_EQ(testenv::readFile(file), "red shoes\r\nboots\r\n\r\n");
    const seam::FileDialogRequest &r = testenv::fileDialogs().last();
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.filter, "Text files (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_TRUE(r.fileName.isEmpty());
}

TEST(MainWindowKeywords, NoLookUpOfAnAccountWhileItsKeywordOrURLWindowIsOpen) {
    fake::FakeResultServer server;
    server.writeEngineData({{QStringLiteral("Google"), false}});
    fixtures::writeKeywords("Google", "acme", {"shoes"});
    fixtures::writeKeywords("Google", "shop", {"boots"});
    Program p(kProject, "Google", "acme");
    p.form->tmrSearchComplete->setInterval(1);
    auto lookUp = [&p](const char *account) { return p.form->CreateRanking(account, "Google", "AllKeywords"); };
    auto waitIdle = [&p] { return QTest::qWaitFor([&p] { return !p.form->m_bInsearch; }, 10000); };

    bool refused = false, otherStarted = false;
    fixtures::inModal<frmAddkeywords>([&](frmAddkeywords *d) {
        refused = !lookUp("acme");
        otherStarted = lookUp("shop");
        d->cmdCancel->click();
    });
    p.form->DoAddKeywords();
    EXPECT_TRUE(refused);
    EXPECT_TRUE(otherStarted);
    ASSERT_TRUE(waitIdle());

    refused = false;
    fixtures::inModal<frmURLs>([&](frmURLs *d) {
        refused = !lookUp("ACME");
        d->cmdCancel->click();
    });
    p.form->EditURLs();
    EXPECT_TRUE(refused);

    refused = false;
    fixtures::inModal<frmKeywordBuilder>([&](frmKeywordBuilder *d) {
        refused = !lookUp("acme");
        d->cmdClose->click();
    });
    p.form->DoBuildKeyword();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(AccountWindowGuard::IsOpen("Google", "acme"));
    EXPECT_TRUE(lookUp("acme"));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(server.terms(), QStringList({"boots", "shoes"}));
}

namespace {

// An Overture account "acme" on the fake site, and the main window on it;
// the connection windows it makes start at once and are counted.
struct RetrieveSite {
    fake::FakeOvertureSite site;
    explicit RetrieveSite(const QString &password) {
        testenv::writeFile(g_sEngineDataFile, "[OvertureEngines]\r\n1=Overture\r\n2=Google\r\n\r\n[Google]\r\n");
        site.writeEngineData(g_sEngineDataFile, "Overture");
        site.addKeyword("red shoes", 35, "2", 50);
        site.addKeyword("Blue Shoes", 20, "1", 20);
        fixtures::saveAccount("Overture", "acme", "joe", password);
    }
};

struct RetrieveProgram : RetrieveSite, Program {
    int windowsMade = 0;
    QStringList commands;

    explicit RetrieveProgram(const QString &password = "secret")
        : RetrieveSite(password), Program("[Overture]\r\n1=acme\r\nLast=1\r\n\r\n[Google]\r\n1=g\r\nLast=1\r\n\r\n") {
        form->m_connectWindowMaker = [this](const QString &engine, QWidget *owner) -> IConnectWindow * {
            EXPECT_EQ(engine, "Overture");
            ++windowsMade;
            auto *w = new frmConnectOverture(owner);
            w->Session().setStartInterval(0);
            w->Session().setRetryInterval(0);
            return w;
        };
        form->DispatchCommand("mnuRunItems_Click(4)") = [this] { commands << "Lookup All Keywords"; };
    }
    QString file() const { return fixtures::accountFile("Overture", "acme", "Keywords.dat"); }
};

}  // namespace

TEST(MainWindowKeywords, RetrieveReplacesTheListWithTheEnginesKeywords) {
    RetrieveProgram r;
    testenv::writeFile(r.file(), "local only;;;;;;;;;;\r\nred shoes;9;;;;;;;;;\r\n\r\n");
    r.select("Overture", "acme");
    bool openMeanwhile = false;
    r.site.setOnRequest(
        [&](const fake::HttpRequest &) { openMeanwhile = AccountWindowGuard::IsOpen("Overture", "acme"); });
    testenv::answerMsgBox(seam::vbNo);
    r.form->DownLoadKeywords();
    EXPECT_TRUE(openMeanwhile);  // no look-up of the account may start meanwhile
    EXPECT_EQ(r.windowsMade, 1);
    EXPECT_EQ(r.site.loginCount(), 1);
    EXPECT_EQ(testenv::readFile(r.file()),
              "red shoes;;$0.35;;$0.49;;;;;2;\r\nBlue Shoes;;$0.20;;$0.19;;;;;1;\r\n\r\n");
    EXPECT_EQ(r.keywords(), QStringList({"red shoes", "Blue Shoes"}));
    EXPECT_EQ(treenode::NodeTag(r.node("Overture", "acme")), 2);
    EXPECT_EQ(fixtures::shownBox(), (Box{"Do you want to perform keyword look up?", "Load Keywords",
                                         seam::vbYesNo | seam::vbInformation}));
    EXPECT_TRUE(r.commands.isEmpty());

    // The keywords are keyed as the list keys them: typing one again adds nothing.
    addTyped(r, "BLUE SHOES\nnew one");
    EXPECT_EQ(r.keywords(), QStringList({"red shoes", "Blue Shoes", "new one"}));

    // Yes runs the look-up of all keywords.
    testenv::answerMsgBox(seam::vbYes);
    r.form->DownLoadKeywords();
    EXPECT_EQ(r.commands, QStringList({"Lookup All Keywords"}));
    EXPECT_EQ(r.keywords(), QStringList({"red shoes", "Blue Shoes"}));
}

TEST(MainWindowKeywords, RetrieveWithoutLoginOrAfterAFailureChangesNothing) {
    struct Case {
        const char *name;
        QString password;
        bool windowShown;
    } cases[] = {{"no password", "", false}, {"refused login", "wrong", true}};
    for (const Case &c : cases) {
        RetrieveProgram r(c.password);
        testenv::writeFile(r.file(), "local only;;;;;;;;;;\r\n\r\n");
        r.select("Overture", "acme");
        testenv::clearShownMsgBoxes();
        if (!c.windowShown)
            testenv::answerMsgBox(seam::vbOK);
        r.form->DownLoadKeywords();
        EXPECT_EQ(testenv::readFile(r.file()), "local only;;;;;;;;;;\r\n\r\n") << c.name;
        EXPECT_EQ(r.keywords(), QStringList({"local only"})) << c.name;
        EXPECT_EQ(r.site.server().requestCount() > 0, c.windowShown) << c.name;
        if (!c.windowShown)
            EXPECT_EQ(fixtures::shownBox(), (Box{"Please setup your login details.", "Load Keyword", seam::vbOKOnly}));
        else
            EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty()) << c.name;
        EXPECT_FALSE(AccountWindowGuard::IsOpen("Overture", "acme"));
    }

    // Another engine: nothing at all.
    RetrieveProgram r;
    r.select("Google", "g");
    r.form->DownLoadKeywords();
    EXPECT_EQ(r.windowsMade, 0);
    EXPECT_EQ(r.site.server().requestCount(), 0);
}
