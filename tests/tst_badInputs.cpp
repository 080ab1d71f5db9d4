// Bad inputs through the real windows, offscreen: the main window's import,
// Open Output, both analyses and the navigator, each with its outcome.
#include "GuiDriver.h"
#include "ImportFiles.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/DataMatrix.h"
#include "data/AvailableMemory.h"
#include "data/LargeBlockAllocator.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cfloat>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

using gui::answeringBoxes;
using gui::Box;
using gui::writeFile;

namespace {

QString boxText(const QList<Box>& boxes)
{
    return boxes.isEmpty() ? QString() : boxes.last().text;
}

// Nine significant digits tell every float apart; QCOMPARE on floats would
// allow a relative error.
QString exact(float value)
{
    return QString::number(value, 'g', 9);
}

QStringList exactCells(const QList<float>& values)
{
    QStringList texts;
    for (const float v : values)
        texts << exact(v);
    return texts;
}

QStringList rowOf(const DataMatrix& data, int row)
{
    QStringList texts;
    for (int c = 1; c <= data.columnCount(); ++c)
        texts << exact(data(row, c));
    return texts;
}

// A number of kilobytes from /proc/self/status, such as the peak resident memory.
qint64 statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Forgets the peak resident memory so far, so that the next peak is one's own.
bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

// The fields of the report line that starts with `name` ("Var 3"), split at blanks.
QStringList reportRow(const QString& report, const QString& name)
{
    for (const QString& line : report.split(QStringLiteral("\n"))) {
        if (line.startsWith(name + QLatin1Char(' ')))
            return line.mid(name.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return { QStringLiteral("(no line for %1)").arg(name) };
}

// A file of columns for the analyses, two groups of five cases:
//  1 group codes 1 and 2          2 ordinary values
//  3 column 2 times 1e30          4 column 2 times 1e-30
//  5 all missing                  6 one value (in group 1)
//  7 column 2 times 1e-22
QByteArray analysisFile()
{
    const int codes[] = { 1, 1, 1, 1, 1, 2, 2, 2, 2, 2 };
    const int values[] = { 10, 12, 13, 15, 16, 20, 22, 23, 25, 27 };
    QByteArray bytes;
    for (int i = 0; i < 10; ++i) {
        const QByteArray v = QByteArray::number(values[i]);
        bytes += QByteArray::number(codes[i]) + '\t' + v + '\t' + v + "e30\t" + v + "e-30\t.\t"
            + (i == 0 ? v : ".") + '\t' + v + "e-22\r\n";
    }
    return bytes;
}

#ifdef Q_OS_LINUX
// The address space of this process limited to what it maps now and
// `extraBytes` more, while this lives.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(qint64 extraBytes)
    {
        getrlimit(RLIMIT_AS, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = rlim_t(statusKilobytes("VmSize:") * 1024 + extraBytes);
        setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_old); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit m_old {};
};

// This process in a memory cgroup made for it below its own, which lets it
// take `extraBytes` more, while this lives (root only); then back where it
// was, and the cgroup removed.
class MemoryCgroup {
public:
    explicit MemoryCgroup(qint64 extraBytes)
    {
        if (::geteuid() != 0) {
            m_problem = QStringLiteral("making a cgroup needs root");
            return;
        }
        // "N:memory:/path" names the cgroup v1 memory controller, "0::/path" cgroup v2.
        QFile cgroups(QStringLiteral("/proc/self/cgroup"));
        QString limitFile;
        if (cgroups.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : cgroups.readAll().split('\n')) {
                const QList<QByteArray> parts = line.split(':');
                if (parts.size() < 3)
                    continue;
                const QString path
                    = QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2));
                if (parts[1].split(',').contains("memory")) {
                    m_home = "/sys/fs/cgroup/memory" + path;
                    limitFile = QStringLiteral("memory.limit_in_bytes");
                    break;
                }
                if (parts[0] == "0" && parts[1].isEmpty()) {
                    m_home = "/sys/fs/cgroup" + path;
                    limitFile = QStringLiteral("memory.max");
                }
            }
        }
        const QString own = m_home + QStringLiteral("/trellam-test-%1").arg(::getpid());
        if (m_home.isEmpty() || !QDir().mkdir(own)) {
            m_problem = QStringLiteral("no memory cgroup can be made here");
            return;
        }
        m_own = own;
        if (!writeTo(m_own + '/' + limitFile, QByteArray::number(extraBytes))
            || !writeTo(m_own + QStringLiteral("/cgroup.procs"), QByteArray::number(::getpid())))
            m_problem = QStringLiteral("the memory controller is not available to a new cgroup");
    }
    ~MemoryCgroup()
    {
        if (m_own.isEmpty())
            return;
        writeTo(m_home + QStringLiteral("/cgroup.procs"), QByteArray::number(::getpid()));
        QDir().rmdir(m_own);
    }
    MemoryCgroup(const MemoryCgroup&) = delete;
    MemoryCgroup& operator=(const MemoryCgroup&) = delete;

