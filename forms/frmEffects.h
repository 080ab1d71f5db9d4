// frmEffects: the robust effect sizes dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

#include "analyses/EffectsAnalysis.h"

class QLabel;
class QLineEdit;
class QSpinBox;

// The two-group choices, the trimming, the number of trials, the level and
// an optional seed. OK runs the analysis on a worker thread as the bootstrap
// window does (TwoGroupDialog::runTrials). Cancel and Escape hide it with its
// choices kept; its close box destroys it.
class frmEffects : public TwoGroupDialog {
    Q_OBJECT
public:
    frmEffects(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    EffectsRequest readRequest() const;

    void cmdOK_Click();

    QGroupBox* fraSettings = nullptr;
    QLabel* lblTrials = nullptr;
    QSpinBox* spnTrials = nullptr;
    QLabel* lblSeed = nullptr;
    QLineEdit* txtSeed = nullptr;
};
