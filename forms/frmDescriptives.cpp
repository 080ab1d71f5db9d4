// frmDescriptives: the descriptives dialog.
#include "forms/frmDescriptives.h"

#include "analyses/DescriptivesAnalysis.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// Reports are 8-bit text: a separator that is not one ASCII character falls back to ".".
char reportDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80)
        return static_cast<char>(point.at(0).unicode());
    return '.';
}

} // namespace

frmDescriptives::frmDescriptives(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : AnalysisDialog(data, output, parent)
{
    setObjectName(QStringLiteral("frmDescriptives"));
    setWindowTitle(QStringLiteral("Descriptives"));
    createControls();
    connectHandlers();
    Form_Load();
}

void frmDescriptives::createControls()
{
    fraSelectItems = new QGroupBox(QStringLiteral("Select Items"), this);
    fraSelectItems->setObjectName(QStringLiteral("fraSelectItems"));
    lstItems = new QListWidget(fraSelectItems);
    lstItems->setObjectName(QStringLiteral("lstItems"));
    optRanges = new QRadioButton(QStringLiteral("Range of Items"), fraSelectItems);
    optRanges->setObjectName(QStringLiteral("optRanges"));
    optRanges->setChecked(true);
    optIndividual = new QRadioButton(QStringLiteral("Individual Items"), fraSelectItems);
    optIndividual->setObjectName(QStringLiteral("optIndividual"));

    lblSplitBy = new QLabel(QStringLiteral("Split by"), this);
    lblSplitBy->setObjectName(QStringLiteral("lblSplitBy"));
    cmbSplitBy = new QComboBox(this);
    cmbSplitBy->setObjectName(QStringLiteral("cmbSplitBy"));
    // Long names must not widen the dialog; the open list shows them whole.
    cmbSplitBy->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbSplitBy->setMinimumContentsLength(10);
    lblSplitBy->setBuddy(cmbSplitBy);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* frameLayout = new QVBoxLayout(fraSelectItems);
    frameLayout->addWidget(lstItems);
    frameLayout->addWidget(optRanges);
    frameLayout->addWidget(optIndividual);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* split = new QHBoxLayout;
    split->addWidget(lblSplitBy);
    split->addWidget(cmbSplitBy, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraSelectItems);
    layout->addLayout(split);
    layout->addLayout(buttons);

    setTabOrder(lstItems, optRanges);
    setTabOrder(optRanges, optIndividual);
    setTabOrder(optIndividual, cmbSplitBy);
    setTabOrder(cmbSplitBy, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    resize(229, 349);
}

void frmDescriptives::connectHandlers()
{
    connect(lstItems, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* item) { lstItems_ItemCheck(lstItems->row(item)); });
    connect(cmdOK, &QPushButton::clicked, this, &frmDescriptives::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDescriptives::cmdCancel_Click);
}

void frmDescriptives::Form_Load()
{
    cmbSplitBy->addItem(QStringLiteral("None"));
    for (int32_t column = 1; column <= m_data.columnCount(); ++column) {
        const QString label = QString::fromStdString(variableLabel(m_data, column));
        auto* item = new QListWidgetItem(label);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        lstItems->addItem(item);
        cmbSplitBy->addItem(label);
    }
}

bool frmDescriptives::isItemChecked(int index) const
{
    return lstItems->item(index)->checkState() == Qt::Checked;
}

void frmDescriptives::lstItems_ItemCheck(int index)
{
    if (!optRanges->isChecked() || index <= 0 || !isItemChecked(index))
        return;
    int above = index - 1;
    while (above >= 0 && !isItemChecked(above))
        --above;
    if (above < 0)
        return;
    // The entries filled in here are part of this one check, not checks of their own.
    const QSignalBlocker blocker(lstItems);
    for (int i = index - 1; i > above; --i)
        lstItems->item(i)->setCheckState(Qt::Checked);
}

std::vector<int32_t> frmDescriptives::checkedColumns() const
{
    std::vector<int32_t> columns;
    for (int i = 0; i < lstItems->count(); ++i) {
        if (isItemChecked(i))
            columns.push_back(i + 1);
    }
    return columns;
}

void frmDescriptives::cmdOK_Click()
{
    // Entry k of the split list stands for column k; entry 0 is "None".
    const int32_t split = cmbSplitBy->currentIndex() > 0 ? cmbSplitBy->currentIndex() : NO_SPLIT;
    runAnalysis([this, split] {
        return descriptivesAnalysis(m_data, checkedColumns(), reportDecimalSeparator(), split);
    });
}
