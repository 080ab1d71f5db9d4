// frmBootstrap: the effect-size bootstrap dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class QRadioButton;
struct BootstrapRequest;
struct BootstrapResult;
struct BootstrapRun;

// The two-group choices, the number of trials and an optional seed. OK runs
// the analysis on a worker thread: the window keeps repainting and shows the
// trials done, while Cancel, Escape and the close box stop the run and every
// other input is ignored. Then it either shows its message and stays open,
// or appends the report to the output pane and hides. Cancel and Escape hide
// it with its choices kept; its close box destroys it.
class frmBootstrap : public TwoGroupDialog {
    Q_OBJECT
public:
    frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

signals:
    // A run completed and its report is in the output pane.
    void runCompleted(std::shared_ptr<const BootstrapRun> run);

private:
    void createControls();
    BootstrapRequest readRequest() const;
    // Runs `request` on a worker thread and waits for it with the window alive.
    BootstrapResult runWhileShowingTrials(BootstrapRequest& request);

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
    QLabel* lblTrial = nullptr;
    QLineEdit* txtTrial = nullptr;
    QLabel* lblSeed = nullptr;
    QLineEdit* txtSeed = nullptr;
};
