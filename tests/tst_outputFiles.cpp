// Saving and opening the output pane through the real dialogs, on real files.
#include "widgets/OutputPane.h"
#include "files/OutputFile.h"
#include "forms/frmOpenOutput.h"
#include "forms/frmSaveOutput.h"
#include "widgets/ExportedReport.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/SaveFileDialog.h"

#include <QDir>
#include <QLocale>
#include <QXmlStreamReader>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextCursor>
#include "GuiDriver.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include "FileKinds.h"
#endif

#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#endif

using gui::writeFile;

using gui::child;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Forgets the last box, so that a test can tell whether another one came.
void forgetLastBox()
{
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::warning(nullptr, QString(), QString());
}

// The pane with both dialogs up, showing `folder`.
struct Dialogs {
    OutputPane pane;
    frmSaveOutput save { &pane };
    frmOpenOutput open { &pane };

    Dialogs(const QString& folder, const QString& paneText)
    {
        pane.replaceText(paneText);
        for (QDialog* dialog : { static_cast<QDialog*>(&save), static_cast<QDialog*>(&open) }) {
            dialog->show();
            showFolder(*dialog, folder);
        }
    }

    static void showFolder(QDialog& dialog, const QString& folder)
    {
        child<DirListBox>(&dialog, "dirDirectory")->setPath(folder);
    }

    void saveAs(const QString& name)
    {
        child<QLineEdit>(&save, "txtSavedFileName")->setText(name);
        child<QPushButton>(&save, "cmdSave")->click();
    }

    // Clicks the file in the dialog's file list.
    static void chooseFile(QDialog& dialog, const QString& name)
    {
        gui::clickItem(child<FileListBox>(&dialog, "filFile"), name);
    }

    void openChosenFile() { child<QPushButton>(&open, "cmdOpen")->click(); }
};

#ifdef Q_OS_UNIX
// Writes to files of this process fail beyond `limitBytes` while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limitBytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = limitBytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
};

// The normal user's cases run as this user and group.
constexpr uid_t NORMAL_USER = 65534;
constexpr gid_t NORMAL_GROUP = 65534;
// Set for the copy of this program that runs a case as the normal user: the
// folder that case works in.
const char* const NORMAL_USER_FOLDER = "TRELLAM_TEST_NORMAL_USER_FOLDER";

// What a case run as the normal user gave.
struct NormalUserRun {
    bool started = false; // false: setpriv or this program could not be run
    int exitCode = -1;
    QString output;
};

// Runs the current case again, as the normal user, in a copy of this program
// started by setpriv with `folder` in NORMAL_USER_FOLDER.
NormalUserRun runAsNormalUser(const QString& folder)
{
    QProcess copy;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(NORMAL_USER_FOLDER), folder);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    copy.setProcessEnvironment(environment);
    copy.setProcessChannelMode(QProcess::MergedChannels);
    const QString testCase = QLatin1String(QTest::currentTestFunction()) + QLatin1Char(':')
        + QLatin1String(QTest::currentDataTag());
    copy.start(QStringLiteral("setpriv"),
        { QStringLiteral("--reuid=%1").arg(NORMAL_USER),
            QStringLiteral("--regid=%1").arg(NORMAL_GROUP), QStringLiteral("--clear-groups"),
            QCoreApplication::applicationFilePath(), testCase });
    NormalUserRun run;
    if (!copy.waitForStarted() || !copy.waitForFinished(120'000))
        return run;
    // setpriv itself ends with 126 or 127 when it cannot start the program.
    run.started = copy.exitStatus() == QProcess::NormalExit && copy.exitCode() != 126
        && copy.exitCode() != 127;
    run.exitCode = copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
    run.output = QString::fromLocal8Bit(copy.readAll());
    return run;
}

// A tmpfs of 256 KiB mounted on `folder` while it lives (root only);
// unmounted on every way out of the test, even with a file on it still open.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder)
        : m_folder(QFile::encodeName(folder))
        , m_mounted(::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=256k,mode=0755") == 0)
    {
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }

    // Fills the disk with the file `name`, so that the next write finds no room.
    bool fill(const QString& name) const
    {
        QFile filler(QDir(QFile::decodeName(m_folder)).filePath(name));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) { }
        return filler.size() > 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted;
};

// Comes to the named pipe at `path` as its writer as soon as a reader opens
// it, and leaves at once: a reader that would wait for a writer gets an
// empty pipe instead of blocking the test for good.
class PipeWriter {
public:
    explicit PipeWriter(const QString& path)
        : m_path(QFile::encodeName(path))
        , m_writer([this] {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        })
    {
    }
    ~PipeWriter()
    {
        // A reader of our own lets a writer still waiting go.
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        m_writer.join();
        if (fd >= 0)
            ::close(fd);
    }
    PipeWriter(const PipeWriter&) = delete;
    PipeWriter& operator=(const PipeWriter&) = delete;

private:
    QByteArray m_path;
    std::thread m_writer;
};

struct stat statOf(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        info = {};
    return info;
}

// Saves 64 KiB over keep.txt in `folder` on a full disk: the save fails with
// its message and the dialog stays.
void saveOverKeepOnAFullDisk(const QString& folder)
{
    Dialogs dialogs(folder, QString(64 * 1024, 'x'));
    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.saveAs(QStringLiteral("keep"));
    QCOMPARE(MessageBox::lastText(),
        "The file could not be saved: "
            + QDir::toNativeSeparators(QDir(folder).filePath("keep.txt")));
    QVERIFY(dialogs.save.isVisible());
}
#endif

// A report table, with characters that an HTML page escapes and some beyond ASCII.
const QString EXPORTED_TEXT = QStringLiteral("TRIMMED MEANS TEST (YUEN)\n"
                                             "---------------------------------------------\n"
                                             "Statistic              Group 1        Group 2\n"
                                             "Sample Size                 14             14\n"
                                             "Trimmed Mean             46.83          37.35\n"
                                             "Dep Var = Var 1 (Gr\u00f6\u00dfe <cm> & \"kg\")\n");

// Exports the main window's pane as if `chosen` were typed in the save dialog
// with the file type `filter`.
void exportOutput(frmMain* window, const QString& chosen, const QString& filter = QString())
{
    SaveFileDialog::setNextFileName(chosen, filter);
    window->findChild<QAction*>(QStringLiteral("mnuExportOutput"))->trigger();
}

// The standard output of a reader program, or a note that it failed.
QString readWith(const QString& program, const QStringList& args)
{
    QProcess reader;
    reader.start(program, args);
    const bool read = reader.waitForFinished(60'000) && reader.exitStatus() == QProcess::NormalExit
        && reader.exitCode() == 0;
    return read ? QString::fromUtf8(reader.readAllStandardOutput()) : program + " failed";
}

// The page's declared encoding and the text of its <pre>, as Python's HTML
// parser reads them (a line end right after <pre> belongs to the tag).
const char* const HTML_READER = R"(
import html.parser, sys
class Page(html.parser.HTMLParser):
    charset, pre, text = None, False, ''
    def handle_starttag(self, tag, attrs):
        self.charset, self.pre = dict(attrs).get('charset', self.charset), tag == 'pre'
    def handle_endtag(self, tag):
        self.pre = False
    def handle_data(self, data):
        self.text += data if self.pre else ''
page = Page()
page.feed(open(sys.argv[1], encoding='utf-8').read())
print(page.charset, page.text.removeprefix('\n'), sep='|', end='')
)";

// The paragraphs of an OpenDocument text as lines, read as ODF readers do:
// a run of white space is one space, <text:s/> adds spaces.
QString odtText(const QString& path)
{
    QXmlStreamReader content(readWith("unzip", { "-p", path, "content.xml" }));
    QString lines;
    while (!content.atEnd()) {
        content.readNext();
        if (content.isStartElement() && content.qualifiedName() == QLatin1String("text:s"))
            lines += QString(qMax(1, content.attributes().value("text:c").toInt()), ' ');
        else if (content.isEndElement() && content.qualifiedName() == QLatin1String("text:p"))
            lines += '\n';
        else if (content.isCharacters() && !content.isWhitespace())
            lines += content.text().toString().replace(QRegularExpression("\\s+"), " ");
    }
    return lines;
}

} // namespace

