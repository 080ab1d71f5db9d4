// frmDataView: the whole data set as a read-only grid.
#include "forms/frmDataView.h"

#include "data/DataMatrix.h"
#include "widgets/DataTableModel.h"
#include "widgets/GridView.h"

#include <QLabel>
#include <QVBoxLayout>

frmDataView::frmDataView(const DataMatrix& data, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDataView"));
    setWindowTitle(QStringLiteral("View Data"));
    m_model = new DataTableModel(data, this);
    tblData = new GridView(this);
    tblData->setObjectName(QStringLiteral("tblData"));
    tblData->setModel(m_model);
    lblNoData = new QLabel(QStringLiteral("No data"), this);
    lblNoData->setObjectName(QStringLiteral("lblNoData"));
    lblNoData->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tblData);
    layout->addWidget(lblNoData);
    const bool hasCells = data.rowCount() > 0 && data.columnCount() > 0;
    tblData->setVisible(hasCells);
    lblNoData->setVisible(!hasCells);
    resize(hasCells ? QSize(640, 480) : QSize(240, 120));
}
