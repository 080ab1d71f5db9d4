// What the analysis dialogs share: the data set, how a run ends and how its outcome shows.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "analyses/ResultRecords.h"

class DataMatrix;
class OutputPane;

// OK with a report and Cancel or Escape hide the dialog, keeping its choices;
// its close box destroys it, so the next opening starts from the current data
// set. (Qt::WA_DeleteOnClose would not do: a dialog run with exec() is then
// deleted on every way out.)
class AnalysisDialog : public QDialog {
    Q_OBJECT
public:
    // `data` must outlive the dialog: the main window discards its analysis
    // dialogs whenever the data set changes.
    AnalysisDialog(const DataMatrix& data, OutputPane* output, QWidget* parent);

    // Hides the dialog; while a run can be stopped, stops it instead and
    // stays open. Cancel, Escape and the close box all come here.
    void reject() override;

signals:
    // A run completed and its report is in the output pane; `record` is what
    // it found (analyses/ResultRecords.h).
    void analysisCompleted(std::shared_ptr<const AnalysisRecord> record);

protected:
    // Runs `analysis` under the busy pointer and shows its outcome: a message
    // in a warning box titled "Analysis Error", the dialog staying open; or
    // the report appended to the output pane, the dialog hidden. A failure
    // inside the analysis is such a message too; nothing is appended then.
    // A run stopped by the user (a result marked cancelled) leaves the
    // dialog open with nothing appended.
    void runAnalysis(const std::function<AnalysisResult()>& analysis);
    // Shows `result` as runAnalysis does.
    void showResult(const AnalysisResult& result);
    void cmdCancel_Click();
    void closeEvent(QCloseEvent* event) override;

    const DataMatrix& m_data;
    // Set while a run can be stopped: reject() stops it instead of hiding.
    std::function<void()> m_stopRun;

private:
    OutputPane* m_output;
};
