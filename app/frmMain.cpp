#include "app/frmMain.h"
frmMain::frmMain(int, QWidget* parent) : QMainWindow(parent) {}
