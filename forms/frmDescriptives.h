// frmDescriptives: the descriptives dialog.
#pragma once

#include "forms/AnalysisDialog.h"

#include <cstdint>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

// Lists "Var 1".."Var n" (with their names, if any) for the columns of the data set at the time it
// is built, and offers them again as the variable to split by ("None" first). OK appends a report
// to the output pane and hides the dialog; Cancel and Escape hide it with its checks kept; its
// close box destroys it.
class frmDescriptives : public AnalysisDialog {
    Q_OBJECT
public:
    frmDescriptives(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();
    void Form_Load();
    bool isItemChecked(int index) const;
    // 1-based numbers of the checked columns, in list order.
    std::vector<int32_t> checkedColumns() const;

    // Range rule: in "Range of Items" mode, checking an entry also checks the
    // entries between it and the nearest checked entry above it.
    void lstItems_ItemCheck(int index);
    void cmdOK_Click();

    QGroupBox* fraSelectItems = nullptr;
    QListWidget* lstItems = nullptr;
    QRadioButton* optRanges = nullptr;
    QRadioButton* optIndividual = nullptr;
    QLabel* lblSplitBy = nullptr;
    QComboBox* cmbSplitBy = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
