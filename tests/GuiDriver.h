// Drives the real windows as a user would: keys where the focus is, and modal windows.
#pragma once

#include "forms/frmMain.h"
#include "data/DataImport.h"
#include "data/DataMatrix.h"
#include "platform/MessageBox.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Defined in a build under AddressSanitizer, which maps address space of its
// own: a limit on the address space then means nothing.
#if defined(__SANITIZE_ADDRESS__)
#define TRELLAM_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRELLAM_ADDRESS_SANITIZER 1
#endif
#endif

namespace gui {

// Presses a key where a user's key press would go: an open menu first,
// otherwise the widget with the keyboard focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Types `text` where the keyboard focus is.
void type(const QString& text);

// Calls `open`, which is to bring up a modal window of class `className` (and
// returns only once it is gone, as exec() does), and runs `use` on that window
// as soon as it shows. `use` must close it. Returns false when the window did
// not come up within `timeoutMs` or was still open after `use`; a window left
// open is closed so that `open` can return.
bool withModal(const char* className, const std::function<void()>& open,
    const std::function<void(QWidget*)>& use, int timeoutMs = 10000);

// Writes `bytes` to the file at `path`; the test fails when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);

// A message box as the user saw it.
struct Box {
    QString title;
    QString text;
};

// Runs `action` and answers every message box it brings up with `answer`
// (by default a click on OK); returns the boxes in the order they came.
QList<Box> answeringBoxes(
    const std::function<void()>& action, const std::function<void(QMessageBox*)>& answer = {});

// Clicks the item `name` of a list, as a user chooses a file in a file list.
void clickItem(QListWidget* list, const QString& name);

// The control `name` of a window; a missing one ends the test run.
template <typename T> T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("control %s is missing", name);
    return found;
}

// Chooses the menu entry `menuEntry` of `window` and runs `use` on the modal
// window of class `className` that it brings up, as withModal does.
bool withMenuDialog(QWidget* window, const char* menuEntry, const char* className,
    const std::function<void(QWidget*)>& use);

// Clicks the button `name`: a push button, or an option that it chooses.
void click(QWidget* window, const char* name);

// Clicks the control `name` of `window` as the window system delivers a
// click: to the window first, at the control's centre.
void clickInWindow(QWidget* window, const char* name);

// Sends `window` what its close box sends: a close request to its native
// window. Returns whether the window agreed to close.
bool closeBox(QWidget* window);

// Clicks OK in the analysis dialog `dialog` as a user does and waits until
// the run it starts has ended, OK being enabled again. A message box that
// the run shows must be answered meanwhile, as answeringBoxes does.
void runToEnd(QWidget* dialog);

// Toggles the check of entry `row` of the list `list` as a user does: makes it current, then Space.
void toggleItem(QWidget* window, const char* list, int row);

// The rows of the checked entries of the list `list`.
QList<int> checkedRows(QWidget* window, const char* list);

// Replaces the text of the box `box` by typing `text` into it.
void typeInto(QWidget* window, const char* box, const QString& text);

// A main window shown offscreen on an empty data set, without the title-screen wait.
void showMainWindow(std::unique_ptr<frmMain>& window);

// Closes the main window without its exit questions.
void closeMainWindow(std::unique_ptr<frmMain>& window);

// Shows `folder` in the main window's folder list and clicks `name` in its file list.
void chooseDataFile(frmMain* window, const QString& folder, const QString& name);

// Clicks the main window's delimiter option `option`; an empty one unchecks
// them all, as a new window starts.
void chooseDelimiter(frmMain* window, const QString& option);

// Imports the file `name` of `folder` as a user does: chooses it in the file
// lists and the delimiter option, then clicks the import button.
void importDataFile(
    frmMain* window, const QString& folder, const QString& name, const QString& option);

} // namespace gui
