#include "ProgramFixtures.h"

#include "ui/frmAddkeywords.h"

#include <QPlainTextEdit>
#include <QTabWidget>

namespace {
struct Shown {
    frmAddkeywords dialog;
    Shown() {
        dialog.setNewKeywords(QString());
        dialog.Prepare();
        dialog.show();
        QTest::qWait(0);
    }
};
}  // namespace

TEST(frmAddkeywords, PrepareFillsTheControlsWithTheirTexts) {
    Shown s;
    frmAddkeywords &d = s.dialog;
    EXPECT_EQ(d.windowTitle(), "Add Keywords");
    EXPECT_EQ(d.SSTab1->count(), 2);
    EXPECT_EQ(d.SSTab1->tabText(0), "Enter Keywords");
    EXPECT_EQ(d.SSTab1->tabText(1), "Import Keywords");
    EXPECT_EQ(d.SSTab1->currentIndex(), 0);
    EXPECT_EQ(d.lblEnter->text(), "Please type your keywords below with one keyword per line:");
    EXPECT_EQ(d.lblImport->text(),
              "Please select or enter a delimited character from the list box below and click the 'Import\" button:");
    EXPECT_EQ(d.lblSeparator->text(), "Delimited Character:");
    EXPECT_EQ(d.cmdImport->text(), "Import");
    EXPECT_EQ(d.cmdImport->toolTip(), "Import keywords from a file");
    EXPECT_EQ(d.cmdOK->text(), "Ok");
    EXPECT_EQ(d.cmdCancel->text(), "Cancel");
    QStringList entries;
    for (int i = 0; i < d.cboSeparetor->count(); ++i)
        entries << d.cboSeparetor->itemText(i);
    EXPECT_EQ(entries, QStringList({"One keyword per line", ",", ".", "|", ";", ":", "#"}));
    EXPECT_EQ(d.Separetor(), "One keyword per line");
    EXPECT_EQ(d.ActionType(), 0);

    // OK needs keywords; Import is there unless UpdateStatus says otherwise.
    EXPECT_FALSE(d.cmdOK->isEnabled());
    EXPECT_TRUE(d.cmdImport->isEnabled());
    QTest::keyClicks(d.txtKeywords, "shoes");
    EXPECT_TRUE(d.cmdOK->isEnabled());
    d.txtKeywords->clear();
    EXPECT_FALSE(d.cmdOK->isEnabled());
    d.setUpdateStatus(true);
    EXPECT_FALSE(d.cmdImport->isEnabled());

    // A typed separator comes back exactly as typed, blanks included.
    d.cboSeparetor->setEditText(" ;; ");
    EXPECT_EQ(d.Separetor(), " ;; ");
    EXPECT_EQ(d.cboSeparetor->count(), 7);
}

TEST(frmAddkeywords, HowTheDialogIsLeftSetsActionType) {
    const QString file = testenv::tempDir() + "/words.txt";
    struct Case {
        const char *name;
        std::function<void(frmAddkeywords &)> leave;
        int action;
        bool hidden;
    } cases[] = {
        {"OK", [](frmAddkeywords &d) { d.cmdOK->click(); }, 1, true},
        {"Cancel", [](frmAddkeywords &d) { d.cmdCancel->click(); }, 2, true},
        {"Esc", [](frmAddkeywords &d) { QTest::keyClick(&d, Qt::Key_Escape); }, 2, true},
        {"close box", [](frmAddkeywords &d) { d.close(); }, 0, true},
        {"Import",
         [file](frmAddkeywords &d) {
             testenv::answerFileDialog(file);
             d.cmdImport->click();
         },
         3, true},
        {"Import cancelled",
         [](frmAddkeywords &d) {
             testenv::answerFileDialog(QString());
             d.cmdImport->click();
         },
         0, false},
        // Enter inside the keyword box is a new line; on the separator box it is OK.
        {"Enter in keywords", [](frmAddkeywords &d) { QTest::keyClick(d.txtKeywords, Qt::Key_Return); }, 0, false},
        {"Enter elsewhere",
         [](frmAddkeywords &d) {
             d.SSTab1->setCurrentIndex(1);
             d.cboSeparetor->setFocus();
             QTest::keyClick(d.cboSeparetor, Qt::Key_Return);
         },
         1, true},
    };
    for (const Case &c : cases) {
        Shown s;
        frmAddkeywords &d = s.dialog;
        d.activateWindow();
        d.txtKeywords->setFocus();
        QTest::keyClicks(d.txtKeywords, "red shoes");
        c.leave(d);
        EXPECT_EQ(d.ActionType(), c.action) << c.name;
        EXPECT_EQ(!d.isVisible(), c.hidden) << c.name;
        if (c.action == 1) {
            EXPECT_EQ(d.NewKeywords(), "red shoes") << c.name;
        }
        if (c.action == 3) {
            EXPECT_EQ(d.ImportFileName(), file);
            ASSERT_FALSE(testenv::fileDialogs().isEmpty());
            EXPECT_FALSE(testenv::fileDialogs().last().save);
            EXPECT_EQ(testenv::fileDialogs().last().filter, "Text files (*.txt)|*.txt|All Files (*.*)|*.*");
        }
        if (QString(c.name) == "Enter in keywords") {
            EXPECT_EQ(d.txtKeywords->toPlainText(), "red shoes\n");
        }
    }
}
