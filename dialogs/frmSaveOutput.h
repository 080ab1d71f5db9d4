// frmSaveOutput: saves the output pane to a text file.
#pragma once

#include <QDialog>

class OutputPane;

class frmSaveOutput : public QDialog {
    Q_OBJECT
public:
    frmSaveOutput(OutputPane* output, QWidget* parent = nullptr);

private:
    OutputPane* m_output;
};
