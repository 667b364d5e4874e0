#pragma once
// The program as start-up leaves it, the driving of its modal windows, and
// what it shows: message boxes, list columns, bid windows.

#include "AccountFixtures.h"

#include "autobid/BidGrid.h"
#include "autobid/BidManager.h"
#include "autobid/frmAutoBid.h"
#include "fakes/FakeOvertureSite.h"
#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"

// The widgets and test tools the window tests reach into.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace fixtures {

// Works in the modal window of type T once it is up; the work must close it.
template <typename T>
void inModal(std::function<void(T *)> work) {
    QTimer::singleShot(0, [work] {
        auto *w = qobject_cast<T *>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr) << "no modal window of the expected type";
        work(w);
        if (w->isVisible())
            ADD_FAILURE() << "the modal window was left open";
    });
}

// A message box as the user saw it.
struct Box {
    QString text, title;
    int style = -1;
    bool operator==(const Box &o) const { return text == o.text && title == o.title && style == o.style; }
};
inline void PrintTo(const Box &b, std::ostream *os) {
    *os << '"' << b.text.toStdString() << "\" title \"" << b.title.toStdString() << "\" style " << b.style;
}
// The last of exactly `count` boxes shown so far.
inline Box shownBox(int count = 1) {
    const auto &shown = testenv::shownMsgBoxes();
    EXPECT_EQ(shown.size(), count) << "message boxes shown";
    if (shown.isEmpty())
        return {};
    return {shown.last().text, shown.last().title, shown.last().style};
}

// One column of a list, in list order.
inline QStringList texts(const QTreeWidget *list, int column) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}
inline QStringList texts(const KeywordListView *list, int column) {
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->text(i, column);
    return out;
}
// The first column of the rows in that check state.
inline QStringList checked(const QTreeWidget *list, Qt::CheckState state = Qt::Checked) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->checkState(0) == state)
            out << list->topLevelItem(i)->text(0);
    return out;
}

inline QList<frmAutoBid *> bidWindows() {
    QList<frmAutoBid *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<frmAutoBid *>(w))
            out << b;
    return out;
}

// A main window without its controller, and a tree made by hand.
struct BareWindow {
    frmMain w;
    QTreeWidgetItem *root = treenode::AddRootNode(w.tvwAccount);
    QTreeWidgetItem *addEngine(const QString &name) {
        return treenode::AddNewNode(w.tvwAccount, treenode::RootKey(), treenode::EngineKey(name), name, "AccountFolder",
                                    treenode::Kind::Engine);
    }
    QTreeWidgetItem *addAccount(const QString &engine, const QString &name) {
        return treenode::AddNewNode(w.tvwAccount, treenode::EngineKey(engine), treenode::AccountKey(engine, name), name,
                                    "AccountFolder", treenode::Kind::Account);
    }
};

// A menu item ("Menu n"), toolbar key ("Key") or drop-down item ("Key/Item").
inline QAction *action(const frmMain &w, const QString &name) {
    const QStringList menuItem = name.split(' '), dropDown = name.split('/');
    if (menuItem.size() == 2)
        return w.menuItem(menuItem[0], menuItem[1].toInt());
    return dropDown.size() == 2 ? w.toolMenuItem(dropDown[0], dropDown[1]) : w.toolButton(name);
}

// A bid grid's row of the keyword (0 when missing), and one column's texts.
inline int gridRow(BidGrid &grid, const QString &keyword) {
    for (int r = 1; r < grid.Rows(); ++r)
        if (grid.TextMatrix(r, BidGrid::colKeyword) == keyword)
            return r;
    return 0;
}
inline QStringList gridColumn(BidGrid &grid, int col) {
    QStringList out;
    for (int r = 1; r < grid.Rows(); ++r)
        out << grid.TextMatrix(r, col);
    return out;
}

// Bid windows' own look-ups, counted instead of run while this lives.
struct CountedLookUps {
    int count = 0;
    CountedLookUps() {
        BidManager::LookUpHook() = [this](QWidget *, const QString &, std::shared_ptr<const clsEngine>,
                                          const QString &) { return ++count > 0; };
    }
    ~CountedLookUps() { BidManager::LookUpHook() = nullptr; }
    CountedLookUps(const CountedLookUps &) = delete;
    CountedLookUps &operator=(const CountedLookUps &) = delete;
};

// Shoes, boots and hats on the fake Overture site, and the bidding
// account's last look-up of them: next bids and the bids of positions 2 to 5.
inline void addShoesBootsHats(fake::FakeOvertureSite &site) {
    site.addKeyword("shoes", 50, "2", 80);
    site.addKeyword("boots", 30, "1", 30);
    site.addKeyword("hats", 90, "3", 120);
}
inline void writeShoesBootsHatsLookUp(const QString &engine, const QString &account) {
    testenv::writeFile(accountFile(engine, account, "Keywords.dat"),
                       "shoes;10;$0.50;$0.40;$0.80;$0.60;$0.45;$0.30;$0.20;2;ok\r\n"
                       "boots;5;$0.30;$0.29;$0.30;$0.25;$0.20;$0.15;$0.10;1;ok\r\n"
                       "hats;7;$0.90;$0.10;$1.20;$0.95;$0.50;$0.40;$0.30;3;ok\r\n\r\n");
}

// The main window loaded by its controller; bid windows it opened go with it.
struct Program {
    frmMain *form = new frmMain;
    clsMain *main = new clsMain(form);

    // Writes the project file first when one is given.
    explicit Program(const QByteArray &project = QByteArray()) {
        if (!project.isNull())
            writeProject(project);
        EXPECT_TRUE(main->Display());
    }
    Program(const QByteArray &project, const QString &engine, const QString &account) : Program(project) {
        select(engine, account);
    }
    ~Program() {
        qDeleteAll(bidWindows());
        if (form->m_oMain == main)  // else the exit released it
            delete main;
        form->m_oMain = nullptr;
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    QTreeWidgetItem *node(const QString &engine, const QString &account = QString()) const {
        return treenode::FindNode(form->tvwAccount, account.isNull() ? treenode::EngineKey(engine)
                                                                     : treenode::AccountKey(engine, account));
    }
    void click(QTreeWidgetItem *n) {
        form->tvwAccount->setCurrentItem(n);
        form->tvwAccount_NodeClick(n);
    }
    void select(const QString &engine, const QString &account = QString()) {
        QTreeWidgetItem *n = node(engine, account);
        ASSERT_NE(n, nullptr);
        click(n);
    }
    QStringList column(int c) const { return texts(form->lvwKeywords, c); }
    QStringList keywords() const { return column(1); }
    QStringList urls() const { return texts(form->lvwURLs, 0); }
    // Selects exactly these 1-based keyword rows.
    void selectRows(std::initializer_list<int> rows) {
        form->lvwKeywords->clearSelection();
        for (int r : rows)
            form->lvwKeywords->setRowSelected(r - 1, true);
    }
    int selectedRow() const {
        const int cur = form->lvwKeywords->currentRow();
        return cur >= 0 && form->lvwKeywords->isRowSelected(cur) ? cur + 1 : 0;
    }
    QAction *item(const char *menu, int n) const { return form->menuItem(menu, n); }
};

}  // namespace fixtures
