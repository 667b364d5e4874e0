// The common file dialog as the desktop shows it: the filters offered and
// the patterns it lists files by.

#include "platform/Seams.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Shown {
    QStringList filters;
    QString selected;
    QStringList listedBy;  // the patterns of the selected filter, as the dialog applies them
};

QFileDialog *openDialog() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
            return d;
    return nullptr;
}

// Opens the real dialog, reads what it shows and cancels it.
Shown show(const QString &filter, int filterIndex) {
    seam::setFileDialogHandler({});
    Shown shown;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QFileDialog *d = openDialog();
        if (!d)
            return;
        poll.stop();
        shown.filters = d->nameFilters();
        shown.selected = d->selectedNameFilter();
        if (auto *model = d->findChild<QFileSystemModel *>())
            shown.listedBy = model->nameFilters();
        d->reject();
    });
    poll.start();
    seam::FileDialogRequest r;
    r.filter = filter;
    r.filterIndex = filterIndex;
    r.initialDir = testenv::tempDir();
    EXPECT_EQ(seam::FileDialog(r), QString());
    return shown;
}

}  // namespace

TEST(FileDialog, EachFilterShowsItsPatternsOnceAndListsFilesByThem) {
    const struct {
        const char *filter;
        int index;
        QStringList filters;
        QStringList listedBy;
    } cases[] = {
        {"Text files (*.txt)|*.txt|All Files (*.*)|*.*", 1, {"Text files (*.txt)", "All Files (*.*)"}, {"*.txt"}},
        {"Text files (*.txt)|*.txt|All Files (*.*)|*.*", 2, {"Text files (*.txt)", "All Files (*.*)"}, {"*.*"}},
        // A description without its patterns gets them for the dialog to filter by.
        {"Keyword lists|*.txt;*.csv", 1, {"Keyword lists (*.txt *.csv)"}, {"*.txt", "*.csv"}},
        // One that names other patterns than the filter's keeps the filter's.
        {"Pictures (*.png)|*.png;*.jpg", 1, {"Pictures (*.png) (*.png *.jpg)"}, {"*.png", "*.jpg"}},
        {"Logs (*.log;*.txt)|*.log;*.txt", 1, {"Logs (*.log;*.txt) (*.log *.txt)"}, {"*.log", "*.txt"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter);
        const Shown shown = show(QString::fromLatin1(c.filter), c.index);
        EXPECT_EQ(shown.filters.join(" | ").toStdString(), c.filters.join(" | ").toStdString());
        EXPECT_EQ(shown.selected.toStdString(), c.filters.value(c.index - 1).toStdString());
        EXPECT_EQ(shown.listedBy.join(" ").toStdString(), c.listedBy.join(" ").toStdString());
    }
}
