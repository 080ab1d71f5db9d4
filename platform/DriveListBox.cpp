// Drive list: the drives (Windows) or file systems (elsewhere) a user would pick.
#include "platform/DriveListBox.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QSet>

namespace {

constexpr Qt::CaseSensitivity pathCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// Kernel and memory file systems: nothing a user keeps data files on.
bool isPseudoFileSystem(const QString& type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"),
        QStringLiteral("bpf"),
        QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),
        QStringLiteral("configfs"),
        QStringLiteral("debugfs"),
        QStringLiteral("devpts"),
        QStringLiteral("devtmpfs"),
        QStringLiteral("efivarfs"),
        QStringLiteral("fusectl"),
        QStringLiteral("hugetlbfs"),
        QStringLiteral("mqueue"),
        QStringLiteral("nfsd"),
        QStringLiteral("nsfs"),
        QStringLiteral("overlay"),
        QStringLiteral("proc"),
        QStringLiteral("pstore"),
        QStringLiteral("ramfs"),
        QStringLiteral("rootfs"),
        QStringLiteral("rpc_pipefs"),
        QStringLiteral("securityfs"),
        QStringLiteral("selinuxfs"),
        QStringLiteral("squashfs"),
        QStringLiteral("sysfs"),
        QStringLiteral("tmpfs"),
        QStringLiteral("tracefs"),
    };
    return pseudo.contains(type);
}

bool isUnder(const QString& path, const QString& folder)
{
    return path.startsWith(folder + QLatin1Char('/'), pathCase)
        || path.compare(folder, pathCase) == 0;
}

// Folders of the running system, not of the user; removable media under /run/media stay.
bool isSystemFolder(const QString& mountPoint)
{
    for (const char* folder : { "/proc", "/sys", "/dev", "/run" }) {
        if (isUnder(mountPoint, QLatin1String(folder)))
            return !isUnder(mountPoint, QStringLiteral("/run/media"));
    }
    return false;
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo octal escapes.
QString decodeMountPath(const QString& field)
{
    const QByteArray bytes = field.toUtf8();
    QByteArray decoded;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bool isEscape = false;
        if (bytes[i] == '\\' && i + 3 < bytes.size()) {
            const int code = bytes.mid(i + 1, 3).toInt(&isEscape, 8);
            if (isEscape) {
                decoded += char(code);
                i += 3;
            }
        }
        if (!isEscape)
            decoded += bytes[i];
    }
    return QString::fromUtf8(decoded);
}

// Internal form: absolute, clean, with "/" separators.
QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
}

// The root a path falls back to when no listed drive holds it.
QString rootOf(const QString& path)
{
#ifdef Q_OS_WIN
    if (path.size() >= 2 && path[1] == QLatin1Char(':'))
        return path.left(2) + QLatin1Char('/');
    if (path.startsWith(QStringLiteral("//"))) // a network share: //server/share
        return path.section(QLatin1Char('/'), 0, 3);
#else
    Q_UNUSED(path);
#endif
    return QStringLiteral("/");
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent)
    : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    fillDrives();
    setDrive(QDir::currentPath());
    connect(this, &QComboBox::activated, this, [this] { emit driveActivated(drive()); });
}

QString DriveListBox::drive() const
{
    return currentText();
}

void DriveListBox::setDrive(const QString& drive)
{
    if (drive.isEmpty())
        return;
    const QString nativeDrive = QDir::toNativeSeparators(driveOf(drive));
    int index = findText(nativeDrive, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        addItem(QFileIconProvider().icon(QFileIconProvider::Drive), nativeDrive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveListBox::showPopup()
{
    const QString chosen = drive();
    fillDrives();
    setDrive(chosen);
    QComboBox::showPopup();
}

void DriveListBox::fillDrives()
{
    clear();
    const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Drive);
    for (const QString& drive : availableDrives())
        addItem(icon, QDir::toNativeSeparators(drive));
}

QString DriveListBox::driveOf(const QString& path)
{
    return driveOf(path, availableDrives());
}

QString DriveListBox::driveOf(const QString& path, const QStringList& drives)
{
    const QString absolute = cleanAbsolute(path);
    QString best;
    for (const QString& drive : drives) {
        const QString root = QDir::fromNativeSeparators(drive);
        const bool holds = root.endsWith(QLatin1Char('/'))
            ? absolute.startsWith(root, pathCase) || isUnder(absolute, root.chopped(1))
            : isUnder(absolute, root);
        if (holds && root.size() > best.size())
            best = root;
    }
    if (best.isEmpty())
        best = rootOf(absolute);
    return QDir::toNativeSeparators(best);
}

QStringList DriveListBox::availableDrives()
{
    QStringList drives;
#ifdef Q_OS_WIN
    // Every letter, ready or not: choosing one without a medium is refused by the folder list.
    for (const QFileInfo& drive : QDir::drives())
        drives << QDir::toNativeSeparators(drive.absoluteFilePath());
#else
    drives << QStringLiteral("/");
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (!mountInfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return drives;
    QStringList others;
    for (const QString& mountPoint : userMountPoints(QString::fromUtf8(mountInfo.readAll()))) {
        const QFileInfo folder(mountPoint);
        if (mountPoint != drives.first() && folder.isDir() && folder.isReadable()
            && folder.isExecutable())
            others << mountPoint;
    }
    others.sort();
    drives << others;
#endif
    return drives;
}

QStringList DriveListBox::userMountPoints(const QString& mountInfo)
{
    // A line: id parent major:minor root mount-point options [optional fields] - type source ...
    QStringList mountPoints;
    for (const QString& line : mountInfo.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype separator = fields.indexOf(QStringLiteral("-"), 6);
        if (fields.size() < 5 || separator < 0 || separator + 1 >= fields.size())
            continue;
        const QString mountPoint = decodeMountPath(fields[4]);
        if (!isPseudoFileSystem(fields[separator + 1]) && !isSystemFolder(mountPoint)
            && !mountPoints.contains(mountPoint))
            mountPoints << mountPoint;
    }
    return mountPoints;
}
