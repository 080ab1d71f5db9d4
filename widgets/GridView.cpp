// A read-only table view for tables of any length.
#include "widgets/GridView.h"

#include "platform/BusyCursor.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyleOptionHeader>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace {

// Positions far outside the viewport are kept within int, as QRect needs.
int clampedPosition(qint64 position)
{
    constexpr qint64 limit = qint64 { 1 } << 30;
    return int(std::clamp(position, -limit, limit));
}

} // namespace

GridView::GridView(QWidget* parent)
    : QAbstractItemView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_copyNext = new QTimer(this);
    m_copyNext->setSingleShot(true);
    connect(m_copyNext, &QTimer::timeout, this, &GridView::copyPiece);
    measureColumns();
}

GridView::~GridView() = default;

void GridView::setModel(QAbstractItemModel* model)
{
    m_copy.reset();
    QAbstractItemView::setModel(model);
    measureColumns();
    updateGeometries();
}

void GridView::reset()
{
    m_copy.reset();
    QAbstractItemView::reset();
    measureColumns();
    updateGeometries();
}

int GridView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int GridView::columns() const
{
    return model() ? model()->columnCount(rootIndex()) : 0;
}

int GridView::visibleRows() const
{
    return std::max(1, (viewport()->height() - m_headerHeight) / m_rowHeight);
}

int GridView::firstRow() const
{
    return verticalScrollBar()->value();
}

void GridView::measureColumns()
{
    const QFontMetrics metrics(font());
    m_rowHeight = metrics.height() + 6;
    m_headerHeight = m_rowHeight;
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('x'));
    const int digits = int(QString::number(std::max(rows(), 1)).size());
    m_rowHeaderWidth = metrics.horizontalAdvance(QString(digits, QLatin1Char('8'))) + padding;
    // Wide enough for the longest value a cell shows.
    const int valueWidth = metrics.horizontalAdvance(QStringLiteral("-8.888888E+08")) + padding;
    // A long name would push the values out of sight: its heading is cut
    // short at about 20 characters, and its tooltip shows it whole.
    const int widestHeading = std::max(valueWidth, 20 * metrics.averageCharWidth() + padding);
    m_columnStart.assign(1, 0);
    for (int column = 0; column < columns(); ++column) {
        const QString heading = model()->headerData(column, Qt::Horizontal).toString();
        const int width
            = std::clamp(metrics.horizontalAdvance(heading) + padding, valueWidth, widestHeading);
        m_columnStart.push_back(m_columnStart.back() + width);
    }
}

void GridView::updateGeometries()
{
    verticalScrollBar()->setRange(0, std::max(0, rows() - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
    verticalScrollBar()->setSingleStep(1);
    const int cellsWidth = std::max(0, viewport()->width() - m_rowHeaderWidth);
    horizontalScrollBar()->setRange(0, std::max(0, columnStart(columns()) - cellsWidth));
    horizontalScrollBar()->setPageStep(cellsWidth);
    horizontalScrollBar()->setSingleStep(m_rowHeight);
    QAbstractItemView::updateGeometries();
}

int GridView::rowAt(int y, bool clamp) const
{
    const qint64 below = qint64(y) - m_headerHeight;
    const qint64 steps = below >= 0 ? below / m_rowHeight : (below - m_rowHeight + 1) / m_rowHeight;
    const qint64 row = firstRow() + steps;
    if (clamp)
        return int(std::clamp<qint64>(row, 0, std::max(0, rows() - 1)));
    return below < 0 || row >= rows() ? -1 : int(row);
}

int GridView::columnAt(int x, bool clamp) const
{
    const int inCells = x - m_rowHeaderWidth + horizontalOffset();
    if (!clamp && (x < m_rowHeaderWidth || inCells < 0 || inCells >= columnStart(columns())))
        return -1;
    const auto after = std::upper_bound(m_columnStart.begin(), m_columnStart.end(), inCells);
    const int column = int(after - m_columnStart.begin()) - 1;
    return std::clamp(column, 0, std::max(0, columns() - 1));
}

QRect GridView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() >= columns())
        return {};
    const qint64 top = m_headerHeight + (qint64(index.row()) - firstRow()) * m_rowHeight;
    const int left = m_rowHeaderWidth + columnStart(index.column()) - horizontalOffset();
    const int width = columnStart(index.column() + 1) - columnStart(index.column());
    return QRect(left, clampedPosition(top), width, m_rowHeight);
}

