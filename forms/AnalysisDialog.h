// What the analysis dialogs share: how they end and how they show an outcome.
#pragma once

#include <QDialog>

#include <string>

class OutputPane;

// OK with a report and Cancel or Escape hide the dialog, keeping its choices;
// its close box destroys it, so the next opening starts from the current data
// set. (Qt::WA_DeleteOnClose would not do: a dialog run with exec() is then
// deleted on every way out.)
class AnalysisDialog : public QDialog {
    Q_OBJECT
public:
    AnalysisDialog(OutputPane* output, QWidget* parent);

protected:
    // Shows `message` in a warning box and stays open, or appends `report`
    // to the output pane and hides the dialog.
    void showOutcome(const std::string& message, const std::string& report);
    void cmdCancel_Click();
    void closeEvent(QCloseEvent* event) override;

    OutputPane* m_output;
};
