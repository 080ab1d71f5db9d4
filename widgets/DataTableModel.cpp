// The data set as a read-only table: cells are read when shown, never copied.
#include "widgets/DataTableModel.h"

#include "report/NumberFormat.h"
#include "data/DataMatrix.h"

#include <QLocale>

QString cellText(float value)
{
    if (static_cast<double>(value) == static_cast<double>(MISSING_VALUE))
        return QStringLiteral(".");
    QString text = QString::fromStdString(formatGeneral(static_cast<double>(value), 7));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString cellText(const DataMatrix& data, int32_t row, int32_t column)
{
    const float value = data(row, column);
    if (const std::string* label = data.labelOf(column, value))
        return QString::fromStdString(*label);
    return cellText(value);
}

DataTableModel::DataTableModel(const DataMatrix& data, QObject* parent)
    : QAbstractTableModel(parent)
    , m_data(data)
{
}

int DataTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_data.rowCount();
}

int DataTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_data.columnCount();
}

QVariant DataTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(m_data, index.row() + 1, index.column() + 1);
    // Text reads from the left, numbers line up on the right.
    if (role == Qt::TextAlignmentRole)
        return int((m_data.hasLabels(index.column() + 1) ? Qt::AlignLeft : Qt::AlignRight)
            | Qt::AlignVCenter);
    return {};
}

QVariant DataTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    return QString::fromStdString(variableLabel(m_data, section + 1));
}

Qt::ItemFlags DataTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
