// frmDataView: the whole data set as a read-only grid.
#pragma once

#include <QDialog>

class DataMatrix;
class DataTableModel;
class GridView;
class QLabel;

// One column per variable, headed "Var k" or "Var k (name)", one row per
// case numbered from 1; cells are read from the data set as they are shown,
// so it opens at once on any size. With no cells (0 rows or 0 columns) it
// says "No data" and shows nothing else. Copy (Ctrl+C) hands the selected
// cells out as tab-separated text, refusing more than 64 MiB with a message
// titled as the window; a heading too long for its column shows whole in its
// tooltip. Escape closes it.
class frmDataView : public QDialog {
    Q_OBJECT
public:
    explicit frmDataView(const DataMatrix& data, QWidget* parent = nullptr);

private:
    DataTableModel* m_model = nullptr;
    GridView* tblData = nullptr;
    QLabel* lblNoData = nullptr;
};