    // Why the process is not in a cgroup of its own; empty when it is.
    QString problem() const { return m_problem; }

private:
    static bool writeTo(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
            && file.write(text) == text.size();
    }

    QString m_home; // the cgroup the process came from
    QString m_own;
    QString m_problem;
};
#endif

} // namespace

class Tst_badInputs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void badDataFiles_data();
    void badDataFiles();
    void emptyFileLeavesNothingToNavigate();
    void singleLineOf100MegabytesNeedsBoundedMemory_data();
    void singleLineOf100MegabytesNeedsBoundedMemory();
    void fileChangedAfterChoosing_data();
    void fileChangedAfterChoosing();
    void foldersNamedLikeFilesAreNotListed();
    void fileGrowingDuringImportGivesWholeLines();
    void importUnderAMemoryLimit_data();
    void importUnderAMemoryLimit();
    void keptBlocksGiveWayUnderALimit();
    void badOutputFiles_data();
    void badOutputFiles();
    void groupTexts_data();
    void groupTexts();
    void analysesOfAwkwardColumns_data();
    void analysesOfAwkwardColumns();
    void navigatorShowsExtremeMagnitudes();

private:
    template <typename T> T* child(const char* name) const
    {
        return gui::child<T>(m_window.get(), name);
    }
    QString pathOf(const QString& name) const;
    QString paneText() const;
    void chooseFile(const QString& name);
    QList<Box> import(const QString& name, const QString& delimiterOption);
    QList<Box> importFrom(
        const QString& folder, const QString& name, const QString& delimiterOption);
    // Imports the file at `path` with the delimiter its name ends in.
    QList<Box> importPath(const QString& path);
    void importPreviousData();
    void checkPreviousDataKept();
    // Opens the dialog of `menuEntry` and runs `use` on it; closes it if `use` left it open.
    void withDialog(
        const char* menuEntry, const char* className, const std::function<void(QWidget*)>& use);
    QList<Box> runDescriptives(int column);
    QList<Box> runBootstrap(
        int dependent, int grouping, const QString& group1, const QString& group2);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    QString m_previousPane;
};

void Tst_badInputs::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_badInputs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    gui::showMainWindow(m_window);
}

void Tst_badInputs::cleanup()
{
    gui::closeMainWindow(m_window);
    m_dir.reset();
}

QString Tst_badInputs::pathOf(const QString& name) const
{
    return QDir::toNativeSeparators(m_dir->filePath(name));
}

QString Tst_badInputs::paneText() const
{
    return child<OutputPane>("txtOutput")->plainText();
}

// Shows the test folder in the folder list and clicks the file in the file list.
void Tst_badInputs::chooseFile(const QString& name)
{
    gui::chooseDataFile(m_window.get(), m_dir->path(), name);
}

// Chooses the file of the test folder and the delimiter option (none if
// empty) and clicks the import button.
QList<Box> Tst_badInputs::import(const QString& name, const QString& delimiterOption)
{
    return importFrom(m_dir->path(), name, delimiterOption);
}

QList<Box> Tst_badInputs::importFrom(
    const QString& folder, const QString& name, const QString& delimiterOption)
{
    return answeringBoxes(
        [&] { gui::importDataFile(m_window.get(), folder, name, delimiterOption); });
}

