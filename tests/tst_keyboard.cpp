// Every window used with the keyboard alone, and laid out so that all its controls show.
#include "GuiDriver.h"

#include "forms/frmBootstrap.h"
#include "forms/frmEffects.h"
#include "forms/frmYuen.h"
#include "forms/frmDescriptives.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "forms/frmSplash.h"
#include "data/DataMatrix.h"
#include "forms/frmDataView.h"
#include "forms/frmNavigate.h"
#include "forms/frmOpenOutput.h"
#include "forms/frmSaveOutput.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using gui::writeFile;

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString focusName()
{
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QStringLiteral("(none)");
}

// The controls that Tab visits from the focused one, once round the window.
// Stops at a control that takes Tab as text (the output pane).
QStringList tabChain()
{
    QStringList names;
    QWidget* first = QApplication::focusWidget();
    for (int step = 0; step < 50; ++step) {
        names << focusName();
        auto* edit = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
        if (edit && !edit->tabChangesFocus())
            break;
        gui::press(Qt::Key_Tab);
        if (QApplication::focusWidget() == first)
            break;
    }
    return names;
}

// Presses Tab until `name` has the focus; false when Tab never gets there.
bool tabTo(const QString& name)
{
    for (int step = 0; step < 50 && focusName() != name; ++step)
        gui::press(Qt::Key_Tab);
    return focusName() == name;
}

// The order Tab visits the controls, starting from `name`.
QStringList tabChainFrom(const QString& name)
{
    return tabTo(name) ? tabChain() : QStringList { QStringLiteral("no Tab stop ") + name };
}

// Waits until `window` has the keyboard focus, so that key presses reach it.
bool waitForFocus(QWidget* window)
{
    return QTest::qWaitForWindowActive(window)
        && QTest::qWaitFor([&] { return window->isAncestorOf(QApplication::focusWidget()); });
}

QListWidgetItem* item(QWidget* dialog, const char* list, int row)
{
    return gui::child<QListWidget>(dialog, list)->item(row);
}

// Named controls shown in `window` (Qt's own inner parts are left out).
QList<QWidget*> namedControls(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && widget->isVisible()
            && widget->window() == window)
            controls << widget;
    }
    return controls;
}

QString rectText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString describe(const QWidget* widget)
{
    return widget->objectName() + QStringLiteral(" (") + rectText(widget->geometry()) + ')';
}

// What is wrong with the layout of `window`: named controls outside their
// parent's inner area, smaller than they need to show their content, or
// overlapping a named sibling.
QStringList layoutFaults(QWidget* window)
{
    QStringList faults;
    const QList<QWidget*> controls = namedControls(window);
    for (QWidget* control : controls) {
        QWidget* parent = control->parentWidget();
        if (!parent->contentsRect().contains(control->geometry()))
            faults << describe(control) + QStringLiteral(" outside its parent ")
                    + parent->objectName() + QStringLiteral(" (inner area ")
                    + rectText(parent->contentsRect()) + ')';
        const QSize needed = control->minimumSizeHint();
        if (control->width() < needed.width() || control->height() < needed.height())
            faults << describe(control)
                    + QStringLiteral(" smaller than its content, %1x%2")
                          .arg(needed.width())
                          .arg(needed.height());
        for (QWidget* other : controls)
            if (other != control && other->parentWidget() == parent && control < other
                && control->geometry().intersects(other->geometry()))
                faults << describe(control) + QStringLiteral(" overlaps ") + describe(other);
    }
    return faults;
}

QWidget* buildWindow(const QString& name, const DataMatrix& data, OutputPane* pane)
{
    if (name == QLatin1String("frmMain"))
        return new frmMain(0);
    if (name == QLatin1String("frmSplash"))
        return new frmSplash;
    if (name == QLatin1String("frmDescriptives"))
        return new frmDescriptives(data, pane);
    if (name == QLatin1String("frmBootstrap"))
        return new frmBootstrap(data, pane);
    if (name == QLatin1String("frmYuen"))
        return new frmYuen(data, pane);
    if (name == QLatin1String("frmEffects"))
        return new frmEffects(data, pane);
    if (name == QLatin1String("frmNavigate"))
        return new frmNavigate(data);
    if (name == QLatin1String("frmDataView"))
        return new frmDataView(data);
    if (name == QLatin1String("frmSaveOutput"))
        return new frmSaveOutput(pane);
    return new frmOpenOutput(pane);
}

} // namespace

