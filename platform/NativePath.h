// File paths as the import opens them, and as they are shown.
#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <string>

class QUrl;

// A path in the form the import opens: the file system's own bytes on Unix,
// where a name need not be valid in the system's encoding, UTF-8 on Windows.
std::string nativePath(const QString& path);
// A native path as it is shown: UTF-8 where it is valid, each byte as Latin-1
// where it is not, with the platform's separators.
QString displayPath(const std::string& native);
// The native path of a dropped local file's URL, made of the URL's own
// bytes; empty when the URL is not a local file.
std::string nativePathOfUrl(const QUrl& url);
// The native absolute path of the first command-line argument that remains
// after QApplication took its own; empty when there is none.
std::string commandLineFile(int argc, char** argv);
// A native path for the standard library's file functions, and back.
std::filesystem::path fileSystemPath(const std::string& native);
std::string fromFileSystemPath(const std::filesystem::path& path);
// The name part and the folder part of a native path.
std::string nativeFileName(const std::string& native);
QString folderOf(const std::string& native);
