// frmEffects: the robust effect sizes dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

#include "analyses/EffectsAnalysis.h"
#include "platform/BusyCursor.h"

#include <QFutureWatcher>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <thread>

class QLabel;
class QLineEdit;
class QSpinBox;

// The two-group choices, the trimming, the number of trials, the level and
// an optional seed. OK runs the analysis on a worker thread as the bootstrap
// window does: the window keeps repainting and shows the trial under way,
// every input but Cancel is disabled, and Cancel, Escape and the close box
// stop the run at its next trial. Then it either shows its message and stays
// open, or appends the report to the output pane and hides. Cancel and Escape
// hide it with its choices kept; its close box destroys it.
class frmEffects : public TwoGroupDialog {
    Q_OBJECT
public:
    frmEffects(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);
    // Stops a run under way and waits for its worker, which reads the data set.
    ~frmEffects() override;

    // A seam for tests: passed to the runs that follow as their
    // EffectsRequest::onTrial, so that a trial can be made to fail or wait.
    void setTrialHook(std::function<void(int32_t trial)> hook);

private:
    void createControls();
    EffectsRequest readRequest() const;
    void startRun(EffectsRequest request);
    void runFinished();
    void endRun();
    void setInputsEnabled(bool enabled);

    void cmdOK_Click();

    QGroupBox* fraSettings = nullptr;
    QLabel* lblTrials = nullptr;
    QSpinBox* spnTrials = nullptr;
    QLabel* lblSeed = nullptr;
    QLineEdit* txtSeed = nullptr;
    QLabel* lblTrial = nullptr;
    QLineEdit* txtTrial = nullptr;

    BootstrapControl m_control;
    std::jthread m_worker;
    QFutureWatcher<AnalysisResult> m_run;
    std::optional<BusyCursor> m_busy;
    int32_t m_runTrials = 0;
    QString m_trialBefore;
    QPointer<QWidget> m_focusBefore;
    std::function<void(int32_t trial)> m_trialHook;
};