class Tst_outputFiles : public QObject {
    Q_OBJECT
private slots:
    void init();

    void savedFileNameFollowsTheTxtRule_data();
    void savedFileNameFollowsTheTxtRule();
    void saveAndOpenRoundTrip_data();
    void saveAndOpenRoundTrip();
    void openEndsEveryLineInCrLf_data();
    void openEndsEveryLineInCrLf();
    void missingNameOrChoiceWarnsAndHides();
    void failedSaveWarnsAndStaysOpen_data();
    void failedSaveWarnsAndStaysOpen();
    void failedWriteKeepsTheOldFile();
    void saveFollowsLinkAndKeepsPermissions_data();
    void saveFollowsLinkAndKeepsPermissions();
    void failedOpenLeavesPaneAsItWas_data();
    void failedOpenLeavesPaneAsItWas();
    void saveDialogIsAcceptedOnlyWhenSaved_data();
    void saveDialogIsAcceptedOnlyWhenSaved();
    void dialogsKeepFolderAndNameBetweenUses();

    void openOutputReadsOnlyWhatItCanHold_data();
    void openOutputReadsOnlyWhatItCanHold();
    void openOutputTakesUpTo64MiB();
    void replacingAChosenFileAsksFirst();
    void exitSaveAsksBeforeReplacing();
    void exitDoesNotOfferSavedText();
    void failedSaveInPlaceKeepsTheOldFile_data();
    void failedSaveInPlaceKeepsTheOldFile();
    void fileWithSeveralNamesIsWrittenInPlace();
    void replacingAsRootKeepsOwnerGroupAndPermissions();
    void saveRefusesWhatIsNotAFile_data();
    void saveRefusesWhatIsNotAFile();
    void danglingLinkIsAskedAndGivesWayToAFile_data();
    void danglingLinkIsAskedAndGivesWayToAFile();
    void nameNotValidUtf8OpensAndIsReplaced();

    void exportedFilesReadBack_data();
    void exportedFilesReadBack();
    void failedExportKeepsTheOldFile();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void Tst_outputFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    forgetLastBox();
}

void Tst_outputFiles::savedFileNameFollowsTheTxtRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("a name without the extension gets .txt") << "report"
                                                            << "report.txt";
    QTest::newRow("a name ending in .txt is kept") << "report.txt"
                                                   << "report.txt";
    QTest::newRow("upper-case TXT is not the extension") << "REPORT.TXT"
                                                         << "REPORT.TXT.txt";
    QTest::newRow("a name shorter than four characters gets .txt") << "txt"
                                                                   << "txt.txt";
    QTest::newRow("the name .txt itself is kept") << ".txt"
                                                  << ".txt";
    QTest::newRow("blanks are a name") << "  "
                                       << "  .txt";
    QTest::newRow("a non-ASCII name") << "Résumé µ"
                                      << "Résumé µ.txt";
}

void Tst_outputFiles::savedFileNameFollowsTheTxtRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Dialogs dialogs(m_dir->path(), QStringLiteral("report\n"));

    dialogs.saveAs(typed);

    QCOMPARE(MessageBox::lastText(), QString());
    QCOMPARE(entries(m_dir->path()), QStringList { saved });
    QCOMPARE(readFile(path(saved)), QByteArray("report\r\n\r\n"));
    QVERIFY(!dialogs.save.isVisible());
}

