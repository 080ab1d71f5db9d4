// frmNavigate: steps through the data set one cell at a time.
#pragma once

#include <QDialog>

#include <cstdint>

class DataMatrix;
class QGroupBox;
class QLabel;
class QPushButton;

// Starts at row 1, column 1 each time it is built and only reads the data set.
// With no cells (0 rows or 0 columns) it says so and offers no moves.
class frmNavigate : public QDialog {
    Q_OBJECT
public:
    explicit frmNavigate(const DataMatrix& data, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();
    void Form_Load();
    bool hasCells() const;
    // Writes the position and the current cell's value into the labels.
    void showCell();

    void cmdUp_Click();
    void cmdDown_Click();
    void cmdLeft_Click();
    void cmdRight_Click();

    const DataMatrix& m_data;
    int32_t m_lngRow = 1;
    int32_t m_lngColumn = 1;

    QLabel* lblNumberOfRows = nullptr;
    QLabel* lblNumberOfColumns = nullptr;
    QLabel* lblRow = nullptr;
    QLabel* lblColumn = nullptr;
    QGroupBox* fraNavigate = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdLeft = nullptr;
    QPushButton* cmdRight = nullptr;
    QPushButton* cmdDown = nullptr;
    QLabel* lblCell = nullptr;
};
