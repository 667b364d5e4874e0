#pragma once
// The bid window's grid without a screen: rows of twelve text cells with a
// text colour, a shaded background and an alignment each, row 0 holding
// the captions and the keyword rows from row 1 on; the current cell and
// the selection; a sort by one column that compares amounts as numbers
// and other texts as text. As a table model it shows the keyword rows,
// row 0 becoming the horizontal header.

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

class BidGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        colKeyword = 0,
        colCurBid = 1,
        colNextBid = 2,
        colPosition = 3,
        colFirstBid = 4,  // position n is column 3 + n
        colFifthBid = 8,
        colTarget = 9,
        colNewBid = 10,
        colStatus = 11,
    };
    static constexpr int kCols = 12;

    // Text colours as the classic colour values (blue, green and red bytes
    // from high to low); kDefaultColor leaves the cell in the view's colour.
    static constexpr int kDefaultColor = -1;
    static constexpr int kBlack = 0x000000;
    static constexpr int kRed = 0x0000FF;
    static constexpr int kBlue = 0xFF0000;

    using RowTexts = std::array<QString, kCols>;

    explicit BidGrid(QObject *parent = nullptr);

    // ---- the grid ----
    // Rows including the header row (at least 1).
    int Rows() const { return int(m_rows.size()); }
    // Grows with empty rows or drops rows from the end (never below 1).
    void setRows(int rows);
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    int CellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, int color);
    bool CellShaded(int row, int col) const;
    void setCellShaded(int row, int col, bool shaded);
    Qt::Alignment CellAlignment(int row, int col) const;
    void setCellAlignment(int row, int col, Qt::Alignment alignment);
    // Alignment of a whole column (header included) and the shading of its keyword rows.
    void setColumnFormat(int col, Qt::Alignment alignment, bool shaded);
    // The same for several columns at once: bits by column of those to set
    // (`columns`), of those among them left-aligned and of those shaded.
    void setFormats(quint16 leftColumns, quint16 shadedColumns, quint16 columns = 0x0FFF);
    // Appends a row of texts.
    void AddItem(const RowTexts &texts);
    // Appends `count` rows at once (one model notification); `fill(i, texts)`
    // writes the texts of the i-th.
    template <typename Fill>
    void AddItemsWith(int count, Fill fill) {
        if (count <= 0)
            return;
        const int first = Rows();
        beginInsertRows(QModelIndex(), first - 1, first - 1 + count - 1);
        m_rows.reserve(m_rows.size() + size_t(count));
        for (int i = 0; i < count; ++i) {
            Cells &cells = m_rows.emplace_back();
            cells.alignLeft = 0xFFFF;
            fill(i, cells.text);
        }
        endInsertRows();
    }
    void RemoveItem(int row);
    // Texts, colours and formats of every row except the header go; one
    // empty row remains below it when `keepEmptyRow`.
    void ClearRows(bool keepEmptyRow);

    // Current cell and the other corner of the selection (row 0 = header, nothing chosen).
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    int RowSel() const { return m_rowSel; }
    int ColSel() const { return m_colSel; }
    // Makes (row, col) current with nothing else selected.
    void setCurrentCell(int row, int col);
    // Makes (row, col) current and selects up to (rowSel, colSel).
    void setSelection(int row, int col, int rowSel, int colSel);
    // Sorts the keyword rows by one column: amounts by their value before
    // any other text, other texts without regard to letter case; equal
    // cells keep their order. The current column becomes `col`.
    void Sort(int col, bool ascending);

    // ---- table model: the keyword rows; row 0 is the horizontal header ----
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Grid row of a model index (model row + 1).
    static int GridRow(const QModelIndex &index) { return index.row() + 1; }

Q_SIGNALS:
    // The current cell or the selection changed from the program's side.
    void selectionMoved();

private:
    struct Cells {
        RowTexts text;
        std::array<int, kCols> fore;
        quint16 shaded = 0;      // bit per column
        quint16 alignLeft = 0;   // bit per column: left, else centred
        Cells() { fore.fill(kDefaultColor); }
    };
    void checkCell(int row, int col) const;
    void cellChanged(int row, int col);
    void clampSelection();

    std::vector<Cells> m_rows;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
};
