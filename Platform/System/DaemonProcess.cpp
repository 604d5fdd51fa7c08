#include "Platform/System/DaemonProcess.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace SystemPlatform {

namespace {

constexpr double killWaitSeconds = 1.0;


std::string procPath(pid_t pid, const char* entry) { return "/proc/" + std::to_string(pid) + "/" + entry; }

// Signals through the descriptor when there is one, so that a reused pid is never hit.
int sendSignal(int pidfd, pid_t pid, int signal)
{
#ifdef SYS_pidfd_send_signal
    if (pidfd >= 0)
        return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
#endif
    return ::kill(pid, signal);
}

bool waitForExit(int pidfd, pid_t pid, double seconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        if (pidfd < 0 && !DaemonProcess::isAlive(pid))
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return pidfd >= 0 ? !DaemonProcess::isAlive(pid) : false;
        if (pidfd >= 0) {
            pollfd entry {pidfd, POLLIN, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(left));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return !DaemonProcess::isAlive(pid);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 5)));
        }
    }
}

bool readExactly(int fd, void* data, size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// A descriptor above the standard streams, close-on-exec.
int openAboveStreams(const char* path, int flags)
{
    Foundation::FileDescriptor fd(::open(path, flags | O_CLOEXEC, 0644));
    if (!fd || fd.get() > 2)
        return fd.release();
    const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
    const int error = errno;
    fd.reset();
    errno = error;
    return moved;
}

// In the daemon between fork and exec: async-signal-safe calls only.
[[noreturn]] void execDaemon(const char* program, char* const* argv, char* const* envp, int input, int output,
                             int report)
{
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    if (::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) {
        const int error = errno;
        (void)!::write(report, &error, sizeof error);
        ::_exit(127);
    }
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
        for (int fd = 3; fd < 4096; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    (void)!::chdir("/");
    ::umask(022);
    ::execve(program, argv, envp);
    const int error = errno;
    (void)!::write(report, &error, sizeof error);
    ::_exit(127);
}

} // namespace

Foundation::Result<pid_t> DaemonProcess::launch(const std::filesystem::path& program,
                                                const std::vector<std::string>& arguments,
                                                const std::map<std::string, std::string>& environment,
                                                const std::filesystem::path& outputPath)
{
    using Foundation::Error;
    // Everything the children use is made before the fork.
    const std::string programText = program.string();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv {const_cast<char*>(programText.c_str())};
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (const auto& [name, value] : environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    const Foundation::FileDescriptor input(openAboveStreams("/dev/null", O_RDONLY));
    if (!input)
        return Error("Cannot open /dev/null: " + Foundation::errnoText(errno));
    const Foundation::FileDescriptor output(openAboveStreams(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND));
    if (!output)
        return Error("Cannot open \"" + outputPath.string() + "\": " + Foundation::errnoText(errno));
    Foundation::FileDescriptor pidPipe[2];
    Foundation::FileDescriptor execPipe[2];
    if (!Foundation::FileDescriptor::openPipe(pidPipe) || !Foundation::FileDescriptor::openPipe(execPipe))
        return Error("Cannot create a pipe: " + Foundation::errnoText(errno));

    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t first = ::fork();
    if (first == 0) {
        ::setsid();
        const pid_t daemon = ::_Fork(); // no fork handlers: async-signal-safe in this copy of a threaded process
        if (daemon == 0)
            execDaemon(argv[0], argv.data(), envp.data(), input.get(), output.get(), execPipe[1].get());
        const int reported = daemon > 0 ? daemon : -errno;
        (void)!::write(pidPipe[1].get(), &reported, sizeof reported);
        ::_exit(0);
    }
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    pidPipe[1].reset();
    execPipe[1].reset();
    if (first < 0)
        return Error("Cannot start a process: " + Foundation::errnoText(forkError));

    int reported = 0;
    const bool gotPid = readExactly(pidPipe[0].get(), &reported, sizeof reported);
    int status = 0;
    while (::waitpid(first, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    const bool failedExec = readExactly(execPipe[0].get(), &execError, sizeof execError);

    if (!gotPid)
        return Error("Cannot start a process: the intermediate process ended early");
    if (reported < 0)
        return Error("Cannot start a process: " + Foundation::errnoText(-reported));
    if (failedExec) {
        // It exits at once; waiting for that keeps the failure's process from outliving the call.
        const Foundation::FileDescriptor pidfd(DaemonProcess::openPidfd(reported));
        waitForExit(pidfd.get(), reported, killWaitSeconds);
        return Error("Cannot run \"" + programText + "\": " + Foundation::errnoText(execError));
    }
    return static_cast<pid_t>(reported);
}

DaemonStopOutcome DaemonProcess::stop(pid_t pid, const std::filesystem::path& program, double timeoutSeconds)
{
    if (pid <= 0)
        return DaemonStopOutcome::notRunning;
    if (pid == ::getpid())
        return DaemonStopOutcome::failed;
    const Foundation::FileDescriptor pidfd(DaemonProcess::openPidfd(pid));
    if (!pidfd && errno == ESRCH)
        return DaemonStopOutcome::notRunning;

    const auto running = executable(pid);
    if (!running)
        return isAlive(pid) ? DaemonStopOutcome::failed : DaemonStopOutcome::notRunning;
    std::error_code error;
    const auto expected = std::filesystem::weakly_canonical(program, error);
    if (error || *running != expected)
        return DaemonStopOutcome::notOurs;

    if (sendSignal(pidfd.get(), pid, SIGTERM) != 0)
        return errno == ESRCH ? DaemonStopOutcome::notRunning : DaemonStopOutcome::failed;
    if (waitForExit(pidfd.get(), pid, timeoutSeconds))
        return DaemonStopOutcome::stopped;
    if (sendSignal(pidfd.get(), pid, SIGKILL) != 0 && errno != ESRCH)
        return DaemonStopOutcome::failed;
    return waitForExit(pidfd.get(), pid, killWaitSeconds) ? DaemonStopOutcome::killed : DaemonStopOutcome::failed;
}

int DaemonProcess::openPidfd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

std::optional<std::filesystem::path> DaemonProcess::executable(pid_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    std::error_code error;
    std::string target = std::filesystem::read_symlink(procPath(pid, "exe"), error).string();
    if (error || target.empty())
        return std::nullopt;
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted))
        target.erase(target.size() - deleted.size());
    return std::filesystem::path(target);
}

bool DaemonProcess::isAlive(pid_t pid)
{
    if (pid <= 0)
        return false;
    std::ifstream stream(procPath(pid, "stat"));
    std::string stat;
    if (!stream || !std::getline(stream, stat))
        return false;
    // "<pid> (<name>) <state> …": the name may hold anything, the state follows the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size())
        return false;
    const char state = stat[close + 2];
    return state != 'Z' && state != 'X' && state != 'x';
}

std::optional<pid_t> DaemonProcess::readPidFile(const std::filesystem::path& pidFile)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(pidFile, error))
        return std::nullopt;
    const auto size = std::filesystem::file_size(pidFile, error);
    if (error || size > std::uintmax_t{64})
        return std::nullopt;
    std::ifstream stream(pidFile, std::ios::binary);
    std::string text;
    if (!stream || !std::getline(stream, text, '\0'))
        return std::nullopt;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.pop_back();
    int value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (code != std::errc() || end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return static_cast<pid_t>(value);
}

} // namespace SystemPlatform
