// Tests of the drive, folder and file lists on real folders, driven offscreen.
#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void createFile(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("1\t2\n");
}

QStringList itemTexts(const QListWidget& list, int from = 0, int to = -1)
{
    QStringList texts;
    for (int row = from; row < (to < 0 ? list.count() : to); ++row)
        texts << list.item(row)->text();
    return texts;
}

void showAndWait(QWidget& widget)
{
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}

} // namespace

class Tst_platform : public QObject {
    Q_OBJECT
private slots:
    void fileListShowsMatchingFilesSorted_data();
    void fileListShowsMatchingFilesSorted();
    void fileListReportsOnlyTheUsersChoice();
    void folderListGoesIntoSubfolderAndBackUp();
    void folderListRefusesWhatIsNotAFolder_data();
    void folderListRefusesWhatIsNotAFolder();
    void driveIsLongestMountPointPrefix_data();
    void driveIsLongestMountPointPrefix();
    void drivesLeaveOutSystemFileSystems();
    void joinPathAddsOneSeparator_data();
    void joinPathAddsOneSeparator();
};

void Tst_platform::fileListShowsMatchingFilesSorted_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("text files sorted by name in any letter case, folders left out")
        << "*.txt" << QStringList { "a.txt", "B.txt", "DATA.TXT" };
    QTest::newRow("data files") << "*.dat" << QStringList { "c.dat" };
    QTest::newRow("every file") << "*"
                                << QStringList { "a.txt", "B.txt", "c.dat", "DATA.TXT",
                                       "notes.txt.bak" };
}

void Tst_platform::fileListShowsMatchingFilesSorted()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    for (const char* name : { "B.txt", "a.txt", "DATA.TXT", "c.dat", "notes.txt.bak" })
        createFile(dir.filePath(name));
    QVERIFY(QDir(dir.path()).mkdir("x.txt"));

    FileListBox list;
    list.setPath(dir.path());
    list.setPattern(pattern);
    QCOMPARE(itemTexts(list), expected);
    QCOMPARE(list.path(), QDir::toNativeSeparators(dir.path()));
}

void Tst_platform::fileListReportsOnlyTheUsersChoice()
{
    QTemporaryDir dir;
    for (const char* name : { "a.txt", "b.txt", "c.txt" })
        createFile(dir.filePath(name));
    FileListBox list;
    QSignalSpy clicked(&list, &FileListBox::fileClicked);
    list.setPath(dir.path());
    list.setPattern("*.txt");
    showAndWait(list);

    // Focus from the keyboard chooses nothing; the first arrow key chooses the first file.
    list.clearFocus();
    list.setFocus(Qt::TabFocusReason);
    QCOMPARE(list.currentItem(), nullptr);
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.last().at(0).toString(), "a.txt");
    clicked.clear();

    QTest::mouseClick(
        list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(1)).center());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.last().at(0).toString(), "b.txt");

    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(clicked.at(1).at(0).toString(), "c.txt");
    QCOMPARE(clicked.at(2).at(0).toString(), "b.txt");

    // Filling the list again keeps the choice and reports nothing.
    createFile(dir.filePath("a2.txt"));
    list.refresh();
    list.setPattern("*.TXT");
    list.setPath(dir.path());
    QCOMPARE(itemTexts(list), (QStringList { "a.txt", "a2.txt", "b.txt", "c.txt" }));
    QCOMPARE(list.currentItem()->text(), "b.txt");
    QCOMPARE(clicked.count(), 3);
}

void Tst_platform::folderListGoesIntoSubfolderAndBackUp()
{
    QTemporaryDir dir;
    const QString top = QDir::cleanPath(dir.path());
    for (const char* name : { "beta", "Alpha", ".hidden" })
        QVERIFY(QDir(top).mkdir(name));
    createFile(dir.filePath("gamma.txt"));

    DirListBox list;
    QSignalSpy changed(&list, &DirListBox::pathChanged);
    QVERIFY(list.setPath(top));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), QDir::toNativeSeparators(top));
    // The open chain ends at the current folder; its subfolders follow.
    const int current = list.currentRow();
    QCOMPARE(list.currentItem()->text(), QFileInfo(top).fileName());
    QCOMPARE(itemTexts(list, current + 1), (QStringList { "Alpha", "beta" }));
    showAndWait(list);

    const QListWidgetItem* beta = list.item(current + 2);
    // A double click arrives as a click followed by a double-click event.
    const QPoint betaCentre = list.visualItemRect(beta).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, betaCentre);
    QCOMPARE(changed.count(), 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, betaCentre);
    const QString betaPath = QDir::toNativeSeparators(top + "/beta");
    QCOMPARE(list.path(), betaPath);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().at(0).toString(), betaPath);
    QCOMPARE(list.currentItem()->text(), "beta");
    QCOMPARE(list.count(), current + 2); // same chain plus "beta", which has no subfolders

    list.setCurrentRow(list.currentRow() - 1);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.path(), QDir::toNativeSeparators(top));
    QCOMPARE(changed.count(), 3);
}

