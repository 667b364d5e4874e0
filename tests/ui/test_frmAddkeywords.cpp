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
    EXPECT_EQ(QStringList({d.windowTitle(), d.SSTab1->tabText(0), d.SSTab1->tabText(1), d.lblEnter->text(),
                           d.lblImport->text(), d.lblSeparator->text(), d.cmdImport->text(), d.cmdImport->toolTip(),
                           d.cmdOK->text(), d.cmdCancel->text()}),
              QStringList({"Add Keywords", "Enter Keywords", "Import Keywords",
                           "Please type your keywords below with one keyword per line:",
                           "Please select or enter a delimited character from the list box below and click the "
                           "'Import\" button:",
                           "Delimited Character:", "Import", "Import keywords from a file", "Ok", "Cancel"}));
    EXPECT_EQ(d.SSTab1->count(), 2);
    EXPECT_EQ(d.SSTab1->currentIndex(), 0);
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
