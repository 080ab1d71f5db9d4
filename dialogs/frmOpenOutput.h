// frmOpenOutput: loads a text file into the output pane.
#pragma once

#include <QDialog>

class OutputPane;

class frmOpenOutput : public QDialog {
    Q_OBJECT
public:
    frmOpenOutput(OutputPane* output, QWidget* parent = nullptr);

private:
    OutputPane* m_output;
};