QRect GridView::headingRect(int column) const
{
    return QRect(m_rowHeaderWidth + columnStart(column) - horizontalOffset(), 0,
        columnStart(column + 1) - columnStart(column), m_headerHeight);
}

QModelIndex GridView::indexAt(const QPoint& point) const
{
    const int row = rowAt(point.y(), false);
    const int column = columnAt(point.x(), false);
    if (row < 0 || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.column() >= columns())
        return;
    updateGeometries();
    const int row = index.row();
    const int shown = visibleRows();
    int first = firstRow();
    if (hint == PositionAtTop || (hint == EnsureVisible && row < first))
        first = row;
    else if (hint == PositionAtBottom || (hint == EnsureVisible && row >= first + shown))
        first = row - shown + 1;
    else if (hint == PositionAtCenter)
        first = row - shown / 2;
    verticalScrollBar()->setValue(first);

    const int cellsWidth = viewport()->width() - m_rowHeaderWidth;
    const int left = columnStart(index.column());
    const int right = columnStart(index.column() + 1);
    int offset = horizontalOffset();
    if (left < offset)
        offset = left;
    else if (right > offset + cellsWidth)
        offset = std::min(left, right - cellsWidth);
    horizontalScrollBar()->setValue(offset);
}

QModelIndex GridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    if (rows() == 0 || columns() == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());
    qint64 row = current.row();
    int column = current.column();
    const bool control = modifiers & Qt::ControlModifier;
    switch (cursorAction) {
    case MoveUp:
        --row;
        break;
    case MoveDown:
        ++row;
        break;
    case MoveLeft:
    case MovePrevious:
        --column;
        break;
    case MoveRight:
    case MoveNext:
        ++column;
        break;
    case MovePageUp:
        row -= visibleRows();
        break;
    case MovePageDown:
        row += visibleRows();
        break;
    case MoveHome:
        column = 0;
        if (control)
            row = 0;
        break;
    case MoveEnd:
        column = columns() - 1;
        if (control)
            row = rows() - 1;
        break;
    }
    row = std::clamp<qint64>(row, 0, rows() - 1);
    column = std::clamp(column, 0, columns() - 1);
    return model()->index(int(row), column, rootIndex());
}

int GridView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int GridView::verticalOffset() const
{
    return clampedPosition(qint64(firstRow()) * m_rowHeight);
}

bool GridView::isIndexHidden(const QModelIndex&) const
{
    return false;
}

void GridView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (rows() == 0 || columns() == 0)
        return;
    const QRect area = rect.normalized();
    selectRange(rowAt(area.top(), true), columnAt(area.left(), true), rowAt(area.bottom(), true),
        columnAt(area.right(), true), command);
}

void GridView::selectRange(
    int top, int left, int bottom, int right, QItemSelectionModel::SelectionFlags command)
{
    const QItemSelection range(
        model()->index(top, left, rootIndex()), model()->index(bottom, right, rootIndex()));
    selectionModel()->select(range, command);
}

QRegion GridView::visualRegionForSelection(const QItemSelection&) const
{
    return viewport()->rect();
}

void GridView::scrollContentsBy(int, int)
{
    // The headings stay where they are, so the whole view is drawn again.
    viewport()->update();
}

