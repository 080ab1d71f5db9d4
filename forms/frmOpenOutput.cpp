// frmOpenOutput: loads a text file into the output pane.
#include "forms/frmOpenOutput.h"

#include "widgets/OutputPane.h"
#include "files/OutputFile.h"
#include "platform/BusyCursor.h"
#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileChooser.h"
#include "platform/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString caption = QStringLiteral("Open Output");

} // namespace

frmOpenOutput::frmOpenOutput(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmOpenOutput"));
    setWindowTitle(caption);
    m_files = new FileChooser(this, QStringLiteral("*.txt"));
    createControls();
    connectHandlers();
}

void frmOpenOutput::createControls()
{
    cmdOpen = new QPushButton(QStringLiteral("Open"), this);
    cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    cmdOpen->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    lblSelectedFile = new QLabel(this);
    lblSelectedFile->setObjectName(QStringLiteral("lblSelectedFile"));
    lblSelectedFile->setTextFormat(Qt::PlainText); // a file name, never markup
    lblFileNameLabel = new QLabel(QStringLiteral("File name:"), this);
    lblFileNameLabel->setObjectName(QStringLiteral("lblFileNameLabel"));

    // The chosen name above the files on the left, the folders and the drive
    // on the right, the buttons at the far right.
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(lblFileNameLabel);
    chosen->addWidget(lblSelectedFile, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addLayout(chosen, 0, 0);
    grid->addWidget(m_files->filFile, 1, 0, 2, 1);
    grid->addWidget(m_files->dirDirectory, 0, 1, 2, 1);
    grid->addWidget(m_files->drvDrive, 2, 1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setRowStretch(1, 1);

    setTabOrder(m_files->filFile, m_files->dirDirectory);
    setTabOrder(m_files->dirDirectory, m_files->drvDrive);
    setTabOrder(m_files->drvDrive, cmdOpen);
    setTabOrder(cmdOpen, cmdCancel);
}

void frmOpenOutput::connectHandlers()
{
    connect(m_files, &FileChooser::fileClicked, this, &frmOpenOutput::filFile_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmOpenOutput::cmdOpen_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOpenOutput::cmdCancel_Click);
}

void frmOpenOutput::filFile_Click(const QString& fileName)
{
    lblSelectedFile->setText(fileName);
}

void frmOpenOutput::cmdOpen_Click()
{
    const QString name = lblSelectedFile->text();
    if (name.isEmpty()) {
        MessageBox::warning(this, caption, QStringLiteral("A file has not been selected."));
        reject();
        return;
    }
    // The folder is the one shown now, whenever the file was chosen.
    const std::string path = m_files->filFile->filePath(name);
    OutputReadFailure failure = OutputReadFailure::Unreadable;
    bool loaded = false;
    try {
        loaded = loadIntoPane(path, failure);
    } catch (...) {
        // Running out of memory on a huge text is one more failure to report.
    }
    if (!loaded) {
        // The dialog stays open so that another file can be chosen.
        const QString problem = failure == OutputReadFailure::TooLarge
            ? QStringLiteral("The file is too large to open: ")
            : QStringLiteral("The file could not be read: ");
        MessageBox::warning(this, caption, problem + displayPath(path));
        return;
    }
    accept();
}

bool frmOpenOutput::loadIntoPane(const std::string& path, OutputReadFailure& failure)
{
    BusyCursor busy;
    const std::optional<QString> text = readOutputText(path, &failure);
    if (!text)
        return false;
    m_output->replaceText(*text);
    return true;
}

void frmOpenOutput::cmdCancel_Click()
{
    reject();
}
