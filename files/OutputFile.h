// Output files: the output pane's text kept in a plain 8-bit text file, and
// the safe writing that every file the program saves goes through.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

// The file name a typed name is saved under: ".txt" is added unless the name
// already ends in exactly ".txt" (case matters, so "REPORT.TXT" becomes
// "REPORT.TXT.txt"; ".txt" itself stays ".txt").
QString outputFileName(const QString& typedName);

// Output files larger than this are not opened: the pane would need many
// times their size.
inline constexpr qint64 MAX_OUTPUT_FILE_BYTES = qint64 { 64 } * 1024 * 1024;

// What a name to be saved under holds now. A symbolic link is judged by
// what it leads to, and a link that leads nowhere is a name of its own.
enum class SaveTarget {
    Missing, // nothing by that name: a new file is made
    File, // a regular file, or a link to one: that file is replaced
    DanglingLink, // a link to nothing: a new file takes the link's place
    NotAFile, // a folder, pipe or device, or a link to one: never written
};
SaveTarget saveTarget(const std::string& nativePath);

// The message for a save that failed or was refused, with the path as shown.
QString notSavedMessage(const QString& shownPath);

// Writes `bytes` as the whole file at `nativePath` (the file system's own
// bytes, UTF-8 on Windows). Returns false on any failure, including a name
// that is not a file (SaveTarget::NotAFile) and an existing file that may not
// be written; a failed save leaves an existing file as it was.
//
// The bytes are written to a new file beside the target, which then takes the
// target's place with its owner, group and permissions. Where that cannot
// be done, the bytes are written over the file itself: when its folder takes
// no new file, when only the file's owner could give a new file that owner,
// and always for a file with several names (hard links), so that every name
// sees the new bytes. Writing over the file keeps its old bytes and reserves
// the new size first, and puts the old bytes back on any failure.
bool writeFileSafely(const std::string& nativePath, const QByteArray& bytes);

// Writes `text` (the pane's text, lines ended by LF) with CR LF line ends and
// one more CR LF at its end, in the system's 8-bit encoding, through
// writeFileSafely.
bool saveOutputText(const std::string& nativePath, const QString& text);

enum class OutputReadFailure {
    Unreadable, // missing, unreadable, or not a regular file
    TooLarge, // larger than MAX_OUTPUT_FILE_BYTES
};

// The whole file as text whose every line, a last one without a line end
// included, ends in LF (CR LF, LF and CR all end a line in the file); an
// empty file gives an empty text. Only a regular file is read, judged on the
// opened file, so that a pipe or device in its place never blocks or streams
// without end. Nothing when the file cannot be read, and then `failure`, if
// given, says why.
std::optional<QString> readOutputText(
    const std::string& nativePath, OutputReadFailure* failure = nullptr);
