// Fuzz target: reading an output file back, and saving what was read.
//
// Input: the bytes of the file.
#include "files/OutputFile.h"
#include "FuzzCheck.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace {

// Lines of the bytes: CR LF, LF and CR end a line; a last line without a line
// end is a line.
qsizetype lineCount(const QByteArray& bytes)
{
    qsizetype lines = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        ++lines;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    const bool unfinished = !bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r');
    return lines + (unfinished ? 1 : 0);
}

// The bytes with every line ended by `lineEnd`.
QByteArray withLineEnds(const QByteArray& bytes, const char* lineEnd)
{
    QByteArray lines;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r') {
            lines += bytes[i];
            continue;
        }
        lines += lineEnd;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        lines += lineEnd;
    return lines;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isUtf8(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        int more = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            more = 1, code = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2, code = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3, code = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + more >= bytes.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// Every line ends in LF: no CR at all, and the text ends with an LF.
bool endsEveryLineInLf(const QString& text)
{
    return !text.contains(u'\r') && (text.isEmpty() || text.endsWith(u'\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid());
    const QString opened = folder.filePath(QStringLiteral("opened.txt"));
    const QString saved = folder.filePath(QStringLiteral("saved.txt"));

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    writeFile(opened, bytes);
    const std::optional<QString> text = readOutputText(QFile::encodeName(opened).toStdString());
    FUZZ_CHECK(text.has_value());
    FUZZ_CHECK(endsEveryLineInLf(*text));
    // A UTF-8 byte-order mark at the start is no text of its own.
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray content = marked ? bytes.sliced(3) : bytes;
    FUZZ_CHECK(text->count(u'\n') == lineCount(content),
        std::to_string(text->count(u'\n')) + " lines, file has "
            + std::to_string(lineCount(content)));
    if (isUtf8(content))
        FUZZ_CHECK(text->toUtf8() == withLineEnds(content, "\n"), "text differs from the file");

    // Saved again, the text comes back with one more line end; valid text
    // keeps its bytes.
    FUZZ_CHECK(saveOutputText(QFile::encodeName(saved).toStdString(), *text));
    const QByteArray savedBytes = readFile(saved);
    FUZZ_CHECK(savedBytes == withLineEnds(text->toUtf8(), "\r\n") + "\r\n");
    if (isUtf8(content))
        FUZZ_CHECK(savedBytes == withLineEnds(content, "\r\n") + "\r\n",
            "saved bytes differ from the file");
    // A text that itself begins with U+FEFF is saved beginning with the bytes
    // of a byte-order mark, which reading takes as the mark: that one
    // invisible character is the only thing a save and open may lose.
    QString kept = *text;
    if (kept.startsWith(QChar(0xFEFF)))
        kept.remove(0, 1);
    const std::optional<QString> reread = readOutputText(QFile::encodeName(saved).toStdString());
    FUZZ_CHECK(
        reread && *reread == kept + u'\n', "the saved text reads back otherwise");
    return 0;
}
