// frmSaveOutput: saves the output pane to a text file.
#include "forms/frmSaveOutput.h"

#include "widgets/OutputPane.h"
#include "files/OutputFile.h"
#include "platform/BusyCursor.h"
#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileChooser.h"
#include "platform/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/SaveFileDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString caption = QStringLiteral("Save Output");

} // namespace

frmSaveOutput::frmSaveOutput(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmSaveOutput"));
    setWindowTitle(caption);
    m_files = new FileChooser(this, QStringLiteral("*.txt"));
    createControls();
    connectHandlers();
}

void frmSaveOutput::createControls()
{
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    txtSavedFileName = new QLineEdit(this);
    txtSavedFileName->setObjectName(QStringLiteral("txtSavedFileName"));
    lblFileName = new QLabel(QStringLiteral("File name:"), this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setBuddy(txtSavedFileName);

    // The name and the files on the left, the folders and the drive on the
    // right, the buttons at the far right, as in a classic file box.
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(lblFileName, 0, 0);
    grid->addWidget(txtSavedFileName, 1, 0);
    grid->addWidget(m_files->filFile, 2, 0, 2, 1);
    grid->addWidget(m_files->dirDirectory, 1, 1, 2, 1);
    grid->addWidget(m_files->drvDrive, 3, 1);
    grid->addLayout(buttons, 0, 2, 4, 1);
    grid->setRowStretch(2, 1);

    setTabOrder(txtSavedFileName, m_files->filFile);
    setTabOrder(m_files->filFile, m_files->dirDirectory);
    setTabOrder(m_files->dirDirectory, m_files->drvDrive);
    setTabOrder(m_files->drvDrive, cmdSave);
    setTabOrder(cmdSave, cmdCancel);
    // Typing goes to the name first.
    txtSavedFileName->setFocus();
}

void frmSaveOutput::connectHandlers()
{
    connect(m_files, &FileChooser::fileClicked, this, &frmSaveOutput::filFile_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSaveOutput::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSaveOutput::cmdCancel_Click);
}

void frmSaveOutput::filFile_Click(const QString& fileName)
{
    txtSavedFileName->setText(fileName);
}

void frmSaveOutput::cmdSave_Click()
{
    const QString name = txtSavedFileName->text();
    if (name.isEmpty()) {
        MessageBox::warning(this, caption, QStringLiteral("A file name has not been provided."));
        reject();
        return;
    }
    // The folder is the one shown now, whenever the name was typed or chosen.
    const std::string path = m_files->filFile->filePath(outputFileName(name));
    // A click in the file list takes that file's name, so a file is never
    // replaced unasked; on No the dialog stays for another name.
    if (!SaveFileDialog::confirmSave(this, caption, path))
        return;
    bool saved = false;
    try {
        BusyCursor busy;
        saved = saveOutputText(path, m_output->plainText());
    } catch (...) {
        // Running out of memory on a huge text is one more failure to report.
    }
    if (!saved) {
        // The dialog stays open so that another name or folder can be tried.
        SaveFileDialog::warnNotSaved(this, caption, path);
        return;
    }
    m_output->markSaved();
    m_files->filFile->refresh();
    accept();
}

void frmSaveOutput::cmdCancel_Click()
{
    reject();
}
