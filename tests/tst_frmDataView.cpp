// The data grid driven offscreen: headings, cells, selection and Copy, the
// ends of a long data set, no data, and Escape.
#include "GuiDriver.h"
#include "TestData.h"

#include "forms/frmDataView.h"
#include "widgets/GridView.h"

#include <QAction>
#include <QClipboard>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolTip>

#include <cstdio>

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

// Shows the window with every cell selected and "before" on the clipboard.
GridView* showAllSelected(frmDataView& view)
{
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        qFatal("View Data did not come up");
    GridView* grid = gridOf(&view);
    clickCell(grid, 0, 0);
    QTest::keySequence(grid, QKeySequence::SelectAll);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    return grid;
}

// `rows` lines of `columns` fields of `value`; with `firstLineOnly` the
// lines after the first are empty, which costs next to no memory.
DataMatrix filledData(int rows, int columns, float value, bool firstLineOnly)
{
    DataMatrix data;
    data.reserve(std::size_t(rows), std::size_t(firstLineOnly ? columns : rows * columns));
    for (int row = 0; row < rows; ++row) {
        data.beginRow();
        for (int column = 0; column < ((firstLineOnly && row > 0) ? 0 : columns); ++column)
            data.appendField(value);
    }
    return data;
}

// Calls `seen` on every event of type `type` that reaches `target`.
class EventWatch : public QObject {
public:
    EventWatch(QObject* target, QEvent::Type type, std::function<void()> seen)
        : m_type(type)
        , m_seen(std::move(seen))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type)
            m_seen();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

const QString TOO_LARGE = QStringLiteral("The selection is too large to copy.");

// Presses Copy and answers the box it may bring up; returns once the copy is
// over, with the boxes and whether it was over as soon as the key was taken.
QList<gui::Box> pressCopy(GridView* grid, bool* overAtOnce = nullptr)
{
    return gui::answeringBoxes([&] {
        QTest::keySequence(grid, QKeySequence::Copy);
        if (overAtOnce)
            *overAtOnce = !QApplication::overrideCursor();
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 300000);
    });
}

} // namespace

class Tst_frmDataView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsHeadingsAndCells();
    void labelledCellsShowTheirLabels();
    void copiesSelectionAsTabSeparatedText();
    void copiesALongSelectionInPieces();
    void tooLargeSelectionIsRefused_data();
    void tooLargeSelectionIsRefused();
    void copyThatMemoryCannotHoldIsRefused();
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

void Tst_frmDataView::labelledCellsShowTheirLabels()
{
    DataMatrix data = matrixFromRows({ { 1, 2 }, { 2, MISSING_VALUE }, { 3, 1 } });
    data.setLabels(2, { "OJ", "VC" });
    frmDataView view(data);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QAbstractItemModel* model = gridOf(&view)->model();
    QStringList cells;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            cells << model->index(row, column).data().toString();
    // A code without a label and a missing cell show as in a numeric column.
    QCOMPARE(cells, (QStringList { "1", "VC", "2", ".", "3", "OJ" }));
    // Labels read from the left, numbers stay on the right.
    QCOMPARE(model->index(0, 1).data(Qt::TextAlignmentRole).toInt(),
        int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(model->index(0, 0).data(Qt::TextAlignmentRole).toInt(),
        int(Qt::AlignRight | Qt::AlignVCenter));
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

void Tst_frmDataView::copiesALongSelectionInPieces()
{
    constexpr int rows = 200'000;
    std::vector<std::vector<float>> lines;
    QString expected;
    for (int row = 1; row <= rows; ++row) {
        lines.push_back({ float(row), float(row % 3) });
        expected += QString::number(row) + '\t' + QString::number(row % 3) + '\n';
    }
    const DataMatrix data = matrixFromRows(lines);
    frmDataView view(data);
    GridView* grid = showAllSelected(view);

    // The window repaints and takes keys while the text is built.
    bool paintedWhileBusy = false;
    EventWatch paints(grid->viewport(), QEvent::Paint,
        [&] { paintedWhileBusy |= QApplication::overrideCursor() != nullptr; });
    QTest::keySequence(grid, QKeySequence::Copy);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    grid->viewport()->update();
    QTest::keyClick(grid, Qt::Key_Down); // selects one cell; the copy keeps what it had
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 60000);
    QVERIFY(paintedWhileBusy);
    QCOMPARE(QApplication::clipboard()->text(), expected);
}

void Tst_frmDataView::tooLargeSelectionIsRefused_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("firstLineOnly");
    QTest::addColumn<bool>("twoCellsFarApart");
    QTest::addColumn<bool>("atOnce");
    // 1000 columns: 70 million cells give at least 140 million characters,
    // or 70 million with all but two cells left empty; 10 million cells of
    // 13 characters and a tab give 140 million, seen from a sample; 5 million
    // give 70 million, near enough to the limit to be found as they are read.
    QTest::newRow("every cell of 70 000 lines, at once") << 70'000 << 1.0f << true << false << true;
    QTest::newRow("two cells 70 million apart, at once") << 70'000 << 1.0f << true << true << true;
    QTest::newRow("10 million long values, at once")
        << 10'000 << -12345678.0f << false << false << true;
    QTest::newRow("5 million long values, as they are read")
        << 5'000 << -12345678.0f << false << false << false;
}