QList<Box> Tst_badInputs::importPath(const QString& path)
{
    const QFileInfo file(path);
    return importFrom(file.path(), file.fileName(), delimiterOf(path).option);
}

void Tst_badInputs::importPreviousData()
{
    writeFile(m_dir->filePath("previous.txt"), "1\t2\r\n3\t4\r\n");
    QCOMPARE(import(QStringLiteral("previous.txt"), QStringLiteral("optTab")).size(), 0);
    QCOMPARE(m_window->dataSet().rowCount(), 2);
    m_previousPane = paneText();
}

void Tst_badInputs::checkPreviousDataKept()
{
    QCOMPARE(m_window->dataSet().rowCount(), 2);
    QCOMPARE(m_window->dataSet().columnCount(), 2);
    QCOMPARE(rowOf(m_window->dataSet(), 2), exactCells({ 3, 4 }));
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QStringLiteral("previous.txt"));
    QCOMPARE(paneText(), m_previousPane);
}

void Tst_badInputs::withDialog(
    const char* menuEntry, const char* className, const std::function<void(QWidget*)>& use)
{
    bool cameUp = false;
    gui::withModal(
        className, [&] { child<QAction>(menuEntry)->trigger(); },
        [&](QWidget* dialog) {
            cameUp = true;
            use(dialog);
        });
    QVERIFY2(cameUp, className);
}

// Checks one column in Descriptives and clicks OK; returns the boxes it showed.
QList<Box> Tst_badInputs::runDescriptives(int column)
{
    QList<Box> boxes;
    withDialog("mnuDescriptives", "frmDescriptives", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstItems", column - 1);
        boxes = answeringBoxes([&] { gui::click(dialog, "cmdOK"); });
    });
    return boxes;
}

// Chooses the variables, types the group texts and clicks OK in the bootstrap dialog.
QList<Box> Tst_badInputs::runBootstrap(
    int dependent, int grouping, const QString& group1, const QString& group2)
{
    QList<Box> boxes;
    withDialog("mnuBootstrap", "frmBootstrap", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstDV", dependent - 1);
        gui::toggleItem(dialog, "lstGV", grouping - 1);
        gui::typeInto(dialog, "txtGroup1", group1);
        gui::typeInto(dialog, "txtGroup2", group2);
        boxes = answeringBoxes([&] { gui::runToEnd(dialog); });
    });
    return boxes;
}

void Tst_badInputs::badDataFiles_data()
{
    QTest::addColumn<QString>("path"); // its name ends in its delimiter
    QTest::addColumn<QString>("message"); // empty: the file imports
    QTest::addColumn<QList<float>>("firstRow"); // of the imported data

    const QString invalid
        = QStringLiteral("Row %1 of Column %2 has an invalid entry for analysis.");
    const auto named = [](const char* name, const char* file, const QString& message,
                           const QList<float>& firstRow = {}) {
        QTest::newRow(name) << importFile(file) << message << firstRow;
    };
    // Each message of the import itself is checked with the import's own
    // tests; here the window shows one and keeps what it had.
    named("empty file: 0 cases and 0 variables", "empty.tab.txt", QString());
    named("binary file: the first field is invalid", "binary.tab.txt", invalid.arg(1).arg(1));
    named("1001 fields: the 1000-variables message", "one-thousand-and-one-fields.comma.txt",
        QStringLiteral("Row 2 has more than 1000 variables."));
    named("UTF-8 byte-order mark before the first number is skipped", "byte-order-mark.comma.txt",
        QString(), { 1, 2 });
    named("numbers below single precision import as 0, the extremes as themselves",
        "extreme-magnitudes.tab.txt", QString(), { 0, -0.0f, 1e-45f, FLT_MAX, 1e30f, -1e-30f });
}

