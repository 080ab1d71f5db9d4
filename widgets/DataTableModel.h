// The data set as a read-only table: cells are read when shown, never copied.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>

class DataMatrix;

// A cell's value as the windows show it: "." for missing, otherwise the
// single-precision value with at most 7 significant digits and the locale's
// decimal separator.
QString cellText(float value);
// A cell of `data` as the windows show it: its label where the column has one
// for the cell's code, otherwise as cellText(float) shows the value.
QString cellText(const DataMatrix& data, int32_t row, int32_t column);

// One row per case and one column per variable of a data set that outlives
// the model and does not change while it is shown. Columns are headed
// "Var k" or "Var k (name)", rows by their number from 1.
class DataTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataTableModel(const DataMatrix& data, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const DataMatrix& m_data;
};