void Tst_outputFiles::saveAndOpenRoundTrip_data()
{
    QTest::addColumn<QString>("paneText");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("reopened");
    QTest::newRow("an empty pane saves one line end, which opens as one empty line")
        << "" << QByteArray("\r\n") << "\n";
    QTest::newRow("a last line without line end gets one")
        << "a\nb" << QByteArray("a\r\nb\r\n") << "a\nb\n";
    QTest::newRow("a text ending in a line end comes back with one more empty line")
        << "a\n\nb\n"
        << QByteArray("a\r\n\r\nb\r\n\r\n") << "a\n\nb\n\n";
    QTest::newRow("non-ASCII text, a non-breaking space too, is written as UTF-8")
        << "µ =\u00a02,5 €"
        << QByteArray("\xc2\xb5 =\xc2\xa0"
                      "2,5 \xe2\x82\xac\r\n")
        << "µ =\u00a02,5 €\n";
}

void Tst_outputFiles::saveAndOpenRoundTrip()
{
    QFETCH(QString, paneText);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, reopened);
    Dialogs dialogs(m_dir->path(), paneText);
    dialogs.saveAs(QStringLiteral("round trip"));
    QCOMPARE(readFile(path("round trip.txt")), fileBytes);
    // The saved file shows in the list at once.
    QCOMPARE(child<FileListBox>(&dialogs.save, "filFile")->count(), 1);

    dialogs.pane.replaceText(QStringLiteral("other text\n"));
    dialogs.open.hide(); // opened again after the save: the new file is listed
    dialogs.open.show();
    dialogs.chooseFile(dialogs.open, QStringLiteral("round trip.txt"));
    QCOMPARE(child<QLabel>(&dialogs.open, "lblSelectedFile")->text(),
             QStringLiteral("round trip.txt"));
    dialogs.openChosenFile();

    QCOMPARE(MessageBox::lastText(), QString());
    QCOMPARE(dialogs.pane.plainText(), reopened);
    QVERIFY(!dialogs.open.isVisible());
}

void Tst_outputFiles::openEndsEveryLineInCrLf_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("paneText");
    QTest::newRow("an empty file gives an empty pane") << QByteArray() << "";
    QTest::newRow("a last line without line end") << QByteArray("a\r\nb") << "a\nb\n";
    QTest::newRow("LF-only lines") << QByteArray("a\n\nb\n") << "a\n\nb\n";
    QTest::newRow("CR-only lines") << QByteArray("a\rb") << "a\nb\n";
    QTest::newRow("UTF-8 text") << QByteArray("\xc2\xb5 \xe2\x82\xac\n") << "µ €\n";
}

void Tst_outputFiles::openEndsEveryLineInCrLf()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, paneText);
    writeFile(path("in.txt"), fileBytes);
    Dialogs dialogs(m_dir->path(), QStringLiteral("replaced, not appended to\n"));

    dialogs.chooseFile(dialogs.open, QStringLiteral("in.txt"));
    QCOMPARE(child<QLabel>(&dialogs.open, "lblSelectedFile")->text(), QStringLiteral("in.txt"));
    dialogs.openChosenFile();

    QCOMPARE(MessageBox::lastText(), QString());
    QCOMPARE(dialogs.pane.plainText(), paneText);
}

void Tst_outputFiles::missingNameOrChoiceWarnsAndHides()
{
    writeFile(path("present.txt"), "x\r\n");
    Dialogs dialogs(m_dir->path(), QStringLiteral("kept\n"));

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.saveAs(QString());
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Save Output"));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("A file name has not been provided."));
    QVERIFY(!dialogs.save.isVisible());
    QCOMPARE(entries(m_dir->path()), QStringList { "present.txt" });

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.openChosenFile();
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Open Output"));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("A file has not been selected."));
    QVERIFY(!dialogs.open.isVisible());
    QCOMPARE(dialogs.pane.plainText(), QStringLiteral("kept\n"));
}

void Tst_outputFiles::failedSaveWarnsAndStaysOpen_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pathTried"); // in the folder shown
    QTest::newRow("a folder under a regular file") << "plain.txt/out"
                                                   << "plain.txt/out.txt";
    QTest::newRow("a folder that was removed after it was shown") << "out"
                                                                  << "shown/out.txt";
    QTest::newRow("a name longer than the file system allows")
        << QString(300, 'n') << QString(300, 'n') + ".txt";
    QTest::newRow("the name of a folder") << "taken"
                                          << "taken.txt";
}

void Tst_outputFiles::failedSaveWarnsAndStaysOpen()
{
    QFETCH(QString, typed);
    QFETCH(QString, pathTried);
    writeFile(path("plain.txt"), "plain\r\n");
    QVERIFY(QDir(m_dir->path()).mkpath("taken.txt") && QDir(m_dir->path()).mkpath("shown"));
    Dialogs dialogs(m_dir->path(), QStringLiteral("report\n"));
    if (pathTried.startsWith("shown/")) {
        Dialogs::showFolder(dialogs.save, path("shown"));
        QVERIFY(QDir(path("shown")).removeRecursively());
    }
    const QStringList before = entries(m_dir->path());

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.saveAs(typed);

    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Save Output"));
    QCOMPARE(MessageBox::lastText(),
        "The file could not be saved: " + QDir::toNativeSeparators(path(pathTried)));
    QVERIFY(dialogs.save.isVisible());
    QCOMPARE(entries(m_dir->path()), before);
    QCOMPARE(readFile(path("plain.txt")), QByteArray("plain\r\n"));
}

