// frmNavigate: steps through the data set one cell at a time.
#pragma once

#include <QDialog>

class frmNavigate : public QDialog {
    Q_OBJECT
public:
    explicit frmNavigate(QWidget* parent = nullptr);
};
