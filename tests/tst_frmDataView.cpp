// The data grid driven offscreen: headings, cells, selection and Copy, the
// ends of a long data set, no data, and Escape.
#include "GuiDriver.h"
#include "TestData.h"

#include "forms/frmDataView.h"
#include "widgets/GridView.h"

#include <QAction>
#include <QClipboard>
#include <QScrollBar>
#include <QToolTip>

using gui::child;

namespace {

// Three cases of three variables, two of them named: a missing entry, a
// large value and a short line.
DataMatrix sampleData()
{
    DataMatrix data;
    for (const auto& row : { std::vector<float> { 1.5f, MISSING_VALUE, 12345678.0f },
             std::vector<float> { -0.001f, 2.0f, 3.0f }, std::vector<float> { 7.0f } }) {
        data.beginRow();
        for (float value : row)
            data.appendField(value);
    }
    data.setNames({ "weight", "", "Größe" });
    return data;
}

GridView* gridOf(QWidget* window)
{
    return child<GridView>(window, "tblData");
}

// Clicks the cell (row, column), counted from 0, as a user does.
void clickCell(GridView* grid, int row, int column, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
}

} // namespace

class Tst_frmDataView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsHeadingsAndCells();
    void copiesSelectionAsTabSeparatedText();
    void reachesTheLastOfManyRows();
    void longNamesLeaveValuesInView();
    void noDataShowsOnlyThat_data();
    void noDataShowsOnlyThat();
    void opensFromDataMenuAndClosesWithEscape();
};

void Tst_frmDataView::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmDataView::showsHeadingsAndCells()
{
    const DataMatrix data = sampleData();
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QAbstractItemModel* model = gridOf(&view)->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 3);
    QStringList headings;
    for (int column = 0; column < 3; ++column)
        headings << model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(
        headings, (QStringList { "Var 1 (weight)", "Var 2", QString::fromUtf8("Var 3 (Größe)") }));
    QCOMPARE(model->headerData(2, Qt::Vertical).toString(), QStringLiteral("3"));
    QStringList cells;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            cells << model->index(row, column).data().toString();
    // As the navigator shows them: a cell beyond a short line reads 0.
    QCOMPARE(
        cells, (QStringList { "1.5", ".", "1.234568E+07", "-0.001", "2", "3", "7", "0", "0" }));
    QCOMPARE(view.findChild<QLabel*>("lblNoData")->isVisible(), false);
}

void Tst_frmDataView::copiesSelectionAsTabSeparatedText()
{
    const DataMatrix data = sampleData();
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    GridView* grid = gridOf(&view);

    // A click and Shift with the arrow keys select a block.
    clickCell(grid, 0, 1);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::clipboard()->clear();
    QTest::keySequence(grid, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(".\t1.234568E+07\n2\t3\n"));

    // Ctrl+click adds a cell: cells between that are not chosen stay empty.
    clickCell(grid, 0, 0);
    clickCell(grid, 2, 2, Qt::ControlModifier);
    QTest::keySequence(grid, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1.5\t\t\n\t\t\n\t\t0\n"));

    // A column heading selects the whole column.
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(
        grid->viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), cell.top() - 2));
    QTest::keySequence(grid, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1.5\n-0.001\n7\n"));
}

void Tst_frmDataView::reachesTheLastOfManyRows()
{
    constexpr int rows = 1'000'000;
    DataMatrix data;
    data.reserve(rows, 2 * rows);
    for (int row = 1; row <= rows; ++row) {
        data.beginRow();
        data.appendField(float(row));
        data.appendField(float(row % 2));
    }
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    GridView* grid = gridOf(&view);
    grid->setFocus();
    clickCell(grid, 0, 0);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    const QModelIndex last = grid->currentIndex();
    QCOMPARE(last.row(), rows - 1);
    QCOMPARE(last.column(), 1);
    // The last row is in view, whole, and the first one no longer.
    QCOMPARE(grid->indexAt(grid->visualRect(last).center()), last);
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(last)));
    QVERIFY(!grid->indexAt(grid->visualRect(grid->model()->index(0, 0)).center()).isValid());
    QCOMPARE(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());

    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
    QCOMPARE(grid->verticalScrollBar()->value(), 0);
}

void Tst_frmDataView::longNamesLeaveValuesInView()
{
    const std::string longName("reaction_time_in_milliseconds_after_the_second_warning_signal_ab");
    QCOMPARE(longName.size(), std::size_t(64));
    DataMatrix data = matrixFromRows(std::vector<std::vector<float>> { { 1, 2, 3, 4 } });
    data.setNames({ longName, "", longName, "x" });
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    GridView* grid = gridOf(&view);
    const QFontMetrics metrics(grid->font());
    const QString label = "Var 3 (" + QString::fromStdString(longName) + ")";
    const auto width
        = [&](int column) { return grid->visualRect(grid->model()->index(0, column)).width(); };

    // Long names are cut to what some 20 characters take; short ones keep
    // the width of a value, so every column of the four is in view.
    QCOMPARE(width(1), width(3));
    QCOMPARE(width(0), width(2));
    QVERIFY(width(0) > width(1));
    QVERIFY(width(0) <= metrics.horizontalAdvance(QString(24, QLatin1Char('x'))));
    QVERIFY(width(0) < metrics.horizontalAdvance(label) / 2);
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(0, 3))));

    // The tooltip of a heading holds its label whole; a cell has none.
    const QRect cell = grid->visualRect(grid->model()->index(0, 2));
    const QPoint onHeading(cell.center().x(), cell.top() - 2);
    QHelpEvent help(QEvent::ToolTip, onHeading, grid->viewport()->mapToGlobal(onHeading));
    QApplication::sendEvent(grid->viewport(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), label);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QHelpEvent onCell(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &onCell);
    QVERIFY(!QToolTip::isVisible());
}

void Tst_frmDataView::noDataShowsOnlyThat_data()
{
    QTest::addColumn<bool>("namesOnly");
    QTest::newRow("an empty data set") << false;
    QTest::newRow("names without cases") << true;
}

void Tst_frmDataView::noDataShowsOnlyThat()
{
    QFETCH(bool, namesOnly);
    DataMatrix data;
    if (namesOnly)
        data.setNames({ "a", "b" });
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* label = view.findChild<QLabel*>("lblNoData");
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("No data"));
    QVERIFY(!gridOf(&view)->isVisible());
}

void Tst_frmDataView::opensFromDataMenuAndClosesWithEscape()
{
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    setDataSet(sampleData());
    QString title;
    const bool closed = gui::withModal(
        "frmDataView", [&] { child<QAction>(window.get(), "mnuViewData")->trigger(); },
        [&](QWidget* view) {
            title = view->windowTitle();
            gridOf(view)->setFocus();
            QTest::keyClick(gridOf(view), Qt::Key_Escape);
        });
    QVERIFY(closed);
    QCOMPARE(title, QStringLiteral("View Data"));
    gui::closeMainWindow(window);
}

QTEST_MAIN(Tst_frmDataView)
#include "tst_frmDataView.moc"