void GridView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette colors = palette();
    const int padding = QFontMetrics(font()).horizontalAdvance(QLatin1Char('x')) / 2 + 1;
    const int first = firstRow();
    const int end = std::min(rows(), first + visibleRows() + 1); // and a partly shown row
    const bool hasColumns = columns() > 0;
    const int leftColumn = columnAt(m_rowHeaderWidth, true);
    const int rightColumn = columnAt(viewport()->width() - 1, true);
    const QModelIndex current = currentIndex();

    for (int row = first; hasColumns && row < end; ++row) {
        for (int column = leftColumn; column <= rightColumn; ++column) {
            const QModelIndex index = model()->index(row, column, rootIndex());
            const QRect cell = visualRect(index);
            const bool selected = selectionModel()->isSelected(index);
            if (selected)
                painter.fillRect(cell, colors.brush(QPalette::Highlight));
            painter.setPen(colors.color(selected ? QPalette::HighlightedText : QPalette::Text));
            const auto alignment
                = Qt::Alignment(model()->data(index, Qt::TextAlignmentRole).toInt());
            painter.drawText(cell.adjusted(padding, 0, -padding, 0), int(alignment),
                model()->data(index).toString());
            painter.setPen(colors.color(QPalette::Midlight));
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            if (index == current && hasFocus()) {
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = cell.adjusted(1, 1, -1, -1);
                focus.backgroundColor
                    = colors.color(selected ? QPalette::Highlight : QPalette::Base);
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
            }
        }
    }

    // The headings, over any cell scrolled beneath them.
    QStyleOptionHeader heading;
    heading.initFrom(this);
    heading.state |= QStyle::State_Raised;
    heading.orientation = Qt::Horizontal;
    heading.textAlignment = Qt::AlignCenter;
    const QFontMetrics metrics(font());
    const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, &heading, this);
    for (int column = leftColumn; hasColumns && column <= rightColumn; ++column) {
        heading.rect = headingRect(column);
        heading.text = metrics.elidedText(model()->headerData(column, Qt::Horizontal).toString(),
            Qt::ElideRight, heading.rect.width() - margins);
        style()->drawControl(QStyle::CE_Header, &heading, &painter, this);
    }
    heading.orientation = Qt::Vertical;
    heading.textAlignment = Qt::AlignRight | Qt::AlignVCenter;
    for (int row = first; row < end; ++row) {
        heading.rect
            = QRect(0, m_headerHeight + (row - first) * m_rowHeight, m_rowHeaderWidth, m_rowHeight);
        heading.text = model()->headerData(row, Qt::Vertical).toString();
        style()->drawControl(QStyle::CE_Header, &heading, &painter, this);
    }
    heading.rect = QRect(0, 0, m_rowHeaderWidth, m_headerHeight);
    heading.text.clear();
    style()->drawControl(QStyle::CE_Header, &heading, &painter, this);
}

bool GridView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractItemView::viewportEvent(event);
    // A column heading's tooltip is the heading whole, as it may be cut short.
    const auto* help = static_cast<QHelpEvent*>(event);
    const int column = columnAt(help->pos().x(), false);
    if (help->pos().y() >= m_headerHeight || column < 0)
        return QAbstractItemView::viewportEvent(event);
    QToolTip::showText(help->globalPos(), model()->headerData(column, Qt::Horizontal).toString(),
        viewport(), headingRect(column));
    return true;
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        copy();
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool onHeading = at.y() < m_headerHeight || at.x() < m_rowHeaderWidth;
    if (event->button() != Qt::LeftButton || !onHeading || rows() == 0 || columns() == 0) {
        QAbstractItemView::mousePressEvent(event);
        return;
    }
    // A column heading selects its column, a row heading its row, the corner everything.
    int top = 0;
    int bottom = rows() - 1;
    int left = 0;
    int right = columns() - 1;
    if (at.y() >= m_headerHeight)
        top = bottom = rowAt(at.y(), true);
    else if (at.x() >= m_rowHeaderWidth)
        left = right = columnAt(at.x(), true);
    setFocus(Qt::MouseFocusReason);
    const int currentRow = top == bottom ? top : firstRow();
    selectionModel()->setCurrentIndex(
        model()->index(currentRow, left, rootIndex()), QItemSelectionModel::NoUpdate);
    selectRange(top, left, bottom, right,
        event->modifiers() & Qt::ControlModifier ? QItemSelectionModel::Select
                                                 : QItemSelectionModel::ClearAndSelect);
    event->accept();
}

