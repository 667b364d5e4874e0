// The grid without a screen: its rows as a table model and its sort.

#include "autobid/BidGrid.h"
#include "platform/VB.h"

#include <QColor>
#include <QFont>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

BidGrid::RowTexts row(const QString &keyword, const QString &cur, const QString &newBid) {
    BidGrid::RowTexts t;
    t[BidGrid::colKeyword] = keyword;
    t[BidGrid::colCurBid] = cur;
    t[BidGrid::colNewBid] = newBid;
    return t;
}

QStringList column(const BidGrid &grid, int col) {
    QStringList out;
    for (int r = 1; r < grid.Rows(); ++r)
        out << grid.TextMatrix(r, col);
    return out;
}

}  // namespace

TEST(BidGrid, SortComparesAmountsAsNumbersAndTextsWithoutCase) {
    struct Case {
        int col;
        bool ascending;
        QStringList keywords;  // the order after the sort
    };
    const Case cases[] = {
        {BidGrid::colNewBid, true, {"nine", "ten", "pound", "twenty", "hundred", "empty", "dash"}},
        {BidGrid::colNewBid, false, {"dash", "empty", "hundred", "twenty", "pound", "nine", "ten"}},
        {BidGrid::colKeyword, true, {"dash", "empty", "hundred", "nine", "pound", "ten", "twenty"}},
        {BidGrid::colCurBid, true, {"nine", "ten", "pound", "twenty", "dash", "hundred", "empty"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.col * 10 + c.ascending);
        BidGrid grid;
        grid.AddItem(row("twenty", "$0.20", "0.20"));
        grid.AddItem(row("nine", "$0.09", "0.09"));
        grid.AddItem(row("Dash", "$1.00", "-"));
        grid.AddItem(row("hundred", "$1.00", "1.00"));
        grid.AddItem(row("ten", "$0.10", "$0.090"));  // 0.09 as well: stays before "nine"
        grid.AddItem(row("empty", "$1.00", ""));
        grid.AddItem(row("pound", "\u00A30.15", "\u00A30.15"));
        // The row of a keyword keeps its colours.
        grid.setCellForeColor(4, BidGrid::colNewBid, BidGrid::kBlue);
        grid.Sort(c.col, c.ascending);
        QStringList keywords = column(grid, BidGrid::colKeyword);
        keywords.replaceInStrings("Dash", "dash");
        EXPECT_EQ(keywords, c.keywords);
        EXPECT_EQ(grid.Col(), c.col);
        const int hundred = int(keywords.indexOf("hundred")) + 1;
        EXPECT_EQ(grid.CellForeColor(hundred, BidGrid::colNewBid), BidGrid::kBlue);
    }
}

TEST(BidGrid, TheModelShowsKeywordRowsWithRowZeroAsTheHeader) {
    BidGrid grid;
    grid.setTextMatrix(0, BidGrid::colNewBid, "New Bid");
    grid.AddItem(row("shoes", "$0.50", "0.41"));
    grid.setColumnFormat(BidGrid::colKeyword, Qt::AlignLeft, true);
    grid.setColumnFormat(BidGrid::colCurBid, Qt::AlignCenter, false);
    grid.setCellForeColor(1, BidGrid::colCurBid, BidGrid::kRed);
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.headerData(BidGrid::colNewBid, Qt::Horizontal).toString(), "New Bid");
    EXPECT_TRUE(grid.headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    const QModelIndex keyword = grid.index(0, BidGrid::colKeyword);
    const QModelIndex cur = grid.index(0, BidGrid::colCurBid);
    EXPECT_EQ(grid.data(keyword).toString(), "shoes");
    EXPECT_EQ(grid.data(cur, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(grid.data(keyword, Qt::ForegroundRole).isValid());
    EXPECT_TRUE(grid.data(keyword, Qt::BackgroundRole).isValid());
    EXPECT_FALSE(grid.data(cur, Qt::BackgroundRole).isValid());
    EXPECT_EQ(grid.data(keyword, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
    EXPECT_EQ(grid.data(cur, Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);

    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.setTextMatrix(1, BidGrid::colNewBid, "0.42");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).value<QModelIndex>(), grid.index(0, BidGrid::colNewBid));
    EXPECT_THROW(grid.TextMatrix(2, 0), vb::VBError);
    EXPECT_THROW(grid.TextMatrix(0, 12), vb::VBError);
}

TEST(BidGrid, ClearingKeepsTheHeaderAndTheSelectionInsideTheRows) {
    BidGrid grid;
    grid.setTextMatrix(0, 1, "Cur Bid");
    for (int i = 0; i < 5; ++i)
        grid.AddItem(row(QString::number(i), "", ""));
    grid.setSelection(5, 0, 3, 11);
    grid.ClearRows(true);
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.TextMatrix(1, 0), "");
    EXPECT_EQ(grid.TextMatrix(0, 1), "Cur Bid");
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.RowSel(), 1);
    grid.ClearRows(false);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Row(), 0);
}
