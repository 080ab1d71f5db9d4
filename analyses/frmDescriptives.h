// frmDescriptives: the descriptives dialog.
#pragma once

#include <QDialog>

class OutputPane;

class frmDescriptives : public QDialog {
    Q_OBJECT
public:
    frmDescriptives(OutputPane* output, QWidget* parent = nullptr);

private:
    OutputPane* m_output;
};
