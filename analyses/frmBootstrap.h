// frmBootstrap: the effect-size bootstrap dialog.
#pragma once

#include <QDialog>

class OutputPane;

class frmBootstrap : public QDialog {
    Q_OBJECT
public:
    frmBootstrap(OutputPane* output, QWidget* parent = nullptr);

private:
    OutputPane* m_output;
};
