// frmBootstrap: the effect-size bootstrap dialog.
#pragma once

#include "forms/AnalysisDialog.h"

#include <chrono>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
struct BootstrapRequest;

// Lists "Var 1".."Var n" twice (dependent and grouping variable) for the
// columns of the data set at the time it is built. OK runs the analysis and
// either shows its message and stays open, or appends the report to the
// output pane and hides the dialog. Cancel and Escape hide it with its
// choices kept; its close box destroys it.
class frmBootstrap : public AnalysisDialog {
    Q_OBJECT
public:
    frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();
    void Form_Load();
    // Each list keeps at most one checked entry; its 1-based column number,
    // or NO_VARIABLE for none, is kept in `checkedIndex`.
    void keepOneChecked(QListWidget* list, int32_t& checkedIndex, int index);
    BootstrapRequest readRequest() const;
    // Shows the trial under way; repaints at most about 60 times a second.
    void showTrial(int trial);

    void lstDV_ItemCheck(int index);
    void lstGV_ItemCheck(int index);
    void cmdOK_Click();

    int32_t m_lngDVIndex;
    int32_t m_lngGVIndex;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_lastRepaint;

    QGroupBox* fraDV = nullptr;
    QListWidget* lstDV = nullptr;
    QGroupBox* fraGV = nullptr;
    QListWidget* lstGV = nullptr;
    QGroupBox* fraGroups = nullptr;
    QLabel* lblGroup1 = nullptr;
    QLineEdit* txtGroup1 = nullptr;
    QLabel* lblGroup2 = nullptr;
    QLineEdit* txtGroup2 = nullptr;
    QGroupBox* fraTrials = nullptr;
    QRadioButton* opt600 = nullptr;
    QRadioButton* opt800 = nullptr;
    QRadioButton* opt1000 = nullptr;
    QRadioButton* opt1200 = nullptr;
    QRadioButton* opt1400 = nullptr;
    QRadioButton* opt1600 = nullptr;
    QRadioButton* opt1800 = nullptr;
    QRadioButton* opt2000 = nullptr;
    QGroupBox* fraCI = nullptr;
    QRadioButton* opt90CI = nullptr;
    QRadioButton* opt95CI = nullptr;
    QRadioButton* opt99CI = nullptr;
    QLabel* lblTrial = nullptr;
    QLineEdit* txtTrial = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