void Tst_outputFiles::failedWriteKeepsTheOldFile()
{
#ifndef Q_OS_UNIX
    QSKIP("fills the disk through a POSIX file-size limit");
#else
    writeFile(path("keep.txt"), "old report\r\n");
    Dialogs dialogs(m_dir->path(), QString(64 * 1024, 'x'));

    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    MessageBox::setNextAnswer(QMessageBox::Ok);
    {
        const FileSizeLimit fullDisk(4096);
        dialogs.saveAs(QStringLiteral("keep"));
    }

    QCOMPARE(MessageBox::lastText(),
        "The file could not be saved: " + QDir::toNativeSeparators(path("keep.txt")));
    QCOMPARE(readFile(path("keep.txt")), QByteArray("old report\r\n"));
    QCOMPARE(entries(m_dir->path()), QStringList { "keep.txt" }); // nothing half-written left
    QVERIFY(dialogs.save.isVisible());
#endif
}

void Tst_outputFiles::saveFollowsLinkAndKeepsPermissions_data()
{
    QTest::addColumn<QString>("file"); // what out.txt is, or links to
    QTest::newRow("an existing file keeps its permissions") << "out.txt";
    QTest::newRow("a link is followed to its file, which keeps its permissions")
        << "elsewhere/real.txt";
}

void Tst_outputFiles::saveFollowsLinkAndKeepsPermissions()
{
    QFETCH(QString, file);
    QVERIFY(QDir(m_dir->path()).mkpath("elsewhere"));
    writeFile(path(file), "old\r\n");
    const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
        | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path(file), permissions));
    const bool throughLink = file != "out.txt";
    if (throughLink)
        QVERIFY(QFile::link(file, path("out.txt")));
    Dialogs dialogs(m_dir->path(), QStringLiteral("new"));

    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    dialogs.saveAs(QStringLiteral("out"));

    // The question was the last box: no failure followed.
    QCOMPARE(MessageBox::lastText(),
        QStringLiteral("out.txt already exists. Do you want to replace it?"));
    QCOMPARE(QFileInfo(path("out.txt")).isSymLink(), throughLink);
    QCOMPARE(readFile(path(file)), QByteArray("new\r\n"));
    QCOMPARE(QFile::permissions(path(file)), permissions);
}

void Tst_outputFiles::failedOpenLeavesPaneAsItWas_data()
{
    QTest::addColumn<QString>("afterChoice");
    QTest::newRow("the file was removed after it was chosen") << "remove";
    QTest::newRow("the chosen name is now a folder") << "folder";
    QTest::newRow("another folder is shown, without that file") << "other folder";
}

void Tst_outputFiles::failedOpenLeavesPaneAsItWas()
{
    QFETCH(QString, afterChoice);
    writeFile(path("chosen.txt"), "file text\r\n");
    QVERIFY(QDir(m_dir->path()).mkpath("other"));
    Dialogs dialogs(m_dir->path(), QStringLiteral("report kept\n"));
    dialogs.pane.moveCursor(QTextCursor::End);
    dialogs.pane.insertPlainText(QStringLiteral("typed"));
    const QString before = dialogs.pane.plainText();
    dialogs.chooseFile(dialogs.open, QStringLiteral("chosen.txt"));
    QString tried = path("chosen.txt");
    if (afterChoice != "other folder")
        QVERIFY(QFile::remove(tried));
    if (afterChoice == "folder")
        QVERIFY(QDir(m_dir->path()).mkpath("chosen.txt"));
    if (afterChoice == "other folder") {
        Dialogs::showFolder(dialogs.open, path("other"));
        tried = path("other/chosen.txt");
    }

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.openChosenFile();

    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Open Output"));
    QCOMPARE(
        MessageBox::lastText(), "The file could not be read: " + QDir::toNativeSeparators(tried));
    QCOMPARE(dialogs.pane.plainText(), before);
    QVERIFY(dialogs.open.isVisible());
}

void Tst_outputFiles::saveDialogIsAcceptedOnlyWhenSaved_data()
{
    // What the user does, step by step, while exec() runs.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("result");
    QTest::newRow("saved") << QStringList { "save" } << int(QDialog::Accepted);
    QTest::newRow("Enter in the name box saves")
        << QStringList { "enter" } << int(QDialog::Accepted);
    QTest::newRow("saved after a failed try")
        << QStringList { "fail", "save" } << int(QDialog::Accepted);
    QTest::newRow("cancelled after a failed try")
        << QStringList { "fail", "cancel" } << int(QDialog::Rejected);
    QTest::newRow("no name given") << QStringList { "no name" } << int(QDialog::Rejected);
    QTest::newRow("Escape") << QStringList { "escape" } << int(QDialog::Rejected);
    QTest::newRow("closed by the close box") << QStringList { "close" } << int(QDialog::Rejected);
}

void Tst_outputFiles::saveDialogIsAcceptedOnlyWhenSaved()
{
    QFETCH(QStringList, steps);
    QFETCH(int, result);
    Dialogs dialogs(m_dir->path(), QStringLiteral("report\n"));
    frmSaveOutput& save = dialogs.save;
    save.hide();
    auto* name = child<QLineEdit>(&save, "txtSavedFileName");
    const auto takeSteps = [&](QWidget*) {
        for (const QString& step : steps) {
            if (step == "fail" || step == "no name")
                MessageBox::setNextAnswer(QMessageBox::Ok);
            if (step == "save" || step == "fail" || step == "no name") {
                dialogs.saveAs(step == "save" ? "out" : step == "fail" ? "missing/out" : "");
            } else if (step == "enter") {
                name->setText(QStringLiteral("out"));
                QTest::keyClick(name, Qt::Key_Return);
            } else if (step == "cancel") {
                child<QPushButton>(&save, "cmdCancel")->click();
            } else if (step == "escape") {
                QTest::keyClick(&save, Qt::Key_Escape);
            } else if (step == "close") {
                save.close();
            }
        }
    };
    int shown = -1;
    QVERIFY(gui::withModal(
        "frmSaveOutput", [&] { shown = save.exec(); }, takeSteps));
    QCOMPARE(shown, result);
    QCOMPARE(QFile::exists(path("out.txt")), result == QDialog::Accepted);
}

