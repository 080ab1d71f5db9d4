// The drive, folder and file lists of one window, wired together.
#include "platform/FileChooser.h"

#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileListBox.h"

#include <QEvent>

namespace {

template <typename List> List* namedList(QWidget* parent, const char* name)
{
    auto* list = new List(parent);
    list->setObjectName(QLatin1String(name));
    return list;
}

} // namespace

FileChooser::FileChooser(QWidget* parent, const QString& pattern)
    : QObject(parent)
    , drvDrive(namedList<DriveListBox>(parent, "drvDrive"))
    , dirDirectory(namedList<DirListBox>(parent, "dirDirectory"))
    , filFile(namedList<FileListBox>(parent, "filFile"))
{
    filFile->setPattern(pattern);
    dirDirectory_Change();
    drvDrive->setDrive(dirDirectory->path());
    connect(drvDrive, &DriveListBox::driveActivated, this, &FileChooser::drvDrive_Change);
    connect(dirDirectory, &DirListBox::pathChanged, this, &FileChooser::dirDirectory_Change);
    connect(filFile, &FileListBox::fileClicked, this, &FileChooser::fileClicked);
    parent->installEventFilter(this);
}

bool FileChooser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Show)
        refresh();
    return false;
}

QString FileChooser::folder() const
{
    return filFile->path();
}

void FileChooser::refresh()
{
    dirDirectory->refresh();
    filFile->refresh();
}

bool FileChooser::showFile(const QString& folder, const std::string& nativeName)
{
    if (!dirDirectory->setPath(folder))
        return false;
    drvDrive->setDrive(DriveListBox::driveOf(dirDirectory->path()));
    filFile->refresh(); // the file may be newer than the list
    return filFile->setCurrentFile(nativeName);
}

void FileChooser::drvDrive_Change()
{
    if (!dirDirectory->setPath(drvDrive->drive()))
        drvDrive->setDrive(DriveListBox::driveOf(dirDirectory->path()));
}

void FileChooser::dirDirectory_Change()
{
    filFile->setPath(dirDirectory->path());
}
