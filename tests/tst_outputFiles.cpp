// Saving and opening the output pane through the real dialogs, on real files.
#include "widgets/OutputPane.h"
#include "widgets/OutputFile.h"
#include "forms/frmOpenOutput.h"
#include "forms/frmSaveOutput.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include "GuiDriver.h"

#include <QtTest>

#include <csignal>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
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
#endif

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

    dialogs.saveAs(QStringLiteral("out"));

    QCOMPARE(MessageBox::lastText(), QString());
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
    QTimer::singleShot(0, &save, [&] {
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
    });

    QCOMPARE(save.exec(), result);
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
    const std::optional<QString> text = readOutputText(largest.fileName(), &failure);

    QVERIFY(text);
    // CR LF became LF, and an LF closes the last line.
    QCOMPARE(text->size(), MAX_OUTPUT_FILE_BYTES);
    QCOMPARE(text->at(crAt), QLatin1Char('\n'));
    QCOMPARE(text->at(crAt + 1), QChar(0));
    QVERIFY(text->endsWith(QStringView(u"\0\n")));
}

QTEST_MAIN(Tst_outputFiles)
#include "tst_outputFiles.moc"
