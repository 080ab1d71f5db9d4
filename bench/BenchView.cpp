// Benchmark of the data grid: the real window opened on a large data set,
// moved to its last row, and everything copied.
#include "BenchCommon.h"

#include "data/DataMatrix.h"
#include "forms/frmDataView.h"
#include "platform/MessageBox.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QClipboard>

#include <charconv>
#include <iostream>

namespace bench {

namespace {

int64_t wholeOption(const std::vector<std::string>& args, const std::string& name, int64_t fallback)
{
    const std::string text = option(args, name, std::to_string(fallback));
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

// `rows` rows of `columns` values, every seventh one missing.
DataMatrix generated(int64_t rows, int64_t columns)
{
    DataMatrix data;
    data.reserve(std::size_t(rows), std::size_t(rows * columns));
    for (int64_t row = 0; row < rows; ++row) {
        data.beginRow();
        for (int64_t column = 0; column < columns; ++column)
            data.appendField(
                (row + column) % 7 == 0 ? MISSING_VALUE : float(row % 1000) * 0.25f + column);
    }
    return data;
}

} // namespace

int runView(const std::vector<std::string>& args)
{
    const int64_t rows = wholeOption(args, "rows", 20'000'000);
    const int64_t columns = wholeOption(args, "columns", 2);
    if (rows < 1 || rows > 2'000'000'000 || columns < 1 || columns > MAX_COLUMNS) {
        std::cerr << "usage: trellam-bench view [--rows N] [--columns K]\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "trellam-bench";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    const DataMatrix data = generated(rows, columns);
    const double dataMB = peakResidentMB();

    frmDataView* view = nullptr;
    const double openSeconds = medianSeconds(1, [&] {
        view = new frmDataView(data);
        view->show();
        QApplication::processEvents();
    });
    auto* grid = view->findChild<GridView*>(QStringLiteral("tblData"));
    const double lastRowSeconds = medianSeconds(1, [&] {
        const QModelIndex last = grid->model()->index(int(rows - 1), int(columns - 1));
        grid->setCurrentIndex(last);
        grid->scrollTo(last);
        grid->viewport()->repaint();
        QApplication::processEvents();
    });
    const bool atEnd
        = grid->indexAt(grid->visualRect(grid->currentIndex()).center()).row() == int(rows - 1);
    // Copy of everything, until its text is on the clipboard or it is refused.
    grid->selectAll();
    QApplication::clipboard()->clear();
    MessageBox::setNextAnswer(QMessageBox::Ok); // a refusal's box
    const double copySeconds = medianSeconds(1, [&] {
        grid->copy();
        while (QApplication::overrideCursor())
            QApplication::processEvents();
    });
    const qsizetype copied = QApplication::clipboard()->text().size();
    std::cout << "view " << rows << " rows x " << columns << " columns: open " << openSeconds
              << " s, to the last row " << lastRowSeconds << " s, together "
              << openSeconds + lastRowSeconds << " s; copy of everything " << copySeconds << " s ("
              << (copied > 0 ? std::to_string(copied) + " characters" : std::string("refused"))
              << "); peak memory " << peakResidentMB() << " MB (" << dataMB
              << " MB with the data alone)\n";
    delete view;
    return atEnd ? 0 : 1;
}

} // namespace bench
