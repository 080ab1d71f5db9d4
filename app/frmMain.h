#pragma once
#include <QMainWindow>
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(int splashMilliseconds = 2000, QWidget* parent = nullptr);
};