class Tst_keyboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void mainWindowImportsByKeyboard();
    void descriptivesByKeyboard();
    void bootstrapByKeyboard();
    void navigatorByKeyboard();
    void saveAndOpenOutputByKeyboard();
    void exitQuestionAnsweredByKeyboard();

    void windowsShowAllControls_data();
    void windowsShowAllControls();

private:
    template <typename T> T* child(const char* name) const
    {
        return gui::child<T>(m_window.get(), name);
    }
    OutputPane* pane() const { return child<OutputPane>("txtOutput"); }
    // Presses the shortcut of the main window's menu entry `action`.
    void pressShortcut(const char* action)
    {
        const QKeySequence keys = child<QAction>(action)->shortcut();
        QVERIFY2(!keys.isEmpty(), action);
        QTest::keySequence(QApplication::focusWidget(), keys);
    }
    // Imports groups.txt through the main window's controls.
    void importSample();
    // Opens a dialog from the main window with `keys` and walks it with `walk`.
    void viaKeys(const char* className, const std::function<void()>& keys,
        const std::function<void(QWidget*)>& walk);

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;
};

void Tst_keyboard::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
    // Var 1 holds the group codes, Var 2 and Var 3 the scores.
    writeFile(m_dir.filePath("zz-notes.txt"), "not data\n");
    writeFile(m_dir.filePath("groups.txt"),
        "1\t10\t5\n1\t12\t6\n1\t11\t4\n1\t14\t7\n2\t15\t5\n2\t17\t8\n2\t16\t6\n2\t19\t9\n");
    // The file lists start on the current folder.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void Tst_keyboard::init()
{
    gui::showMainWindow(m_window);
    QVERIFY(waitForFocus(m_window.get()));
}

void Tst_keyboard::cleanup()
{
    gui::closeMainWindow(m_window);
}

void Tst_keyboard::viaKeys(const char* className, const std::function<void()>& keys,
    const std::function<void(QWidget*)>& walk)
{
    // A window manager gives the focus back to the main window when a dialog closes.
    m_window->activateWindow();
    QVERIFY(waitForFocus(m_window.get()));
    const auto walkFocused = [&](QWidget* dialog) {
        QVERIFY2(waitForFocus(dialog), className);
        walk(dialog);
    };
    QVERIFY2(gui::withModal(className, keys, walkFocused),
        qPrintable(QStringLiteral("%1 did not come up or did not close").arg(className)));
}

void Tst_keyboard::importSample()
{
    // Drive and folder lists first, then the files: End and Home choose the first file.
    QCOMPARE(focusName(), QStringLiteral("drvDrive"));
    gui::press(Qt::Key_Tab);
    gui::press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("filFile"));
    gui::press(Qt::Key_End);
    gui::press(Qt::Key_Home);
    QCOMPARE(child<QLabel>("lblSelectedFile")->text(), QStringLiteral("groups.txt"));
    // The delimiter options are one Tab stop; the arrows move between them
    // and Space chooses the focused one.
    gui::press(Qt::Key_Tab);
    gui::press(Qt::Key_Tab);
    gui::press(Qt::Key_Up);
    gui::press(Qt::Key_Up);
    QCOMPARE(focusName(), QStringLiteral("optTab"));
    gui::press(Qt::Key_Space);
    QVERIFY(child<QAbstractButton>("optTab")->isChecked());
    gui::press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("chkNames"));
    gui::press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("cmdImportData"));
    gui::press(Qt::Key_Space);
    QCOMPARE(m_window->dataSet().rowCount(), 8);
    QCOMPARE(m_window->dataSet().columnCount(), 3);
}

void Tst_keyboard::mainWindowImportsByKeyboard()
{
    // Option buttons of one frame are one Tab stop, at the first of them; the
    // arrow keys move between them, and choose when the one left was chosen.
    QCOMPARE(tabChain(),
        (QStringList { "drvDrive", "dirDirectory", "filFile", "cmbFileType", "optTab",
            "chkNames", "cmdImportData", "txtOutput" }));
    // Shift+Tab leaves the output pane again.
    gui::press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusName(), QStringLiteral("cmdImportData"));
    gui::press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusName(), QStringLiteral("chkNames"));
    gui::press(Qt::Key_Backtab, Qt::ShiftModifier);
    gui::press(Qt::Key_Down);
    QCOMPARE(focusName(), QStringLiteral("optComma"));
    gui::press(Qt::Key_Space);
    QVERIFY(child<QAbstractButton>("optComma")->isChecked());
    gui::press(Qt::Key_Down);
    QVERIFY(child<QAbstractButton>("optSpace")->isChecked());

    child<QWidget>("drvDrive")->setFocus();
    importSample();
    QVERIFY(pane()->toPlainText().contains(QLatin1String("Number of Cases: 8")));
}

