// Researchers' own files through the main window: a header line of names,
// CSV files, a file named on the command line or dropped, and file names that
// are not valid in the system's encoding.
#include "GuiDriver.h"
#include "ImportFiles.h"

#include "forms/frmDescriptives.h"
#include "forms/frmNavigate.h"
#include "platform/NativePath.h"
#include "platform/OpenFileDialog.h"
#include "widgets/OutputPane.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#include <memory>

using gui::child;
using gui::writeFile;

namespace {

// Drops `urls` on `target` as a file manager does: enter, then drop.
void drop(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

} // namespace

class Tst_openFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void headerLineThroughTheWindow_data();
    void headerLineThroughTheWindow();
    void badLineAfterHeaderKeepsOldData();
    void csvFilesAreCommaOrSemicolonDelimited();
    void commandLineOpensFile();
    void droppedFileOpens();
    void openDataImportsAtOnce();
    void droppedFileKeepsUsersDelimiter();
    void droppedOutputFileIsRefused();
    void nameInOtherEncodingIsListedAndOpens();
    void workbooksAndStatisticsFilesThroughTheWindow();

private:
    template <typename T> T* child(const char* name) const
    {
        return gui::child<T>(m_window.get(), name);
    }
    QString pathOf(const QString& name) const
    {
        return QDir::toNativeSeparators(m_dir->filePath(name));
    }
    void clickImport() { child<QPushButton>("cmdImportData")->click(); }
    QString paneText() const { return child<OutputPane>("txtOutput")->plainText(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
};

void Tst_openFiles::init()
{
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    gui::showMainWindow(m_window);
}

void Tst_openFiles::cleanup()
{
    gui::closeMainWindow(m_window);
    m_dir.reset();
}

void Tst_openFiles::headerLineThroughTheWindow_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("cases");
    QTest::newRow("R write.csv, no row names")
        << "chicks.csv" << QByteArray("\"weight\",\"feed\"\n179,1\n160,1\n136,2\n227,2\n")
        << "optComma" << 4;
    QTest::newRow("spreadsheet export with CR LF")
        << "export.txt" << QByteArray("\xEF\xBB\xBFweight\tfeed\r\n179\t1\r\n160\t1\r\n136\t2\r\n")
        << "optTab" << 3;
}

void Tst_openFiles::headerLineThroughTheWindow()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, delimiter);
    QFETCH(int, cases);
    writeFile(m_dir->filePath(fileName), content);
    child<QComboBox>("cmbFileType")->setCurrentIndex(8); // All files (*)
    // With nothing chosen yet, choosing the file chooses its layout.
    gui::chooseDataFile(m_window.get(), m_dir->path(), fileName);
    QVERIFY(child<QRadioButton>(delimiter.toLatin1())->isChecked());
    QVERIFY(child<QCheckBox>("chkNames")->isChecked());
    clickImport();

    QCOMPARE(paneText(),
        "Opened the text file: " + pathOf(fileName) + "\nNumber of Cases: " + QString::number(cases)
            + "\nNumber of Variables: 2\n\n\n");
    QCOMPARE(m_window->dataSet()(1, 1), 179.0f);
    QCOMPARE(variableLabel(m_window->dataSet(), 2), std::string("Var 2 (feed)"));

    // The lists of the analyses and the navigator show the names.
    OutputPane pane;
    frmDescriptives descriptives(m_window->dataSet(), &pane);
    QCOMPARE(listTexts(descriptives.findChild<QListWidget*>()),
        (QStringList { "Var 1 (weight)", "Var 2 (feed)" }));
    frmNavigate navigator(m_window->dataSet());
    QCOMPARE(
        gui::child<QLabel>(&navigator, "lblColumn")->text(), QStringLiteral("Column: 1 (weight)"));
}

