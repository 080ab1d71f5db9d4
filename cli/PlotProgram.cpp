// trellam-plot, started by trellam-cli for --plot: Qt stays out of trellam-cli.
#include "PlotProgram.h"

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

#ifdef _WIN32
const char* const PLOT_PROGRAM = "trellam-plot.exe";
#else
const char* const PLOT_PROGRAM = "trellam-plot";
#endif

std::filesystem::path runningProgram(const char* argv0)
{
    std::error_code error;
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    if (length > 0 && length < 32768)
        return std::filesystem::path(std::wstring(buffer, length));
#else
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return self;
#endif
    return argv0 ? std::filesystem::path(argv0) : std::filesystem::path();
}

std::string serialized(const BootstrapRun& run)
{
    std::ostringstream out(std::ios::binary);
    writeBootstrapRun(out, run);
    return out.str();
}

const std::string NOT_STARTED = "trellam-plot could not be started";
const std::string FAILED = "the plot was not written";

#ifdef _WIN32

// One argument of a command line as the C runtime splits it again: quoted,
// with backslashes doubled before a quote and quotes escaped.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, L'\\');
    return text + L"\"";
}

std::string drawThroughPipe(
    const std::filesystem::path& program, const std::string& bytes, const std::string& file)
{
    int pipe[2];
    if (_pipe(pipe, 1 << 16, _O_BINARY | _O_NOINHERIT) != 0)
        return NOT_STARTED;
    // The child inherits its standard input from ours for the moment it starts.
    const int savedInput = _dup(0);
    _dup2(pipe[0], 0);
    const std::wstring name = quoted(program.wstring());
    const std::wstring target = quoted(std::filesystem::path(file).wstring());
    const wchar_t* args[] = { name.c_str(), target.c_str(), nullptr };
    const intptr_t child = _wspawnv(_P_NOWAIT, program.wstring().c_str(), args);
    _dup2(savedInput, 0);
    _close(savedInput);
    _close(pipe[0]);
    if (child == -1) {
        _close(pipe[1]);
        return NOT_STARTED;
    }
    for (std::size_t written = 0; written < bytes.size();) {
        const int piece = _write(pipe[1], bytes.data() + written,
            static_cast<unsigned>(std::min<std::size_t>(bytes.size() - written, 1 << 20)));
        if (piece <= 0)
            break;
        written += static_cast<std::size_t>(piece);
    }
    _close(pipe[1]);
    int status = 1;
    _cwait(&status, child, 0);
    return status == 0 ? std::string() : FAILED;
}

#else

// A child that stops reading early must not end trellam-cli with SIGPIPE:
// the write fails instead, and the child's exit status tells why.
class IgnoredBrokenPipe {
public:
    IgnoredBrokenPipe()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &m_previous);
    }
    ~IgnoredBrokenPipe() { sigaction(SIGPIPE, &m_previous, nullptr); }
    IgnoredBrokenPipe(const IgnoredBrokenPipe&) = delete;
    IgnoredBrokenPipe& operator=(const IgnoredBrokenPipe&) = delete;

private:
    struct sigaction m_previous = {};
};

void writeAll(int descriptor, const std::string& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t piece = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (piece < 0 && errno == EINTR)
            continue;
        if (piece <= 0)
            return;
        written += static_cast<std::size_t>(piece);
    }
}

std::string drawThroughPipe(
    const std::filesystem::path& program, const std::string& bytes, const std::string& file)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return NOT_STARTED;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::string name = program.string();
    std::string target = file;
    char* args[] = { name.data(), target.data(), nullptr };
    pid_t child = 0;
    const int failed = posix_spawn(&child, name.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[0]);
    if (failed) {
        close(pipeEnds[1]);
        return NOT_STARTED;
    }
    {
        const IgnoredBrokenPipe ignored;
        writeAll(pipeEnds[1], bytes);
        close(pipeEnds[1]);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return FAILED;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::string() : FAILED;
}

#endif

} // namespace

std::filesystem::path plotProgramPath(const char* argv0)
{
    return runningProgram(argv0).parent_path() / PLOT_PROGRAM;
}

std::string drawPlot(
    const std::filesystem::path& program, const BootstrapRun& run, const std::string& file)
{
    return drawThroughPipe(program, serialized(run), file);
}
