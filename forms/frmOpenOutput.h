// frmOpenOutput: loads a text file into the output pane.
#pragma once

#include <QDialog>

#include <string>

class FileChooser;
class OutputPane;
enum class OutputReadFailure;
class QLabel;
class QPushButton;

// One instance serves the whole run: it is only ever hidden, so its drive,
// folder and chosen file are there again the next time.
class frmOpenOutput : public QDialog {
    Q_OBJECT
public:
    frmOpenOutput(OutputPane* output, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();
    // Reads the whole file first, so that the pane changes only when it was
    // read; otherwise `failure` says why not.
    bool loadIntoPane(const std::string& path, OutputReadFailure& failure);

    void filFile_Click(const QString& fileName);
    void cmdOpen_Click();
    void cmdCancel_Click();

    OutputPane* m_output;
    // The drive, folder and file lists drvDrive, dirDirectory and filFile.
    FileChooser* m_files = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblSelectedFile = nullptr;
    QLabel* lblFileNameLabel = nullptr;
};
