// The main window driven offscreen: file choice, import, output pane, edit commands, exit.
#include "GuiDriver.h"
#include "platform/MessageBox.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/DataMatrix.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <memory>

using gui::answeringBoxes;
using gui::writeFile;

class Tst_frmMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void windowHasItsControlsAndMenus();
    void importThroughTheFileLists();
    void importWithNoFileSelectedForgetsTheDataSet();
    void failedImportShowsWarningAndKeepsDataSet();
    void importIgnoresCommaDecimalLocale();
    void clearOutputEmptiesPane();
    void copyAndCutUseCrLfAndNeedTextFocus();
    void pasteReplacesSelection();
    void appendKeepsUserEdits();
    void exitQuestions_data();
    void exitQuestions();
    void windowNeverGetsLowerThanItsMinimum();
    void helpMenu();
    void splashWaitsItsFullTime();
    void sourceLinesEndAnalysisReportsAndAreRemembered();

private:
    template <typename T>
    T* child(const char* name) const
    {
        return gui::child<T>(m_window.get(), name);
    }
    void import(const QString& name, const QString& delimiterOption);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
};

void Tst_frmMain::initTestCase()
{
    // Choices the windows remember stay apart from the user's own.
    QCoreApplication::setOrganizationName(QStringLiteral("Trellam tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_frmMain"));
    QSettings().clear();
}

void Tst_frmMain::cleanupTestCase()
{
    QFile::remove(QSettings().fileName());
}

void Tst_frmMain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    gui::showMainWindow(m_window);
}

void Tst_frmMain::cleanup()
{
    gui::closeMainWindow(m_window);
    m_dir.reset();
}

void Tst_frmMain::import(const QString& name, const QString& delimiterOption)
{
    gui::importDataFile(m_window.get(), m_dir->path(), name, delimiterOption);
}

void Tst_frmMain::windowHasItsControlsAndMenus()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Trellam: Independent Groups"));
    for (const char* name : {"fraSelectData", "cmbFileType", "fraTypeOfDelimiter", "optTab",
                             "optComma", "optSpace", "optSemicolon", "cmdImportData", "drvDrive", "dirDirectory",
                             "filFile", "lblSelectedFileLabel", "lblSelectedFile",
                             "lblCurrentFileLabel", "lblCurrentFile", "fraOutput", "txtOutput",
                             "chkNames"})
        QVERIFY2(child<QWidget>(name), name);
    QCOMPARE(child<QPushButton>("cmdImportData")->toolTip(),
             QStringLiteral("Click to import selected file"));
    QCOMPARE(child<QLabel>("lblCurrentFile")->toolTip(),
             QStringLiteral("File currently contained in Trellam processor"));
    auto* types = child<QComboBox>("cmbFileType");
    QCOMPARE(types->count(), 9);
    QCOMPARE(types->itemText(1), QStringLiteral("Data (*.dat)"));
    QCOMPARE(types->itemText(2), QStringLiteral("CSV (*.csv)"));
    QCOMPARE(types->itemText(3), QStringLiteral("Excel (*.xlsx)"));
    QCOMPARE(types->itemText(4), QStringLiteral("OpenDocument (*.ods)"));
    QCOMPARE(types->itemText(5), QStringLiteral("SPSS (*.sav *.zsav *.por)"));
    QCOMPARE(types->itemText(6), QStringLiteral("Stata (*.dta)"));
    QCOMPARE(types->itemText(7), QStringLiteral("SAS (*.sas7bdat *.xpt)"));
    QCOMPARE(types->itemText(8), QStringLiteral("All files (*)"));
    QVERIFY(!child<QComboBox>("cmbSheet")->isEnabled());
    QCOMPARE(types->currentIndex(), 0);
    QCOMPARE(child<FileListBox>("filFile")->pattern(), QStringLiteral("*.txt"));
    types->setCurrentIndex(1);
    QCOMPARE(child<FileListBox>("filFile")->pattern(), QStringLiteral("*.dat"));
    for (const char* option : {"optTab", "optComma", "optSpace", "optSemicolon"})
        QVERIFY(!child<QRadioButton>(option)->isChecked());

    QStringList menus;
    for (QAction* action : m_window->menuBar()->actions())
        menus << action->menu()->objectName();
    QCOMPARE(menus, (QStringList{"mnuFile", "mnuEdit", "mnuData", "mnuAnalyses", "mnuHelp"}));
    QStringList entries;
    for (QAction* menu : m_window->menuBar()->actions())
        for (QAction* action : menu->menu()->actions())
            if (!action->isSeparator())
                entries << action->objectName() + '=' + action->text().remove('&');
    QCOMPARE(entries, (QStringList{"mnuOpenData=Open Data\u2026", "mnuOpenOutput=Open Output",
                                   "mnuSaveOutput=Save Output",
                                   "mnuExportOutput=Export Output\u2026",
                                   "mnuSaveScript=Save Reproduction Script\u2026",
                                   "mnuExit=Exit", "mnuUndo=Undo", "mnuRedo=Redo",
                                   "mnuCut=Cut", "mnuCopy=Copy", "mnuPaste=Paste",
                                   "mnuCopyManuscript=Copy Last Result for Manuscript",
                                   "mnuClearOutput=Clear Output",
                                   "mnuNavigateDataFile=Navigate Data File",
                                   "mnuViewData=View Data",
                                   "mnuDescriptives=Descriptives",
                                   "mnuBootstrap=Effect Size Bootstrap", "mnuYuen=Trimmed Means Test",
                                   "mnuEffects=Robust Effect Sizes",
                                   "mnuPlot=Plot Last Bootstrap",
                                   "mnuSourceLines=Add Source Lines",
                                   "mnuGuide=User's Guide", "mnuAbout=About Trellam"}));
}

