// Output files: the output pane's text kept in a plain 8-bit text file.
#pragma once

#include <QString>

#include <optional>

// The file name a typed name is saved under: ".txt" is added unless the name
// already ends in exactly ".txt" (case matters, so "REPORT.TXT" becomes
// "REPORT.TXT.txt"; ".txt" itself stays ".txt").
QString outputFileName(const QString& typedName);

// Output files larger than this are not opened: the pane would need many
// times their size.
inline constexpr qint64 MAX_OUTPUT_FILE_BYTES = qint64 { 64 } * 1024 * 1024;

// Writes `text` (the pane's text, lines ended by LF) with CR LF line ends and
// one more CR LF at its end, in the system's 8-bit encoding. Returns false on
// any failure, including an existing file that may not be written; a failed
// save leaves an existing file as it was. A symbolic link is followed.
//
// The text is written to a new file beside the target, which then takes the
// target's place with its owner, group and permissions. Where that cannot
// be done, the text is written over the file itself: when its folder takes
// no new file, when only the file's owner could give a new file that owner,
// and always for a file with several names (hard links), so that every name
// sees the new text. Writing over the file keeps its old bytes and reserves
// the new size first, and puts the old bytes back on any failure.
bool saveOutputText(const QString& path, const QString& text);

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
std::optional<QString> readOutputText(const QString& path, OutputReadFailure* failure = nullptr);
