// What the two-group analysis dialogs share: the variable lists, the group
// values, the confidence level, and the runs of bootstrap trials on a worker.
#pragma once

#include "forms/AnalysisDialog.h"

#include "analyses/BootstrapAnalysis.h"
#include "platform/BusyCursor.h"

#include <QFutureWatcher>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStringListModel;
struct TwoGroupChoice;

// Lists "Var 1".."Var n" (with their names, if any) twice (dependent and grouping variable) for the
// columns of the data set at the time it is built; each list keeps at most
// one entry checked. Under the group values, the checked grouping variable's
// values are listed with their counts, and the group boxes offer its labels.
// The dialogs add their own controls to layout() below
// the lists and the group values.
//
// A dialog whose analysis runs bootstrap trials runs it on a worker thread
// (runTrials): the window keeps repainting and shows the trial under way,
// every input but Cancel is disabled, and Cancel, Escape and the close box
// stop the run at its next trial. Then it either shows its message and stays
// open, or appends the report to the output pane and hides.
class TwoGroupDialog : public AnalysisDialog {
    Q_OBJECT
public:
    TwoGroupDialog(const DataMatrix& data, OutputPane* output, QWidget* parent);
    // Stops a run under way and waits for its worker, which reads the data set.
    ~TwoGroupDialog() override;

    // A seam for tests: passed to the runs that follow as their request's
    // onTrial, so that a trial can be made to fail or wait.
    void setTrialHook(std::function<void(int32_t trial)> hook);

signals:
    // A run that leaves pictures completed and its report is in the output pane.
    void runCompleted(std::shared_ptr<const BootstrapRun> run);

protected:
    // A run of trials as read from the controls: how many, and the analysis
    // the worker runs with the dialog's control and progress.
    struct TrialRun {
        int32_t trials = 0;
        std::function<BootstrapResult(const DataMatrix& data, BootstrapControl& control,
            std::function<void(int32_t trial)> onTrial)>
            analysis;
    };
    // `request` as a TrialRun of `analysis`, which takes the control and the
    // progress through the request.
    template <class Request, class Result>
    static TrialRun trialRun(Request request, Result (*analysis)(const DataMatrix&, const Request&))
    {
        const int32_t trials = request.lngTrials;
        return { trials,
            [request = std::move(request), analysis](const DataMatrix& data,
                BootstrapControl& control, std::function<void(int32_t)> onTrial) mutable {
                request.control = &control;
                request.onTrial = std::move(onTrial);
                if constexpr (std::is_same_v<Result, BootstrapResult>)
                    return analysis(data, request);
                else
                    return BootstrapResult { analysis(data, request), nullptr };
            } };
    }
    // OK of a dialog that runs trials: starts the run `read` gives on the
    // worker, unless one is under way; a failure to start it is shown as the
    // analysis's failure.
    void runTrials(const std::function<TrialRun()>& read);
    // Creates lblTrial and txtTrial ("Trial": the trial under way, and the
    // number of trials after a completed run) for the dialogs that run
    // trials.
    void createTrialBox();
    // Lays out a dialog that runs trials: `settings` beside the level, the
    // trial below them, then OK and Cancel; the Tab order runs from the
    // group values through `chain` to OK and Cancel. Returns the trial's
    // row, where the dialog may add more.
    QHBoxLayout* placeTrialControls(QWidget* settings, std::initializer_list<QWidget*> chain);
    // Puts OK and Cancel at the bottom right.
    void placeButtons();

    // The variables, groups and level as chosen now.
    void readChoice(TwoGroupChoice& choice) const;
    QGridLayout* gridLayout() const { return m_layout; }
    // Creates lblTrim and txtTrim ("Trimming", 0.2 at first) in `parent` for
    // the dialogs that trim; the caller places them.
    void createTrimBox(QWidget* parent);

    QLineEdit* txtGroup2 = nullptr;
    QGroupBox* fraCI = nullptr;
    QRadioButton* opt90CI = nullptr;
    QRadioButton* opt95CI = nullptr;
    QRadioButton* opt99CI = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblTrim = nullptr;
    QLineEdit* txtTrim = nullptr;
    QLabel* lblTrial = nullptr;
    QLineEdit* txtTrial = nullptr;

private:
    void createControls();
    // Starts `run` on the worker; runFinished() follows on this thread.
    void startRun(TrialRun run);
    void runFinished();
    // Gives the dialog back to the user once a run has ended.
    void endRun();
    // Every input but Cancel, which stops a run under way.
    void setInputsEnabled(bool enabled);
    void Form_Load();
    // Keeps at most one entry of `list` checked; its 1-based column number,
    // or NO_VARIABLE for none, is kept in `checkedIndex`.
    void keepOneChecked(QListWidget* list, int32_t& checkedIndex, int index);
    // Lists the values of the grouping variable checked now and offers its labels.
    void showGroupValues();

    void lstDV_ItemCheck(int index);
    void lstGV_ItemCheck(int index);

    int32_t m_lngDVIndex;
    int32_t m_lngGVIndex;
    QGridLayout* m_layout = nullptr;

    QGroupBox* fraDV = nullptr;
    QListWidget* lstDV = nullptr;
    QGroupBox* fraGV = nullptr;
    QListWidget* lstGV = nullptr;
    QGroupBox* fraGroups = nullptr;
    QLabel* lblGroup1 = nullptr;
    QLineEdit* txtGroup1 = nullptr;
    QLabel* lblGroup2 = nullptr;
    QLabel* lblGroupList = nullptr;
    QStringListModel* m_groupLabels = nullptr;

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