void Tst_openFiles::badLineAfterHeaderKeepsOldData()
{
    writeFile(m_dir->filePath("good.txt"), "dose,score\n1,2\n");
    writeFile(m_dir->filePath("bad.txt"), "a,b,c\n1,2,3\n4,5,6\n7,8,9\n1,\"x,3\n");
    child<QRadioButton>("optComma")->click();
    child<QCheckBox>("chkNames")->click();
    gui::chooseDataFile(m_window.get(), m_dir->path(), "good.txt");
    clickImport();
    QCOMPARE(m_window->dataSet().name(2), std::string("score"));

    gui::chooseDataFile(m_window.get(), m_dir->path(), "bad.txt");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    clickImport();
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Data Editor"));
    QCOMPARE(MessageBox::lastText(),
        QStringLiteral("Row 4 of Column 2 has an unclosed quotation mark."));
    // The names belong to the data set they came with.
    QCOMPARE(m_window->dataSet().rowCount(), 1);
    QCOMPARE(m_window->dataSet().columnCount(), 2);
    QCOMPARE(m_window->dataSet().name(2), std::string("score"));
    QCOMPARE(m_window->dataSet().name(3), std::string());
}

void Tst_openFiles::csvFilesAreCommaOrSemicolonDelimited()
{
    writeFile(m_dir->filePath("a.csv"), "1;2;3,5\n");
    writeFile(m_dir->filePath("b.CSV"), "1,2\n");
    writeFile(m_dir->filePath("c.txt"), "1,2\n");
    auto* types = child<QComboBox>("cmbFileType");
    types->setCurrentIndex(2);
    QCOMPARE(types->currentText(), QStringLiteral("CSV (*.csv)"));
    QVERIFY(child<DirListBox>("dirDirectory")->setPath(m_dir->path()));
    QTRY_COMPARE(listTexts(child<FileListBox>("filFile")), (QStringList { "a.csv", "b.CSV" }));

    auto* comma = child<QRadioButton>("optComma");
    auto* semicolon = child<QRadioButton>("optSemicolon");
    auto* tab = child<QRadioButton>("optTab");
    gui::clickItem(child<FileListBox>("filFile"), "a.csv");
    QVERIFY(semicolon->isChecked());
    // The user's choice for this file stands when it is chosen again ...
    tab->click();
    gui::clickItem(child<FileListBox>("filFile"), "a.csv");
    QVERIFY(tab->isChecked());
    // ... but not for another CSV file.
    gui::clickItem(child<FileListBox>("filFile"), "b.CSV");
    QVERIFY(comma->isChecked());

    types->setCurrentIndex(types->count() - 1); // All files (*)
    QTRY_COMPARE(
        listTexts(child<FileListBox>("filFile")), (QStringList { "a.csv", "b.CSV", "c.txt" }));
    tab->click();
    gui::clickItem(child<FileListBox>("filFile"), "c.txt");
    QVERIFY(tab->isChecked());
}

void Tst_openFiles::commandLineOpensFile()
{
    writeFile(m_dir->filePath("first analysis.csv"), "\"score\",\"group\"\n12,1\n15,2\n");
    const QString startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QByteArray program("trellam");
    QByteArray argument("first analysis.csv"); // relative to the current folder
    char* argv[] = { program.data(), argument.data(), nullptr };
    const std::string path = commandLineFile(2, argv);
    QDir::setCurrent(startFolder);
    QCOMPARE(displayPath(path), pathOf("first analysis.csv"));
    QCOMPARE(commandLineFile(1, argv), std::string());

    m_window->openDataFile(path);
    QCOMPARE(child<QComboBox>("cmbFileType")->currentText(), QStringLiteral("CSV (*.csv)"));
    QCOMPARE(child<DirListBox>("dirDirectory")->path(), QDir::toNativeSeparators(m_dir->path()));
    QCOMPARE(
        child<FileListBox>("filFile")->currentItem()->text(), QStringLiteral("first analysis.csv"));
    QCOMPARE(child<QLabel>("lblSelectedFile")->text(), QStringLiteral("first analysis.csv"));
    QVERIFY(child<QRadioButton>("optComma")->isChecked());
    QVERIFY(child<QCheckBox>("chkNames")->isChecked());
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("first analysis.csv"));
    QCOMPARE(m_window->dataSet().rowCount(), 2);
    QCOMPARE(m_window->dataSet().name(1), std::string("score"));
}

