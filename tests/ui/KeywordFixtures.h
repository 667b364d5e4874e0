#pragma once
// The program as start-up leaves it, for the keyword and URL commands of the
// main window, and the driving of their modal windows.

#include "AccountFixtures.h"

#include "support/TestEnv.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

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

struct KeywordProgram {
    frmMain *form = nullptr;
    clsMain *main = nullptr;

    // Loads the project and selects the engine's account.
    KeywordProgram(const QByteArray &project, const QString &engine, const QString &account) {
        writeProject(project);
        form = new frmMain;
        main = new clsMain(form);
        EXPECT_TRUE(main->Display());
        select(engine, account);
    }
    ~KeywordProgram() {
        if (form->m_oMain == main)
            form->m_oMain = nullptr;
        delete main;
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTreeWidgetItem *node(const QString &engine, const QString &account = QString()) const {
        return treenode::FindNode(form->tvwAccount, account.isNull() ? treenode::EngineKey(engine)
                                                                     : treenode::AccountKey(engine, account));
    }
    void select(const QString &engine, const QString &account = QString()) {
        QTreeWidgetItem *n = node(engine, account);
        ASSERT_NE(n, nullptr);
        form->tvwAccount->setCurrentItem(n);
        form->tvwAccount_NodeClick(n);
    }
    // One column of the keyword list, in list order.
    QStringList column(int c) const {
        QStringList out;
        for (int i = 0; i < form->lvwKeywords->topLevelItemCount(); ++i)
            out << form->lvwKeywords->topLevelItem(i)->text(c);
        return out;
    }
    QStringList keywords() const { return column(1); }
    // Selects exactly these 1-based rows.
    void selectRows(std::initializer_list<int> rows) {
        form->lvwKeywords->clearSelection();
        for (int r : rows)
            form->lvwKeywords->topLevelItem(r - 1)->setSelected(true);
    }
    int selectedRow() const {
        QTreeWidgetItem *cur = form->lvwKeywords->currentItem();
        return cur && cur->isSelected() ? form->lvwKeywords->indexOfTopLevelItem(cur) + 1 : 0;
    }
    QAction *item(const char *menu, int n) const { return form->menuItem(menu, n); }
};

}  // namespace fixtures