// Each file is imported after a good one: a failure shows its warning and
// keeps the earlier data set, current file and output as they were.
void Tst_badInputs::badDataFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    QFETCH(QList<float>, firstRow);

    importPreviousData();
    const QList<Box> boxes = importPath(path);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("Data Editor"));
        QCOMPARE(boxes.first().text, message);
        checkPreviousDataKept();
        return;
    }
    QCOMPARE(boxText(boxes), QString());
    QCOMPARE(m_window->dataSet().columnCount(), static_cast<int>(firstRow.size()));
    QCOMPARE(rowOf(m_window->dataSet(), 1), exactCells(firstRow));
    QCOMPARE(child<QLabel>("lblCurrentFile")->text(), QFileInfo(path).fileName());
    QVERIFY(paneText().endsWith("Opened the text file: " + QDir::toNativeSeparators(path)
        + "\nNumber of Cases: " + QString::number(m_window->dataSet().rowCount())
        + "\nNumber of Variables: " + QString::number(m_window->dataSet().columnCount()) + "\n\n\n"));
}

void Tst_badInputs::emptyFileLeavesNothingToNavigate()
{
    QCOMPARE(importPath(importFile("empty.tab.txt")).size(), 0);
    QVERIFY(paneText().endsWith("Number of Cases: 0\nNumber of Variables: 0\n\n\n"));
    withDialog("mnuNavigateDataFile", "frmNavigate", [](QWidget* navigator) {
        QCOMPARE(gui::child<QLabel>(navigator, "lblCell")->text(), QStringLiteral("No data"));
        QVERIFY(!gui::child<QPushButton>(navigator, "cmdRight")->isEnabled());
    });
    // Descriptives has no variable to offer.
    QCOMPARE(boxText(answeringBoxes([this] {
        withDialog("mnuDescriptives", "frmDescriptives", [](QWidget* dialog) {
            QCOMPARE(gui::child<QListWidget>(dialog, "lstItems")->count(), 0);
            gui::click(dialog, "cmdOK");
        });
    })),
        QStringLiteral("At least one item must be selected."));
}

void Tst_badInputs::singleLineOf100MegabytesNeedsBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("delimiterOption");
    QTest::addColumn<QString>("message");
    QTest::newRow("numbers between tabs: the 1000-variables message") << QByteArray(
        "12.5\t") << "optTab" << QStringLiteral("Row 1 has more than 1000 variables.");
    QTest::newRow("one number of 100 million digits imports") << QByteArray("0") << "" << QString();
}

// The line is held whole while it is read, but nothing is kept per field
// beyond the first 1000: the peak memory stays within a few times the line.
void Tst_badInputs::singleLineOf100MegabytesNeedsBoundedMemory()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, delimiterOption);
    QFETCH(QString, message);

    constexpr qint64 LINE_BYTES = 100'000'000;
    {
        QFile file(m_dir->filePath("long.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block = field.repeated(1'000'000 / field.size());
        for (qint64 written = 0; written < LINE_BYTES; written += block.size())
            QCOMPARE(file.write(block), block.size());
        file.write("1.5\n");
    }
    const qint64 before = statusKilobytes("VmRSS:");
    QVERIFY(resetPeakMemory());
    const QList<Box> boxes = import(QStringLiteral("long.txt"), delimiterOption);
    const qint64 growth = (statusKilobytes("VmHWM:") - before) * 1024;
    QFile::remove(m_dir->filePath("long.txt"));

    QCOMPARE(boxText(boxes), message);
    if (message.isEmpty()) {
        QCOMPARE(m_window->dataSet().rowCount(), 1);
        QCOMPARE(rowOf(m_window->dataSet(), 1), exactCells({ 1.5f }));
    }
    QVERIFY2(growth < 3 * LINE_BYTES,
        qPrintable(QStringLiteral("peak grew by %1 MB").arg(growth >> 20)));
}

void Tst_badInputs::fileChangedAfterChoosing_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("replaced by a folder") << "folder";
    QTest::newRow("replaced by a link to a missing file") << "dangling link";
#ifdef Q_OS_UNIX
    // Neither has an end: the import must not wait for a writer or read forever.
    QTest::newRow("replaced by a named pipe") << "pipe";
    QTest::newRow("replaced by a link to an endless device") << "device";
#endif
}

