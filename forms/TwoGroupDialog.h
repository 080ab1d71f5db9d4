// What the two-group analysis dialogs share: the variable lists, the group
// values and the confidence level.
#pragma once

#include "forms/AnalysisDialog.h"

#include <cstdint>

class QGridLayout;
class QGroupBox;
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
class TwoGroupDialog : public AnalysisDialog {
    Q_OBJECT
public:
    TwoGroupDialog(const DataMatrix& data, OutputPane* output, QWidget* parent);

protected:
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

private:
    void createControls();
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
};