void Tst_openFiles::droppedFileOpens()
{
    writeFile(m_dir->filePath("scores.dat"), "1\t2\n3\t4\n");
    // Dropped on the output pane, which covers most of the window.
    auto* pane = child<OutputPane>("txtOutput");
    drop(pane->viewport(), { QUrl::fromLocalFile(m_dir->filePath("scores.dat")) });
    QTRY_COMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("scores.dat"));
    QCOMPARE(paneText(),
        "Opened the text file: " + pathOf("scores.dat")
            + "\nNumber of Cases: 2\nNumber of Variables: 2\n\n\n");
    QVERIFY(child<QRadioButton>("optTab")->isChecked());
    QVERIFY(!child<QCheckBox>("chkNames")->isChecked());
    QCOMPARE(child<QComboBox>("cmbFileType")->currentText(), QStringLiteral("Data (*.dat)"));
}

void Tst_openFiles::openDataImportsAtOnce()
{
    writeFile(m_dir->filePath("chicks.csv"), "weight;feed\n179,5;1\n160;2\n");
    OpenFileDialog::setNextFileName(QString()); // Cancel
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(paneText(), QString());

    OpenFileDialog::setNextFileName(m_dir->filePath("chicks.csv"));
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("chicks.csv"));
    QVERIFY(child<QRadioButton>("optSemicolon")->isChecked());
    QVERIFY(child<QCheckBox>("chkNames")->isChecked());
    QCOMPARE(m_window->dataSet()(1, 1), 179.5f);
    QCOMPARE(m_window->dataSet().name(2), std::string("feed"));
}

void Tst_openFiles::droppedFileKeepsUsersDelimiter()
{
    writeFile(m_dir->filePath("one.txt"), "5\n6\n");
    child<QRadioButton>("optComma")->click();
    drop(m_window.get(), { QUrl::fromLocalFile(m_dir->filePath("one.txt")) });
    QTRY_COMPARE(m_window->dataSet().rowCount(), 2);
    QVERIFY(child<QRadioButton>("optComma")->isChecked());

    // Without the user's choice the first line decides.
    gui::closeMainWindow(m_window);
    gui::showMainWindow(m_window);
    drop(m_window.get(), { QUrl::fromLocalFile(m_dir->filePath("one.txt")) });
    QTRY_COMPARE(m_window->dataSet().rowCount(), 2);
    QVERIFY(child<QRadioButton>("optSpace")->isChecked());
}

void Tst_openFiles::droppedOutputFileIsRefused()
{
    writeFile(m_dir->filePath("good.txt"), "1\n2\n3\n");
    m_window->openDataFile(nativePath(m_dir->filePath("good.txt")));
    const QString before = paneText();
    // A report as Save Output writes it: CR LF and a closing line end.
    QByteArray saved = before.toUtf8().replace("\n", "\r\n") + "\r\n";
    writeFile(m_dir->filePath("results.txt"), saved);

    MessageBox::setNextAnswer(QMessageBox::Ok);
    drop(m_window.get(), { QUrl::fromLocalFile(m_dir->filePath("results.txt")) });
    QTRY_COMPARE(MessageBox::lastText(),
        QStringLiteral("Row 1 of Column 1 has an invalid entry for analysis."));
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Data Editor"));
    QCOMPARE(m_window->dataSet().rowCount(), 3);
    QCOMPARE(paneText(), before);
}