// The file is chosen in the list, then changes before the import button is
// clicked: "The file could not be read: " and its path, previous data kept.
void Tst_badInputs::fileChangedAfterChoosing()
{
    QFETCH(QString, change);
    importPreviousData();
    const QString path = m_dir->filePath("data.txt");
    writeFile(path, "5\t6\n");
    chooseFile(QStringLiteral("data.txt"));
    QVERIFY(QFile::remove(path));
    if (change == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else if (change == QLatin1String("dangling link"))
        QVERIFY(QFile::link(m_dir->filePath("gone.txt"), path));
    else if (change == QLatin1String("device"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
#ifdef Q_OS_UNIX
    else if (change == QLatin1String("pipe"))
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
#endif

    const QList<Box> boxes
        = answeringBoxes([this] { child<QPushButton>("cmdImportData")->click(); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Data Editor"));
    QCOMPARE(boxes.first().text, "The file could not be read: " + pathOf("data.txt"));
    checkPreviousDataKept();
}

void Tst_badInputs::foldersNamedLikeFilesAreNotListed()
{
    QVERIFY(QDir(m_dir->path()).mkdir("folder.txt"));
    writeFile(m_dir->filePath("file.txt"), "1\n");
    QVERIFY(child<DirListBox>("dirDirectory")->setPath(m_dir->path()));
    auto* files = child<FileListBox>("filFile");
    QTRY_COMPARE(files->count(), 1);
    QCOMPARE(files->item(0)->text(), QStringLiteral("file.txt"));

    withDialog("mnuOpenOutput", "frmOpenOutput", [this](QWidget* dialog) {
        dialog->findChild<DirListBox*>(QStringLiteral("dirDirectory"))->setPath(m_dir->path());
        auto* outputFiles = dialog->findChild<FileListBox*>(QStringLiteral("filFile"));
        QTRY_COMPARE(outputFiles->count(), 1);
        QCOMPARE(outputFiles->item(0)->text(), QStringLiteral("file.txt"));
    });
}

// Another program appends lines while the import runs: the import reads the
// file once, so its cases are whole lines, counted and filled alike, from
// the file as it was at some moment.
void Tst_badInputs::fileGrowingDuringImportGivesWholeLines()
{
#ifndef Q_OS_UNIX
    QSKIP("appends through POSIX calls");
#else
    // Lines of 16 bytes never straddle a page, so each append shows up whole.
    const auto line = [](int n) { return QByteArray::number(n).rightJustified(7, '0'); };
    const auto lineText = [&](int n) { return line(n) + '\t' + line(n) + '\n'; };
    constexpr int FIRST_LINES = 200'000;
    QByteArray start;
    for (int n = 1; n <= FIRST_LINES; ++n)
        start += lineText(n);
    const QString path = m_dir->filePath("growing.txt");
    writeFile(path, start);

    std::atomic<int> written = FIRST_LINES;
    // Stopped and joined on every way out of the test.
    std::jthread appender([&](std::stop_token stopping) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
        for (int n = FIRST_LINES + 1; fd >= 0 && !stopping.stop_requested() && n < 9'999'999; ++n) {
            const QByteArray text = lineText(n);
            if (::write(fd, text.constData(), text.size()) != text.size())
                break;
            written = n;
        }
        if (fd >= 0)
            ::close(fd);
    });
    QTRY_VERIFY(written > FIRST_LINES + 1000); // appending is under way
    const QList<Box> boxes = import(QStringLiteral("growing.txt"), QStringLiteral("optTab"));
    appender.request_stop();
    appender.join();

    QCOMPARE(boxText(boxes), QString());
    QVERIFY(m_window->dataSet().rowCount() >= FIRST_LINES);
    QVERIFY(m_window->dataSet().rowCount() <= written);
    QCOMPARE(m_window->dataSet().columnCount(), 2);
    for (int r = 1; r <= m_window->dataSet().rowCount(); ++r) {
        if (m_window->dataSet()(r, 1) != float(r) || m_window->dataSet()(r, 2) != float(r))
            QFAIL(qPrintable(QStringLiteral("row %1 holds %2 and %3")
                                 .arg(r)
                                 .arg(m_window->dataSet()(r, 1))
                                 .arg(m_window->dataSet()(r, 2))));
    }
    QVERIFY(paneText().endsWith("Number of Cases: " + QString::number(m_window->dataSet().rowCount())
        + "\nNumber of Variables: 2\n\n\n"));
#endif
}

void Tst_badInputs::importUnderAMemoryLimit_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QByteArray>("line"); // the file is this line again and again
    QTest::addColumn<int>("megabytes");
    QTest::addColumn<bool>("fits");
    for (const char* limit : { "address space", "cgroup" }) {
        QTest::addRow("%s: 128 MB of empty lines need 512 MB, refused", limit)
            << limit << QByteArray("\n") << 128 << false;
        QTest::addRow("%s: 32 MB of number pairs need 96 MB, imported", limit)
            << limit << QByteArray("1\t2\n") << 32 << true;
    }
}

// With 384 MB left under a real limit, a file whose data set would not fit
// is refused before the data set is built, the previous data kept, instead
// of the program running out of memory; one that fits imports.
void Tst_badInputs::importUnderAMemoryLimit()
{
#ifndef Q_OS_LINUX
    QSKIP("limits memory through Linux resource limits and cgroups");
#else
    QFETCH(QString, limit);
    QFETCH(QByteArray, line);
    QFETCH(int, megabytes);
    QFETCH(bool, fits);
    constexpr qint64 LEFT_BYTES = qint64 { 384 } << 20;
    importPreviousData();
    {
        QFile file(m_dir->filePath("limited.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block = line.repeated((1 << 20) / line.size());
        for (int written = 0; written < megabytes; ++written)
            QCOMPARE(file.write(block), block.size());
    }
    chooseFile(QStringLiteral("limited.txt"));

    std::optional<AddressSpaceLimit> addressSpace;
    std::optional<MemoryCgroup> cgroup;
    if (limit == QLatin1String("cgroup")) {
        cgroup.emplace(LEFT_BYTES);
        if (!cgroup->problem().isEmpty())
            QSKIP(qPrintable(cgroup->problem()));
    } else {
#ifdef TRELLAM_ADDRESS_SANITIZER
        QSKIP("AddressSanitizer maps address space of its own");
#endif
        addressSpace.emplace(LEFT_BYTES);
    }
    const qint64 before = statusKilobytes("VmRSS:");
    QVERIFY(resetPeakMemory());
    const QList<Box> boxes = import(QStringLiteral("limited.txt"), QStringLiteral("optTab"));
    const qint64 growth = (statusKilobytes("VmHWM:") - before) * 1024;
    addressSpace.reset();
    cgroup.reset();

    if (!fits) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("Data Editor"));
        QCOMPARE(boxes.first().text, "The file is too large to import: " + pathOf("limited.txt"));
        checkPreviousDataKept();
        QVERIFY2(growth < (qint64 { 16 } << 20),
            qPrintable(QStringLiteral("peak grew by %1 MB").arg(growth >> 20)));
        return;
    }
    QCOMPARE(boxText(boxes), QString());
    QCOMPARE(m_window->dataSet().rowCount(), megabytes * (1 << 20) / int(line.size()));
    QCOMPARE(m_window->dataSet().columnCount(), 2);
#endif
}

// A freed large block serves the next array of its size in place; under a
// limit on the address space, the blocks kept that way count as room, and
// they give way to an array they cannot hold.
void Tst_badInputs::keptBlocksGiveWayUnderALimit()
{
#ifndef Q_OS_LINUX
    QSKIP("limits memory through Linux resource limits");
#else
#ifdef TRELLAM_ADDRESS_SANITIZER
    QSKIP("AddressSanitizer maps address space of its own");
#endif
    using Floats = std::vector<float, LargeBlockAllocator<float>>;
    constexpr std::size_t MEGABYTE_FLOATS = std::size_t { 1 } << 18;
    // Nearly all that may be kept: whatever earlier arrays left goes.
    const float* first = Floats(124 * MEGABYTE_FLOATS).data();
    QCOMPARE(keptLargeBlockBytes(), std::uint64_t { 124 } << 20);
    Floats again(124 * MEGABYTE_FLOATS);
    QCOMPARE(again.data(), first);
    again = Floats();

    const AddressSpaceLimit limit(qint64 { 8 } << 20);
    QVERIFY(availableMemoryBytes() >= (std::uint64_t { 128 } << 20));
    Floats larger;
    try {
        larger.resize(128 * MEGABYTE_FLOATS);
    } catch (const std::bad_alloc&) {
        QFAIL("the kept blocks stood in the way of a new one");
    }
    larger.back() = 1.0f;
    QCOMPARE(keptLargeBlockBytes(), std::uint64_t { 0 });
#endif
}

void Tst_badInputs::badOutputFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("pane");
    const QChar bad(QChar::ReplacementCharacter);
    QTest::newRow("binary file: lines of its bytes, bad ones replaced") << QByteArray(
        "\211PNG\r\n\032\n\377", 9) << QString(bad) + "PNG\n\032\n" + bad + "\n";
    QTest::newRow("NUL bytes inside a line are kept")
        << QByteArray("a\000b\r\n", 5) << QStringLiteral("a") + QChar(0) + "b\n";
    QTest::newRow("UTF-16 file: its bytes as 8-bit text") << QByteArray("\377\376a\000\r\000\n\000",
        8) << QString(bad) + bad + "a" + QChar(0) + "\n" + QChar(0) + "\n" + QChar(0) + "\n";
    QTest::newRow("UTF-8 byte-order mark is not shown")
        << QByteArray("\357\273\277report\n") << QStringLiteral("report\n");
    QTest::newRow("a second byte-order mark is text")
        << QByteArray("\357\273\277\357\273\277r") << QChar(0xfeff) + QStringLiteral("r\n");
}

// Open Output shows what it could read; the pane holds the text with CR LF line ends.
void Tst_badInputs::badOutputFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, pane);
    writeFile(m_dir->filePath("output.txt"), bytes);
    QList<Box> boxes;
    withDialog("mnuOpenOutput", "frmOpenOutput", [&](QWidget* dialog) {
        dialog->findChild<DirListBox*>(QStringLiteral("dirDirectory"))->setPath(m_dir->path());
        auto* files = dialog->findChild<FileListBox*>(QStringLiteral("filFile"));
        files->refresh();
        const auto items = files->findItems(QStringLiteral("output.txt"), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(
            files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items.first()).center());
        boxes = answeringBoxes(
            [&] { dialog->findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click(); });
    });
    QCOMPARE(boxText(boxes), QString());
    QCOMPARE(paneText(), pane);
}

