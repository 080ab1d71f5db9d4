// Output files: the output pane's text kept in a plain 8-bit text file.
#include "files/OutputFile.h"

#include "files/LineEnds.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <cerrno>
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
    qint64 total = 0;
    bool startsWithMark = false;
    for (qint64 left = size; left > 0;) {
        const qint64 got = file.read(chunk.data(), qMin<qint64>(chunk.size(), left));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // the file shrank since it was opened
        if (total == 0)
            startsWithMark = QByteArrayView(chunk.constData(), got).startsWith("\xEF\xBB\xBF");
        total += got;
        left -= got;
        const qsizetype kept = endLinesWithLf(chunk.data(), qsizetype(got), afterCr);
        if (kept > 0)
            last = chunk[kept - 1];
        out = decoder.appendToBuffer(out, QByteArrayView(chunk.constData(), kept));
    }
    // Through the decoder, the LF also ends a character left unfinished; the
    // decoder may swallow it there, and then it is added after the
    // replacement character. A file of nothing but a byte-order mark has no
    // line to close.
    if (last != '\n' && !(startsWithMark && total == 3)) {
        out = decoder.appendToBuffer(out, "\n");
        if (out == text.constData() || out[-1] != QLatin1Char('\n'))
            *out++ = QLatin1Char('\n');
    }
    text.truncate(out - text.constData());
    return text;
}

#ifdef Q_OS_UNIX
// A descriptor closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openFile(const QString& path, int flags)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
}

// Reads up to `count` bytes from `offset` on; the bytes read, or -1.
qint64 readAt(int fd, char* into, qint64 count, qint64 offset)
{
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, into + done, size_t(count - done), off_t(offset + done));
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
            return -1;
        done += qMax<ssize_t>(got, 0);
    }
    return done;
}

bool writeAt(int fd, const QByteArray& bytes, qint64 offset)
{
    for (qint64 done = 0; done < bytes.size();) {
        const ssize_t put = ::pwrite(
            fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(offset + done));
        if (put < 0 && errno != EINTR)
            return false;
        done += qMax<ssize_t>(put, 0);
    }
    return true;
}

// Writes `bytes` over the regular file at `path` itself. Its old bytes are
// read first and its new size reserved before anything is written, so a
// full disk stops the save before the file changes; any later failure puts
// the old bytes and size back.
bool writeInPlace(const QString& path, const QByteArray& bytes)
{
    const Descriptor file(openFile(path, O_RDWR | O_NONBLOCK));
    struct stat info { };
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    QByteArray old(qsizetype(info.st_size), Qt::Uninitialized);
    if (readAt(file.get(), old.data(), old.size(), 0) != old.size())
        return false;
    if (::posix_fallocate(file.get(), 0, off_t(bytes.size())) != 0) {
        ::ftruncate(file.get(), off_t(old.size())); // a partial reservation may have grown it
        return false;
    }
    if (writeAt(file.get(), bytes, 0) && ::ftruncate(file.get(), off_t(bytes.size())) == 0
        && ::fsync(file.get()) == 0)
        return true;
    writeAt(file.get(), old, 0);
    ::ftruncate(file.get(), off_t(old.size()));
    ::fsync(file.get());
    return false;
}

// Gives the new file `fd` the owner, group and permissions of the file it
// replaces; false where that is not allowed (only root gives a file away).
bool takeOwnerAndMode(int fd, const struct stat& old)
{
    struct stat made { };
    if (::fstat(fd, &made) != 0)
        return false;
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid)
        && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // After fchown, which clears the set-user-ID and set-group-ID bits.
    return ::fchmod(fd, old.st_mode & 07777) == 0;
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

// Writes the bytes to a new file beside `path` that then takes its place;
// `fitNewFile`, given the new file's descriptor, makes it like the old one.
// Nothing, with the target untouched, when the new file cannot be made, or
// false when it cannot be written or put in place.
template <class FitNewFile>
std::optional<bool> replaceThroughNewFile(
    const QString& path, const QByteArray& bytes, FitNewFile&& fitNewFile)
{
    // QSaveFile follows a symbolic link and writes the new file beside its
    // target; it never writes into the target itself.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return std::nullopt;
    if (!fitNewFile(file.handle())) {
        file.cancelWriting();
        return std::nullopt;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
    QByteArray bytes = withCrLf(text).toLocal8Bit();
    bytes.append(fileLineEnd.data(), fileLineEnd.size());
#ifdef Q_OS_UNIX
    const QByteArray nativePath = QFile::encodeName(path);
    struct stat old { };
    if (::stat(nativePath.constData(), &old) != 0)
        return replaceThroughNewFile(path, bytes, [](int) { return true; }).value_or(false);
    // Replacing the file through a new one would otherwise get past a file
    // that was made read-only to keep it.
    if (!S_ISREG(old.st_mode)
        || ::faccessat(AT_FDCWD, nativePath.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    if (old.st_nlink > 1)
        return writeInPlace(path, bytes);
    const std::optional<bool> replaced
        = replaceThroughNewFile(path, bytes, [&old](int fd) { return takeOwnerAndMode(fd, old); });
    return replaced ? *replaced : writeInPlace(path, bytes);
#else
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable())
        return false;
    // QSaveFile copies an existing file's permissions to the new file.
    return replaceThroughNewFile(path, bytes, [](int) { return true; }).value_or(false);
#endif
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