struct GridView::CopyJob {
    QItemSelection selection; // as it was when Copy was asked for
    bool oneBlock = true;
    int left = 0;
    int bottom = 0;
    int right = 0;
    int row = 0; // the next row to add
    QString text;
    BusyCursor busy;
};

void GridView::copy()
{
    m_copy.reset(); // Copy asked for again starts afresh
    const QItemSelection selection
        = selectionModel() ? selectionModel()->selection() : QItemSelection();
    if (selection.isEmpty() || !model())
        return;
    int top = std::numeric_limits<int>::max();
    int left = top;
    int bottom = -1;
    int right = -1;
    for (const QItemSelectionRange& range : selection) {
        top = std::min(top, range.top());
        left = std::min(left, range.left());
        bottom = std::max(bottom, range.bottom());
        right = std::max(right, range.right());
    }
    try {
        // Every cell gives its tab or line end, and a selected one at least one
        // character more: a box that passes the limit even so is refused at once.
        const bool oneBlock = selection.size() == 1;
        const qint64 cells = qint64(bottom - top + 1) * (right - left + 1);
        if (cells * (oneBlock ? 2 : 1) > LARGEST_COPY
            || (oneBlock && sampledBeyondLimit(top, left, bottom, right))) {
            refuseCopy();
            return;
        }
        m_copy = std::make_unique<CopyJob>();
        m_copy->selection = selection;
        m_copy->oneBlock = oneBlock;
        m_copy->row = top;
        m_copy->left = left;
        m_copy->bottom = bottom;
        m_copy->right = right;
    } catch (...) { // only memory can fail here
        refuseCopy();
        return;
    }
    copyPiece();
}

bool GridView::sampledBeyondLimit(int top, int left, int bottom, int right) const
{
    constexpr qint64 samples = 4096;
    const qint64 rows = qint64(bottom) - top + 1;
    const qint64 width = right - left + 1;
    if (rows * width <= samples)
        return false;
    // Spread over the rows, going through the columns in turn.
    qint64 length = 0;
    for (qint64 i = 0; i < samples; ++i) {
        const QModelIndex index
            = model()->index(int(top + rows * i / samples), int(left + i % width), rootIndex());
        length += model()->data(index).toString().size() + 1;
    }
    // A quarter beyond: a text near the limit is measured as it is built.
    return length * rows * width / samples > LARGEST_COPY / 4 * 5;
}

void GridView::copyPiece()
{
    // About a hundredth of a second of reading cells, between which the
    // window repaints and takes keys; a small selection is done at once.
    constexpr qint64 cellsPerPiece = 1 << 16;
    if (!m_copy)
        return;
    CopyJob& job = *m_copy;
    try {
        const qint64 rowsPerPiece = std::max<qint64>(1, cellsPerPiece / (job.right - job.left + 1));
        const int last = int(std::min<qint64>(job.bottom, job.row + rowsPerPiece - 1));
        for (; job.row <= last; ++job.row) {
            for (int column = job.left; column <= job.right; ++column) {
                if (column > job.left)
                    job.text += QLatin1Char('\t');
                const QModelIndex index = model()->index(job.row, column, rootIndex());
                if (job.oneBlock || job.selection.contains(index))
                    job.text += model()->data(index).toString();
            }
            job.text += QLatin1Char('\n');
        }
        if (job.text.size() > LARGEST_COPY) {
            refuseCopy();
            return;
        }
        if (job.row <= job.bottom) {
            m_copyNext->start(0);
            return;
        }
        QApplication::clipboard()->setText(job.text);
    } catch (...) { // only memory can fail here
        refuseCopy();
        return;
    }
    m_copy.reset();
}

void GridView::refuseCopy()
{
    m_copy.reset(); // the text goes before the box needs memory
    MessageBox::warning(
        this, window()->windowTitle(), QStringLiteral("The selection is too large to copy."));
}