void Tst_platform::folderListRefusesWhatIsNotAFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("regular file") << "file.txt";
    QTest::newRow("path under a regular file") << "file.txt/sub";
}

void Tst_platform::folderListRefusesWhatIsNotAFolder()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    createFile(dir.filePath("file.txt"));
    DirListBox list;
    QVERIFY(list.setPath(dir.path()));
    const int rows = list.count();
    QSignalSpy changed(&list, &DirListBox::pathChanged);

    QVERIFY(!list.setPath(dir.filePath(name)));
    QCOMPARE(list.path(), QDir::toNativeSeparators(QDir::cleanPath(dir.path())));
    QCOMPARE(list.count(), rows);
    QCOMPARE(changed.count(), 0);
}

void Tst_platform::driveIsLongestMountPointPrefix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder on the root file system") << "/usr/share"
                                                    << "/";
    QTest::newRow("folder on a mounted file system") << "/home/ann/data"
                                                     << "/home";
    QTest::newRow("the mount point itself") << "/home"
                                            << "/home";
    QTest::newRow("trailing separator") << "/home/"
                                        << "/home";
    QTest::newRow("longer name beside a mount point") << "/homework/ann"
                                                      << "/";
    QTest::newRow("deepest mount point wins") << "/media/usb/stick/data"
                                              << "/media/usb/stick";
    QTest::newRow("mount point inside another") << "/media/usbx"
                                                << "/media";
}

void Tst_platform::driveIsLongestMountPointPrefix()
{
#ifdef Q_OS_WIN
    QSKIP("Mount points are a Unix matter");
#endif
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QStringList drives { "/", "/home", "/media", "/media/usb/stick" };
    QCOMPARE(DriveListBox::driveOf(path, drives), expected);
}

void Tst_platform::drivesLeaveOutSystemFileSystems()
{
    const QString mountInfo
        = QStringLiteral("22 27 0:21 / /proc rw,relatime - proc proc rw\n"
                         "23 27 0:22 / /sys rw,relatime shared:7 - sysfs sysfs rw\n"
                         "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                         "30 27 254:1 / /home rw,relatime shared:2 master:1 - ext4 /dev/vdb rw\n"
                         "31 27 0:25 / /tmp rw - tmpfs tmpfs rw\n"
                         "32 27 8:17 / /media/ann/USB\\040STICK rw,nosuid - vfat /dev/sdb1 rw\n"
                         "33 27 0:40 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                         "34 27 8:33 / /run/media/ann/disk rw - ext4 /dev/sdc1 rw\n"
                         "35 27 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                         "36 27 0:41 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
                         "37 27 254:1 / /home rw,relatime - ext4 /dev/vdb rw\n"
                         "38 24 0:42 / /dev/shm rw - tmpfs tmpfs rw\n");
    QCOMPARE(DriveListBox::userMountPoints(mountInfo),
        (QStringList { "/", "/home", "/media/ann/USB STICK", "/run/media/ann/disk" }));
    QCOMPARE(DriveListBox::availableDrives().first(), QDir::toNativeSeparators(QDir::rootPath()));
}

void Tst_platform::joinPathAddsOneSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder without separator") << "/data"
                                              << "/data/a.txt";
    QTest::newRow("folder ending with a separator") << "/data/"
                                                    << "/data/a.txt";
    QTest::newRow("root folder") << "/"
                                 << "/a.txt";
}

void Tst_platform::joinPathAddsOneSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(joinPath(folder, "a.txt"), QDir::toNativeSeparators(expected));
}

QTEST_MAIN(Tst_platform)
#include "tst_platform.moc"
