// A read-only table view for tables of any length.
#pragma once

#include <QAbstractItemView>
#include <QString>

#include <cstdint>
#include <vector>

// Shows a table model as a grid with its column headings above and its row
// headings at the left, both painted by the view itself. Every row has the
// same height and nothing is kept per row, so that opening it and moving
// anywhere in it costs the same for twenty million rows as for ten; a
// QTableView's headers keep an entry per row. Cells are selected by mouse
// or keyboard (a heading selects its row or column, the corner everything)
// and Copy hands the selection out as tab-separated text with LF line ends.
// A long column heading is cut short with "..."; its tooltip shows it whole.
class GridView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void reset() override;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

    // The selected cells as text: one line per row of the selection's
    // bounding box, fields separated by tabs, each line ended by LF; a cell
    // inside the box that is not selected gives an empty field.
    QString selectedText() const;
    // Puts selectedText() on the clipboard.
    void copy();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int rows() const;
    int columns() const;
    // Rows that fit below the column headings, at least 1.
    int visibleRows() const;
    int firstRow() const;
    // Left edge of a column in the cells' own coordinates, and the total width.
    int columnStart(int column) const { return m_columnStart[std::size_t(column)]; }
    // The row or column under a point of the viewport, clamped to the table
    // when `clamp` is set, else -1 outside the cells.
    int rowAt(int y, bool clamp) const;
    int columnAt(int x, bool clamp) const;
    // Where a column's heading is drawn in the viewport.
    QRect headingRect(int column) const;
    void measureColumns();
    void selectRange(
        int top, int left, int bottom, int right, QItemSelectionModel::SelectionFlags command);

    int m_rowHeight = 0;
    int m_headerHeight = 0;
    int m_rowHeaderWidth = 0;
    std::vector<int> m_columnStart; // columns + 1 entries
};