void Tst_outputFiles::dialogsKeepFolderAndNameBetweenUses()
{
    QVERIFY(QDir(m_dir->path()).mkpath("sub"));
    writeFile(path("sub/chosen.txt"), "chosen\r\n");
    writeFile(path("sub/other.dat"), "other\r\n");
    Dialogs dialogs(path("sub"), QString());
    QPointer<QDialog> save = &dialogs.save;
    QPointer<QDialog> open = &dialogs.open;
    for (QDialog* dialog : { save.data(), open.data() }) {
        Dialogs::chooseFile(*dialog, QStringLiteral("chosen.txt"));
        dialog->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(save && open); // closing only hides

    for (QDialog* dialog : { save.data(), open.data() }) {
        dialog->show();
        QCOMPARE(child<DirListBox>(dialog, "dirDirectory")->path(),
            QDir::toNativeSeparators(path("sub")));
        QCOMPARE(child<FileListBox>(dialog, "filFile")->count(), 1); // only text files
    }
    QCOMPARE(child<QLineEdit>(save, "txtSavedFileName")->text(), QStringLiteral("chosen.txt"));
    QCOMPARE(child<QLabel>(open, "lblSelectedFile")->text(), QStringLiteral("chosen.txt"));
}

void Tst_outputFiles::openOutputReadsOnlyWhatItCanHold_data()
{
    QTest::addColumn<QString>("chosen"); // what chosen.txt is when Open is clicked
    QTest::addColumn<QString>("message");
    const QString unreadable = QStringLiteral("The file could not be read: ");
#ifdef Q_OS_UNIX
    QTest::newRow("a named pipe put in the chosen file's place") << "pipe" << unreadable;
    QTest::newRow("a link to an endless device") << "device" << unreadable;
#endif
    QTest::newRow("a file one byte over 64 MiB")
        << "large" << QStringLiteral("The file is too large to open: ");
}

// The file is chosen in the list, then changes before Open is clicked: only
// a regular file that fits is read, and otherwise the pane stays as it was.
void Tst_outputFiles::openOutputReadsOnlyWhatItCanHold()
{
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    const QString chosenPath = path("chosen.txt");
    writeFile(chosenPath, "file text\r\n");
    Dialogs dialogs(m_dir->path(), QStringLiteral("report kept\n"));
    Dialogs::chooseFile(dialogs.open, QStringLiteral("chosen.txt"));
    if (chosen == "large") {
        QFile large(chosenPath);
        QVERIFY(large.open(QIODevice::ReadWrite) && large.resize(MAX_OUTPUT_FILE_BYTES + 1));
    } else {
        QVERIFY(QFile::remove(chosenPath));
    }
#ifdef Q_OS_UNIX
    std::optional<PipeWriter> writer;
    if (chosen == "pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(chosenPath).constData(), 0600) == 0);
        writer.emplace(chosenPath);
    }
    if (chosen == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), chosenPath));
#endif

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.openChosenFile();

    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Open Output"));
    QCOMPARE(MessageBox::lastText(), message + QDir::toNativeSeparators(chosenPath));
    QCOMPARE(dialogs.pane.plainText(), QStringLiteral("report kept\n"));
    QVERIFY(dialogs.open.isVisible());
}

// A file of exactly 64 MiB opens: NUL bytes, with a CR LF where one read of
// the file may end and the next begin.
void Tst_outputFiles::openOutputTakesUpTo64MiB()
{
    constexpr qint64 crAt = (qint64 { 1 } << 20) - 1;
    QFile largest(path("largest.txt"));
    QVERIFY(largest.open(QIODevice::WriteOnly) && largest.resize(MAX_OUTPUT_FILE_BYTES));
    QVERIFY(largest.seek(crAt) && largest.write("\r\n") == 2);
    largest.close();

    OutputReadFailure failure = OutputReadFailure::TooLarge;
    const std::optional<QString> text
        = readOutputText(QFile::encodeName(largest.fileName()).toStdString(), &failure);

    QVERIFY(text);
    // CR LF became LF, and an LF closes the last line.
    QCOMPARE(text->size(), MAX_OUTPUT_FILE_BYTES);
    QCOMPARE(text->at(crAt), QLatin1Char('\n'));
    QCOMPARE(text->at(crAt + 1), QChar(0));
    QVERIFY(text->endsWith(QStringView(u"\0\n")));
}

// As a new user would: one click on a data file and Enter take its name and
// save, so replacing it is asked first, No the default, however often.
void Tst_outputFiles::replacingAChosenFileAsksFirst()
{
    const QByteArray data("1\t2\r\n");
    writeFile(path("data.txt"), data);
    Dialogs dialogs(m_dir->path(), QStringLiteral("report\n"));
    dialogs.open.hide();
    dialogs.save.activateWindow();
    auto* files = child<FileListBox>(&dialogs.save, "filFile");
    Dialogs::chooseFile(dialogs.save, QStringLiteral("data.txt"));
    QCOMPARE(
        child<QLineEdit>(&dialogs.save, "txtSavedFileName")->text(), QStringLiteral("data.txt"));

    QStringList asked;
    const bool answered = gui::withModal(
        "QMessageBox", [&] { QTest::keyClick(files, Qt::Key_Return); },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            asked << box->windowTitle() << box->text();
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            gui::press(Qt::Key_Return);
        });
    QVERIFY(answered);
    QCOMPARE(asked,
        QStringList({ "Save Output", "data.txt already exists. Do you want to replace it?" }));
    QCOMPARE(readFile(path("data.txt")), data);
    QVERIFY(dialogs.save.isVisible());

    // The dialog keeps the name: Enter alone asks again.
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::keyClick(files, Qt::Key_Return);
    QCOMPARE(MessageBox::lastText(),
        QStringLiteral("data.txt already exists. Do you want to replace it?"));
    QCOMPARE(readFile(path("data.txt")), data);
    QVERIFY(dialogs.save.isVisible());

    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(files, Qt::Key_Return);
    QCOMPARE(readFile(path("data.txt")), QByteArray("report\r\n\r\n"));
    QVERIFY(!dialogs.save.isVisible());
}

