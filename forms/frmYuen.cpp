// frmYuen: the trimmed-means test dialog.
#include "forms/frmYuen.h"

#include "analyses/YuenAnalysis.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>

frmYuen::frmYuen(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : TwoGroupDialog(data, output, parent)
{
    setObjectName(QStringLiteral("frmYuen"));
    setWindowTitle(QStringLiteral("Trimmed Means Test"));
    createTrimBox(this);
    QGridLayout* layout = gridLayout();
    layout->addWidget(fraCI, 2, 0, 1, 2);
    auto* trimming = new QHBoxLayout;
    trimming->addWidget(lblTrim);
    trimming->addWidget(txtTrim);
    trimming->addStretch();
    layout->addLayout(trimming, 3, 0, 1, 2);
    placeButtons();
    setTabOrder(opt99CI, txtTrim);
    setTabOrder(txtTrim, cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmYuen::cmdOK_Click);
}

void frmYuen::cmdOK_Click()
{
    runAnalysis([this] {
        TwoGroupChoice choice;
        readChoice(choice);
        return runYuenAnalysis(m_data, choice, txtTrim->text().toStdString());
    });
}
