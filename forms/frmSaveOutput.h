// frmSaveOutput: saves the output pane to a text file.
#pragma once

#include <QDialog>

class FileChooser;
class OutputPane;
class QLabel;
class QLineEdit;
class QPushButton;

// One instance serves the whole run: it is only ever hidden, so its drive,
// folder and typed name are there again the next time. exec() returns
// Accepted only when the pane was saved.
class frmSaveOutput : public QDialog {
    Q_OBJECT
public:
    frmSaveOutput(OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();

    void filFile_Click(const QString& fileName);
    void cmdSave_Click();
    void cmdCancel_Click();

    OutputPane* m_output;
    // The drive, folder and file lists drvDrive, dirDirectory and filFile.
    FileChooser* m_files = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdSave = nullptr;
    QLineEdit* txtSavedFileName = nullptr;
    QLabel* lblFileName = nullptr;
};
