// frmBootstrap: the effect-size bootstrap dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

#include "analyses/BootstrapAnalysis.h"

class QLabel;
class QLineEdit;
class QRadioButton;

// The two-group choices, the number of trials and an optional seed. OK runs
// the analysis on a worker thread (TwoGroupDialog::runTrials), and a completed
// run is announced with runCompleted for its pictures. Cancel and Escape hide
// it with its choices kept; its close box destroys it.
class frmBootstrap : public TwoGroupDialog {
    Q_OBJECT
public:
    frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    BootstrapRequest readRequest() const;

    void cmdOK_Click();

    QGroupBox* fraTrials = nullptr;
    QRadioButton* opt600 = nullptr;
    QRadioButton* opt800 = nullptr;
    QRadioButton* opt1000 = nullptr;
    QRadioButton* opt1200 = nullptr;
    QRadioButton* opt1400 = nullptr;
    QRadioButton* opt1600 = nullptr;
    QRadioButton* opt1800 = nullptr;
    QRadioButton* opt2000 = nullptr;
    QRadioButton* opt5000 = nullptr;
    QRadioButton* opt10000 = nullptr;
    QLabel* lblSeed = nullptr;
    QLineEdit* txtSeed = nullptr;
};