// F1 shows the guide from its file; About names the version and the licence.
void Tst_frmMain::helpMenu()
{
    QString guideText;
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    child<QWidget>("txtOutput")->setFocus();
    const bool shown = gui::withModal("frmGuide", [] { gui::press(Qt::Key_F1); },
        [&](QWidget* guide) {
            guideText = gui::child<QTextBrowser>(guide, "txtGuide")->toPlainText();
            QTest::keyClick(guide, Qt::Key_Escape);
        });
    QVERIFY(shown);
    QVERIFY(guideText.contains(QStringLiteral("Trellam")));
    QVERIFY(guideText.contains(QStringLiteral("Individual Items")));

    MessageBox::setNextAnswer(QMessageBox::Ok);
    child<QAction>("mnuAbout")->trigger();
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("About Trellam"));
    QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Trellam " TRELLAM_VERSION "\n")));
    QVERIFY(MessageBox::lastText().contains(
        QStringLiteral("GNU General Public License, version 3 or later")));
}

void Tst_frmMain::importThroughTheFileLists()
{
    writeFile(m_dir->filePath("scores.txt"), "1\t2\r\n3\t.\r\n\r\n4\t5\t6\r\n");
    writeFile(m_dir->filePath("other.dat"), "9\n");
    import(QStringLiteral("scores.txt"), QStringLiteral("optTab"));

    const QString path = QDir::toNativeSeparators(m_dir->filePath("scores.txt"));
    QCOMPARE(child<OutputPane>("txtOutput")->plainText(),
             "Opened the text file: " + path
                 + "\nNumber of Cases: 4\nNumber of Variables: 3\n\n\n");
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("scores.txt"));
    QCOMPARE(m_window->dataSet().rowCount(), 4);
    QCOMPARE(m_window->dataSet().columnCount(), 3);
    QCOMPARE(m_window->dataSet()(2, 2), MISSING_VALUE);
    QCOMPARE(m_window->dataSet()(3, 1), 0.0f);
    QCOMPARE(m_window->dataSet()(4, 3), 6.0f);
    QCOMPARE(m_window->dataSet()(1, 3), 0.0f);
}

void Tst_frmMain::importWithNoFileSelectedForgetsTheDataSet()
{
    writeFile(m_dir->filePath("a.txt"), "1 2\n");
    import(QStringLiteral("a.txt"), QStringLiteral("optSpace"));
    QCOMPARE(m_window->dataSet().columnCount(), 2);

    m_window.reset(new frmMain(0));
    const QString before = child<OutputPane>("txtOutput")->plainText();
    gui::click(m_window.get(), "cmdImportData");
    QCOMPARE(m_window->dataSet().rowCount(), 0);
    QCOMPARE(m_window->dataSet().columnCount(), 0);
    QCOMPARE(child<OutputPane>("txtOutput")->plainText(), before);
}