// Leaving the program with Yes to saving shows Save Output, which asks the
// same before replacing; No there keeps the file, and Cancel then keeps the
// program running.
void Tst_outputFiles::exitSaveAsksBeforeReplacing()
{
    writeFile(path("kept.txt"), "kept\r\n");
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    child<OutputPane>(window.get(), "txtOutput")->appendReport(QStringLiteral("report\n"));

    for (const auto answer : { QMessageBox::No, QMessageBox::Yes }) {
        MessageBox::setNextAnswer(QMessageBox::Yes); // leave
        MessageBox::setNextAnswer(QMessageBox::Yes); // save first
        const bool saveShown = gui::withModal(
            "frmSaveOutput", [&] { window->close(); },
            [&](QWidget* save) {
                Dialogs::showFolder(*static_cast<QDialog*>(save), m_dir->path());
                child<QLineEdit>(save, "txtSavedFileName")->setText(QStringLiteral("kept"));
                MessageBox::setNextAnswer(answer);
                child<QPushButton>(save, "cmdSave")->click();
                QCOMPARE(MessageBox::lastText(),
                    QStringLiteral("kept.txt already exists. Do you want to replace it?"));
                QCOMPARE(save->isVisible(), answer == QMessageBox::No);
                if (save->isVisible())
                    child<QPushButton>(save, "cmdCancel")->click();
            });
        QVERIFY(saveShown);
        const bool replaced = answer == QMessageBox::Yes;
        QCOMPARE(readFile(path("kept.txt")),
            replaced ? QByteArray("report\r\n\r\n") : QByteArray("kept\r\n"));
        QCOMPARE(window->isVisible(), !replaced);
    }
    gui::closeMainWindow(window);
}

// What was just saved is not offered for saving again on the way out.
void Tst_outputFiles::exitDoesNotOfferSavedText()
{
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    child<OutputPane>(window.get(), "txtOutput")->appendReport(QStringLiteral("report\n"));
    const bool saveShown = gui::withModal(
        "frmSaveOutput", [&] { child<QAction>(window.get(), "mnuSaveOutput")->trigger(); },
        [&](QWidget* save) {
            Dialogs::showFolder(*static_cast<QDialog*>(save), m_dir->path());
            child<QLineEdit>(save, "txtSavedFileName")->setText(QStringLiteral("saved"));
            child<QPushButton>(save, "cmdSave")->click();
        });
    QVERIFY(saveShown);
    QCOMPARE(readFile(path("saved.txt")), QByteArray("report\r\n\r\n"));
    const QList<gui::Box> boxes = gui::answeringBoxes([&] { QVERIFY(window->close()); },
        [](QMessageBox* box) {
            const bool leaving = box->text() == QLatin1String("Do you want to exit Trellam?");
            box->button(leaving ? QMessageBox::Yes : QMessageBox::Cancel)->click();
        });
    QCOMPARE(boxes.size(), 1);
    gui::closeMainWindow(window);
}

void Tst_outputFiles::failedSaveInPlaceKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("asNormalUser");
    QTest::newRow("as a normal user, in a folder that takes no new file") << true;
    QTest::newRow("a file with two names, as root") << false;
}

// Where no new file can take the old one's place, the text is written over
// the file itself; on a full disk that fails before the file changes.
void Tst_outputFiles::failedSaveInPlaceKeepsTheOldFile()
{
#ifndef Q_OS_UNIX
    QSKIP("mounts a small disk and changes user with POSIX calls");
#else
    QFETCH(bool, asNormalUser);
    const QString normalUserFolder = qEnvironmentVariable(NORMAL_USER_FOLDER);
    if (!normalUserFolder.isEmpty()) { // the normal user's part, started below
        saveOverKeepOnAFullDisk(normalUserFolder);
        return;
    }
    if (::geteuid() != 0)
        QSKIP("mounting a disk needs root");
    // The normal user reaches the disk through the test folder.
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
    const QString folder = path("disk");
    QVERIFY(QDir().mkdir(folder));
    const SmallDisk disk(folder);
    if (!disk.isMounted())
        QSKIP("a tmpfs cannot be mounted here");
    const QString keep = QDir(folder).filePath("keep.txt");
    const QByteArray keepNative = QFile::encodeName(keep);
    writeFile(keep, "old report\r\n");
    if (asNormalUser)
        QVERIFY(::chown(keepNative.constData(), NORMAL_USER, NORMAL_GROUP) == 0);
    else
        QVERIFY(::link(keepNative.constData(),
                    QFile::encodeName(QDir(folder).filePath("other name.txt")).constData())
            == 0);
    QVERIFY(disk.fill(QStringLiteral("filler")));
    const QStringList before = entries(folder);

    if (asNormalUser) {
        const NormalUserRun run = runAsNormalUser(folder);
        if (!run.started)
            QSKIP(qPrintable("the test program cannot run as the normal user: " + run.output));
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    } else {
        saveOverKeepOnAFullDisk(folder);
    }

    QCOMPARE(readFile(keep), QByteArray("old report\r\n"));
    QCOMPARE(entries(folder), before);
#endif
}