void Tst_openFiles::nameInOtherEncodingIsListedAndOpens()
{
#ifdef Q_OS_UNIX
    // "café.txt" written by a system whose encoding is Latin-1.
    const QByteArray name("caf\xE9.txt");
    const QByteArray path = QFile::encodeName(m_dir->path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "7\n8\n", 4), ssize_t(4));
    ::close(fd);
    // The test folder's own removal would not see the name.
    const auto removed = qScopeGuard([&path] { ::unlink(path.constData()); });

    const QString shown = QString::fromUtf8("café.txt");
    gui::chooseDataFile(m_window.get(), m_dir->path(), shown);
    clickImport();
    QCOMPARE(m_window->dataSet().rowCount(), 2);
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), shown);
    QVERIFY(paneText().startsWith("Opened the text file: " + pathOf(shown) + "\n"));

    // Dropped, the name comes as the URL's own bytes.
    gui::closeMainWindow(m_window);
    gui::showMainWindow(m_window);
    QUrl url = QUrl::fromEncoded("file://" + QFile::encodeName(m_dir->path()) + "/caf%E9.txt");
    drop(m_window.get(), { url });
    QTRY_COMPARE(m_window->dataSet().rowCount(), 2);
#else
    QSKIP("file names are bytes on POSIX systems only");
#endif
}


void Tst_openFiles::workbooksAndStatisticsFilesThroughTheWindow()
{
    for (const char* name : { "workbook.xlsx", "spss-labelled.sav", "truncated-workbook.ods",
             "one-thousand-and-one-columns.ods" })
        QVERIFY(QFile::copy(importFile(name), m_dir->filePath(name)));
    auto* types = child<QComboBox>("cmbFileType");
    types->setCurrentIndex(types->count() - 1); // All files (*)
    auto* sheets = child<QComboBox>("cmbSheet");
    auto* delimiters = child<QWidget>("fraTypeOfDelimiter");
    auto* names = child<QCheckBox>("chkNames");

    // A workbook: its sheets to choose from, names guessed for each, no delimiter.
    gui::chooseDataFile(m_window.get(), m_dir->path(), "workbook.xlsx");
    QVERIFY(sheets->isEnabled());
    QCOMPARE(sheets->count(), 2);
    QCOMPARE(sheets->itemText(1), QStringLiteral("Second"));
    QVERIFY(!delimiters->isEnabled());
    QVERIFY(names->isChecked());
    names->click();
    sheets->setFocus();
    QTest::keyClick(sheets, Qt::Key_Down);
    QCOMPARE(sheets->currentIndex(), 1);
    QVERIFY(names->isChecked());
    clickImport();
    QCOMPARE(paneText(),
        "Opened the Excel file: " + pathOf("workbook.xlsx")
            + "\nSheet: Second\nNumber of Cases: 3\nNumber of Variables: 2\n\n\n");
    QCOMPARE(m_window->dataSet().name(2), std::string("y"));

    // A statistics file names its variables itself.
    gui::chooseDataFile(m_window.get(), m_dir->path(), "spss-labelled.sav");
    QVERIFY(!sheets->isEnabled());
    QCOMPARE(sheets->count(), 0);
    QVERIFY(!delimiters->isEnabled() && !names->isEnabled());
    clickImport();
    QCOMPARE(m_window->dataSet().rowCount(), 9);
    QCOMPARE(*m_window->dataSet().labelOf(1, 2.0f), std::string("treatment"));
    // Its analyses go into a manuscript, but no script of NumPy or base R reads it.
    QVERIFY(gui::withMenuDialog(m_window.get(), "mnuDescriptives", "frmDescriptives",
        [](QWidget* dialog) {
            gui::toggleItem(dialog, "lstItems", 1);
            gui::click(dialog, "cmdOK");
        }));
    QVERIFY(child<QAction>("mnuCopyManuscript")->isEnabled());
    QVERIFY(!child<QAction>("mnuSaveScript")->isEnabled());

    // A failure changes nothing.
    for (const auto& [file, message] : { std::pair { "truncated-workbook.ods",
                                             "The file could not be read: " + pathOf("truncated-workbook.ods") },
             std::pair { "one-thousand-and-one-columns.ods",
                 QStringLiteral("The file has more than 1000 variables.") } }) {
        gui::chooseDataFile(m_window.get(), m_dir->path(), file);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        clickImport();
        QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Data Editor"));
        QCOMPARE(MessageBox::lastText(), message);
        QCOMPARE(m_window->dataSet().rowCount(), 9);
        QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("spss-labelled.sav"));
    }
}

QTEST_MAIN(Tst_openFiles)
#include "tst_openFiles.moc"
