// Drives the real windows as a user would: keys where the focus is, and modal windows.
#include "GuiDriver.h"

namespace gui {

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // A window just shown may get the keyboard focus a moment later.
    QTRY_VERIFY(QApplication::focusWidget() || QApplication::activePopupWidget());
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

bool withModal(const char* className, const std::function<void()>& open,
    const std::function<void(QWidget*)>& use, int timeoutMs)
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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<Box> answeringBoxes(
    const std::function<void()>& action, const std::function<void(QMessageBox*)>& answer)
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

void clickItem(QListWidget* list, const QString& name)
{
    const auto items = list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QCOMPARE(items.size(), 1);
    list->scrollToItem(items.first());
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

bool withMenuDialog(QWidget* window, const char* menuEntry, const char* className,
    const std::function<void(QWidget*)>& use)
{
    return withModal(
        className, [&] { child<QAction>(window, menuEntry)->trigger(); }, use);
}

void click(QWidget* window, const char* name)
{
    child<QAbstractButton>(window, name)->click();
}

void clickInWindow(QWidget* window, const char* name)
{
    auto* control = child<QWidget>(window, name);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
        control->mapTo(window, control->rect().center()));
}

bool closeBox(QWidget* window)
{
    QCloseEvent close;
    QApplication::sendEvent(window->windowHandle(), &close);
    return close.isAccepted();
}

void runToEnd(QWidget* dialog)
{
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    clickInWindow(dialog, "cmdOK");
    QTRY_VERIFY_WITH_TIMEOUT(child<QWidget>(dialog, "cmdOK")->isEnabled(), 60000);
}

void toggleItem(QWidget* window, const char* list, int row)
{
    auto* widget = child<QListWidget>(window, list);
    widget->setCurrentRow(row);
    QTest::keyClick(widget, Qt::Key_Space);
}

QList<int> checkedRows(QWidget* window, const char* list)
{
    auto* widget = child<QListWidget>(window, list);
    QList<int> rows;
    for (int row = 0; row < widget->count(); ++row) {
        if (widget->item(row)->checkState() == Qt::Checked)
            rows.append(row);
    }
    return rows;
}

void typeInto(QWidget* window, const char* box, const QString& text)
{
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void showMainWindow(std::unique_ptr<frmMain>& window)
{
    window = std::make_unique<frmMain>(0);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void closeMainWindow(std::unique_ptr<frmMain>& window)
{
    window.reset();
}

void chooseDataFile(frmMain* window, const QString& folder, const QString& name)
{
    QVERIFY(child<DirListBox>(window, "dirDirectory")->setPath(folder));
    auto* files = child<FileListBox>(window, "filFile");
    QTRY_COMPARE(files->path(), QDir::toNativeSeparators(folder));
    files->refresh();
    clickItem(files, name);
    QCOMPARE(child<QLabel>(window, "lblSelectedFile")->text(), name);
}

void chooseDelimiter(frmMain* window, const QString& option)
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

void importDataFile(
    frmMain* window, const QString& folder, const QString& name, const QString& option)
{
    chooseDataFile(window, folder, name);
    if (QTest::currentTestFailed())
        return;
    chooseDelimiter(window, option);
    click(window, "cmdImportData");
}

} // namespace gui
