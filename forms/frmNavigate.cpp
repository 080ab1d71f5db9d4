// frmNavigate: steps through the data set one cell at a time.
#include "forms/frmNavigate.h"

#include "data/DataMatrix.h"
#include "widgets/DataTableModel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* newLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* newButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

frmNavigate::frmNavigate(const DataMatrix& data, QWidget* parent)
    : QDialog(parent)
    , m_data(data)
{
    setObjectName(QStringLiteral("frmNavigate"));
    setWindowTitle(QStringLiteral("Navigate Data File"));
    createControls();
    connectHandlers();
    Form_Load();
}

void frmNavigate::createControls()
{
    lblNumberOfRows
        = newLabel(QStringLiteral("lblNumberOfRows"), QStringLiteral("Number of rows: "), this);
    lblNumberOfColumns = newLabel(
        QStringLiteral("lblNumberOfColumns"), QStringLiteral("Number of columns:"), this);
    lblRow = newLabel(QStringLiteral("lblRow"), QStringLiteral("Row:"), this);
    lblColumn = newLabel(QStringLiteral("lblColumn"), QStringLiteral("Column:"), this);

    fraNavigate = new QGroupBox(QStringLiteral("Navigate"), this);
    fraNavigate->setObjectName(QStringLiteral("fraNavigate"));
    cmdUp = newButton(QStringLiteral("cmdUp"), QStringLiteral("Up"), fraNavigate);
    cmdLeft = newButton(QStringLiteral("cmdLeft"), QStringLiteral("Left"), fraNavigate);
    cmdRight = newButton(QStringLiteral("cmdRight"), QStringLiteral("Right"), fraNavigate);
    cmdDown = newButton(QStringLiteral("cmdDown"), QStringLiteral("Down"), fraNavigate);
    lblCell = newLabel(QStringLiteral("lblCell"), QString(), fraNavigate);
    lblCell->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest value, so the buttons never shift.
    const int widest = lblCell->fontMetrics().horizontalAdvance(QStringLiteral("-8.888888E+08"));
    lblCell->setMinimumWidth(widest);

    auto* cross = new QGridLayout(fraNavigate);
    cross->addWidget(cmdUp, 0, 1);
    cross->addWidget(cmdLeft, 1, 0);
    cross->addWidget(lblCell, 1, 1);
    cross->addWidget(cmdRight, 1, 2);
    cross->addWidget(cmdDown, 2, 1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblNumberOfRows, 0, 0);
    grid->addWidget(lblNumberOfColumns, 1, 0);
    grid->addWidget(lblRow, 0, 1, Qt::AlignRight);
    grid->addWidget(lblColumn, 1, 1, Qt::AlignRight);
    grid->addWidget(fraNavigate, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void frmNavigate::connectHandlers()
{
    connect(cmdUp, &QPushButton::clicked, this, &frmNavigate::cmdUp_Click);
    connect(cmdDown, &QPushButton::clicked, this, &frmNavigate::cmdDown_Click);
    connect(cmdLeft, &QPushButton::clicked, this, &frmNavigate::cmdLeft_Click);
    connect(cmdRight, &QPushButton::clicked, this, &frmNavigate::cmdRight_Click);
}

void frmNavigate::Form_Load()
{
    m_lngRow = 1;
    m_lngColumn = 1;
    lblNumberOfRows->setText(QStringLiteral("Number of rows: ") + QString::number(m_data.rowCount()));
    lblNumberOfColumns->setText(
        QStringLiteral("Number of columns: ") + QString::number(m_data.columnCount()));
    if (!hasCells()) {
        // Nothing to step through: no position, no moves.
        lblCell->setText(QStringLiteral("No data"));
        for (QPushButton* button : { cmdUp, cmdDown, cmdLeft, cmdRight })
            button->setEnabled(false);
        return;
    }
    showCell();
}

bool frmNavigate::hasCells() const
{
    return m_data.rowCount() > 0 && m_data.columnCount() > 0;
}

void frmNavigate::showCell()
{
    lblRow->setText(QStringLiteral("Row: ") + QString::number(m_lngRow));
    // A named column shows its name beside its number.
    QString column = QString::number(m_lngColumn);
    if (const std::string& name = m_data.name(m_lngColumn); !name.empty())
        column += QStringLiteral(" (") + QString::fromStdString(name) + QLatin1Char(')');
    lblColumn->setText(QStringLiteral("Column: ") + column);
    lblCell->setText(cellText(m_data, m_lngRow, m_lngColumn));
}

void frmNavigate::cmdUp_Click()
{
    if (m_lngRow > 1)
        --m_lngRow;
    showCell();
}

void frmNavigate::cmdDown_Click()
{
    if (m_lngRow < m_data.rowCount())
        ++m_lngRow;
    showCell();
}

void frmNavigate::cmdLeft_Click()
{
    if (m_lngColumn > 1)
        --m_lngColumn;
    showCell();
}

void frmNavigate::cmdRight_Click()
{
    if (m_lngColumn < m_data.columnCount())
        ++m_lngColumn;
    showCell();
}