void Tst_frmMain::failedImportShowsWarningAndKeepsDataSet()
{
    writeFile(m_dir->filePath("good.txt"), "1,2\n3,4\n");
    writeFile(m_dir->filePath("bad.txt"), "1,2\n3,4\n5,6\n7,x\n");
    import(QStringLiteral("good.txt"), QStringLiteral("optComma"));
    const QString reportBefore = child<OutputPane>("txtOutput")->plainText();

    auto boxes
        = answeringBoxes([this] { import(QStringLiteral("bad.txt"), QStringLiteral("optComma")); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QStringLiteral("Data Editor"));
    QCOMPARE(boxes[0].text, QStringLiteral("Row 4 of Column 2 has an invalid entry for analysis."));
    QCOMPARE(MessageBox::lastInformativeText(),
             QStringLiteral("The entry reads \"x\". If line 1 holds names, check \"First line "
                            "holds variable names\": text columns are then read as group labels."));
    QCOMPARE(m_window->dataSet().rowCount(), 2);
    QCOMPARE(m_window->dataSet()(2, 2), 4.0f);
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("good.txt"));
    QCOMPARE(child<OutputPane>("txtOutput")->plainText(), reportBefore);

    // The file disappears between choosing and importing.
    QVERIFY(QFile::remove(m_dir->filePath("bad.txt")));
    boxes = answeringBoxes([this] { gui::click(m_window.get(), "cmdImportData"); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, "The file could not be read: "
                 + QDir::toNativeSeparators(m_dir->filePath("bad.txt")));
    QCOMPARE(m_window->dataSet().rowCount(), 2);
}

void Tst_frmMain::importIgnoresCommaDecimalLocale()
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        QSKIP("no German locale on this machine");
    writeFile(m_dir->filePath("decimals.txt"), "1.5\t2\n0,435\t3\n");
    const auto boxes = answeringBoxes(
        [this] { import(QStringLiteral("decimals.txt"), QStringLiteral("optTab")); });
    std::setlocale(LC_ALL, saved.c_str());
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QStringLiteral("Row 2 of Column 1 has an invalid entry for analysis."));

    writeFile(m_dir->filePath("decimals.txt"), "1.5\t2\n");
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    gui::click(m_window.get(), "cmdImportData");
    std::setlocale(LC_ALL, saved.c_str());
    QCOMPARE(m_window->dataSet()(1, 1), 1.5f);
}

void Tst_frmMain::clearOutputEmptiesPane()
{
    auto* pane = child<OutputPane>("txtOutput");
    pane->appendReport(QStringLiteral("line\n"));
    child<QAction>("mnuClearOutput")->trigger();
    QCOMPARE(pane->plainText(), QString());
}

void Tst_frmMain::copyAndCutUseCrLfAndNeedTextFocus()
{
    auto* pane = child<OutputPane>("txtOutput");
    pane->appendReport(QStringLiteral("first\nsecond\n"));
    pane->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("old"));

    child<QPushButton>("cmdImportData")->setFocus();
    child<QAction>("mnuCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString());

    pane->setFocus();
    child<QAction>("mnuCopy")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("first\r\nsecond\r\n"));

    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    child<QAction>("mnuCut")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("first"));
    QCOMPARE(pane->plainText(), QStringLiteral("\nsecond\n"));

    // The pane's own Ctrl+C hands out CR LF too.
    pane->selectAll();
    QTest::keySequence(pane, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\r\nsecond\r\n"));
}

void Tst_frmMain::pasteReplacesSelection()
{
    auto* pane = child<OutputPane>("txtOutput");
    pane->appendReport(QStringLiteral("abc"));
    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    QApplication::clipboard()->setText(QStringLiteral("X\r\nY"));

    child<QPushButton>("cmdImportData")->setFocus();
    child<QAction>("mnuPaste")->trigger();
    QCOMPARE(pane->plainText(), QStringLiteral("abc"));

    pane->setFocus();
    child<QAction>("mnuPaste")->trigger();
    QCOMPARE(pane->plainText(), QStringLiteral("aX\nYc"));
}

void Tst_frmMain::appendKeepsUserEdits()
{
    auto* pane = child<OutputPane>("txtOutput");
    pane->appendReport(QStringLiteral("report one\n"));
    pane->setFocus();
    pane->moveCursor(QTextCursor::Start);
    QTest::keyClicks(pane, QStringLiteral("note "));
    pane->appendReport(QStringLiteral("report two\n"));
    QCOMPARE(pane->plainText(), QStringLiteral("note report one\nreport two\n"));
    pane->undo();
    QCOMPARE(pane->plainText(), QStringLiteral("note report one\n"));
}

void Tst_frmMain::exitQuestions_data()
{
    QTest::addColumn<bool>("closeBox"); // else the Exit menu entry
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QString>("pane"); // a new report, nothing, or a file just opened
    const QString report = QStringLiteral("report");
    for (const bool closeBox : { false, true }) {
        const char* way = closeBox ? "close box" : "Exit";
        QTest::addRow("%s: No to exit keeps running", way)
            << closeBox << int(QMessageBox::No) << 0 << false << report;
        QTest::addRow("%s: Cancel to exit keeps running", way)
            << closeBox << int(QMessageBox::Cancel) << 0 << false << report;
        QTest::addRow("%s: Cancel to saving keeps running", way)
            << closeBox << int(QMessageBox::Yes) << int(QMessageBox::Cancel) << false << report;
        QTest::addRow("%s: No to saving ends", way)
            << closeBox << int(QMessageBox::Yes) << int(QMessageBox::No) << true << report;
        QTest::addRow("%s: an empty pane is not offered for saving", way)
            << closeBox << int(QMessageBox::Yes) << 0 << true << QString();
        QTest::addRow("%s: a file just opened is not offered for saving", way)
            << closeBox << int(QMessageBox::Yes) << 0 << true << QStringLiteral("opened");
    }
}

