// Output files: the output pane's text kept in a plain 8-bit text file, and
// the safe writing that every file the program saves goes through.
#include "files/OutputFile.h"

#include "files/LineEnds.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include "data/RegularFile.h"

#include <cerrno>
#include <cstdlib>
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
bool writeInPlace(const std::string& path, const QByteArray& bytes)
{
    const Descriptor file(openRegularFile(path, O_RDWR));
    struct stat info { };
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
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
bool openForReading(QFile& file, const std::string& path)
{
#ifdef Q_OS_UNIX
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(QString::fromStdString(path));
    return QFileInfo(file.fileName()).isFile()
        && file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#endif
}

#ifdef Q_OS_UNIX
// The folder part of a native path.
std::string folderPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new empty file in `folder`, made as any new file is (the umask sets its
// permissions), under a hidden name that goes to `made`; -1 when the folder
// takes no new file.
int newFileIn(const std::string& folder, std::string& made)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        made = folder + "/.trellam-";
        for (int i = 0; i < 8; ++i)
            made += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes the bytes to a new file beside `path` that then takes its place,
// which for a symbolic link is the link itself; `fitNewFile`, given the new
// file's descriptor, makes it like the old one. Nothing, with the target
// untouched, when the new file cannot be made, or false when it cannot be
// written or put in place.
template <class FitNewFile>
std::optional<bool> replaceThroughNewFile(
    const std::string& path, const QByteArray& bytes, FitNewFile&& fitNewFile)
{
    std::string made;
    const Descriptor file(newFileIn(folderPart(path), made));
    if (file.get() < 0)
        return std::nullopt;
    if (!fitNewFile(file.get())) {
        ::unlink(made.c_str());
        return std::nullopt;
    }
    if (!writeAt(file.get(), bytes, 0) || ::fsync(file.get()) != 0
        || ::rename(made.c_str(), path.c_str()) != 0) {
        ::unlink(made.c_str());
        return false;
    }
    return true;
}

// The file a symbolic link finally leads to; empty when that cannot be told.
std::string linkedFile(const std::string& link)
{
    char* resolved = ::realpath(link.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string file(resolved);
    std::free(resolved);
    return file;
}
#endif

} // namespace

QString outputFileName(const QString& typedName)
{
    if (typedName.endsWith(QLatin1String(".txt"), Qt::CaseSensitive))
        return typedName;
    return typedName + QLatin1String(".txt");
}

SaveTarget saveTarget(const std::string& nativePath)
{
#ifdef Q_OS_UNIX
    struct stat entry { };
    if (::lstat(nativePath.c_str(), &entry) != 0)
        return SaveTarget::Missing;
    struct stat file { };
    if (::stat(nativePath.c_str(), &file) != 0)
        return S_ISLNK(entry.st_mode) && errno == ENOENT ? SaveTarget::DanglingLink
                                                         : SaveTarget::NotAFile;
    return S_ISREG(file.st_mode) ? SaveTarget::File : SaveTarget::NotAFile;
#else
    const QFileInfo info(QString::fromStdString(nativePath));
    if (info.exists())
        return info.isFile() ? SaveTarget::File : SaveTarget::NotAFile;
    return info.isSymLink() ? SaveTarget::DanglingLink : SaveTarget::Missing;
#endif
}

QString notSavedMessage(const QString& shownPath)
{
    return QStringLiteral("The file could not be saved: ") + shownPath;
}

bool writeFileSafely(const std::string& nativePath, const QByteArray& bytes)
{
    const SaveTarget target = saveTarget(nativePath);
    if (target == SaveTarget::NotAFile)
        return false;
#ifdef Q_OS_UNIX
    // A new name, or a link to nothing, which gives way to the new file
    // rather than having its missing target made.
    if (target != SaveTarget::File)
        return replaceThroughNewFile(nativePath, bytes, [](int) { return true; }).value_or(false);
    // Through a link, the file it leads to is replaced, beside itself.
    struct stat entry { };
    const bool isLink = ::lstat(nativePath.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
    const std::string path = isLink ? linkedFile(nativePath) : nativePath;
    struct stat old { };
    if (path.empty() || ::stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode))
        return false;
    // Replacing the file through a new one would otherwise get past a file
    // that was made read-only to keep it.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    if (old.st_nlink > 1)
        return writeInPlace(path, bytes);
    const std::optional<bool> replaced
        = replaceThroughNewFile(path, bytes, [&old](int fd) { return takeOwnerAndMode(fd, old); });
    return replaced ? *replaced : writeInPlace(path, bytes);
#else
    const QString path = QString::fromStdString(nativePath);
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return false;
    // QSaveFile copies an existing file's permissions to the new file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
#endif
}

bool saveOutputText(const std::string& nativePath, const QString& text)
{
    QByteArray bytes = withCrLf(text).toLocal8Bit();
    bytes.append(fileLineEnd.data(), fileLineEnd.size());
    return writeFileSafely(nativePath, bytes);
}

std::optional<QString> readOutputText(const std::string& nativePath, OutputReadFailure* failure)
{
    const auto fail = [failure](OutputReadFailure why) {
        if (failure)
            *failure = why;
        return std::nullopt;
    };
    QFile file;
    if (!openForReading(file, nativePath))
        return fail(OutputReadFailure::Unreadable);
    if (file.size() > MAX_OUTPUT_FILE_BYTES)
        return fail(OutputReadFailure::TooLarge);
    std::optional<QString> text = decodeLines(file, file.size());
    if (!text)
        return fail(OutputReadFailure::Unreadable);
    return text;
}
