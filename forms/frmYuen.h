// frmYuen: the trimmed-means test dialog.
#pragma once

#include "forms/TwoGroupDialog.h"

// The two-group choices, the trimming and the confidence level. OK either shows the test's
// message and stays open, or appends the report to the output pane and hides.
// Cancel and Escape hide it with its choices kept; its close box destroys it.
class frmYuen : public TwoGroupDialog {
    Q_OBJECT
public:
    frmYuen(const DataMatrix& data, OutputPane* output, QWidget* parent = nullptr);

private:
    void cmdOK_Click();
};