// Every name of a file with hard links sees the new text: the file itself is written.
void Tst_outputFiles::fileWithSeveralNamesIsWrittenInPlace()
{
#ifndef Q_OS_UNIX
    QSKIP("makes a hard link with POSIX calls");
#else
    writeFile(path("report.txt"), "old\r\n");
    QVERIFY(::link(QFile::encodeName(path("report.txt")).constData(),
                QFile::encodeName(path("other name.txt")).constData())
        == 0);
    const ino_t file = statOf(path("report.txt")).st_ino;
    Dialogs dialogs(m_dir->path(), QStringLiteral("new"));

    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    dialogs.saveAs(QStringLiteral("report"));

    QVERIFY(!dialogs.save.isVisible());
    for (const char* name : { "report.txt", "other name.txt" }) {
        QCOMPARE(readFile(path(name)), QByteArray("new\r\n"));
        QCOMPARE(statOf(path(name)).st_ino, file);
    }
    QCOMPARE(entries(m_dir->path()), QStringList({ "other name.txt", "report.txt" }));
#endif
}

// Root replacing another user's file gives the new file that user, group
// and permissions, so the user is not locked out of it.
void Tst_outputFiles::replacingAsRootKeepsOwnerGroupAndPermissions()
{
#ifndef Q_OS_UNIX
    QSKIP("file owners are POSIX");
#else
    if (::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    const QByteArray theirs = QFile::encodeName(path("theirs.txt"));
    writeFile(path("theirs.txt"), "old\r\n");
    const mode_t mode = S_ISGID | 0640; // set-group-ID too, which a change of owner clears
    QVERIFY(::chown(theirs.constData(), NORMAL_USER, NORMAL_GROUP) == 0);
    QVERIFY(::chmod(theirs.constData(), mode) == 0);
    Dialogs dialogs(m_dir->path(), QStringLiteral("new"));

    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    dialogs.saveAs(QStringLiteral("theirs"));

    QVERIFY(!dialogs.save.isVisible());
    QCOMPARE(readFile(path("theirs.txt")), QByteArray("new\r\n"));
    const struct stat saved = statOf(path("theirs.txt"));
    QCOMPARE(saved.st_uid, NORMAL_USER);
    QCOMPARE(saved.st_gid, NORMAL_GROUP);
    QCOMPARE(saved.st_mode & 07777, mode);
    QCOMPARE(entries(m_dir->path()), QStringList { "theirs.txt" });
#endif
}

void Tst_outputFiles::saveRefusesWhatIsNotAFile_data()
{
#ifdef Q_OS_UNIX
    using filekinds::Kind;
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("type"); // what out.txt stays
    QTest::newRow("a named pipe") << Kind::Pipe << "pipe";
    QTest::newRow("a device node") << Kind::Device << "device";
    QTest::newRow("a folder") << Kind::Folder << "folder";
    QTest::newRow("a link to a named pipe") << Kind::LinkToPipe << "link";
    QTest::newRow("a link to the null device") << Kind::LinkToDevice << "link";
    QTest::newRow("a link to a folder") << Kind::LinkToFolder << "link";
#endif
}

// Only a regular file is replaced: anything else by the name is refused at
// once, unasked, and stays as it was.
void Tst_outputFiles::saveRefusesWhatIsNotAFile()
{
#ifndef Q_OS_UNIX
    QSKIP("named pipes, device nodes and links are made with POSIX calls");
#else
    QFETCH(filekinds::Kind, kind);
    QFETCH(QString, type);
    if (!filekinds::make(path("out.txt"), kind))
        QSKIP("making a device node needs root");
    const QList<QByteArray> before = filekinds::nativeEntries(m_dir->path());
    Dialogs dialogs(m_dir->path(), QStringLiteral("report\n"));

    MessageBox::setNextAnswer(QMessageBox::Ok);
    dialogs.saveAs(QStringLiteral("out"));

    // A question would have taken the answer and been the last box.
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Save Output"));
    QCOMPARE(MessageBox::lastText(),
        "The file could not be saved: " + QDir::toNativeSeparators(path("out.txt")));
    QVERIFY(dialogs.save.isVisible());
    QCOMPARE(filekinds::entryType(path("out.txt")), type);
    QCOMPARE(filekinds::nativeEntries(m_dir->path()), before);
#endif
}

void Tst_outputFiles::danglingLinkIsAskedAndGivesWayToAFile_data()
{
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("asNormalUser");
    QTest::newRow("No keeps the link") << false << false;
    QTest::newRow("Yes puts a file in the link's place") << true << false;
    QTest::newRow("Yes puts a file in the link's place, as a normal user") << true << true;
}

// A link to nothing is a name that exists: asked like a file, and on Yes the
// link itself gives way to the file; what it pointed to is never made.
void Tst_outputFiles::danglingLinkIsAskedAndGivesWayToAFile()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links are made with POSIX calls");
#else
    QFETCH(bool, replace);
    QFETCH(bool, asNormalUser);
    QString folder = qEnvironmentVariable(NORMAL_USER_FOLDER);
    if (asNormalUser && folder.isEmpty()) {
        if (::geteuid() != 0)
            QSKIP("changing user needs root");
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0);
        const NormalUserRun run = runAsNormalUser(m_dir->path());
        if (!run.started)
            QSKIP(qPrintable("the test program cannot run as the normal user: " + run.output));
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(statOf(path("out.txt")).st_uid, NORMAL_USER);
        return;
    }
    if (folder.isEmpty())
        folder = m_dir->path();
    const QString out = QDir(folder).filePath("out.txt");
    QVERIFY(filekinds::make(out, filekinds::Kind::DanglingLink));
    Dialogs dialogs(folder, QStringLiteral("new"));

    MessageBox::setNextAnswer(replace ? QMessageBox::Yes : QMessageBox::No);
    dialogs.saveAs(QStringLiteral("out"));

    QCOMPARE(MessageBox::lastText(),
        QStringLiteral("out.txt already exists. Do you want to replace it?"));
    QCOMPARE(dialogs.save.isVisible(), !replace);
    QCOMPARE(filekinds::entryType(out), QString(replace ? "file" : "link"));
    if (replace)
        QCOMPARE(readFile(out), QByteArray("new\r\n"));
    QCOMPARE(filekinds::entryType(QDir(folder).filePath("never made")), QString("nothing"));
    QCOMPARE(filekinds::nativeEntries(folder), QList<QByteArray> { "out.txt" });
