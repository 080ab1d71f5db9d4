// Drive list: the drives (Windows) or file systems (elsewhere) a user would pick.
#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

class DriveListBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString drive READ drive WRITE setDrive)
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The chosen drive: a mount point's root folder in native form ("/", "/home", "C:\").
    QString drive() const;
    // Shows `drive` (or the drive of a path) as chosen, without emitting driveActivated.
    void setDrive(const QString& drive);

    // The drive a path lies on: its longest mount-point prefix.
    static QString driveOf(const QString& path);
    // The same among the given drives (native or "/" form); whole path components
    // must match, so "/homework" does not lie on "/home".
    static QString driveOf(const QString& path, const QStringList& drives);
    // Drives offered: on Linux "/" and the real, readable file systems
    // (no proc, sysfs, tmpfs, overlay or squashfs mounts); on Windows the drive letters.
    static QStringList availableDrives();
    // The mount points of a /proc/self/mountinfo text that a user would browse,
    // in file order, without duplicates; readability is not checked here.
    static QStringList userMountPoints(const QString& mountInfo);

signals:
    // The user chose a drive.
    void driveActivated(const QString& drive);

protected:
    // Reads the drives again before the list opens, so a newly mounted one shows.
    void showPopup() override;

private:
    void fillDrives();
};
