// frmEffects: the robust effect sizes dialog.
#include "forms/frmEffects.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <array>

frmEffects::frmEffects(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : TwoGroupDialog(data, output, parent)
{
    setObjectName(QStringLiteral("frmEffects"));
    setWindowTitle(QStringLiteral("Robust Effect Sizes"));
    createControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmEffects::cmdOK_Click);
}

void frmEffects::createControls()
{
    fraSettings = new QGroupBox(QStringLiteral("Settings"), this);
    fraSettings->setObjectName(QStringLiteral("fraSettings"));
    createTrimBox(fraSettings);
    lblTrials = new QLabel(QStringLiteral("Trials"), fraSettings);
    lblTrials->setObjectName(QStringLiteral("lblTrials"));
    spnTrials = new QSpinBox(fraSettings);
    spnTrials->setObjectName(QStringLiteral("spnTrials"));
    spnTrials->setRange(MIN_EFFECTS_TRIALS, MAX_EFFECTS_TRIALS);
    spnTrials->setSingleStep(100);
    spnTrials->setValue(2000);
    spnTrials->setGroupSeparatorShown(false);
    lblTrials->setBuddy(spnTrials);
    lblSeed = new QLabel(QStringLiteral("Seed"), fraSettings);
    lblSeed->setObjectName(QStringLiteral("lblSeed"));
    txtSeed = new QLineEdit(fraSettings);
    txtSeed->setObjectName(QStringLiteral("txtSeed"));
    txtSeed->setToolTip(QStringLiteral("Empty: a new seed from the clock at every run"));
    lblSeed->setBuddy(txtSeed);

    createTrialBox();

    auto* settings = new QGridLayout(fraSettings);
    settings->addWidget(lblTrim, 0, 0);
    settings->addWidget(txtTrim, 0, 1);
    settings->addWidget(lblTrials, 1, 0);
    settings->addWidget(spnTrials, 1, 1);
    settings->addWidget(lblSeed, 2, 0);
    settings->addWidget(txtSeed, 2, 1);

    // From the group values through the settings and the level to the buttons.
    placeTrialControls(fraSettings, { txtTrim, spnTrials, txtSeed, opt90CI, opt95CI, opt99CI })
        ->addStretch();
}

EffectsRequest frmEffects::readRequest() const
{
    EffectsRequest request;
    readChoice(request);
    request.strTrim = txtTrim->text().toStdString();
    request.lngTrials = spnTrials->value();
    request.strSeed = txtSeed->text().toStdString();
    request.clockSeed = seedFromClock();
    return request;
}

void frmEffects::cmdOK_Click()
{
    runTrials([this] { return trialRun(readRequest(), &runEffectsAnalysis); });
}
