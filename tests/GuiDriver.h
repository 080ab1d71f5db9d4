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

namespace gui {

// Presses a key where a user's key press would go: an open menu first,
// otherwise the widget with the keyboard focus.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    // A window just shown may get the keyboard focus a moment later.
    QTRY_VERIFY(QApplication::focusWidget() || QApplication::activePopupWidget());
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// Types `text` where the keyboard focus is.
inline void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Calls `open`, which is to bring up a modal window of class `className` (and
// returns only once it is gone, as exec() does), and runs `use` on that window
// as soon as it shows. `use` must close it. Returns false when the window did
// not come up within `timeoutMs` or was still open after `use`; a window left
// open is closed so that `open` can return.
inline bool withModal(const char* className, const std::function<void()>& open,
    const std::function<void(QWidget*)>& use, int timeoutMs = 10000)
{
    bool cameUp = false;
    bool closedByUse = true;
    QElapsedTimer waited;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (modal && modal->inherits(className) && modal->isVisible()) {
            poll.stop();
            cameUp = true;
            use(modal);
            if (modal && modal->isVisible()) {
                closedByUse = false;
                if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
                    dialog->reject();
                else
                    modal->close();
            }
        } else if (waited.elapsed() > timeoutMs) {
            poll.stop();
            if (modal) // some other window came up instead: let `open` return
                modal->close();
        }
    });
    waited.start();
    poll.start();
    open();
    poll.stop();
    return cameUp && closedByUse;
}

// Writes `bytes` to the file at `path`; the test fails when it cannot.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A message box as the user saw it.
struct Box {
    QString title;
    QString text;
};

// Runs `action` and answers every message box it brings up with `answer`
// (by default a click on OK); returns the boxes in the order they came.
inline QList<Box> answeringBoxes(
    const std::function<void()>& action, const std::function<void(QMessageBox*)>& answer = {})
{
    QList<Box> boxes;
    QPointer<QMessageBox> answered; // a key may close its box only a little later
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == answered)
            return;
        answered = box;
        boxes.append({ box->windowTitle(), box->text() });
        if (answer)
            answer(box);
        else
            box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    action();
    return boxes;
}

// Clicks the item `name` of a list, as a user chooses a file in a file list.
inline void clickItem(QListWidget* list, const QString& name)
{
    const auto items = list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QCOMPARE(items.size(), 1);
    list->scrollToItem(items.first());
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

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
inline bool withMenuDialog(QWidget* window, const char* menuEntry, const char* className,
    const std::function<void(QWidget*)>& use)
{
    return withModal(
        className, [&] { child<QAction>(window, menuEntry)->trigger(); }, use);
}

// Clicks the button `name`: a push button, or an option that it chooses.
inline void click(QWidget* window, const char* name)
{
    child<QAbstractButton>(window, name)->click();
}

// Clicks the control `name` of `window` as the window system delivers a
// click: to the window first, at the control's centre.
inline void clickInWindow(QWidget* window, const char* name)
{
    auto* control = child<QWidget>(window, name);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
        control->mapTo(window, control->rect().center()));
}

// Sends `window` what its close box sends: a close request to its native
// window. Returns whether the window agreed to close.
inline bool closeBox(QWidget* window)
{
    QCloseEvent close;
    QApplication::sendEvent(window->windowHandle(), &close);
    return close.isAccepted();
}

// Clicks OK in the analysis dialog `dialog` as a user does and waits until
// the run it starts has ended, OK being enabled again. A message box that
// the run shows must be answered meanwhile, as answeringBoxes does.
inline void runToEnd(QWidget* dialog)
{
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    clickInWindow(dialog, "cmdOK");
    QTRY_VERIFY_WITH_TIMEOUT(child<QWidget>(dialog, "cmdOK")->isEnabled(), 60000);
}

// Toggles the check of entry `row` of the list `list` as a user does: makes it current, then Space.
inline void toggleItem(QWidget* window, const char* list, int row)
{
    auto* widget = child<QListWidget>(window, list);
    widget->setCurrentRow(row);
    QTest::keyClick(widget, Qt::Key_Space);
}

// The rows of the checked entries of the list `list`.
inline QList<int> checkedRows(QWidget* window, const char* list)
{
    auto* widget = child<QListWidget>(window, list);
    QList<int> rows;
    for (int row = 0; row < widget->count(); ++row) {
        if (widget->item(row)->checkState() == Qt::Checked)
            rows.append(row);
    }
    return rows;
}

// Replaces the text of the box `box` by typing `text` into it.
inline void typeInto(QWidget* window, const char* box, const QString& text)
{
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// A main window shown offscreen on an empty data set, without the title-screen wait.
inline void showMainWindow(std::unique_ptr<frmMain>& window)
{
    window = std::make_unique<frmMain>(0);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

// Closes the main window without its exit questions.
inline void closeMainWindow(std::unique_ptr<frmMain>& window)
{
    window.reset();
}

// Shows `folder` in the main window's folder list and clicks `name` in its file list.
inline void chooseDataFile(frmMain* window, const QString& folder, const QString& name)
{
    QVERIFY(child<DirListBox>(window, "dirDirectory")->setPath(folder));
    auto* files = child<FileListBox>(window, "filFile");
    QTRY_COMPARE(files->path(), QDir::toNativeSeparators(folder));
    files->refresh();
    clickItem(files, name);
    QCOMPARE(child<QLabel>(window, "lblSelectedFile")->text(), name);
}

// Clicks the main window's delimiter option `option`; an empty one unchecks
// them all, as a new window starts.
inline void chooseDelimiter(frmMain* window, const QString& option)
{
    if (!option.isEmpty()) {
        click(window, qPrintable(option));
        return;
    }
    for (auto* button :
        child<QWidget>(window, "fraTypeOfDelimiter")->findChildren<QRadioButton*>()) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

// Imports the file `name` of `folder` as a user does: chooses it in the file
// lists and the delimiter option, then clicks the import button.
inline void importDataFile(
    frmMain* window, const QString& folder, const QString& name, const QString& option)
{
    chooseDataFile(window, folder, name);
    if (QTest::currentTestFailed())
        return;
    chooseDelimiter(window, option);
    click(window, "cmdImportData");
}

} // namespace gui