void Tst_badInputs::groupTexts_data()
{
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("message"); // empty: the report comes

    const QString first = QStringLiteral("The value provided for Group 1 is not valid.");
    const QString second = QStringLiteral("The value provided for Group 2 is not valid.");
    QTest::newRow("blanks around the codes") << " 1 "
                                             << "2  " << QString();
    QTest::newRow("signs and exponents") << "+1"
                                         << "0.2e1" << QString();
    QTest::newRow("letters") << "one"
                             << "2" << first;
    QTest::newRow("empty") << "1"
                           << "" << second;
    QTest::newRow("blanks only") << "   "
                                 << "2" << first;
    QTest::newRow("blank inside") << "1"
                                  << "2 0" << second;
    QTest::newRow("exponent without digits") << "1e"
                                             << "2" << first;
    QTest::newRow("hexadecimal") << "0x1"
                                 << "2" << first;
    QTest::newRow("beyond single precision") << "1"
                                             << "1e39" << second;
    QTest::newRow("not a number") << "nan"
                                  << "2" << first;
}

// Group texts follow the number rule of data fields; a bad one gets its
// message and nothing is appended.
void Tst_badInputs::groupTexts()
{
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, message);
    writeFile(m_dir->filePath("groups.txt"), analysisFile());
    QCOMPARE(import(QStringLiteral("groups.txt"), QStringLiteral("optTab")).size(), 0);
    const QString before = paneText();

    const QList<Box> boxes = runBootstrap(2, 1, group1, group2);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
        QCOMPARE(boxes.first().text, message);
        QCOMPARE(paneText(), before);
        return;
    }
    QCOMPARE(boxText(boxes), QString());
    const QString report = paneText().mid(before.size());
    QCOMPARE(reportRow(report, QStringLiteral("Sample Size")), QStringList({ "5", "5" }));
    QCOMPARE(reportRow(report, QStringLiteral("Mean")), QStringList({ "13.2", "23.4" }));
}

