// Output files: the output pane's text kept in a plain 8-bit text file.
#include "widgets/OutputFile.h"

#include "widgets/LineEnds.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QLatin1String fileLineEnd("\r\n");

// Bytes read from an output file at a time.
constexpr qint64 READ_CHUNK_BYTES = qint64 { 1 } << 20;

// Turns each CR LF and each lone CR of a chunk of the file into LF, in place;
// `afterCr` carries a CR at the chunk's end over to the next chunk. Returns
// the bytes kept. Done on the bytes before they are decoded, so that the text
// is held once: in the system's 8-bit encodings a CR or LF byte is never part
// of a longer character.
qsizetype endLinesWithLf(char* bytes, qsizetype count, bool& afterCr)
{
    const char* in = bytes;
    const char* const end = bytes + count;
    char* out = bytes;
    if (afterCr && in != end && *in == '\n')
        ++in;
    afterCr = false;
    while (in != end) {
        char c = *in++;
        if (c == '\r') {
            c = '\n';
            if (in == end)
                afterCr = true;
            else if (*in == '\n')
                ++in;
        }
        *out++ = c;
    }
    return out - bytes;
}

// The first `size` bytes of the file, read in chunks, as text whose every
// line, a last one without a line end included, ends in LF. Nothing when
// reading fails.
std::optional<QString> decodeLines(QFile& file, qint64 size)
{
    // A byte never gives more than one UTF-16 code unit; one more for the LF
    // that may close the last line.
    QString text(qsizetype(size) + 1, Qt::Uninitialized);
    QChar* out = text.data();
    QStringDecoder decoder(QStringDecoder::System);
    QByteArray chunk(qsizetype(qMin(size, READ_CHUNK_BYTES)), Qt::Uninitialized);
    bool afterCr = false;
    char last = '\n';
    for (qint64 left = size; left > 0;) {
        const qint64 got = file.read(chunk.data(), qMin<qint64>(chunk.size(), left));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // the file shrank since it was opened
        left -= got;
        const qsizetype kept = endLinesWithLf(chunk.data(), qsizetype(got), afterCr);
        if (kept > 0)
            last = chunk[kept - 1];
        out = decoder.appendToBuffer(out, QByteArrayView(chunk.constData(), kept));
    }
    if (last != '\n') {
        // Through the decoder, the LF also ends a character left unfinished.
        QChar* const closed = decoder.appendToBuffer(out, "\n");
        // An LF alone closes no line: the file held nothing but a byte-order mark.
        if (closed - out > 1 || out != text.constData())
            out = closed;
    }
    text.truncate(out - text.constData());
    return text;
}

#ifdef Q_OS_UNIX
int openFile(const QString& path, int flags)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
}
#endif

// Opens `path` into `file` for reading when it is a regular file.
bool openRegularFile(QFile& file, const QString& path)
{
#ifdef Q_OS_UNIX
    // Opened without blocking, then judged on the opened file: a pipe
    // without a writer would wait in open() and a device could stream
    // without end, even one put in the file's place after it was chosen.
    const int fd = openFile(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(
            fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#endif
}

} // namespace

QString outputFileName(const QString& typedName)
{
    if (typedName.endsWith(QLatin1String(".txt"), Qt::CaseSensitive))
        return typedName;
    return typedName + QLatin1String(".txt");
}

bool saveOutputText(const QString& path, const QString& text)
{
    // Replacing the file through a new one would otherwise get past a file
    // that was made read-only to keep it.
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable())
        return false;

    // QSaveFile follows a symbolic link, copies an existing file's
    // permissions to the new file and falls back to writing in place only
    // where the folder refuses a new file.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = withCrLf(text).toLocal8Bit();
    bytes.append(fileLineEnd.data(), fileLineEnd.size());
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QString> readOutputText(const QString& path, OutputReadFailure* failure)
{
    const auto fail = [failure](OutputReadFailure why) {
        if (failure)
            *failure = why;
        return std::nullopt;
    };
    QFile file;
    if (!openRegularFile(file, path))
        return fail(OutputReadFailure::Unreadable);
    if (file.size() > MAX_OUTPUT_FILE_BYTES)
        return fail(OutputReadFailure::TooLarge);
    std::optional<QString> text = decodeLines(file, file.size());
    if (!text)
        return fail(OutputReadFailure::Unreadable);
    return text;
}