#endif
}

// A name written on a system of another encoding is listed, opens into the
// pane, and saving onto it replaces that very file.
void Tst_outputFiles::nameNotValidUtf8OpensAndIsReplaced()
{
#ifndef Q_OS_UNIX
    QSKIP("file names are bytes on POSIX systems only");
#else
    const QByteArray name("\xff\xfe.txt");
    const std::string native = (QFile::encodeName(m_dir->path()) + '/' + name).toStdString();
    std::ofstream(native, std::ios::binary) << "saved\r\nearlier\r\n";
    // The test folder's own removal would not see the name.
    const auto removed = qScopeGuard([&native] { ::unlink(native.c_str()); });
    const auto nativeBytes = [&native] {
        std::ifstream in(native, std::ios::binary);
        return QByteArray::fromStdString(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    };
    const QString shown = QString::fromLatin1(name);
    Dialogs dialogs(m_dir->path(), QStringLiteral("pane\n"));

    Dialogs::chooseFile(dialogs.open, shown);
    dialogs.openChosenFile();
    QCOMPARE(MessageBox::lastText(), QString());
    QCOMPARE(dialogs.pane.plainText(), QStringLiteral("saved\nearlier\n"));
    QVERIFY(!dialogs.open.isVisible());

    dialogs.pane.replaceText(QStringLiteral("new report\n"));
    Dialogs::chooseFile(dialogs.save, shown);
    QCOMPARE(child<QLineEdit>(&dialogs.save, "txtSavedFileName")->text(), shown);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    child<QPushButton>(&dialogs.save, "cmdSave")->click();

    QCOMPARE(MessageBox::lastText(), shown + " already exists. Do you want to replace it?");
    QVERIFY(!dialogs.save.isVisible());
    QCOMPARE(filekinds::nativeEntries(m_dir->path()), QList<QByteArray> { name });
    QCOMPARE(nativeBytes(), QByteArray("new report\r\n\r\n"));
#endif
}

void Tst_outputFiles::exportedFilesReadBack_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("saved");
    QTest::newRow("HTML by its type") << "report" << 0 << "report.html";
    QTest::newRow("another extension gets the type's") << "a.rtf" << 0 << "a.rtf.html";
    QTest::newRow("ODT by the extension typed") << "report.odt" << 0 << "report.odt";
    QTest::newRow("PDF by its extension in capitals, A4") << "REPORT.PDF" << 1 << "REPORT.PDF";
    QTest::newRow("PDF on Letter in the US") << "us" << 2 << "us.pdf";
}

// Each format, read by a program made for it, gives the pane's text back.
void Tst_outputFiles::exportedFilesReadBack()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    const bool us = saved == QLatin1String("us.pdf");
    QLocale::setDefault(us ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale::c());
    const auto restoreLocale = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    child<OutputPane>(window.get(), "txtOutput")->appendReport(EXPORTED_TEXT);
    exportOutput(window.get(), path(typed), exportFilters().at(filter));
    gui::closeMainWindow(window);

    QCOMPARE(MessageBox::lastText(), QString());
    QCOMPARE(entries(m_dir->path()), QStringList { saved });
    const QString file = path(saved);
    if (saved.endsWith(".html")) {
        const QString python = QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
        QCOMPARE(readWith(python, { "-c", HTML_READER, file }), "utf-8|" + EXPORTED_TEXT);
    } else if (saved.endsWith(".odt")) {
        QCOMPARE(readWith("unzip", { "-p", file, "mimetype" }),
            QStringLiteral("application/vnd.oasis.opendocument.text"));
        QCOMPARE(odtText(file), EXPORTED_TEXT);
        QVERIFY(readWith("unzip", { "-p", file, "content.xml" }).contains("\"Courier New\""));
    } else {
        // Read on a grid of the 9-point monospace font's width, every word
        // is in its column.
        QStringList lines
            = readWith("pdftotext", { "-fixed", "5.4", "-enc", "UTF-8", file, "-" }).split('\n');
        const qsizetype margin = lines.first().indexOf('T');
        for (QString& line : lines)
            line.remove(0, margin);
        QCOMPARE(lines.mid(0, 7), EXPORTED_TEXT.split('\n'));
        QVERIFY(readWith("pdfinfo", { file }).contains(us ? "(letter)" : "(A4)"));
    }
}

// A failed export warns and leaves the file as it was, as saving does.
void Tst_outputFiles::failedExportKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    writeFile(path("kept.pdf"), "old\n");
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    child<OutputPane>(window.get(), "txtOutput")->appendReport(EXPORTED_TEXT);
    MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
    MessageBox::setNextAnswer(QMessageBox::Ok);
    {
        const FileSizeLimit fullDisk(512);
        exportOutput(window.get(), path("kept.pdf"));
    }
    gui::closeMainWindow(window);
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Export Output"));
    QCOMPARE(MessageBox::lastText(),
        "The file could not be saved: " + QDir::toNativeSeparators(path("kept.pdf")));
    QCOMPARE(readFile(path("kept.pdf")), QByteArray("old\n"));
    QCOMPARE(entries(m_dir->path()), QStringList { "kept.pdf" });
#endif
}

QTEST_MAIN(Tst_outputFiles)
#include "tst_outputFiles.moc"