void Tst_badInputs::analysesOfAwkwardColumns_data()
{
    QTest::addColumn<QString>("analysis");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("grouping"); // bootstrap only
    QTest::addColumn<QString>("message");
    // Descriptives: the fields of the column's line; bootstrap: the robust d.
    QTest::addColumn<QStringList>("result");

    const QString tooLarge = QStringLiteral("Var 3 has values too large to summarise.");
    const QString tooFew1
        = QStringLiteral("There is an insufficient number of observations for Group 1.");
    const QStringList none;
    QTest::newRow("Descriptives of values near 1e30: too large")
        << "Descriptives" << 3 << 0 << tooLarge << none;
    QTest::newRow("bootstrap of values near 1e30: too large")
        << "bootstrap" << 3 << 1 << tooLarge << none;
    QTest::newRow("Descriptives of values near 1e-30: mean and SD round to 0")
        << "Descriptives" << 4 << 0 << QString()
        << QStringList { "4", "0", "0", "1E-29", "2.7E-29", "10" };
    const QString tooSmall = QStringLiteral("Var %1 has values too small to summarise.");
    QTest::newRow("bootstrap of values near 1e-30: too small")
        << "bootstrap" << 4 << 1 << tooSmall.arg(4) << none;
    QTest::newRow("bootstrap of ordinary values")
        << "bootstrap" << 2 << 1 << QString() << QStringList { "4.237" };
    QTest::newRow("bootstrap of the same values times 1e-22: too small")
        << "bootstrap" << 7 << 1 << tooSmall.arg(7) << none;
    QTest::newRow("Descriptives of a column of missing values: dots and N 0")
        << "Descriptives" << 5 << 0 << QString() << QStringList { "5", ".", ".", ".", ".", "0" };
    QTest::newRow("bootstrap grouped by a column of missing values: group 1 is empty")
        << "bootstrap" << 2 << 5 << tooFew1 << none;
    QTest::newRow("Descriptives of one value: no SD")
        << "Descriptives" << 6 << 0 << QString() << QStringList { "6", "10", ".", "10", "10", "1" };
    QTest::newRow("bootstrap of one value: group 1 is too small")
        << "bootstrap" << 6 << 1 << tooFew1 << none;
}