void Tst_frmDataView::tooLargeSelectionIsRefused()
{
    QFETCH(int, rows);
    QFETCH(float, value);
    QFETCH(bool, firstLineOnly);
    QFETCH(bool, twoCellsFarApart);
    QFETCH(bool, atOnce);
    const DataMatrix data = filledData(rows, MAX_COLUMNS, value, firstLineOnly);
    frmDataView view(data);
    view.setWindowTitle(QStringLiteral("View Data - big.txt"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    GridView* grid = gridOf(&view);
    clickCell(grid, 0, 0);
    if (twoCellsFarApart) {
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier); // moves without selecting
        clickCell(grid, rows - 1, MAX_COLUMNS - 1, Qt::ControlModifier);
        QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 2);
    } else {
        QTest::keySequence(grid, QKeySequence::SelectAll);
    }
    QApplication::clipboard()->setText(QStringLiteral("before"));

    bool overAtOnce = false;
    const QList<gui::Box> boxes = pressCopy(grid, &overAtOnce);
    QCOMPARE(overAtOnce, atOnce);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("View Data - big.txt"));
    QCOMPARE(boxes[0].text, TOO_LARGE);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
}

// Run again as a child under a cap on its address space just above what it
// needs before Copy, the text (42 million characters, within the limit)
// cannot be built: the copy is refused with the same message.
void Tst_frmDataView::copyThatMemoryCannotHoldIsRefused()
{
#ifdef TRELLAM_ADDRESS_SANITIZER
    QSKIP("AddressSanitizer maps address space of its own");
#endif
    const QByteArray role = qgetenv("TRELLAM_COPY_CHILD");
    if (role.isEmpty()) {
        const QString prlimit = QStandardPaths::findExecutable(QStringLiteral("prlimit"));
        if (prlimit.isEmpty())
            QSKIP("prlimit is not installed");
        const auto runChild = [&](const QByteArray& childRole, const QStringList& command) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TRELLAM_COPY_CHILD"), childRole);
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(command.first(), command.mid(1));
            child.waitForFinished(300000);
            const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
            return std::make_pair(passed, QString::fromUtf8(child.readAll()));
        };
        const QStringList self { QCoreApplication::applicationFilePath(),
            QStringLiteral("copyThatMemoryCannotHoldIsRefused") };
        const auto [measured, sizes] = runChild("measure", self);
        QVERIFY2(measured, qPrintable(sizes));
        const QRegularExpressionMatch size
            = QRegularExpression(QStringLiteral("address space (\\d+) KiB")).match(sizes);
        QVERIFY2(size.hasMatch(), qPrintable(sizes));
        // 48 MiB more: room for the box, not for the 84 MiB of text.
        const qint64 cap = (size.captured(1).toLongLong() + 48 * 1024) * 1024;
        const auto [passed, output] = runChild(
            "copy", QStringList { prlimit, "--as=" + QString::number(cap), "--" } + self);
        QVERIFY2(passed, qPrintable(output));
        QVERIFY2(output.contains("PASS   : Tst_frmDataView::copyThatMemoryCannotHoldIsRefused()"),
            qPrintable(output));
        return;
    }

    const DataMatrix data = filledData(3'000, MAX_COLUMNS, -12345678.0f, false);
    frmDataView view(data);
    GridView* grid = showAllSelected(view);
    QCoreApplication::processEvents();
    if (role == "measure") {
        QFile status(QStringLiteral("/proc/self/status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        const QByteArray lines = status.readAll();
        const QRegularExpressionMatch size
            = QRegularExpression(QStringLiteral("VmSize:\\s+(\\d+) kB")).match(lines);
        QVERIFY(size.hasMatch());
        std::printf("address space %s KiB\n", qPrintable(size.captured(1)));
        std::fflush(stdout);
        return;
    }
    const QList<gui::Box> boxes = pressCopy(grid);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("View Data"));
    QCOMPARE(boxes[0].text, TOO_LARGE);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
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
    gui::importDataFile(window.get(), QStringLiteral(TRELLAM_SOURCE_DIR "/examples"),
        QStringLiteral("anxiety_comma.txt"), QStringLiteral("optComma"));
    QCOMPARE(window->dataSet().rowCount(), 30);
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
