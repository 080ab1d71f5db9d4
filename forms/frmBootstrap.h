// frmBootstrap: the effect-size bootstrap dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

#include "analyses/BootstrapAnalysis.h"
#include "platform/BusyCursor.h"

#include <QFutureWatcher>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QLabel;
class QLineEdit;
class QRadioButton;

// The two-group choices, the number of trials and an optional seed. OK runs
// the analysis on a worker thread: the window keeps repainting and shows the
// trial under way, every input but Cancel is disabled, and Cancel, Escape and
// the close box stop the run at its next trial. Then it either shows its
// message and stays open, or appends the report to the output pane and
// hides. Cancel and Escape hide it with its choices kept; its close box
// destroys it.
class frmBootstrap : public TwoGroupDialog {
    Q_OBJECT
public:
    frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);
    // Stops a run under way and waits for its worker, which reads the data set.
    ~frmBootstrap() override;

    // A seam for tests: passed to the runs that follow as their
    // BootstrapRequest::onTrial, so that a trial can be made to fail or wait.
    void setTrialHook(std::function<void(int32_t trial)> hook);

signals:
    // A run completed and its report is in the output pane.
    void runCompleted(std::shared_ptr<const BootstrapRun> run);

private:
    void createControls();
    BootstrapRequest readRequest() const;
    // Starts `request` on the worker; runFinished() follows on this thread.
    void startRun(BootstrapRequest request);
    void runFinished();
    // Gives the dialog back to the user once a run has ended.
    void endRun();
    // Every input but Cancel, which stops a run under way.
    void setInputsEnabled(bool enabled);

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
    QLabel* lblTrial = nullptr;
    QLineEdit* txtTrial = nullptr;
    QLabel* lblSeed = nullptr;
    QLineEdit* txtSeed = nullptr;

    // The run under way, and what the dialog showed before it.
    BootstrapControl m_control;
    std::jthread m_worker;
    QFutureWatcher<BootstrapResult> m_run;
    std::optional<BusyCursor> m_busy;
    int32_t m_runTrials = 0;
    QString m_trialBefore;
    QPointer<QWidget> m_focusBefore;
    std::function<void(int32_t trial)> m_trialHook;
};
