#include "core/KeywordListModel.h"
#include "core/clsURL.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QItemSelectionModel>
#include <gtest/gtest.h>

namespace {

QStringList column(const KeywordListModel &m, int c) {
    QStringList out;
    for (int r = 0; r < m.count(); ++r)
        out << m.text(r, c);
    return out;
}

KeywordListModel::Row keyed(int number, const QString &keyword) {
    KeywordListModel::Row row;
    row.number = number;
    row.text[1] = keyword;
    row.text[3] = QStringLiteral("$0.25");
    row.keyedByKeyword = true;
    return row;
}

}  // namespace

TEST(KeywordListModel, RemovingMarkedRowsKeepsTheRestInOrderRenumberedWithTheirKeysAndMarks) {
    KeywordListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<KeywordListModel::Row> rows;
    for (int i = 1; i <= 6; ++i)
        rows.push_back(keyed(i, QStringLiteral("k%1").arg(i)));
    m.insertRows(0, std::move(rows));
    m.setForeground(4, 3, Qt::red);
    m.setText(5, 0, QStringLiteral("own"));  // a number text of its own is dropped by the renumbering
    QItemSelectionModel selection(&m);
    for (int r = 0; r < 6; r += 2)
        selection.select(m.index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    m.removeMarked({true, false, true, false, true, false});
    EXPECT_EQ(column(m, 0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(column(m, 1), (QStringList{"k2", "k4", "k6"}));
    EXPECT_EQ(m.key(1), "Keyk4");
    EXPECT_EQ(m.data(m.index(2, 0), listview::KeyRole).toString(), "Keyk6");
    EXPECT_TRUE(m.keyedBy(2, "k6"));
    EXPECT_FALSE(m.keyedBy(2, "K6"));
    EXPECT_FALSE(selection.hasSelection());
    // The mark went with its row, which was removed.
    for (int r = 0; r < 3; ++r)
        EXPECT_FALSE(m.foreground(r, 3).isValid()) << r;

    // Fewer flags than rows: the rows past them stay.
    m.removeMarked({true});
    EXPECT_EQ(column(m, 1), (QStringList{"k4", "k6"}));
    EXPECT_EQ(column(m, 0), (QStringList{"1", "2"}));
}

TEST(KeywordListModel, RowsCarryTheirOwnTextsKeysAndColours) {
    KeywordListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.appendRow({"7", "shoes", "120"}, "Keyshoes");
    m.appendRow({QString(), "boots"});
    EXPECT_EQ(m.text(0, 0), "7");
    EXPECT_EQ(m.text(1, 0), "");  // a row given no number shows none
    EXPECT_EQ(m.text(0, 9), "");
    EXPECT_EQ(m.text(0, 10), QString());
    EXPECT_EQ(m.key(0), "Keyshoes");
    EXPECT_EQ(m.key(1), "");
    EXPECT_TRUE(m.keyedBy(0, "shoes"));
    EXPECT_FALSE(m.keyedBy(1, "boots"));

    m.setText(0, 0, QString());  // an emptied cell stays empty, not the row number
    EXPECT_EQ(m.text(0, 0), "");
    m.setForeground(1, 3, QColor(255, 0, 0));
    const QVariant brush = m.data(m.index(1, 3), Qt::ForegroundRole);
    ASSERT_TRUE(brush.isValid());
    EXPECT_EQ(brush.value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_FALSE(m.data(m.index(1, 4), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(m.data(m.index(0, 3), Qt::ForegroundRole).isValid());

    m.setHeaderLabels({"#", "Keywords"});
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), "Keywords");
    EXPECT_EQ(m.columnCount(), KeywordListModel::kColumns);
    EXPECT_THROW(m.insertRows(5, {keyed(1, "x")}), std::out_of_range);
    m.clear();
    EXPECT_EQ(m.rowCount(), 0);
}
