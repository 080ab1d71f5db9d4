// A read-only table view for tables of any length.
#pragma once

#include <QAbstractItemView>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QTimer;

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
    ~GridView() override;

    void setModel(QAbstractItemModel* model) override;
    void reset() override;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

    // Puts the selected cells on the clipboard as text: one line per row of
    // the selection's bounding box, fields separated by tabs, each line ended
    // by LF; a cell inside the box that is not selected gives an empty field.
    // A long selection is copied a piece at a time, with the window live and
    // the busy pointer on until it is done. A text beyond LARGEST_COPY
    // characters, or one that memory cannot hold, is refused with a message
    // and leaves the clipboard as it was.
    void copy();
    static constexpr qsizetype LARGEST_COPY = qsizetype { 64 } << 20; // 64 MiB of ASCII text

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
    // Whether the text of the cells of a box would clearly pass LARGEST_COPY,
    // judged from a few thousand of them: a copy found so is refused at once
    // instead of after seconds of building.
    bool sampledBeyondLimit(int top, int left, int bottom, int right) const;
    // Adds the next rows of the copy under way to its text, then hands the
    // text out or asks for the next piece.
    void copyPiece();
    // Drops the copy under way and says why.
    void refuseCopy();

    struct CopyJob;
    std::unique_ptr<CopyJob> m_copy; // the copy under way, if any
    QTimer* m_copyNext = nullptr;

    int m_rowHeight = 0;
    int m_headerHeight = 0;
    int m_rowHeaderWidth = 0;
    std::vector<int> m_columnStart; // columns + 1 entries
};