// Either the analysis's message and nothing appended, or a report whose
// numbers are right.
void Tst_badInputs::analysesOfAwkwardColumns()
{
    QFETCH(QString, analysis);
    QFETCH(int, column);
    QFETCH(int, grouping);
    QFETCH(QString, message);
    QFETCH(QStringList, result);
    writeFile(m_dir->filePath("columns.txt"), analysisFile());
    QCOMPARE(import(QStringLiteral("columns.txt"), QStringLiteral("optTab")).size(), 0);
    const QString before = paneText();

    const bool descriptives = analysis == QLatin1String("Descriptives");
    const QList<Box> boxes = descriptives
        ? runDescriptives(column)
        : runBootstrap(column, grouping, QStringLiteral("1"), QStringLiteral("2"));
    if (!message.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
        QCOMPARE(boxes.first().text, message);
        QCOMPARE(paneText(), before);
        return;
    }
    QCOMPARE(boxText(boxes), QString());
    const QString report = paneText().mid(before.size());
    QCOMPARE(reportRow(report,
                 descriptives ? QStringLiteral("Var") : QStringLiteral("Robust Cohen's D =")),
        result);
}

void Tst_badInputs::navigatorShowsExtremeMagnitudes()
{
    QCOMPARE(importPath(importFile("extreme-magnitudes.tab.txt")).size(), 0);
    QStringList cells;
    withDialog("mnuNavigateDataFile", "frmNavigate", [&](QWidget* navigator) {
        for (int c = 1; c <= 6; ++c) {
            cells << gui::child<QLabel>(navigator, "lblCell")->text();
            gui::click(navigator, "cmdRight");
        }
    });
    QCOMPARE(cells, QStringList({ "0", "0", "1.401298E-45", "3.402823E+38", "1E+30", "-1E-30" }));
}

QTEST_MAIN(Tst_badInputs)
#include "tst_badInputs.moc"