void Tst_keyboard::descriptivesByKeyboard()
{
    importSample();
    if (QTest::currentTestFailed())
        return;
    // Alt+A opens Analyses, D chooses Descriptives.
    const auto open = [] {
        gui::press(Qt::Key_A, Qt::AltModifier);
        gui::press(Qt::Key_D);
    };
    viaKeys("frmDescriptives", open, [&](QWidget* dialog) {
        QCOMPARE(tabChain(),
            (QStringList { "lstItems", "optRanges", "cmbSplitBy", "cmdOK", "cmdCancel" }));
        QCOMPARE(focusName(), QStringLiteral("lstItems"));
        // Space checks the current entry; with a range, Var 3 brings Var 2 along.
        gui::press(Qt::Key_Home);
        gui::press(Qt::Key_Space);
        gui::press(Qt::Key_Down);
        gui::press(Qt::Key_Down);
        gui::press(Qt::Key_Space);
        QCOMPARE(item(dialog, "lstItems", 1)->checkState(), Qt::Checked);
        gui::press(Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    QVERIFY(pane()->toPlainText().contains(QLatin1String("Var 2")));

    const QString before = pane()->toPlainText();
    viaKeys("frmDescriptives", open, [&](QWidget* dialog) {
        // The arrows move between the two options; Space chooses.
        QVERIFY(tabTo(QStringLiteral("optRanges")));
        gui::press(Qt::Key_Down);
        gui::press(Qt::Key_Space);
        QVERIFY(gui::child<QAbstractButton>(dialog, "optIndividual")->isChecked());
        gui::press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(pane()->toPlainText(), before);
}

void Tst_keyboard::bootstrapByKeyboard()
{
    importSample();
    if (QTest::currentTestFailed())
        return;
    const auto open = [] {
        gui::press(Qt::Key_A, Qt::AltModifier);
        gui::press(Qt::Key_B);
    };
    viaKeys("frmBootstrap", open, [&](QWidget* dialog) {
        // Each frame of options is one Tab stop, at its first option.
        QCOMPARE(tabChain(),
            (QStringList { "lstDV", "lstGV", "txtGroup1", "txtGroup2", "opt600", "opt90CI",
                "txtSeed", "cmdOK", "cmdCancel" }));
        QCOMPARE(focusName(), QStringLiteral("lstDV"));
        gui::press(Qt::Key_Home);
        gui::press(Qt::Key_Down);
        gui::press(Qt::Key_Space); // Var 2
        gui::press(Qt::Key_Tab);
        gui::press(Qt::Key_Home);
        gui::press(Qt::Key_Space); // Var 1
        QCOMPARE(item(dialog, "lstDV", 1)->checkState(), Qt::Checked);
        QCOMPARE(item(dialog, "lstGV", 0)->checkState(), Qt::Checked);
        gui::press(Qt::Key_Tab);
        gui::type(QStringLiteral("1"));
        gui::press(Qt::Key_Tab);
        gui::type(QStringLiteral("2"));
        // From the chosen 600 the arrow moves to 800 and chooses it.
        gui::press(Qt::Key_Tab);
        gui::press(Qt::Key_Down);
        QCOMPARE(focusName(), QStringLiteral("opt800"));
        gui::press(Qt::Key_Return);
        QTRY_VERIFY(!dialog->isVisible());
    });
    QVERIFY(pane()->toPlainText().contains(QLatin1String("Dep Var = Var 2; Grp Var = Var 1")));
    QVERIFY(pane()->toPlainText().contains(QLatin1String("attempted bootstrap trials = 800")));

    const QString before = pane()->toPlainText();
    viaKeys("frmBootstrap", open, [&](QWidget* dialog) {
        gui::press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(pane()->toPlainText(), before);
}

void Tst_keyboard::navigatorByKeyboard()
{
    importSample();
    if (QTest::currentTestFailed())
        return;
    const auto open = [] {
        gui::press(Qt::Key_D, Qt::AltModifier);
        gui::press(Qt::Key_N);
    };
    viaKeys("frmNavigate", open, [&](QWidget* dialog) {
        QCOMPARE(tabChain(), (QStringList { "cmdUp", "cmdLeft", "cmdRight", "cmdDown" }));
        const auto label
            = [&](const char* name) { return gui::child<QLabel>(dialog, name)->text(); };
        gui::press(Qt::Key_Tab);
        gui::press(Qt::Key_Tab);
        gui::press(Qt::Key_Space); // Right
        gui::press(Qt::Key_Tab);
        gui::press(Qt::Key_Space); // Down
        QCOMPARE(label("lblRow"), QStringLiteral("Row: 2"));
        QCOMPARE(label("lblColumn"), QStringLiteral("Column: 2"));
        QCOMPARE(label("lblCell"), QStringLiteral("12"));
        gui::press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });
}

void Tst_keyboard::saveAndOpenOutputByKeyboard()
{
    pane()->appendReport(QStringLiteral("kept by keys\n"));
    const auto save = [this] { pressShortcut("mnuSaveOutput"); };
    viaKeys("frmSaveOutput", save, [&](QWidget* dialog) {
        // Typing goes to the name first.
        QCOMPARE(focusName(), QStringLiteral("txtSavedFileName"));
        QCOMPARE(tabChainFrom(QStringLiteral("txtSavedFileName")),
            (QStringList { "txtSavedFileName", "filFile", "dirDirectory", "drvDrive", "cmdSave",
                "cmdCancel" }));
        QVERIFY(tabTo(QStringLiteral("txtSavedFileName")));
        gui::type(QStringLiteral("keys"));
        gui::press(Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(readFile(m_dir.filePath("keys.txt")), QStringLiteral("kept by keys\r\n\r\n"));

    viaKeys("frmSaveOutput", save, [&](QWidget* dialog) {
        gui::press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });

    pane()->clear();
    const auto open = [this] { pressShortcut("mnuOpenOutput"); };
    viaKeys("frmOpenOutput", open, [&](QWidget* dialog) {
        QCOMPARE(focusName(), QStringLiteral("filFile"));
        QCOMPARE(tabChainFrom(QStringLiteral("filFile")),
            (QStringList { "filFile", "dirDirectory", "drvDrive", "cmdOpen", "cmdCancel" }));
        // groups.txt, keys.txt, zz-notes.txt: Home, Down chooses the second.
        QVERIFY(tabTo(QStringLiteral("filFile")));
        gui::press(Qt::Key_Home);
        gui::press(Qt::Key_Down);
        QCOMPARE(gui::child<QLabel>(dialog, "lblSelectedFile")->text(), QStringLiteral("keys.txt"));
        gui::press(Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(pane()->plainText(), QStringLiteral("kept by keys\n\n"));

    viaKeys("frmOpenOutput", open, [&](QWidget* dialog) {
        gui::press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    });
}

void Tst_keyboard::exitQuestionAnsweredByKeyboard()
{
    // Alt+F, X chooses Exit.
    const auto exitByMenu = [] {
        gui::press(Qt::Key_F, Qt::AltModifier);
        gui::press(Qt::Key_X);
    };
    // Escape answers Cancel: the program keeps running.
    viaKeys("QMessageBox", exitByMenu, [&](QWidget* box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Trellam"));
        gui::press(Qt::Key_Escape);
    });
    QVERIFY(m_window->isVisible());

    // Enter answers Yes, then N answers No to saving the new report: the
    // program ends.
    gui::child<OutputPane>(m_window.get(), "txtOutput")->appendReport(QStringLiteral("report\n"));
    m_window->activateWindow();
    QVERIFY(waitForFocus(m_window.get()));
    const QList<gui::Box> boxes = gui::answeringBoxes(exitByMenu, [](QMessageBox* box) {
        QVERIFY(waitForFocus(box));
        gui::press(box->windowTitle() == QLatin1String("Save Output") ? Qt::Key_N : Qt::Key_Return);
    });
    QCOMPARE(boxes.size(), 2);
    QVERIFY(!m_window->isVisible());
}

void Tst_keyboard::windowsShowAllControls_data()
{
    QTest::addColumn<QString>("window");
    for (const char* window : { "frmMain", "frmSplash", "frmDescriptives", "frmBootstrap",
             "frmYuen", "frmEffects", "frmNavigate", "frmDataView", "frmSaveOutput", "frmOpenOutput" })
        QTest::newRow(window) << QString::fromLatin1(window);
}

void Tst_keyboard::windowsShowAllControls()
{
    QFETCH(QString, window);
    // Enough variables for the lists to scroll, and a wide value in the navigator.
    DataMatrix data;
    for (int row = 0; row < 30; ++row) {
        data.beginRow();
        for (int column = 0; column < 12; ++column)
            data.appendField(row == 0 && column == 0 ? -1.234568e+08f : float(row + column));
    }
    OutputPane pane;
    std::unique_ptr<QWidget> shown(buildWindow(window, data, &pane));
    shown->setAttribute(Qt::WA_DeleteOnClose, false);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    const QStringList faults = layoutFaults(shown.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

QTEST_MAIN(Tst_keyboard)
#include "tst_keyboard.moc"
