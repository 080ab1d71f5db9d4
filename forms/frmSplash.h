// frmSplash: the title screen shown while the main window loads.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Frame1_Click();

    QGroupBox* Frame1;
    QLabel* lblName2;
    QLabel* lblProductName;
    QLabel* lblCompany;
    QLabel* lblRights;
};
