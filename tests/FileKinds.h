// What a name to save under may be on a user's machine: files, named pipes,
// device nodes, folders and symbolic links to each, or to nothing.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace filekinds {

// What a name to save under is made before the save.
enum class Kind {
    File,
    Pipe,
    Device,
    Folder,
    LinkToFile,
    LinkToPipe,
    LinkToDevice,
    LinkToFolder,
    DanglingLink,
};

// The null device: made in `folder` for root, who could otherwise replace the
// system's own by mistake, the system's for a normal user, who cannot.
inline QByteArray nullDevice(const QByteArray& folder)
{
    if (::geteuid() != 0)
        return "/dev/null";
    const QByteArray node = folder + "/null-device";
    struct stat made { };
    if (::lstat(node.constData(), &made) != 0)
        ::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3));
    return node;
}

// Puts an entry of `kind` at `path`; what a link leads to is made beside it
// under a name of its own ("target..."), except the one that is never made.
// False when the entry cannot be made (a device node needs root).
inline bool make(const QString& path, Kind kind)
{
    const QByteArray native = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const auto writeFile = [](const QByteArray& at) {
        const int fd = ::open(at.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = fd >= 0 && ::write(fd, "old\n", 4) == 4;
        if (fd >= 0)
            ::close(fd);
        return written;
    };
    const auto linkTo = [&native](const QByteArray& target) {
        return ::symlink(target.constData(), native.constData()) == 0;
    };
    switch (kind) {
    case Kind::File:
        return writeFile(native);
    case Kind::Pipe:
        return ::mkfifo(native.constData(), 0644) == 0;
    case Kind::Device:
        return ::geteuid() == 0 && ::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    case Kind::Folder:
        return ::mkdir(native.constData(), 0755) == 0;
    case Kind::LinkToFile:
        return writeFile(folder + "/target file") && linkTo(folder + "/target file");
    case Kind::LinkToPipe:
        return ::mkfifo((folder + "/target pipe").constData(), 0644) == 0
            && linkTo(folder + "/target pipe");
    case Kind::LinkToDevice:
        return linkTo(nullDevice(folder));
    case Kind::LinkToFolder:
        return ::mkdir((folder + "/target folder").constData(), 0755) == 0
            && linkTo(folder + "/target folder");
    case Kind::DanglingLink:
        return linkTo(folder + "/never made");
    }
    return false;
}

// The kind of entry at `path` itself, a link not followed: "file", "link",
// "pipe", "device", "folder", or "nothing".
inline QString entryType(const QByteArray& native)
{
    struct stat entry { };
    if (::lstat(native.constData(), &entry) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(entry.st_mode))
        return QStringLiteral("link");
    if (S_ISFIFO(entry.st_mode))
        return QStringLiteral("pipe");
    if (S_ISCHR(entry.st_mode) || S_ISBLK(entry.st_mode))
        return QStringLiteral("device");
    return S_ISDIR(entry.st_mode) ? QStringLiteral("folder") : QStringLiteral("file");
}

inline QString entryType(const QString& path)
{
    return entryType(QFile::encodeName(path));
}

// The names in `folder` as the file system keeps them, sorted; Qt's own
// listing leaves out a name that is not valid in the system's encoding.
inline QList<QByteArray> nativeEntries(const QString& folder)
{
    QList<QByteArray> names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace filekinds

Q_DECLARE_METATYPE(filekinds::Kind)
