// The drive, folder and file lists of one window, wired together.
#pragma once

#include <QObject>
#include <QString>

#include <string>

class DirListBox;
class DriveListBox;
class FileListBox;
class QWidget;

// Choosing a drive shows its folders, choosing a folder lists its files; a
// drive that cannot be read leaves the folder where it was and the drive list
// shows that folder's drive again. Each time the window shows again, the
// lists are read afresh: files and folders may have come or gone meanwhile.
// The window lays the three lists out itself.
class FileChooser : public QObject {
    Q_OBJECT
public:
    // Builds the lists as children of `parent`, named drvDrive, dirDirectory
    // and filFile, on the current folder; the file list shows files matching `pattern`.
    FileChooser(QWidget* parent, const QString& pattern);

    DriveListBox* const drvDrive;
    DirListBox* const dirDirectory;
    FileListBox* const filFile;

    // The folder whose files are listed, in native form.
    QString folder() const;
    // Reads the folders and files again, for a window shown anew.
    void refresh();
    // Moves the lists to `folder` and makes the file of native name
    // `nativeName` current, as if the user had chosen it, but without
    // fileClicked; false when the folder cannot be shown or the file is not listed.
    bool showFile(const QString& folder, const std::string& nativeName);

signals:
    // The user chose the file `fileName` (a name only) in the file list.
    void fileClicked(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drvDrive_Change();
    void dirDirectory_Change();
};
