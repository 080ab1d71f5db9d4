// File paths as the import opens them, and as they are shown.
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <filesystem>

std::filesystem::path fileSystemPath(const std::string& native)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(std::u8string(native.begin(), native.end()));
#else
    return std::filesystem::path(native);
#endif
}

std::string fromFileSystemPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.native();
#endif
}

std::string nativePath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
#ifdef Q_OS_WIN
    return native.toStdString();
#else
    return QFile::encodeName(native).toStdString();
#endif
}

QString displayPath(const std::string& native)
{
    const QByteArray bytes = QByteArray::fromStdString(native);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    return QDir::toNativeSeparators(utf8.hasError() ? QString::fromLatin1(bytes) : decoded);
}

std::string nativePathOfUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
#ifdef Q_OS_WIN
    return nativePath(url.toLocalFile());
#else
    // The URL's percent-encoded bytes are the file system's own, whatever
    // their encoding; toLocalFile() would lose those that are not UTF-8.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}

std::string commandLineFile(int argc, char** argv)
{
    if (argc < 2)
        return {};
#ifdef Q_OS_WIN
    // Windows hands the program its arguments in UTF-16; argv is narrowed.
    Q_UNUSED(argv);
    const QStringList arguments = QCoreApplication::arguments();
    const std::string given = arguments.size() > 1 ? nativePath(arguments.at(1)) : std::string();
#else
    const std::string given = argv[1];
#endif
    std::error_code unknown;
    const std::filesystem::path absolute
        = std::filesystem::absolute(fileSystemPath(given), unknown);
    return unknown ? given : fromFileSystemPath(absolute.lexically_normal());
}

std::string nativeFileName(const std::string& native)
{
    return fromFileSystemPath(fileSystemPath(native).filename());
}

QString folderOf(const std::string& native)
{
    const std::string folder = fromFileSystemPath(fileSystemPath(native).parent_path());
#ifdef Q_OS_WIN
    return QString::fromStdString(folder);
#else
    return QFile::decodeName(QByteArray::fromStdString(folder));
#endif
}