// Both ways out ask whether to exit and then, when the pane holds text not
// saved yet, whether to save the output.
void Tst_frmMain::exitQuestions()
{
    QFETCH(bool, closeBox);
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, ends);
    QFETCH(QString, pane);
    auto* output = child<OutputPane>("txtOutput");
    if (pane == QLatin1String("report"))
        output->appendReport(QStringLiteral("Robust Cohen's D = 0.5\n"));
    else if (pane == QLatin1String("opened"))
        output->replaceText(QStringLiteral("an output file\n"));
    const QList<int> answers = second ? QList<int> { first, second } : QList<int> { first };
    int asked = 0;
    const QList<gui::Box> boxes = answeringBoxes(
        [&] {
            if (closeBox)
                QCOMPARE(m_window->close(), ends);
            else
                child<QAction>("mnuExit")->trigger();
        },
        [&](QMessageBox* box) {
            box->button(QMessageBox::StandardButton(answers.value(asked++, QMessageBox::Cancel)))
                ->click();
        });
    QCOMPARE(boxes.size(), answers.size());
    QCOMPARE(boxes[0].title, QStringLiteral("Trellam"));
    QCOMPARE(boxes[0].text, QStringLiteral("Do you want to exit Trellam?"));
    if (second) {
        QCOMPARE(boxes[1].title, QStringLiteral("Save Output"));
        QCOMPARE(boxes[1].text, QStringLiteral("Do you want to save the contents of the output?"));
    }
    QCOMPARE(m_window->isVisible(), !ends);
}

// The layouts keep the data selection at its size and give the output the
// rest, however small the window is made.
void Tst_frmMain::windowNeverGetsLowerThanItsMinimum()
{
    m_window->resize(500, 200);
    QTRY_VERIFY(m_window->height() * 15 >= 7000 - 15);
    auto* select = child<QGroupBox>("fraSelectData");
    QVERIFY(select->width() >= 600);
    QCOMPARE(select->height(), 2520 / 15);
    auto* output = child<QGroupBox>("fraOutput");
    QVERIFY(output->y() > select->geometry().bottom());
    QCOMPARE(output->width(), select->width());
    auto* pane = child<QWidget>("txtOutput");
    QVERIFY(output->rect().contains(pane->geometry()));

    m_window->resize(1400, 1000);
    QTRY_COMPARE(select->height(), 2520 / 15);
    QTRY_VERIFY(output->height() > 1000 - 2 * select->height());
}

void Tst_frmMain::splashWaitsItsFullTime()
{
    bool splashSeen = false;
    QTimer::singleShot(50, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("frmSplash") && widget->isVisible()) {
                splashSeen = true;
                QTest::keyClick(widget, Qt::Key_Space); // dismissed early
            }
    });
    QElapsedTimer clock;
    clock.start();
    frmMain window(400);
    QVERIFY(!window.isLoaded());
    QSignalSpy loaded(&window, &frmMain::loaded);
    QVERIFY(loaded.wait(2000));
    QVERIFY(clock.elapsed() >= 400);
    QVERIFY(window.isLoaded());
    QVERIFY(splashSeen);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!(widget->objectName() == QLatin1String("frmSplash") && widget->isVisible()));
}

// Add Source Lines, off at first, ends each analysis report with what
// produced it, and the next run starts as it was left.
void Tst_frmMain::sourceLinesEndAnalysisReportsAndAreRemembered()
{
    QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("mnuSourceLines"))->isChecked());
    writeFile(m_dir->filePath("scores.txt"), "1\t2\n3\t4\n");
    import(QStringLiteral("scores.txt"), QStringLiteral("optTab"));
    auto* pane = child<OutputPane>("txtOutput");
    const auto descriptives = [&](bool checkFirst) {
        const qsizetype before = pane->plainText().size();
        const bool shown = gui::withMenuDialog(
            m_window.get(), "mnuDescriptives", "frmDescriptives", [&](QWidget* dialog) {
                if (checkFirst)
                    gui::toggleItem(dialog, "lstItems", 0);
                gui::click(dialog, "cmdOK");
            });
        return shown ? pane->plainText().mid(before) : QString();
    };
    QString report = descriptives(true);
    m_window->findChild<QAction*>(QStringLiteral("mnuSourceLines"))->trigger();
    QCOMPARE(descriptives(false),
        report.insert(report.size() - 3,
            "Trellam " TRELLAM_VERSION "; data: scores.txt; 20% trimming\n"));

    gui::closeMainWindow(m_window);
    gui::showMainWindow(m_window);
    QVERIFY(m_window->findChild<QAction*>(QStringLiteral("mnuSourceLines"))->isChecked());
}

QTEST_MAIN(Tst_frmMain)
#include "tst_frmMain.moc"
